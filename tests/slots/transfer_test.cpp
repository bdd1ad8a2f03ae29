// Copy and move of a save between the cards of two panes.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
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

std::size_t Offset(const Pane& pane) { return *PaneDataOffset(pane); }
ByteVector EntryOf(const Pane& pane, int slot) {
  const Bytes e = Bytes(pane.image).subspan(Offset(pane) + SlotEntryOffset(slot), kFrameSize);
  return {e.begin(), e.end()};
}
ByteVector BlockOf(const Pane& pane, int slot) {
  const Bytes b = Bytes(pane.image).subspan(Offset(pane) + SaveBlockOffset(slot), kBlockSize);
  return {b.begin(), b.end()};
}
// The entry as it should land when its save's next block went to slot `next` (0 for the last).
ByteVector Relinked(ByteVector entry, int next) {
  const std::uint16_t value = next == 0 ? 0xFFFF : static_cast<std::uint16_t>(next - 1);
  entry[8] = static_cast<std::uint8_t>(value & 0xFF);
  entry[9] = static_cast<std::uint8_t>(value >> 8);
  std::uint8_t x = 0;
  for (std::size_t i = 0; i < 127; ++i) x = static_cast<std::uint8_t>(x ^ entry[i]);
  entry[127] = x;
  return entry;
}
// Every byte of `after` outside the entries and blocks of `slots` equals `before`.
void ExpectOnlySlotsChanged(const Pane& before, const Pane& after, std::initializer_list<int> slots) {
  ASSERT_EQ(before.image.size(), after.image.size());
  ByteVector a = before.image;
  ByteVector b = after.image;
  for (int slot : slots) {
    for (ByteVector* v : {&a, &b}) {
      std::fill_n(v->begin() + static_cast<std::ptrdiff_t>(Offset(before) + SlotEntryOffset(slot)), kFrameSize, 0);
      std::fill_n(v->begin() + static_cast<std::ptrdiff_t>(Offset(before) + SaveBlockOffset(slot)), kBlockSize, 0);
    }
  }
  EXPECT_TRUE(a == b);
}

// A one-block save on line 2 of a .mem card into a .mcr card whose lines 0 and 1 are taken.
struct SingleBlockCopy : ::testing::Test {
  Pane source = ListedPane(CardBuilder()
                               .AddSave(1, 1, "ONE", "SLUS-00001", 'A', false, 1)
                               .AddSave(3, 1, "THREE", "SLES-00003", 'E', false, 3)
                               .Build(Format::Mem),
                           Format::Mem, 0);
  Pane target =
      ListedPane(CardBuilder().AddSave(1, 2, "OLD", "SLUS-00010", 'A', false, 9).Build(Format::Mcr), Format::Mcr, 1);
  TestPort port;
};

TEST_F(SingleBlockCopy, WritesFrameAndBlockAtEachCardsOwnOffsets) {
  const Pane sourceBefore = source;
  const Pane targetBefore = target;
  source.selected = 2;
  CopySlot(source, target, false, port);

  EXPECT_TRUE(port.messages().empty());
  EXPECT_TRUE(std::equal(target.image.begin() + 384, target.image.begin() + 512, source.image.begin() + 448));
  EXPECT_TRUE(std::equal(target.image.begin() + 24576, target.image.begin() + 32768, source.image.begin() + 24640));
  ExpectOnlySlotsChanged(targetBefore, target, {3});
  EXPECT_EQ(source.image, sourceBefore.image);
  EXPECT_TRUE(target.cardModified);
  EXPECT_FALSE(source.cardModified);
  EXPECT_EQ(source.selected, 3);
  EXPECT_EQ(target.selected, -1);
  EXPECT_EQ(target.lines[2], "03  THREE");
}

