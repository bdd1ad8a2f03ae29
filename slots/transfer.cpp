// CopySlot: a save taken block by block from one pane's card and written into the other's.
#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "slots/operations.h"
#include "slots/save_extent.h"
#include "slots/slot_access.h"
#include "slots/slot_list.h"

namespace selvane {
namespace {

using detail::HoldsWholeSlot;
using detail::IsFreeLine;
using detail::Landing;
using detail::LineOfSlot;
using detail::ListedLines;
using detail::NextSlotValue;
using detail::SelectedLine;
using detail::SlotOfLine;
using detail::StatusByte;

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

// Plans where the save's blocks land (see detail::PlanLanding). NextSlot and the checksum play no
// part in a list line, so each frame lands as it stands while planning.
Landing PlanTransfer(const Pane& source, std::size_t sourceOffset, int first, int blocks, const Pane& target,
                     std::size_t targetOffset, int chosen) {
  return detail::PlanLanding(target, targetOffset, blocks, chosen, [&](MutableBytes image, int index, int slot) {
    LandBlock(source.image, sourceOffset, SlotOfLine(first + index), image, 0, slot, std::nullopt);
  });
}

// The target line the transfer's first block goes to: the selected line when it is free, or when
// it holds a save and the user says Yes to replacing it; -1 for the first free line.
int ChosenTargetLine(const Pane& target, std::size_t targetOffset, UserPort& port) {
  const int selected = SelectedLine(target);
  // A line past the end of a short image cannot take the block: the free lines are used.
  if (selected < 0 || !HoldsWholeSlot(target.image, targetOffset, SlotOfLine(selected))) return -1;
  const std::string& shown = target.lines[static_cast<std::size_t>(selected)];
  if (IsFreeLine(shown, target.image, targetOffset, selected)) return selected;
  const std::string question = "Do you want to replace '" + (shown.size() > 4 ? shown.substr(4) : "") + "'?";
  return port.Ask(question, Buttons::YesNo, Answer::No) == Answer::Yes ? selected : -1;
}

}  // namespace

Outcome CopySlot(Pane& source, Pane& target, bool move, UserPort& port) {
  const auto sourceOffset = PaneDataOffset(source);
  const auto targetOffset = PaneDataOffset(target);
  if (!sourceOffset || !targetOffset) {
    port.ShowMessage(text::kFormatNotSupported, MessageIcon::Information);
    return Outcome::FormatNotSupported;
  }

  const int selected = SelectedLine(source);
  if (selected < 0) {
    port.ShowMessage(text::kSelectSlotToCopy, MessageIcon::Information);
    return Outcome::NoSelection;
  }
  // The save: the first block reached by walking back from the selected line (the selection
  // follows) and the lines right below it that hold link statuses.
  const int lineCount = ListedLines(source);
  const std::vector<int> slots = AdjacentSaveSlots(source.image, *sourceOffset, SlotOfLine(selected), lineCount);
  const int first = LineOfSlot(slots.front());
  const int blocks = static_cast<int>(slots.size());
  source.selected = first;
  const int chosen = ChosenTargetLine(target, *targetOffset, port);

  // Whole or nothing: the save is written only when every block has a line to go to.
  const Landing landing = PlanTransfer(source, *sourceOffset, first, blocks, target, *targetOffset, chosen);
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

namespace detail {

bool IsFreeLine(std::string_view text, Bytes image, std::size_t dataOffset, int line) {
  return IsBareLine(text) && !IsInUseStatus(StatusByte(image, dataOffset, SlotOfLine(line))) &&
         HoldsWholeSlot(image, dataOffset, SlotOfLine(line));
}

Landing PlanLanding(const Pane& target, std::size_t targetOffset, int blocks, int chosen, const BlockLander& land) {
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
    land(MutableBytes(scratch).subspan(std::min(targetOffset, scratch.size())), i, SlotOfLine(line));
    rebuilt = BuildSlotLinesAt(scratch, targetOffset);
  }
  return landing;
}

}  // namespace detail
}  // namespace selvane
