// Small helpers shared by the slot operations: the valid selection of a pane and the status of a
// directory entry, both read with bounds in mind.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

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

// Whether slot n's whole 128-byte directory frame and whole 8192-byte block lie inside the image.
// A short image's last slots cannot hold a block: nothing is ever sent there.
inline bool HoldsWholeSlot(Bytes image, std::size_t dataOffset, int slot) {
  return dataOffset + SlotEntryOffset(slot) + kFrameSize <= image.size() &&
         dataOffset + SaveBlockOffset(slot) + kBlockSize <= image.size();
}

// A target line takes a block without asking when it shows the bare slot number, its entry is not
// a save in use (an in-use save whose title decodes to nothing also shows the bare number, and it
// must not be overwritten silently) and the image holds the slot whole.
bool IsFreeLine(std::string_view text, Bytes image, std::size_t dataOffset, int line);

// The target lines a save's blocks go to, in block order.
struct Landing {
  std::array<int, kSlotCount> lines{};
  int count = 0;
  bool Uses(int line) const { return std::find(lines.begin(), lines.begin() + count, line) != lines.begin() + count; }
};

// Writes block `index` of the save being placed, with a directory frame, over slot `slot` of a
// card image that starts at the target's data offset.
using BlockLander = std::function<void(MutableBytes image, int index, int slot)>;

// Plans where a save of `blocks` blocks lands on `target`, as a transfer places them one after
// another: the first block on `chosen` (a line already known to take it) or else on the first free
// line of the list as shown; each later block on the first free line of the list as rebuilt after
// the block before it landed. The blocks are landed with `land` on a copy of the target image, so
// the count is made before the card itself changes. A line that already took a block of this save
// is never used again. Fewer lines than blocks means the card is full.
Landing PlanLanding(const Pane& target, std::size_t targetOffset, int blocks, int chosen, const BlockLander& land);

}  // namespace selvane::detail