TEST_F(SingleBlockCopy, MoveFreesTheSourceSlotAfterwards) {
  const ByteVector landed(source.image.begin() + 448, source.image.begin() + 576);
  source.selected = 2;
  CopySlot(source, target, true, port);

  ByteVector free(128, 0);
  free[0] = 0xA0;
  free[127] = 0xA0;
  EXPECT_EQ(ByteVector(source.image.begin() + 448, source.image.begin() + 576), free);
  EXPECT_TRUE(std::all_of(source.image.begin() + 24640, source.image.begin() + 32832, [](auto b) { return b == 0; }));
  EXPECT_EQ(ByteVector(target.image.begin() + 384, target.image.begin() + 512), landed);
  EXPECT_TRUE(source.cardModified);
  EXPECT_TRUE(target.cardModified);
  EXPECT_EQ(source.lines[2], "03");
  EXPECT_EQ(source.selected, -1);
  EXPECT_EQ(target.selected, -1);
}

TEST_F(SingleBlockCopy, NoSourceSelectionAsksNothingAndChangesNothing) {
  const Pane targetBefore = target;
  for (int targetLine : {-1, 0}) {
    target.selected = targetLine;
    CopySlot(source, target, true, port);
    EXPECT_EQ(port.MessageTexts(), std::vector<std::string>{"Select the slot to copy."});
    EXPECT_TRUE(port.questions().empty());
    EXPECT_EQ(target.image, targetBefore.image);
    EXPECT_FALSE(source.cardModified || target.cardModified);
    port.Clear();
  }
}

TEST_F(SingleBlockCopy, ReplaceAnsweredYesOverwritesOnlyTheSelectedLine) {
  const Pane targetBefore = target;
  source.selected = 2;
  target.selected = 0;
  port.Answering({Answer::Yes});
  CopySlot(source, target, false, port);

  ASSERT_EQ(port.questions().size(), 1u);
  EXPECT_EQ(port.questions()[0].text, "Do you want to replace 'OLD'?");
  EXPECT_EQ(port.questions()[0].buttons, Buttons::YesNo);
  EXPECT_EQ(port.questions()[0].defaultAnswer, Answer::No);
  EXPECT_EQ(EntryOf(target, 1), EntryOf(source, 3));
  EXPECT_EQ(BlockOf(target, 1), BlockOf(source, 3));
  ExpectOnlySlotsChanged(targetBefore, target, {1});
  EXPECT_EQ(target.lines[1], "02  Linked Slot 1");  // the old save's link keeps its line
}

TEST_F(SingleBlockCopy, ReplaceAnsweredNoTakesTheFirstFreeLine) {
  const Pane targetBefore = target;
  source.selected = 2;
  target.selected = 1;
  port.Answering({Answer::No});
  CopySlot(source, target, false, port);

  ASSERT_EQ(port.questions().size(), 1u);
  EXPECT_EQ(port.questions()[0].text, "Do you want to replace 'Linked Slot 1'?");
  EXPECT_EQ(EntryOf(target, 3), EntryOf(source, 3));
  ExpectOnlySlotsChanged(targetBefore, target, {3});
}

TEST(CopySlot, ReplaceDeclinedOnAFullCardChangesNeitherCard) {
  TestPort port;
  Pane source = ListedPane(CardBuilder().AddSave(1, 1, "A").Build(Format::Mcr), Format::Mcr, 0);
  Pane target = ListedPane(CardBuilder().AddSave(1, 15, "FULL").Build(Format::Gme), Format::Gme, 1);
  const Pane sourceBefore = source;
  const Pane targetBefore = target;
  source.selected = 0;
  target.selected = 4;
  port.Answering({Answer::No});
  CopySlot(source, target, true, port);
  EXPECT_EQ(port.MessageTexts(), std::vector<std::string>{"The memory card is full."});
  EXPECT_EQ(port.questions().at(0).text, "Do you want to replace 'Linked Slot 4'?");
  EXPECT_EQ(source.image, sourceBefore.image);
  EXPECT_EQ(target.image, targetBefore.image);
  EXPECT_FALSE(source.cardModified || target.cardModified);
}

