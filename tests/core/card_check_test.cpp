// The card check over cards built in code: each case spoils one thing and expects exactly the
// findings that thing causes, no more.
#include "core/card_check.h"

#include <gtest/gtest.h>

#include <functional>

#include "examples/card_builder.h"

namespace selvane {
namespace {
using demo::CardBuilder;
using Found = std::pair<int, FindingKind>;

// A directory frame's field changed and its checksum made right again.
void SetEntry(CardBuilder& card, int slot, std::size_t field, std::uint16_t value) {
  CardImage& raw = card.Raw();
  const std::size_t at = SlotEntryOffset(slot);
  WriteLe16(raw, at + field, value);
  raw[at + kEntryChecksum] = FrameChecksum(Bytes(raw).subspan(at, kFrameSize));
}
void Link(CardBuilder& card, int slot, std::uint16_t next) { SetEntry(card, slot, kEntryNextSlot, next); }
void SetBlockByte(CardBuilder& card, int slot, std::size_t offset, std::uint8_t value) {
  card.Raw()[SaveBlockOffset(slot) + offset] = value;
}

// Three saves with their own names (one of three blocks, one deleted) and free lines.
CardBuilder Clean() {
  return CardBuilder()
      .AddSave(1, 1, "One", "SLUS-00001")
      .AddSave(2, 3, "Three", "SLUS-00002")
      .AddSave(6, 2, "Gone", "SLUS-00001", 'A', true);
}

std::vector<Found> Kinds(const std::vector<CardFinding>& findings) {
  std::vector<Found> kinds;
  for (const CardFinding& f : findings) kinds.emplace_back(f.slot, f.kind);
  return kinds;
}

TEST(CardCheck, ACleanCardHasNoFindingsInAnyFormat) {
  for (const FormatFacts& facts : FormatTable()) {
    const Format format = facts.format;
    EXPECT_EQ(Kinds(CheckCard(Clean().Build(format), format)), std::vector<Found>{}) << FormatKey(format);
    EXPECT_EQ(Kinds(CheckCard(CardBuilder().Build(format), format)), std::vector<Found>{}) << FormatKey(format);
  }
}

TEST(CardCheck, EachFaultIsFoundOnItsSlot) {
  using K = FindingKind;
  const std::pair<std::function<void(CardBuilder&)>, std::vector<Found>> cases[] = {
      // The header frame's "MC" becomes "MX" (checksum made right): a raw card's file starts with "MC" too.
      {[](CardBuilder& c) { SetEntry(c, 0, 0, 'M' | 'X' << 8); }, {{0, K::FileShape}, {0, K::HeaderMagic}}},
      {[](CardBuilder& c) { c.Raw()[kEntryChecksum] ^= 1; }, {{0, K::HeaderChecksum}}},
      {[](CardBuilder& c) { c.Raw()[SlotEntryOffset(4) + kEntryChecksum] ^= 0x40; }, {{4, K::EntryChecksum}}},
      {[](CardBuilder& c) { c.SetStatus(9, 0x00); }, {{9, K::UnknownStatus}}},
      // The 3-block save's first NextSlot points past slot 15: its two links are reached by no chain.
      {[](CardBuilder& c) { Link(c, 2, 0x0020); }, {{2, K::ChainLeavesCard}, {3, K::Orphan}, {4, K::Orphan}}},
      {[](CardBuilder& c) { Link(c, 4, 2); }, {{2, K::ChainLoops}}},  // slot 4 -> slot 3
      {[](CardBuilder& c) { Link(c, 4, 1); }, {{2, K::ChainLoops}}},  // slot 4 -> slot 2, its first
      {[](CardBuilder& c) { c.SetStatus(3, status::kFree); }, {{2, K::ChainRunsIntoFree}, {4, K::Orphan}}},
      {[](CardBuilder& c) { c.SetStatus(3, status::kDeletedLinkR); }, {{2, K::ChainRunsIntoDeleted}, {4, K::Orphan}}},
      {[](CardBuilder& c) { Link(c, 1, 1); }, {{1, K::ChainRunsIntoSave}}},
      {[](CardBuilder& c) { c.SetStatus(3, 0x07); },
       {{2, K::ChainRunsIntoUnknown}, {3, K::UnknownStatus}, {4, K::Orphan}}},
      {[](CardBuilder& c) { SetEntry(c, 2, kEntrySaveSize, 4 * kBlockSize & 0xFFFF); }, {{2, K::SizeMismatch}}},
      {[](CardBuilder& c) { SetBlockByte(c, 1, 3, 7); }, {{1, K::BlockCountMismatch}}},
      // The save on 2 chains 2 -> 4 -> 3: whole, but not on adjacent lines.
      {[](CardBuilder& c) { Link(c, 2, 3), Link(c, 4, 2), Link(c, 3, 0xFFFF); }, {{2, K::NotAdjacent}}},
      {[](CardBuilder& c) { c.SetStatus(12, status::kLinkS), Link(c, 12, 0xFFFF); }, {{12, K::Orphan}}},
      // A second save in use named like the one in slot 1 (a deleted one of that name is no clash).
      {[](CardBuilder& c) { c.AddSave(10, 1, "Again", "SLUS-00001"); }, {{10, K::DuplicateName}}},
      {[](CardBuilder& c) { SetBlockByte(c, 2, 0, 'C'), SetBlockByte(c, 2, 1, 'S'); }, {{2, K::NoSaveMark}}},
  };
  for (const auto& [spoil, expected] : cases) {
    CardBuilder card = Clean();
    spoil(card);
    EXPECT_EQ(Kinds(CheckCard(card.RawCard(), Format::Mcr)), expected);
  }
}

TEST(CardCheck, FindingsSayWhereAndWhatInWords) {
  CardBuilder card = Clean();
  Link(card, 2, 0x14A9);
  SetBlockByte(card, 1, 0, 'C');
  SetBlockByte(card, 1, 1, 0);
  const std::vector<CardFinding> found = CheckCard(card.RawCard(), Format::Mcd);
  // The duplicate-name finding's words and key: selvane-cli's check (cli_test.cpp).
  ASSERT_EQ(found.size(), 4u);  // with the two links the broken chain no longer reaches
  EXPECT_EQ(found[0].what,
            "the save's first block does not start with \"SC\" (it starts with \"C\\x00\"): the console does not take "
            "it for a save");
  EXPECT_EQ(found[1].what,
            "the save's chain leaves the card: slot 2 points to block 5290 (NextSlot 0x14A9), past slot 15");
  EXPECT_EQ(found[2].what,
            "a link block that no save's chain reaches: it takes a block of the card but belongs to no save");
}

// A file of the wrong length is said so and checked as far as it goes; a DexDrive file without
// a raw card can be checked no further.
TEST(CardCheck, ShortAndHeaderlessFiles) {
  CardImage cut = Clean().Build(Format::Mem);
  cut.resize(64 + 3 * kBlockSize);
  cut[64 + SlotEntryOffset(1) + kEntryChecksum] ^= 1;
  const auto found = CheckCard(cut, Format::Mem);
  EXPECT_EQ(Kinds(found), (std::vector<Found>{{0, FindingKind::FileShape}, {1, FindingKind::EntryChecksum}}));
  EXPECT_EQ(found[0].what,
            "the file is no well-formed .mem card: the file has 24640 bytes where a .mem card has 131136");
  EXPECT_EQ(Kinds(CheckCard(CardImage(5000, 0), Format::Gme)), (std::vector<Found>{{0, FindingKind::FileShape}}));
  EXPECT_EQ(Kinds(CheckCard(CardImage(10, 0), Format::Mcr)), (std::vector<Found>{{0, FindingKind::FileShape}}));
}

}  // namespace
}  // namespace selvane
