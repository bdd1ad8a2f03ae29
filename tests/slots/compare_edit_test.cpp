// The comparison of two selected slots and the identity editor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "examples/card_builder.h"
#include "slots/operations.h"
#include "tests/slots/test_port.h"

namespace selvane {
namespace {

using demo::CardBuilder;
using testkit::ListedPane;
using testkit::TestPort;

std::size_t EntryAt(const Pane& pane, int slot) { return *PaneDataOffset(pane) + SlotEntryOffset(slot); }
std::string EntryText(const Pane& pane, int slot, std::size_t from, std::size_t length) {
  return std::string(pane.image.begin() + static_cast<std::ptrdiff_t>(EntryAt(pane, slot) + from),
                     pane.image.begin() + static_cast<std::ptrdiff_t>(EntryAt(pane, slot) + from + length));
}
bool ChecksumValid(const Pane& pane, int slot) {
  const Bytes entry = Bytes(pane.image).subspan(EntryAt(pane, slot), kFrameSize);
  std::uint8_t x = 0;
  for (std::size_t i = 0; i < 127; ++i) x = static_cast<std::uint8_t>(x ^ entry[i]);
  return x == entry[127];
}

struct CompareSlotsTest : ::testing::Test {
  // The same 3-block save on both cards, in different slots and containers.
  Pane left =
      ListedPane(CardBuilder().AddSave(2, 3, "SAME", "SLUS-00500", 'A', false, 8).Build(Format::Gme), Format::Gme, 0);
  Pane right =
      ListedPane(CardBuilder().AddSave(9, 3, "SAME", "SLES-00999", 'E', true, 8).Build(Format::Psx), Format::Psx, 1);
  TestPort port;

