// CopySlot: a save taken block by block from one pane's card and written into the other's.
#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "slots/operations.h"
#include "slots/slot_access.h"
#include "slots/slot_list.h"

namespace selvane {
namespace {

using detail::ListedLines;
using detail::NextSlotValue;
using detail::SelectedLine;
using detail::SlotOfLine;
using detail::StatusByte;

inline constexpr std::uint16_t kEndOfChain = 0xFFFF;

// Whether slot n's whole 128-byte directory frame and whole 8192-byte block lie inside the image.
// A short image's last slots cannot hold a block: nothing is ever sent there.
bool HoldsWholeSlot(Bytes image, std::size_t dataOffset, int slot) {
  return dataOffset + SlotEntryOffset(slot) + kFrameSize <= image.size() &&
         dataOffset + SaveBlockOffset(slot) + kBlockSize <= image.size();
}

// A target line takes a block without asking when it shows the bare slot number, its entry is not
// a save in use (an in-use save whose title decodes to nothing also shows the bare number, and it
// must not be overwritten silently) and the image holds the slot whole.
bool IsFreeLine(std::string_view text, Bytes image, std::size_t dataOffset, int line) {
  return IsBareLine(text) && !IsInUseStatus(StatusByte(image, dataOffset, SlotOfLine(line))) &&
         HoldsWholeSlot(image, dataOffset, SlotOfLine(line));
}

// The target lines the save's blocks go to, in block order.
struct Landing {
  std::array<int, kSlotCount> lines{};
  int count = 0;
  bool Uses(int line) const { return std::find(lines.begin(), lines.begin() + count, line) != lines.begin() + count; }
};

// Writes source slot `from`'s directory frame and block over target slot `to`. A save's frame gets
// `next` as its NextSlot (and a fresh checksum) unless it already says so; any other frame, and a
// frame cut short by the end of the source image, travels byte for byte. With no `next` every
// frame travels as it stands. Returns the number of bytes written.
std::size_t LandBlock(Bytes source, std::size_t sourceOffset, int from, MutableBytes target, std::size_t targetOffset,
                      int to, std::optional<std::uint16_t> next) {
  const Bytes entry = ClipRead(source, sourceOffset + SlotEntryOffset(from), kFrameSize);
  std::size_t written = 0;
  if (next && entry.size() == kFrameSize && IsSaveStatus(entry[kEntryStatus]) &&
      ReadLe16(entry, kEntryNextSlot) != *next) {
    std::array<std::uint8_t, kFrameSize> frame;
    std::copy(entry.begin(), entry.end(), frame.begin());
    WriteLe16(frame, kEntryNextSlot, *next);
    frame[kEntryChecksum] = FrameChecksum(frame);
    written += WriteClipped(target, targetOffset + SlotEntryOffset(to), frame);
  } else {
    written += WriteClipped(target, targetOffset + SlotEntryOffset(to), entry);
  }
  return written + WriteClipped(target, targetOffset + SaveBlockOffset(to),
                                ClipRead(source, sourceOffset + SaveBlockOffset(from), kBlockSize));
}

// Plans where the save's blocks land, as the transfer places them one after another: the first
// block on `chosen` (the selected line, free or confirmed for replacement) or else on the first
// free line of the list as shown; each later block on the first free line of the list as rebuilt
// after the block before it landed. The blocks are landed on a copy of the target image, so the
// count is made before the card itself changes. A line that already took a block of this save is
// never used again, even when its block lists as free (a deleted first block without a game ID).
Landing PlanLanding(const Pane& source, std::size_t sourceOffset, int first, int blocks, const Pane& target,
                    std::size_t targetOffset, int chosen) {
  Landing landing;
  CardImage scratch = target.image;
  SlotLines rebuilt;
  for (int i = 0; i < blocks; ++i) {
    int line = i == 0 ? chosen : -1;
    for (int candidate = 0; line < 0 && candidate < ListedLines(target); ++candidate) {
      const auto at = static_cast<std::size_t>(candidate);
      const std::string_view text = i == 0 ? std::string_view(target.lines[at]) : std::string_view(rebuilt[at]);
      if (!landing.Uses(candidate) && IsFreeLine(text, scratch, targetOffset, candidate)) line = candidate;
    }
    if (line < 0) return landing;
    landing.lines[static_cast<std::size_t>(landing.count++)] = line;
    // NextSlot and the checksum play no part in a list line, so the frame lands as it stands here.
    LandBlock(source.image, sourceOffset, SlotOfLine(first + i), scratch, targetOffset, SlotOfLine(line), std::nullopt);
    rebuilt = BuildSlotLinesAt(scratch, targetOffset);
  }
  return landing;
}

}  // namespace

Outcome CopySlot(Pane& source, Pane& target, bool move, UserPort& port) {
  const auto sourceOffset = PaneDataOffset(source);
  const auto targetOffset = PaneDataOffset(target);
  if (!sourceOffset || !targetOffset) {
    port.ShowMessage(text::kFormatNotSupported, MessageIcon::Information);
    return Outcome::FormatNotSupported;
  }

  // Walk back from the selected line to the save's first block; the selection follows.
  int first = SelectedLine(source);
  while (first >= 1 && IsLinkStatus(StatusByte(source.image, *sourceOffset, SlotOfLine(first)))) {
    source.selected = --first;
  }
  if (first < 0) {
    port.ShowMessage(text::kSelectSlotToCopy, MessageIcon::Information);
    return Outcome::NoSelection;
  }

  // The save: its first block and the lines right below it that hold continuation statuses.
  const int lineCount = ListedLines(source);
  int blocks = 1;
  while (first + blocks < lineCount &&
         IsLinkStatus(StatusByte(source.image, *sourceOffset, SlotOfLine(first + blocks)))) {
    ++blocks;
  }

  int chosen = -1;
  if (const int selected = SelectedLine(target); selected >= 0) {
    const std::string& shown = target.lines[static_cast<std::size_t>(selected)];
    if (!HoldsWholeSlot(target.image, *targetOffset, SlotOfLine(selected))) {
      // A line past the end of a short image cannot take the block: the free lines are used.
    } else if (IsFreeLine(shown, target.image, *targetOffset, selected)) {
      chosen = selected;
    } else {
      const std::string question = "Do you want to replace '" + (shown.size() > 4 ? shown.substr(4) : "") + "'?";
      if (port.Ask(question, Buttons::YesNo, Answer::No) == Answer::Yes) chosen = selected;
    }
  }

  // Whole or nothing: the save is written only when every block has a line to go to.
  const Landing landing = PlanLanding(source, *sourceOffset, first, blocks, target, *targetOffset, chosen);
  if (landing.count < blocks) {
    port.ShowMessage(text::kCardFull, MessageIcon::Information);
    return Outcome::CardFull;
  }

  bool written = false;
  for (int i = 0; i < blocks; ++i) {
    const auto at = static_cast<std::size_t>(i);
    // NextSlot leads to the next block where it landed; the last block ends the chain.
    const std::uint16_t next = i + 1 < blocks ? NextSlotValue(SlotOfLine(landing.lines[at + 1])) : kEndOfChain;
    if (LandBlock(source.image, *sourceOffset, SlotOfLine(first + i), target.image, *targetOffset,
                  SlotOfLine(landing.lines[at]), next) > 0) {
      target.cardModified = written = true;
    }
    // The source selection moves on to the line below, which ends the save unless it is a link.
    if (first + i < lineCount - 1) source.selected = first + i + 1;
  }
  // The target's list is rebuilt once the save has landed; the lines were chosen above from the
  // lists as they stood after each block.
  RefreshSlots(target, port);

  if (move) {
    // Only now that every block is on the target are the source's blocks freed.
    for (int i = 0; i < blocks; ++i) {
      if (detail::FreeSlot(source.image, *sourceOffset, SlotOfLine(first + i)) > 0) source.cardModified = true;
    }
    RefreshSlots(source, port);
  }
  // Nothing written: the save's lines lie past the end of a short source image.
  return written ? Outcome::Done : Outcome::NothingChanged;
}

}  // namespace selvane
