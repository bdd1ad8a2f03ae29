#include "slots/single_save_ops.h"

#include <algorithm>
#include <array>

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
using detail::WholeEntryStatus;

// A directory name as the card holds it: bytes 10..29 of a frame, up to the first zero.
std::string FrameName(Bytes entry) { return ZeroEndedText(entry, kEntrySaveName, kSaveNameLength); }

bool IsFirstStatus(std::uint8_t s) { return s == status::kFirst || s == status::kDeletedFirst; }

// Writes block `index` of `save` with its frame over `slot` of a card starting at `offset`.
std::size_t LandSaveBlock(MutableBytes image, std::size_t offset, const SingleSave& save, int index, int slot,
                          std::uint16_t next) {
  const auto frame = BuildDirectoryFrame(save.name, save.BlockCount(), index, next);
  const Bytes block = Bytes(save.blocks).subspan(static_cast<std::size_t>(index) * kBlockSize, kBlockSize);
  return WriteClipped(image, offset + SlotEntryOffset(slot), frame) +
         WriteClipped(image, offset + SaveBlockOffset(slot), block);
}

}  // namespace

std::string text::SameNameQuestion(std::string_view name) {
  return "A save named " + std::string(name) + " is already on this card. Import it anyway?";
}

std::optional<int> LineOfSaveNamed(const Pane& pane, std::string_view name) {
  const auto offset = PaneDataOffset(pane);
  if (!offset) return std::nullopt;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    if (WholeEntryStatus(pane.image, *offset, slot) != status::kFirst) continue;
    if (FrameName(ClipRead(pane.image, *offset + SlotEntryOffset(slot), kFrameSize)) == name) return LineOfSlot(slot);
  }
  return std::nullopt;
}

Outcome ImportSave(Pane& pane, const SingleSave& save, UserPort& port) {
  const auto offset = PaneDataOffset(pane);
  if (!offset) {
    port.ShowMessage(text::kFormatNotSupported, MessageIcon::Information);
    return Outcome::FormatNotSupported;
  }
  const int blocks = save.BlockCount();
  if (blocks < 1 || blocks > kMaxSaveBlocks || save.blocks.size() != static_cast<std::size_t>(blocks) * kBlockSize)
    return Outcome::NotASave;
  if (LineOfSaveNamed(pane, save.name) &&
      port.Ask(text::SameNameQuestion(save.name), Buttons::YesNo, Answer::No) != Answer::Yes)
    return Outcome::Declined;

  const int selected = SelectedLine(pane);
  const int chosen =
      selected >= 0 && IsFreeLine(pane.lines[static_cast<std::size_t>(selected)], pane.image, *offset, selected)
          ? selected
          : -1;
  // Whole or nothing: the lines are planned on a copy before the card changes.
  const Landing landing = detail::PlanLanding(pane, *offset, blocks, chosen, [&](MutableBytes image, int i, int slot) {
    LandSaveBlock(image, 0, save, i, slot, kEndOfChain);
  });
  if (landing.count < blocks) return Outcome::CardFull;  // the caller names the save that does not fit
  for (int i = 0; i < blocks; ++i) {
    const auto at = static_cast<std::size_t>(i);
    const std::uint16_t next = i + 1 < blocks ? NextSlotValue(SlotOfLine(landing.lines[at + 1])) : kEndOfChain;
    LandSaveBlock(pane.image, *offset, save, i, SlotOfLine(landing.lines[at]), next);
  }
  pane.cardModified = true;
  RefreshSlots(pane, port);
  pane.selected = landing.lines[0];
  return Outcome::Done;
}

TakenSave TakeSave(const Pane& pane, UserPort& port) {
  TakenSave taken;
  const auto offset = PaneDataOffset(pane);
  if (!offset) {
    port.ShowMessage(text::kFormatNotSupported, MessageIcon::Information);
    taken.outcome = Outcome::FormatNotSupported;
    return taken;
  }
  const int line = SelectedLine(pane);
  if (line < 0) {
    port.ShowMessage(text::kSelectSlot, MessageIcon::Information);
    return taken;
  }
  const std::vector<int> slots = SaveSlots(pane.image, *offset, SlotOfLine(line), ListedLines(pane));
  if (!IsFirstStatus(WholeEntryStatus(pane.image, *offset, slots.front()))) {
    port.ShowMessage(text::kSelectSlot, MessageIcon::Information);
    taken.outcome = Outcome::NotASave;
    return taken;
  }
  for (int slot : slots) {
    if (!HoldsWholeSlot(pane.image, *offset, slot)) {
      taken.outcome = Outcome::NothingChanged;
      return taken;
    }
  }
  taken.save.name = FrameName(ClipRead(pane.image, *offset + SlotEntryOffset(slots.front()), kFrameSize));
  for (int slot : slots) {
    const Bytes block = ClipRead(pane.image, *offset + SaveBlockOffset(slot), kBlockSize);
    taken.save.blocks.insert(taken.save.blocks.end(), block.begin(), block.end());
  }
  taken.outcome = Outcome::Done;
  return taken;
}

std::vector<std::uint8_t> SaveFileContent(const SingleSave& save, SaveFileKind kind) {
  // A kind that is never written (the 54-byte one) is written as .mcs, the kind with a header.
  const auto write = SaveKindFactsOf(kind).write;
  return write ? write(save) : WriteMcs(save);
}

}  // namespace selvane