TEST(CopySlot, TooFewFreeLinesRefusesTheWholeSave) {
  TestPort port;
  Pane source = ListedPane(CardBuilder().AddSave(4, 3, "THREE").Build(Format::Psx), Format::Psx, 0);
  Pane target = ListedPane(CardBuilder().AddSave(1, 13, "BIG").Build(Format::Mem), Format::Mem, 1);
  const Pane sourceBefore = source;
  const Pane targetBefore = target;
  for (bool move : {false, true}) {
    source.selected = 4;
    CopySlot(source, target, move, port);
    EXPECT_EQ(port.MessageTexts(), std::vector<std::string>{"The memory card is full."});
    EXPECT_EQ(source.image, sourceBefore.image);
    EXPECT_EQ(target.image, targetBefore.image);
    EXPECT_FALSE(source.cardModified || target.cardModified);
    EXPECT_EQ(source.selected, 3);  // the walk back to the first block happened
    port.Clear();
  }
  // A replace confirmed on an occupied line counts as one more line: then the save fits.
  source.selected = 3;
  target.selected = 0;
  port.Answering({Answer::Yes});
  CopySlot(source, target, false, port);
  EXPECT_TRUE(port.messages().empty());
  EXPECT_EQ(BlockOf(target, 1), BlockOf(source, 4));
  EXPECT_EQ(BlockOf(target, 14), BlockOf(source, 5));
  EXPECT_EQ(BlockOf(target, 15), BlockOf(source, 6));
}

TEST(CopySlot, WalksBackFromALinkAndRelinksWhereTheBlocksLand) {
  TestPort port;
  // Source lines 4-6 hold a 3-block save; target lines 0 and 2 are taken, so it lands on 1, 3, 4.
  Pane source = ListedPane(
      CardBuilder().AddSave(5, 3, "SAVE", "SCUS-94455", 'A', false, 5).AddSave(8, 1, "NEXT").Build(Format::Mcr),
      Format::Mcr, 0);
  Pane target = ListedPane(CardBuilder().AddSave(1, 1, "X").AddSave(3, 1, "Y").Build(Format::Ddf), Format::Ddf, 1);
  const Pane targetBefore = target;
  source.selected = 5;
  CopySlot(source, target, false, port);

  EXPECT_EQ(EntryOf(target, 2), Relinked(EntryOf(source, 5), 4));
  EXPECT_EQ(EntryOf(target, 4), Relinked(EntryOf(source, 6), 5));
  EXPECT_EQ(EntryOf(target, 5), Relinked(EntryOf(source, 7), 0));
  EXPECT_EQ(EntryOf(target, 2)[8], 3);  // NextSlot: slot 4, less one
  EXPECT_EQ(EntryOf(target, 4)[8], 4);
  EXPECT_EQ(EntryOf(target, 5)[8], 0xFF);
  EXPECT_EQ(BlockOf(target, 2), BlockOf(source, 5));
  EXPECT_EQ(BlockOf(target, 4), BlockOf(source, 6));
  EXPECT_EQ(BlockOf(target, 5), BlockOf(source, 7));
  ExpectOnlySlotsChanged(targetBefore, target, {2, 4, 5});
  EXPECT_EQ(source.selected, 7);  // the line below the save's last block
  EXPECT_EQ(target.lines[1], "02  SAVE");
  EXPECT_EQ(target.lines[3], "04  Linked Slot 3");
}

TEST(CopySlot, SelectedFreeLineTakesTheFirstBlockAndTheRestGoFromTheTop) {
  TestPort port;
  Pane source = ListedPane(CardBuilder().AddSave(14, 2, "LAST").Build(Format::Mcd), Format::Mcd, 0);
  Pane target = ListedPane(CardBuilder().AddSave(1, 1, "X").AddSave(3, 1, "Y").Build(Format::Ps), Format::Ps, 1);
  source.selected = 13;
  target.selected = 5;
  CopySlot(source, target, false, port);

  EXPECT_EQ(EntryOf(target, 6), Relinked(EntryOf(source, 14), 2));
  EXPECT_EQ(EntryOf(target, 2), Relinked(EntryOf(source, 15), 0));
  EXPECT_EQ(BlockOf(target, 2), BlockOf(source, 15));
  EXPECT_EQ(source.selected, 14);  // the save ends on the last line: the selection stays there
}