  std::vector<std::string> Compare(int line0, int line1) {
    left.selected = line0;
    right.selected = line1;
    port.Clear();
    CompareSlots(left, right, port);
    return port.MessageTexts();
  }
};

TEST_F(CompareSlotsTest, OnlyTheSelectedSaveBlocksAreCompared) {
  // Entries differ (game ID, region, deleted mark); blocks are equal.
  EXPECT_EQ(Compare(1, 8), std::vector<std::string>{"Slots are IDENTICAL!"});
  EXPECT_EQ(port.messages()[0].icon, MessageIcon::Information);
  // Blocks of link entries are not part of the first block's comparison.
  left.image[*PaneDataOffset(left) + SaveBlockOffset(3) + 100] ^= 1;
  EXPECT_EQ(Compare(1, 8), std::vector<std::string>{"Slots are IDENTICAL!"});
  EXPECT_EQ(Compare(2, 9), std::vector<std::string>{"Slots are the DIFFERENT!!"});
  EXPECT_EQ(port.messages()[0].icon, MessageIcon::Exclamation);
}

TEST_F(CompareSlotsTest, OneDifferentByteAnywhereInTheBlockIsDifferent) {
  for (std::size_t at : {std::size_t{0}, std::size_t{4321}, kBlockSize - 1}) {
    right.image[*PaneDataOffset(right) + SaveBlockOffset(9) + at] ^= 0x80;
    EXPECT_EQ(Compare(1, 8), std::vector<std::string>{"Slots are the DIFFERENT!!"}) << at;
    right.image[*PaneDataOffset(right) + SaveBlockOffset(9) + at] ^= 0x80;
  }
  EXPECT_EQ(Compare(1, 8), std::vector<std::string>{"Slots are IDENTICAL!"});
}

TEST_F(CompareSlotsTest, MissingSelectionNamesThePaneThatNeedsTheFocus) {
  const CardImage leftBefore = left.image;
  left.selected = -1;
  right.selected = -1;
  EXPECT_EQ(CompareSlots(left, right, port), 0);
  EXPECT_EQ(port.MessageTexts(), std::vector<std::string>{"Select a slot in Memory Card 1"});
  left.selected = 1;
  port.Clear();
  EXPECT_EQ(CompareSlots(left, right, port), 1);
  EXPECT_EQ(port.MessageTexts(), std::vector<std::string>{"Select a slot in Memory Card 2"});
  right.selected = 8;
  EXPECT_EQ(CompareSlots(left, right, port), -1);
  EXPECT_EQ(left.image, leftBefore);
  EXPECT_EQ(left.selected, 1);
  EXPECT_FALSE(left.cardModified || right.cardModified);
}

TEST_F(CompareSlotsTest, ABlockCutShortByTheEndOfItsImageIsDifferent) {
  right.image.resize(*PaneDataOffset(right) + SaveBlockOffset(9) + 8000);
  EXPECT_EQ(Compare(1, 8), std::vector<std::string>{"Slots are the DIFFERENT!!"});
}

TEST_F(CompareSlotsTest, UnsupportedFormatIsReportedOnce) {
  left.cardFormat = ".bin";
  right.cardFormat = ".txt";
  EXPECT_EQ(Compare(1, 8), std::vector<std::string>{"Memory card format not supported"});
}

// A 3-block save in slots 3-5 whose first entry reads region "E" and ID "ABCD-01234".
struct EditSlotTest : ::testing::Test {
  Pane pane = ListedPane(CardBuilder().AddSave(3, 3, "EDIT ME", "ABCD-01234", 'E').Build(Format::Mcr), Format::Mcr);
  TestPort port;
};

TEST_F(EditSlotTest, WalksBackToTheFirstEntryAndReadsItsIdentity) {
  pane.selected = 3;
  const auto identity = BeginEditSlot(pane, port);
  ASSERT_TRUE(identity);
  EXPECT_EQ(identity->line, 2);
  EXPECT_EQ(pane.selected, 2);
  EXPECT_EQ(identity->region, 1);
  EXPECT_EQ(identity->id, "ABCD-01234");
  EXPECT_EQ(identity->caption, "Slot 3 - 03  EDIT ME");
  EXPECT_TRUE(port.messages().empty());
}

TEST_F(EditSlotTest, WritesRegionIdAndChecksumOfTheFirstEntryOnly) {
  const CardImage before = pane.image;
  pane.selected = 4;
  const auto identity = BeginEditSlot(pane, port);
  ASSERT_TRUE(identity);
  std::string typed = "wxyz-00001";
  for (char& c : typed) c = GameIdKey(c);
  ApplyEditSlot(pane, *identity, 0, typed);

  EXPECT_EQ(EntryText(pane, 3, 11, 11), "AWXYZ-00001");
  EXPECT_TRUE(ChecksumValid(pane, 3));
  EXPECT_TRUE(pane.cardModified);
  for (std::size_t i = 0; i < pane.image.size(); ++i) {
    if (i == 384 + 11 || (i >= 384 + 12 && i <= 384 + 21) || i == 384 + 127) continue;
    ASSERT_EQ(pane.image[i], before[i]) << i;
  }
  EXPECT_EQ(pane.lines[2], "03  EDIT ME");  // the list is not rebuilt
}

TEST_F(EditSlotTest, ShortIdReplacesOnlyItsOwnBytesAndALongOneIsCut) {
  const auto identity = [&] {
    pane.selected = 2;
    return *BeginEditSlot(pane, port);
  };
  ApplyEditSlot(pane, identity(), std::nullopt, "WXYZ");
  EXPECT_EQ(EntryText(pane, 3, 11, 11), "EWXYZ-01234");
  const std::uint8_t after = pane.image[EntryAt(pane, 3) + 22];
  ApplyEditSlot(pane, identity(), 2, "ABCDEFGHIJKLMN");
  EXPECT_EQ(EntryText(pane, 3, 11, 11), "IABCDEFGHIJ");
  EXPECT_EQ(pane.image[EntryAt(pane, 3) + 22], after);
  EXPECT_TRUE(ChecksumValid(pane, 3));
}

TEST_F(EditSlotTest, EmptyIdOrNoLineChangesNothing) {
  const CardImage before = pane.image;
  pane.selected = 2;
  const auto identity = BeginEditSlot(pane, port);
  ApplyEditSlot(pane, *identity, 0, "");
  SlotIdentity header = *identity;
  header.line = -1;  // would be the card's header frame
  ApplyEditSlot(pane, header, 0, "SLUS-99999");
  EXPECT_EQ(pane.image, before);
  EXPECT_FALSE(pane.cardModified);
}

TEST_F(EditSlotTest, RefusesWithoutSelectionOrSupportedFormat) {
  EXPECT_FALSE(BeginEditSlot(pane, port));
  pane.selected = 2;
  pane.cardFormat = ".bin";
  EXPECT_FALSE(BeginEditSlot(pane, port));
  EXPECT_EQ(port.MessageTexts(), (std::vector<std::string>{"Select a slot", "Memory card format not supported"}));
}

TEST(EditSlot, FreeEntryKeepsItsStatusAndIdEndsAtAZeroByte) {
  TestPort port;
  CardBuilder builder;
  builder.Raw()[SlotEntryOffset(6) + 11] = 'a';  // a lower-case letter is no region
  builder.Raw()[SlotEntryOffset(6) + 12] = 'Q';
  builder.Raw()[SlotEntryOffset(6) + 14] = 'R';
  Pane pane = ListedPane(builder.Build(Format::Mem), Format::Mem);
  pane.selected = 5;
  const auto identity = BeginEditSlot(pane, port);
  ASSERT_TRUE(identity);
  EXPECT_EQ(identity->region, std::nullopt);
  EXPECT_EQ(identity->id, "Q");
  ApplyEditSlot(pane, *identity, std::nullopt, "SLPS-00123");
  EXPECT_EQ(pane.image[EntryAt(pane, 6)], 0xA0);
  EXPECT_EQ(EntryText(pane, 6, 11, 11), "aSLPS-00123");
  EXPECT_TRUE(ChecksumValid(pane, 6));
}

TEST(EditSlot, GameIdKeyRaisesOnlyLowerCaseLetters) {
  EXPECT_EQ(GameIdKey('a'), 'A');
  EXPECT_EQ(GameIdKey('z'), 'Z');
  EXPECT_EQ(GameIdKey('Q'), 'Q');
  EXPECT_EQ(GameIdKey('-'), '-');
  EXPECT_EQ(GameIdKey('{'), '{');
  EXPECT_EQ(GameIdKey('`'), '`');
}

}  // namespace
}  // namespace selvane
