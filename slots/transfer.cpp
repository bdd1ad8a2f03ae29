// CopySlot: a save taken block by block from one pane's card and written into the other's.
#include <array>
#include <string>

#include "slots/operations.h"
#include "slots/slot_access.h"
#include "slots/slot_list.h"

namespace selvane {
namespace {

using detail::ListedLines;
using detail::SelectedLine;
using detail::StatusByte;

inline constexpr std::uint16_t kEndOfChain = 0xFFFF;

// A target line takes a block without asking when it shows the bare slot number and its entry is
// not a save in use: an in-use save whose title decodes to nothing also shows the bare number,
// and it must not be overwritten silently.
bool IsFreeLine(const Pane& pane, std::size_t dataOffset, int line) {
  return IsBareLine(pane.lines[static_cast<std::size_t>(line)]) &&
         !IsInUseStatus(StatusByte(pane.image, dataOffset, line + 1));
}

// The target lines the save's blocks go to, in block order.
struct Landing {
  std::array<int, kSlotCount> lines{};
  int count = 0;
};

// The first block goes to `chosen` when it is a line (the selected free line, or the selected line
// whose replacement was confirmed); the others, and the first one too when no line was chosen, go
// to the free lines from the top. Every line is used once, so no block of this save can land on
// another of its blocks.
Landing PlanLanding(const Pane& target, std::size_t dataOffset, int chosen, int blocks) {
  Landing landing;
  if (chosen >= 0) landing.lines[static_cast<std::size_t>(landing.count++)] = chosen;
  for (int line = 0; line < ListedLines(target) && landing.count < blocks; ++line) {
    if (line != chosen && IsFreeLine(target, dataOffset, line)) {
      landing.lines[static_cast<std::size_t>(landing.count++)] = line;
    }
  }
  return landing;
}

// Writes source slot `from`'s directory frame and block over target slot `to`. A save's frame gets
// `next` as its NextSlot (and a fresh checksum) unless it already says so; any other frame, and a
// frame cut short by the end of the source image, travels byte for byte.
// Returns the number of bytes written.
std::size_t LandBlock(Bytes source, std::size_t sourceOffset, int from, MutableBytes target, std::size_t targetOffset,
                      int to, std::uint16_t next) {
  const Bytes entry = ClipRead(source, sourceOffset + SlotEntryOffset(from), kFrameSize);
  std::size_t written = 0;
  if (entry.size() == kFrameSize && IsSaveStatus(entry[kEntryStatus]) && ReadLe16(entry, kEntryNextSlot) != next) {
    std::array<std::uint8_t, kFrameSize> frame;
    std::copy(entry.begin(), entry.end(), frame.begin());
    WriteLe16(frame, kEntryNextSlot, next);
    frame[kEntryChecksum] = FrameChecksum(frame);
    written += WriteClipped(target, targetOffset + SlotEntryOffset(to), frame);
  } else {
    written += WriteClipped(target, targetOffset + SlotEntryOffset(to), entry);
  }
  return written + WriteClipped(target, targetOffset + SaveBlockOffset(to),
                                ClipRead(source, sourceOffset + SaveBlockOffset(from), kBlockSize));
}

}  // namespace

void CopySlot(Pane& source, Pane& target, bool move, UserPort& port) {
  const auto sourceOffset = PaneDataOffset(source);
  const auto targetOffset = PaneDataOffset(target);
  if (!sourceOffset || !targetOffset) {
    port.ShowMessage(text::kFormatNotSupported, MessageIcon::Information);
    return;
  }

  // Walk back from the selected line to the save's first block; the selection follows.
  int first = SelectedLine(source);
  while (first >= 1 && IsLinkStatus(StatusByte(source.image, *sourceOffset, first + 1))) {
    source.selected = --first;
  }
  if (first < 0) {
    port.ShowMessage(text::kSelectSlotToCopy, MessageIcon::Information);
    return;
  }

  // The save: its first block and the lines right below it that hold continuation statuses.
  const int lineCount = ListedLines(source);
  int blocks = 1;
  while (first + blocks < lineCount && IsLinkStatus(StatusByte(source.image, *sourceOffset, first + blocks + 1))) {
    ++blocks;
  }

  int chosen = -1;
  if (const int selected = SelectedLine(target); selected >= 0) {
    if (IsFreeLine(target, *targetOffset, selected)) {
      chosen = selected;
    } else {
      const std::string& line = target.lines[static_cast<std::size_t>(selected)];
      const std::string question = "Do you want to replace '" + (line.size() > 4 ? line.substr(4) : "") + "'?";
      if (port.Ask(question, Buttons::YesNo, Answer::No) == Answer::Yes) chosen = selected;
    }
  }

  // Whole or nothing: the save is written only when every block has a line to go to.
  const Landing landing = PlanLanding(target, *targetOffset, chosen, blocks);
  if (landing.count < blocks) {
    port.ShowMessage(text::kCardFull, MessageIcon::Information);
    return;
  }

  for (int i = 0; i < blocks; ++i) {
    const auto at = static_cast<std::size_t>(i);
    // NextSlot names the slot of the next block as it landed, less one; the last block ends the chain.
    const std::uint16_t next = i + 1 < blocks ? static_cast<std::uint16_t>(landing.lines[at + 1]) : kEndOfChain;
    if (LandBlock(source.image, *sourceOffset, first + i + 1, target.image, *targetOffset, landing.lines[at] + 1,
                  next) > 0) {
      target.cardModified = true;
    }
    // The source selection moves on to the line below, which ends the save unless it is a link.
    if (first + i < lineCount - 1) source.selected = first + i + 1;
  }
  // The target's list is rebuilt once the save has landed. Nothing reads it between two blocks
  // (their lines were chosen above) and nothing is shown meanwhile, so rebuilding it after every
  // block would give the same list at many times the cost.
  RefreshSlots(target, port);

  if (move) {
    // Only now that every block is on the target are the source's blocks freed.
    for (int i = 0; i < blocks; ++i) {
      if (detail::FreeSlot(source.image, *sourceOffset, first + i + 1) > 0) source.cardModified = true;
    }
    RefreshSlots(source, port);
  }
}

}  // namespace selvane
