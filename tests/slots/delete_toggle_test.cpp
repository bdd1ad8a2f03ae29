// Delete, Clear All and the deleted-mark toggle.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "examples/card_builder.h"
#include "slots/operations.h"
#include "tests/slots/test_port.h"

namespace selvane {
namespace {

using demo::CardBuilder;
using testkit::ListedPane;
using testkit::TestPort;
using ByteVector = std::vector<std::uint8_t>;

std::uint8_t StatusOf(const Pane& pane, int slot) { return pane.image[*PaneDataOffset(pane) + SlotEntryOffset(slot)]; }
std::uint8_t ChecksumOf(const Pane& pane, int slot) {
  return pane.image[*PaneDataOffset(pane) + SlotEntryOffset(slot) + 127];
}
ByteVector FreeFrame() {
  ByteVector free(128, 0);
  free[0] = 0xA0;
  free[127] = 0xA0;
  return free;
}

TEST(DeleteSlot, WritesTheFreeEntryAndZerosTheBlockOfTheSelectedSlotOnly) {
  TestPort port;
  Pane pane = ListedPane(CardBuilder().AddSave(1, 15, "ALL").Build(Format::Mem), Format::Mem);
  const CardImage before = pane.image;
  pane.selected = 2;
  DeleteSlot(pane, port);

  EXPECT_EQ(ByteVector(pane.image.begin() + 448, pane.image.begin() + 576), FreeFrame());
  EXPECT_TRUE(std::all_of(pane.image.begin() + 24640, pane.image.begin() + 32832, [](auto b) { return b == 0; }));
  EXPECT_TRUE(std::equal(pane.image.begin(), pane.image.begin() + 448, before.begin()));
  EXPECT_TRUE(std::equal(pane.image.begin() + 576, pane.image.begin() + 24640, before.begin() + 576));
  EXPECT_TRUE(std::equal(pane.image.begin() + 32832, pane.image.end(), before.begin() + 32832));
  EXPECT_TRUE(pane.cardModified);
  EXPECT_EQ(pane.lines[2], "03");
  EXPECT_EQ(pane.lines[3], "04  Linked Slot 3");  // the links below stay
  EXPECT_EQ(StatusOf(pane, 4), 0x52);
  EXPECT_EQ(pane.selected, -1);
  EXPECT_TRUE(port.messages().empty());
}

TEST(DeleteSlot, WithoutSelectionDoesNothingAndSaysNothing) {
  TestPort port;
  Pane pane = ListedPane(CardBuilder().AddSave(1, 2, "A").Build(Format::Gme), Format::Gme);
  const CardImage before = pane.image;
  DeleteSlot(pane, port);
  EXPECT_EQ(pane.image, before);
  EXPECT_FALSE(pane.cardModified);
  EXPECT_TRUE(port.messages().empty());
}

TEST(DeleteSlot, APaneWithoutACardIsNotMarkedModified) {
  TestPort port;
  Pane empty = ListedPane(CardImage(), Format::Mcr);  // a file that could not be read
  Pane card = ListedPane(CardBuilder().Build(Format::Mcr), Format::Mcr, 1);
  empty.selected = 3;
  DeleteSlot(empty, port);
  ClearAllSlots(empty, port);
  empty.selected = 3;
  CopySlot(empty, card, true, port);
  EXPECT_TRUE(empty.image.empty());
  EXPECT_FALSE(empty.cardModified || card.cardModified);
  EXPECT_EQ(card.image, CardBuilder().Build(Format::Mcr));
  EXPECT_TRUE(port.messages().empty());
}

class ClearAllSlotsInFormat : public ::testing::TestWithParam<Format> {};

TEST_P(ClearAllSlotsInFormat, FreesEveryEntryAndZerosEveryBlockButNothingElse) {
  TestPort port;
  CardBuilder builder;
  builder.AddSave(1, 6, "SIX").AddSave(7, 9, "NINE", "SCES-00900", 'E', true);
  builder.Raw()[2048] = 0x5A;  // the rest of block 0 is left alone
  Pane pane = ListedPane(builder.Build(GetParam()), GetParam());
  // What is left is an empty card in the same container, with block 0's rest as it was.
  CardBuilder empty;
  empty.Raw()[2048] = 0x5A;
  pane.selected = 4;
  ClearAllSlots(pane, port);
  EXPECT_EQ(pane.image, empty.Build(GetParam()));
  EXPECT_TRUE(pane.cardModified);
  EXPECT_EQ(pane.lines[14], "15");
  EXPECT_EQ(pane.selected, -1);
  EXPECT_TRUE(port.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(AllFormats, ClearAllSlotsInFormat, ::testing::ValuesIn(kAllFormats),
                         [](const auto& param) { return std::string(FormatExtension(param.param)); });

TEST(ClearAllSlots, EmptyListChangesNothing) {
  TestPort port;
  Pane pane;
  pane.path = "card.mcr";
  pane.image = CardBuilder().AddSave(1, 1, "A").Build(Format::Mcr);
  pane.cardFormat = ".mcr";
  const CardImage before = pane.image;
  ClearAllSlots(pane, port);
  EXPECT_EQ(pane.image, before);
  EXPECT_FALSE(pane.cardModified);
  EXPECT_EQ(pane.lines.size(), 15u);  // the final rebuild ran
}

TEST(ClearAllSlots, UnsupportedFormatShowsTheMessageForEveryLineAndTheRebuild) {
  TestPort port;
  Pane pane;
  pane.path = "card.bin";
  pane.image = CardBuilder().AddSave(1, 1, "A").Build(Format::Mcr);
  pane.lines.assign(15, "01");
  RefreshSlots(pane, port);
  port.Clear();
  const CardImage before = pane.image;
  ClearAllSlots(pane, port);
  EXPECT_EQ(port.MessageTexts(), std::vector<std::string>(16, "Memory card format not supported"));
  EXPECT_EQ(pane.image, before);
  EXPECT_FALSE(pane.cardModified);
}

TEST(ToggleDeleted, FlipsTheWholeSaveFromAnyLineAndBackAgain) {
  for (int line : {3, 4, 5}) {
    TestPort port;
    Pane pane = ListedPane(CardBuilder().AddSave(4, 3, "TRIO", "SLUS-00777").AddSave(7, 1, "SOLO").Build(Format::Psx),
                           Format::Psx);
    const CardImage before = pane.image;
    const std::uint8_t sums[] = {ChecksumOf(pane, 4), ChecksumOf(pane, 5), ChecksumOf(pane, 6)};
    pane.selected = line;
    ToggleDeleted(pane, port);

    EXPECT_EQ(StatusOf(pane, 4), 0xA1);
    EXPECT_EQ(StatusOf(pane, 5), 0xA2);
    EXPECT_EQ(StatusOf(pane, 6), 0xA3);
    EXPECT_EQ(StatusOf(pane, 7), 0x51);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ChecksumOf(pane, 4 + i), sums[i] ^ 0xF0);
    EXPECT_EQ(
        (std::vector<std::string>(pane.lines.begin() + 3, pane.lines.begin() + 7)),
        (std::vector<std::string>{"04 -del- TRIO", "05 -del- Linked Slot 4", "06 -del- Linked Slot 5", "07  SOLO"}));
    EXPECT_TRUE(pane.cardModified);

    pane.selected = 3 + (line - 2) % 3;  // another line of the same save
    ToggleDeleted(pane, port);
    EXPECT_EQ(pane.image, before);
    EXPECT_TRUE(port.messages().empty());
  }
}

TEST(ToggleDeleted, FlipsOnlyTheSelectedOfTwoAdjacentSingleSaves) {
  TestPort port;
  Pane pane = ListedPane(CardBuilder().AddSave(2, 1, "A").AddSave(3, 1, "B").Build(Format::Mcr), Format::Mcr);
  pane.selected = 1;
  ToggleDeleted(pane, port);
  EXPECT_EQ(StatusOf(pane, 2), 0xA1);
  EXPECT_EQ(StatusOf(pane, 3), 0x51);
}

TEST(ToggleDeleted, WalksStopAtTheFirstAndLastSlot) {
  TestPort port;
  CardBuilder builder;
  builder.AddSave(13, 3, "END");
  builder.SetStatus(1, 0x53).SetStatus(2, 0x52);  // links with no first entry above them
  Pane pane = ListedPane(builder.Build(Format::Mcd), Format::Mcd);
  pane.selected = 14;
  ToggleDeleted(pane, port);
  EXPECT_EQ(StatusOf(pane, 13), 0xA1);
  EXPECT_EQ(StatusOf(pane, 15), 0xA3);

  pane.selected = 0;
  ToggleDeleted(pane, port);
  EXPECT_EQ(StatusOf(pane, 1), 0xA3);
  EXPECT_EQ(StatusOf(pane, 2), 0xA2);
  EXPECT_EQ(StatusOf(pane, 3), 0xA0);
  EXPECT_TRUE(port.messages().empty());
}

TEST(ToggleDeleted, RefusesWithoutSelectionOrWithoutASave) {
  TestPort port;
  CardBuilder builder;
  builder.AddSave(2, 1, "A").SetStatus(4, 0x11).SetStatus(5, 0x52);
  Pane pane = ListedPane(builder.Build(Format::Ddf), Format::Ddf);
  const CardImage before = pane.image;
  for (int line : {-1, 0, 3, 4}) {  // nothing, a free entry, an unknown status, a link below it
    pane.selected = line;
    ToggleDeleted(pane, port);
  }
  EXPECT_EQ(port.MessageTexts(), std::vector<std::string>(4, "Select a slot"));
  EXPECT_EQ(pane.image, before);
  EXPECT_FALSE(pane.cardModified);
}

}  // namespace
}  // namespace selvane
