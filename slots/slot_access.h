// Small helpers shared by the slot operations: the valid selection of a pane and the status of a
// directory entry, both read with bounds in mind.
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/bytes.h"
#include "core/layout.h"
#include "slots/pane.h"

namespace selvane::detail {

// List line L (0 to 14) shows slot L + 1 (1 to 15), whose entry and block the layout places; the
// two numberings meet only through these.
constexpr int SlotOfLine(int line) { return line + 1; }
constexpr int LineOfSlot(int slot) { return slot - 1; }
// A directory frame's NextSlot field names the slot of the save's next block by its number less one.
constexpr std::uint16_t NextSlotValue(int slot) { return static_cast<std::uint16_t>(slot - 1); }

// The number of list lines an operation may address: the list's lines, at most the 15 slots.
inline int ListedLines(const Pane& pane) {
  return static_cast<int>(std::min(pane.lines.size(), static_cast<std::size_t>(kSlotCount)));
}

// The selected list line, or -1 when nothing (or a line outside the list) is selected.
inline int SelectedLine(const Pane& pane) {
  return pane.selected >= 0 && pane.selected < ListedLines(pane) ? pane.selected : -1;
}

// The SlotStatus of slot n of the card at `dataOffset`; 0 (no status of any save) when the byte
// lies outside the image.
inline std::uint8_t StatusByte(Bytes image, std::size_t dataOffset, int slot) {
  return ByteAt(image, dataOffset + SlotEntryOffset(slot) + kEntryStatus);
}

// The SlotStatus of slot n when its whole 128-byte entry lies inside the image, else 0. Used where
// the status and the checksum change together.
inline std::uint8_t WholeEntryStatus(Bytes image, std::size_t dataOffset, int slot) {
  const Bytes entry = ClipRead(image, dataOffset + SlotEntryOffset(slot), kFrameSize);
  return entry.size() == kFrameSize ? entry[kEntryStatus] : 0;
}

// Writes the free entry over slot n's directory frame and zeros over its block (clipped at the end
// of the image). Returns the number of bytes written: none when the slot lies past the end.
inline std::size_t FreeSlot(MutableBytes image, std::size_t dataOffset, int slot) {
  static const auto kFree = FreeEntry();
  return WriteClipped(image, dataOffset + SlotEntryOffset(slot), kFree) +
         FillClipped(image, dataOffset + SaveBlockOffset(slot), kBlockSize, 0);
}

}  // namespace selvane::detail
