// Delete, Clear All, the deleted-mark toggle, the comparison and the identity edit.
#include "slots/operations.h"

#include <algorithm>
#include <array>

#include "slots/save_extent.h"
#include "slots/slot_access.h"

namespace selvane {
namespace {

using detail::LineOfSlot;
using detail::ListedLines;
using detail::SelectedLine;
using detail::SlotOfLine;
using detail::WholeEntryStatus;

Outcome FormatNotSupported(UserPort& port) {
  port.ShowMessage(text::kFormatNotSupported, MessageIcon::Information);
  return Outcome::FormatNotSupported;
}

// The low four bits give an entry's place in its save: 2 and 3 are link entries.
bool HasLinkPlace(std::uint8_t statusByte) {
  const int place = statusByte & 0x0F;
  return place == 2 || place == 3;
}

// Mark as deleted or undelete one entry: status and checksum change by the same XOR, so a valid
// checksum stays valid.
void FlipEntry(MutableBytes image, std::size_t dataOffset, int slot) {
  const std::size_t entry = dataOffset + SlotEntryOffset(slot);
  image[entry + kEntryStatus] ^= status::kDeleteFlip;
  image[entry + kEntryChecksum] ^= status::kDeleteFlip;
}

constexpr std::array<char, 3> kRegionLetters = {'A', 'E', 'I'};  // USA/NTSC, EUR/PAL, JAP/NTSC

}  // namespace

Outcome DeleteSlot(Pane& pane, UserPort& port) {
  const auto offset = PaneDataOffset(pane);
  if (!offset) return FormatNotSupported(port);
  const int line = SelectedLine(pane);
  if (line < 0) return Outcome::NoSelection;
  // A card that holds no bytes there (no card at all, or a short image) is not changed.
  const bool changed = detail::FreeSlot(pane.image, *offset, SlotOfLine(line)) > 0;
  if (changed) pane.cardModified = true;
  RefreshSlots(pane, port);
  return changed ? Outcome::Done : Outcome::NothingChanged;
}

Outcome ClearAllSlots(Pane& pane, UserPort& port) {
  // Each line is selected and deleted in turn. The list is rebuilt once at the end rather than
  // after each line: nothing reads it in between, so the result is the same.
  const int lines = static_cast<int>(pane.lines.size());
  const auto offset = PaneDataOffset(pane);
  bool changed = false;
  for (int line = 0; line < lines; ++line) {
    pane.selected = line;
    if (!offset) {
      FormatNotSupported(port);  // as each line's Delete would
      continue;
    }
    if (line < kSlotCount && detail::FreeSlot(pane.image, *offset, SlotOfLine(line)) > 0) changed = true;
  }
  if (changed) pane.cardModified = true;
  RefreshSlots(pane, port);
  if (!offset) return Outcome::FormatNotSupported;
  return changed ? Outcome::Done : Outcome::NothingChanged;
}

Outcome ToggleDeleted(Pane& pane, UserPort& port) {
  const auto offset = PaneDataOffset(pane);
  if (!offset) return FormatNotSupported(port);
  const int line = SelectedLine(pane);
  if (line < 0) {
    port.ShowMessage(text::kSelectSlot, MessageIcon::Information);
    return Outcome::NoSelection;
  }
  // Walk back over link entries to the save's first entry; only a save's status is ever flipped.
  // The walk goes by an entry's place (its low four bits), so it also passes entries of unknown
  // status that sit in a save's link place, where the save extent (AdjacentSaveSlots) would stop.
  int slot = SlotOfLine(line);
  while (slot >= 2 && HasLinkPlace(WholeEntryStatus(pane.image, *offset, slot))) --slot;
  if (!IsSaveStatus(WholeEntryStatus(pane.image, *offset, slot))) {
    port.ShowMessage(text::kSelectSlot, MessageIcon::Information);
    return Outcome::NotASave;
  }
  FlipEntry(pane.image, *offset, slot);
  while (slot < kSlotCount && HasLinkPlace(WholeEntryStatus(pane.image, *offset, slot + 1))) {
    ++slot;
    if (IsSaveStatus(WholeEntryStatus(pane.image, *offset, slot))) FlipEntry(pane.image, *offset, slot);
  }
  pane.cardModified = true;
  RefreshSlots(pane, port);
  return Outcome::Done;
}

CompareResult CompareSlots(const Pane& pane0, const Pane& pane1, UserPort& port) {
  const auto offset0 = PaneDataOffset(pane0);
  const auto offset1 = offset0 ? PaneDataOffset(pane1) : std::nullopt;
  if (!offset0 || !offset1) {
    FormatNotSupported(port);
    return {};
  }
  const int line0 = SelectedLine(pane0);
  if (line0 < 0) {
    port.ShowMessage(text::kSelectSlotInCard1, MessageIcon::Information);
    return {Comparison::Refused, 0};
  }
  const int line1 = SelectedLine(pane1);
  if (line1 < 0) {
    port.ShowMessage(text::kSelectSlotInCard2, MessageIcon::Information);
    return {Comparison::Refused, 1};
  }
  // Only the save blocks are compared; a block cut short by the end of its image is unequal to a
  // whole one.
  const Bytes a = ClipRead(pane0.image, *offset0 + SaveBlockOffset(SlotOfLine(line0)), kBlockSize);
  const Bytes b = ClipRead(pane1.image, *offset1 + SaveBlockOffset(SlotOfLine(line1)), kBlockSize);
  if (std::equal(a.begin(), a.end(), b.begin(), b.end())) {
    port.ShowMessage(text::kIdentical, MessageIcon::Information);
    return {Comparison::Identical, -1};
  }
  port.ShowMessage(text::kDifferent, MessageIcon::Exclamation);
  return {Comparison::Different, -1};
}

std::optional<SlotIdentity> BeginEditSlot(Pane& pane, UserPort& port) {
  const auto offset = PaneDataOffset(pane);
  if (!offset) {
    FormatNotSupported(port);
    return std::nullopt;
  }
  int line = SelectedLine(pane);
  if (line < 0) {
    port.ShowMessage(text::kSelectSlot, MessageIcon::Information);
    return std::nullopt;
  }
  // The save's first block, walked back to from a link line; the selection follows.
  line = LineOfSlot(AdjacentSaveSlots(pane.image, *offset, SlotOfLine(line)).front());
  pane.selected = line;

  SlotIdentity identity;
  identity.line = line;
  const Bytes entry = ClipRead(pane.image, *offset + SlotEntryOffset(SlotOfLine(line)), kFrameSize);
  if (HasByte(entry, kEntryRegion)) {
    const auto letter = std::find(kRegionLetters.begin(), kRegionLetters.end(), static_cast<char>(entry[kEntryRegion]));
    if (letter != kRegionLetters.end()) identity.region = static_cast<int>(letter - kRegionLetters.begin());
  }
  // The ID box holds text only up to a first zero byte.
  for (std::uint8_t b : ClipRead(entry, kEntryGameId, kGameIdLength)) {
    if (b == 0) break;
    identity.id += static_cast<char>(b);
  }
  identity.caption = "Slot " + std::to_string(SlotOfLine(line)) + " - " + pane.lines[static_cast<std::size_t>(line)];
  return identity;
}

Outcome ApplyEditSlot(Pane& pane, const SlotIdentity& identity, std::optional<int> region, std::string_view id) {
  if (id.empty()) return Outcome::NothingChanged;
  const auto offset = PaneDataOffset(pane);
  if (!offset) return Outcome::FormatNotSupported;
  // The header frame (line -1) is never written.
  if (identity.line < 0 || identity.line >= kSlotCount) return Outcome::NoSelection;

  const std::size_t at = *offset + SlotEntryOffset(SlotOfLine(identity.line));
  std::array<std::uint8_t, kFrameSize> entry{};
  const Bytes present = ClipRead(pane.image, at, kFrameSize);
  if (present.empty()) return Outcome::NothingChanged;
  std::copy(present.begin(), present.end(), entry.begin());

  if (region && *region >= 0 && *region < static_cast<int>(kRegionLetters.size())) {
    entry[kEntryRegion] = static_cast<std::uint8_t>(kRegionLetters[static_cast<std::size_t>(*region)]);
  }
  // The ID's characters replace bytes 12 on; a shorter ID leaves the bytes after it as they were.
  const std::size_t length = std::min(id.size(), kGameIdLength);
  for (std::size_t i = 0; i < length; ++i) entry[kEntryGameId + i] = static_cast<std::uint8_t>(id[i]);
  entry[kEntryChecksum] = FrameChecksum(entry);

  WriteClipped(pane.image, at, Bytes(entry).first(present.size()));
  pane.cardModified = true;
  return Outcome::Done;
}

char GameIdKey(char typed) { return typed >= 'a' && typed <= 'z' ? static_cast<char>(typed - 'a' + 'A') : typed; }

}  // namespace selvane