TEST(CopySlot, FramesThatNeedNoRelinkAndFreeFramesTravelByteForByte) {
  TestPort port;
  CardBuilder builder;
  builder.AddSave(2, 2, "SAME");
  builder.Raw()[SlotEntryOffset(2) + 127] ^= 0x55;  // a wrong checksum stays as it is
  builder.Raw()[SlotEntryOffset(9) + 8] = 0x07;     // a free entry with stray bytes
  builder.Raw()[SlotEntryOffset(9) + 127] = 0x42;
  Pane source = ListedPane(builder.Build(Format::Mcr), Format::Mcr, 0);
  Pane target = ListedPane(CardBuilder().AddSave(1, 1, "X").Build(Format::Mcr), Format::Mcr, 1);

  source.selected = 2;  // the save's link: walks back to line 1; lands on slots 2 and 3 as in the source
  CopySlot(source, target, false, port);
  EXPECT_EQ(EntryOf(target, 2), EntryOf(source, 2));
  EXPECT_EQ(EntryOf(target, 3), EntryOf(source, 3));

  source.selected = 8;
  CopySlot(source, target, false, port);
  EXPECT_EQ(EntryOf(target, 4), EntryOf(source, 9));
  EXPECT_TRUE(port.messages().empty());
}

TEST(CopySlot, DeletedSaveTravelsWholeFromAnyOfItsLines) {
  TestPort port;
  Pane source =
      ListedPane(CardBuilder().AddSave(2, 3, "GONE", "SLUS-00042", 'A', true).Build(Format::Mcr), Format::Mcr, 0);
  Pane target = ListedPane(CardBuilder().Build(Format::Mem), Format::Mem, 1);
  source.selected = 3;
  CopySlot(source, target, false, port);

  EXPECT_EQ(EntryOf(target, 1), Relinked(EntryOf(source, 2), 2));
  EXPECT_EQ(EntryOf(target, 2), Relinked(EntryOf(source, 3), 3));
  EXPECT_EQ(EntryOf(target, 3), Relinked(EntryOf(source, 4), 0));
  EXPECT_EQ((std::vector<std::string>(target.lines.begin(), target.lines.begin() + 3)),
            (std::vector<std::string>{"01 -del- GONE", "02 -del- Linked Slot 1", "03 -del- Linked Slot 2"}));
}

TEST(CopySlot, InUseSaveWithoutTitleIsNotTakenForAFreeLine) {
  TestPort port;
  Pane source = ListedPane(CardBuilder().AddSave(1, 1, "A").Build(Format::Mcr), Format::Mcr, 0);
  Pane target = ListedPane(CardBuilder().AddSave(1, 1, "").Build(Format::Mcr), Format::Mcr, 1);
  ASSERT_EQ(target.lines[0], "01");
  const ByteVector untitled = EntryOf(target, 1);
  source.selected = 0;
  CopySlot(source, target, false, port);
  EXPECT_EQ(EntryOf(target, 1), untitled);
  EXPECT_EQ(EntryOf(target, 2), EntryOf(source, 1));

  source.selected = 0;
  target.selected = 0;
  port.Answering({Answer::No});
  CopySlot(source, target, false, port);
  EXPECT_EQ(port.questions().at(0).text, "Do you want to replace ''?");
  EXPECT_EQ(EntryOf(target, 1), untitled);
}

TEST(CopySlot, UnsupportedFormatOfEitherPaneChangesNothing) {
  TestPort port;
  Pane good = ListedPane(CardBuilder().AddSave(1, 1, "A").Build(Format::Mcr), Format::Mcr, 0);
  Pane noCard;  // a .gme with no raw card in it
  noCard.index = 1;
  noCard.path = "card.gme";
  noCard.cardFormat = ".gme";
  noCard.image.assign(200000, 0);
  noCard.lines.assign(15, "01");
  good.selected = 0;
  noCard.selected = 0;
  const Pane goodBefore = good;
  CopySlot(good, noCard, true, port);
  CopySlot(noCard, good, true, port);
  EXPECT_EQ(port.MessageTexts(), (std::vector<std::string>(2, "Memory card format not supported")));
  EXPECT_EQ(good.image, goodBefore.image);
  EXPECT_TRUE(std::all_of(noCard.image.begin(), noCard.image.end(), [](auto b) { return b == 0; }));
  EXPECT_FALSE(good.cardModified || noCard.cardModified);
}

TEST(CopySlot, ShortImagesAreClippedAndKeepTheirLength) {
  TestPort port;
  CardImage shortSource = CardBuilder().AddSave(1, 1, "A", "SLUS-00001", 'A', false, 4).Build(Format::Mcr);
  shortSource.resize(SaveBlockOffset(1) + 300);
  CardImage shortTarget = CardBuilder().Build(Format::Mcr);
  shortTarget.resize(SaveBlockOffset(2) + 100);
  const CardImage targetBefore = shortTarget;
  Pane source = ListedPane(shortSource, Format::Mcr, 0);
  Pane target = ListedPane(shortTarget, Format::Mcr, 1);

  source.selected = 0;
  CopySlot(source, target, false, port);  // lands on slot 1: 300 bytes of the block exist to copy
  ASSERT_EQ(target.image.size(), targetBefore.size());
  EXPECT_TRUE(std::equal(source.image.begin() + 8192, source.image.end(), target.image.begin() + 8192));
  EXPECT_TRUE(std::equal(target.image.begin() + 8192 + 300, target.image.end(), targetBefore.begin() + 8192 + 300));

  source.selected = 0;
  CopySlot(source, target, true, port);  // slot 2's block is cut to 100 bytes; the move frees what exists
  EXPECT_EQ(target.image.size(), targetBefore.size());
  EXPECT_EQ(source.image.size(), SaveBlockOffset(1) + 300);
  EXPECT_TRUE(std::all_of(source.image.begin() + 8192, source.image.end(), [](auto b) { return b == 0; }));
}

// A generated multi-block save copied into a card of every format, compared, and copied back.
class TransferAcrossFormats : public ::testing::TestWithParam<std::tuple<Format, Format>> {};

TEST_P(TransferAcrossFormats, ChainFollowsTheLandedBlocksAndComesBackUnchanged) {
  const auto [from, to] = GetParam();
  TestPort port;
  Pane source = ListedPane(CardBuilder()
                               .AddSave(1, 5, "FIRST", "SLUS-00100", 'A', false, 2)
                               .AddSave(6, 4, "GENERATED", "SLES-01234", 'E', false, 7)
                               .Build(from),
                           from, 0);
  Pane target = ListedPane(CardBuilder().AddSave(1, 1, "P").AddSave(2, 1, "Q").Build(to), to, 1);
  const Pane sourceBefore = source;
  const Pane targetBefore = target;

  source.selected = 8;
  CopySlot(source, target, false, port);
  ASSERT_TRUE(port.messages().empty());
  const int landed[] = {3, 4, 5, 6};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(EntryOf(target, landed[i]), Relinked(EntryOf(source, 6 + i), i < 3 ? landed[i + 1] : 0)) << i;
    EXPECT_EQ(BlockOf(target, landed[i]), BlockOf(source, 6 + i)) << i;
  }
  ExpectOnlySlotsChanged(targetBefore, target, {3, 4, 5, 6});
  EXPECT_EQ(source.image, sourceBefore.image);

  source.selected = 5;
  target.selected = 2;
  CompareSlots(source, target, port);
  EXPECT_EQ(port.MessageTexts(), std::vector<std::string>{"Slots are IDENTICAL!"});

  // Moved back into a card of the source's format whose first five slots are taken, the save
  // lands on slots 6-9 again and every byte is as it was.
  Pane back = ListedPane(CardBuilder().AddSave(1, 5, "FIRST", "SLUS-00100", 'A', false, 2).Build(from), from, 0);
  target.selected = 4;  // a link of the landed save: the walk back finds its first block
  CopySlot(target, back, true, port);
  EXPECT_EQ(back.image, sourceBefore.image);
  EXPECT_EQ(target.image, targetBefore.image);
}

INSTANTIATE_TEST_SUITE_P(AllFormatPairs, TransferAcrossFormats,
                         ::testing::Combine(::testing::ValuesIn(kAllFormats), ::testing::ValuesIn(kAllFormats)),
                         [](const auto& param) {
                           return std::string(FormatExtension(std::get<0>(param.param))) + "_to_" +
                                  std::string(FormatExtension(std::get<1>(param.param)));
                         });

}  // namespace
}  // namespace selvane
