// The slot operations on panes: transfer, delete, clear, the deleted-mark toggle, comparison and
// the identity edit.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "examples/card_builder.h"
#include "slots/operations.h"
#include "tests/slots/test_port.h"

namespace selvane::testkit {
namespace {

using demo::CardBuilder;
using Texts = std::vector<std::string>;

// Where slot n's entry and block are in a pane's file.
std::size_t EntryAt(const Pane& pane, int slot) { return *PaneDataOffset(pane) + SlotEntryOffset(slot); }
std::size_t BlockAt(const Pane& pane, int slot) { return *PaneDataOffset(pane) + SaveBlockOffset(slot); }

// `target` once the save in slots `from`.. of `source` has landed on slots `to`, in order: each
// frame's NextSlot names the next landed slot less one (0xFFFF for the last), its checksum redone.
CardImage WithLanded(const Pane& target, const Pane& source, int from, std::vector<int> to) {
  CardImage image = target.image;
  for (std::size_t i = 0; i < to.size(); ++i) {
    std::uint8_t* entry = image.data() + EntryAt(target, to[i]);
    std::copy_n(source.image.begin() + EntryAt(source, from + static_cast<int>(i)), 128, entry);
    WriteLe16(MutableBytes(entry, 128), kEntryNextSlot,
              i + 1 < to.size() ? static_cast<std::uint16_t>(to[i + 1] - 1) : kEndOfChain);
    entry[127] = FrameChecksum(Bytes(entry, 128));
    std::copy_n(source.image.begin() + BlockAt(source, from + static_cast<int>(i)), 8192,
                image.begin() + BlockAt(target, to[i]));
  }
  return image;
}

// The save lands on the selected target line: a free one without a question, a save's line once
// the replace question is answered Yes; answered No, it lands on the first free line.
TEST(CopySlot, LandsOnTheSelectedLineAndAsksBeforeReplacing) {
  const std::tuple<int, std::optional<Answer>, int> cases[] = {
      {0, Answer::Yes, 1}, {0, Answer::No, 3}, {4, std::nullopt, 5}};
  for (const auto& [line, answer, slot] : cases) {
    TestPort port;
    if (answer) port.Answering({*answer});
    Pane source = ListedPane(CardBuilder().AddSave(1, 1, "ONE").AddSave(3, 1, "THREE").Build(Format::Mem), Format::Mem);
    Pane target = ListedPane(CardBuilder().AddSave(1, 2, "OLD").Build(Format::Mcr), Format::Mcr, 1);
    const CardImage want = WithLanded(target, source, 3, {slot});  // Yes leaves the old save's link in slot 2
    source.selected = 2, target.selected = line;
    CopySlot(source, target, false, port);
    EXPECT_EQ(target.image, want) << line;
    if (!answer) continue;
    EXPECT_EQ(port.questions().at(0).text, "Do you want to replace 'OLD'?");
    EXPECT_EQ(port.questions().at(0).defaultAnswer, Answer::No);
  }
}

// Refusals change neither card: no line selected, or a save that does not fit whole. One target
// has two free lines, and declining to replace adds none; the other is a .gme image cut short,
// where a line whose entry or block lies past the end of the image takes no block.
TEST(CopySlot, RefusalsChangeNeitherCardAndAShortTargetTakesOnlyWholeLines) {
  CardImage shortImage = CardBuilder().Build(Format::Gme);
  shortImage.resize(kDexDriveHeaderSize + SaveBlockOffset(2));  // every entry, but only slot 1's block
  const Pane source = ListedPane(CardBuilder().AddSave(4, 3, "THREE").Build(Format::Psx), Format::Psx);
  const Pane big = ListedPane(CardBuilder().AddSave(1, 13, "BIG").Build(Format::Mem), Format::Mem, 1);
  Pane cut = ListedPane(shortImage, Format::Gme, 1);
  const std::tuple<int, const Pane*, int> cases[] = {
      {-1, &big, -1}, {-1, &big, 0}, {5, &big, -1}, {5, &big, 0}, {5, &cut, -1}};
  for (const auto& [sourceLine, target, targetLine] : cases) {
    TestPort port;
    if (sourceLine >= 0 && targetLine >= 0) port.Answering({Answer::No});
    Pane from = source, to = *target;
    from.selected = sourceLine, to.selected = targetLine;
    EXPECT_EQ(CopySlot(from, to, true, port), sourceLine < 0 ? Outcome::NoSelection : Outcome::CardFull);
    EXPECT_EQ(port.MessageTexts(), Texts{sourceLine < 0 ? "Select the slot to copy." : "The memory card is full."});
    EXPECT_TRUE(from.image == source.image && to.image == target->image);
    EXPECT_FALSE(from.cardModified || to.cardModified);
  }

  // A one-block save fits on slot 1, the short image's one whole line.
  TestPort port;
  Pane single = ListedPane(CardBuilder().AddSave(4, 1, "ONE").Build(Format::Mcr), Format::Mcr);
  const CardImage want = WithLanded(cut, single, 4, {1});
  single.selected = 3;
  CopySlot(single, cut, true, port);
  EXPECT_EQ(cut.image, want);
  EXPECT_EQ(cut.lines[0], "01  ONE");
}

// The first block goes to a line of the list as shown; each later block to the first free line of
// the list as rebuilt after the block before it. An Edit Slot leaves the list as it was, so the
// two can differ: here a deleted save whose game ID was edited away lists as a free line only once
// the list is rebuilt. A transfer never writes over a block it has just landed, even one that
// lists as free (a deleted first block without a game ID).
TEST(CopySlot, LaterBlocksFollowTheListAsRebuilt) {
  TestPort port;
  CardBuilder pairs, gone;
  pairs.AddSave(1, 2, "PAIR", "SLUS-00010").AddSave(3, 2, "NOID", "NO GAME ID", 'A', true);
  gone.AddSave(1, 1, "ONE").AddSave(2, 1, "GONE", "SLUS-00002", 'A', true);
  Pane source = ListedPane(pairs.Build(Format::Mem), Format::Mem),
       target = ListedPane(gone.Build(Format::Mcr), Format::Mcr, 1);
  ASSERT_EQ(target.lines[1], "02 -del- GONE");
  target.selected = 1;
  const auto identity = BeginEditSlot(target, port);
  ASSERT_TRUE(identity);
  ApplyEditSlot(target, *identity, std::nullopt, "EDITED-ID");
  target.selected = -1;
  ASSERT_EQ(target.lines[1], "02 -del- GONE");  // as shown: not free

  CardImage want = WithLanded(target, source, 1, {3, 2});
  source.selected = 0;
  CopySlot(source, target, false, port);
  EXPECT_EQ(target.image, want);

  // The deleted save's first block lists as free wherever it lands; its link still goes below it.
  want = WithLanded(target, source, 3, {4, 5});
  source.selected = 2;
  CopySlot(source, target, false, port);
  EXPECT_EQ(target.image, want);
  EXPECT_EQ(target.lines[3] + "|" + target.lines[4], "04|05 -del- Linked Slot 4");
  EXPECT_TRUE(port.MessageTexts().empty());
}

// A multi-block save copied into a card of the next format (in all pairs but .mcd to .mcr the raw
// cards start at different offsets), past a save in use whose title is empty (listed like a free
// slot), then moved back. Every other format carries it deleted.
class TransferAcrossFormats : public ::testing::TestWithParam<std::size_t> {};

TEST_P(TransferAcrossFormats, LandsRelinkedAndMovesBackUnchanged) {
  const auto formats = FormatTable();
  const Format from = formats[GetParam()].format, to = formats[(GetParam() + 1) % formats.size()].format;
  const bool deleted = GetParam() % 2 == 1;
  const CardBuilder five = CardBuilder().AddSave(1, 5, "FIRST", "SLUS-00100", 'A', false, 2);
  TestPort port;
  Pane source = ListedPane(CardBuilder(five).AddSave(6, 4, "MOVE", "SLES-01234", 'E', deleted).Build(from), from);
  Pane target = ListedPane(CardBuilder().AddSave(1, 1, "").AddSave(2, 1, "Q").Build(to), to, 1);
  const Pane sourceBefore = source, targetBefore = target;
  const CardImage want = WithLanded(target, source, 6, {3, 4, 5, 6});
  source.selected = 8;  // a link: the copy walks back to its first block
  CopySlot(source, target, false, port);
  EXPECT_EQ(target.image, want);
  EXPECT_EQ(source.image, sourceBefore.image);
  EXPECT_EQ(target.image[EntryAt(target, 3) + 8], 3);  // NextSlot: slot 4, less one
  // Only the target is modified; the source's selection is the line below the save's last block.
  EXPECT_EQ(std::tuple(source.cardModified, target.cardModified, source.selected), std::tuple(false, true, 9));

  // Moved into a card whose first five slots are taken, it lands where it came from, and the
  // target's slots 3-6 are free entries with zero blocks again.
  Pane back = ListedPane(five.Build(from), from);
  target.selected = 4;
  CopySlot(target, back, true, port);
  EXPECT_EQ(back.image, sourceBefore.image);
  EXPECT_EQ(target.image, targetBefore.image);
  EXPECT_EQ(std::pair(target.cardModified, target.selected), std::pair(true, -1));
}

INSTANTIATE_TEST_SUITE_P(AllFormats, TransferAcrossFormats, ::testing::Range<std::size_t>(0, FormatTable().size()),
                         [](const auto& param) {
                           return std::string(FormatExtension(FormatTable()[param.param].format));
                         });

// Delete frees the selected slot alone; with nothing selected it changes nothing and says nothing.
// Clear All leaves an empty card in each format.
TEST(DeleteSlot, FreesTheSelectedSlotOnlyAndClearAllFreesThemAll) {
  TestPort port;
  Pane pane = ListedPane(CardBuilder().AddSave(1, 15, "ALL").Build(Format::Mem), Format::Mem);
  CardImage want = pane.image;
  DeleteSlot(pane, port);
  EXPECT_TRUE(pane.image == want && !pane.cardModified);
  std::fill_n(want.begin() + 448, 128, 0);  // line 2 is slot 3: its entry at 64 + 3 * 128
  want[448] = want[575] = 0xA0;             // the free entry: 0xA0, 126 zero bytes, 0xA0
  std::fill_n(want.begin() + 24640, 8192, 0);
  pane.selected = 2;
  DeleteSlot(pane, port);
  EXPECT_EQ(pane.image, want);
  EXPECT_TRUE(pane.cardModified && port.MessageTexts().empty());

  for (const FormatFacts& facts : FormatTable()) {
    const Format f = facts.format;
    Pane all = ListedPane(CardBuilder().AddSave(1, 6, "SIX").AddSave(7, 9, "NINE").Build(f), f);
    ClearAllSlots(all, port);
    EXPECT_TRUE(all.image == CardBuilder().Build(f) && all.cardModified) << FormatKey(f);
  }
}

TEST(ToggleDeleted, FlipsTheWholeSaveTwiceRestoresItAndRefusesAFreeEntry) {
  TestPort port;
  Pane pane = ListedPane(CardBuilder().AddSave(4, 3, "TRIO").AddSave(7, 1, "SOLO").Build(Format::Psx), Format::Psx);
  const CardImage before = pane.image;
  CardImage want = pane.image;
  // Slots 4-6 (entries at 256 + 128 * slot): the statuses become deleted and the checksums follow.
  want[768] = 0xA1, want[896] = 0xA2, want[1024] = 0xA3;
  for (std::size_t entry : {768, 896, 1024}) want[entry + 127] ^= 0xF0;
  pane.selected = 4;
  ToggleDeleted(pane, port);
  EXPECT_EQ(pane.image, want);
  EXPECT_EQ(pane.lines[3] + "|" + pane.lines[6], "04 -del- TRIO|07  SOLO");
  EXPECT_TRUE(pane.cardModified);
  for (int line : {5, -1, 0}) {  // the save's last line, then nothing selected and a free entry
    pane.selected = line;
    ToggleDeleted(pane, port);
  }
  EXPECT_EQ(pane.image, before);
  EXPECT_EQ(port.MessageTexts(), Texts(2, "Select a slot"));
}

// A save that ends on the last slot: the toggle's walk forward and the transfer's walk stop there.
// The frame after slot 15's (in the header block) looks like a link entry and must stay as it is;
// the copy's source selection stays on line 15, the save's last block.
TEST(LastSlot, WalksStopAtSlotFifteen) {
  TestPort port;
  CardBuilder card = CardBuilder().AddSave(14, 2, "END");
  card.Raw()[SlotEntryOffset(16)] = 0x52;
  Pane pane = ListedPane(card.Build(Format::Mcr), Format::Mcr);
  pane.selected = 13;
  ToggleDeleted(pane, port);
  EXPECT_EQ(std::tuple(pane.image[SlotEntryOffset(15)], pane.image[SlotEntryOffset(16)]), std::tuple(0xA3, 0x52));

  Pane target = ListedPane(CardBuilder().Build(Format::Mcr), Format::Mcr, 1);
  pane.selected = 14;  // the link on line 15: the copy walks back to line 14 and forward again
  CopySlot(pane, target, false, port);
  EXPECT_EQ(pane.selected, 14);
  EXPECT_EQ(target.lines[0] + "|" + target.lines[1], "01 -del- END|02 -del- Linked Slot 1");
}

TEST(CompareSlots, SaveBlocksAcrossFormatsAndMissingSelections) {
  // The same 3-block save in other slots, containers, game IDs and deleted marks: each format
  // against the next one in the format table.
  const auto formats = FormatTable();
  for (std::size_t i = 0; i < formats.size(); ++i) {
    const Format a = formats[i].format, b = formats[(i + 1) % formats.size()].format;
    SCOPED_TRACE(FormatKey(a));
    Pane left = ListedPane(CardBuilder().AddSave(2, 3, "SAME").Build(a), a);
    Pane right = ListedPane(CardBuilder().AddSave(9, 3, "SAME", "SLES-00002", 'E', true).Build(b), b);
    // The answer, the list that gets the focus, and the one message with its icon.
    const auto compare = [&](int line0, int line1) {
      TestPort port;
      left.selected = line0, right.selected = line1;
      const CompareResult result = CompareSlots(left, right, port);
      EXPECT_EQ(port.messages().size(), 1u);
      return std::tuple(result.answer, result.focusPane, port.messages().at(0).text, port.messages().at(0).icon);
    };
    const MessageIcon info = MessageIcon::Information, warn = MessageIcon::Exclamation;
    EXPECT_EQ(compare(-1, -1), std::tuple(Comparison::Refused, 0, "Select a slot in Memory Card 1", info));
    EXPECT_EQ(compare(1, -1), std::tuple(Comparison::Refused, 1, "Select a slot in Memory Card 2", info));
    EXPECT_EQ(compare(1, 8), std::tuple(Comparison::Identical, -1, "Slots are IDENTICAL!", info));
    right.image[BlockAt(right, 9) + 4321] ^= 0x80;
    EXPECT_EQ(compare(1, 8), std::tuple(Comparison::Different, -1, "Slots are the DIFFERENT!!", warn));
  }
}

// The identity edit walks back from a link to the save's first entry and writes only that one; a
// free entry gets its region and ID like any other. Either way the checksum is made right again.
TEST(EditSlot, WalksBackAndWritesOnlyTheFirstEntryEvenAFreeOne) {
  TestPort port;
  Pane pane = ListedPane(CardBuilder().AddSave(3, 3, "EDIT ME", "ABCD-01234", 'E').Build(Format::Mcr), Format::Mcr);
  pane.selected = 4;
  auto identity = BeginEditSlot(pane, port);
  ASSERT_TRUE(identity);
  EXPECT_EQ(std::tuple(pane.selected, identity->line, identity->id, identity->region),
            std::tuple(2, 2, std::string("ABCD-01234"), 1));
  // No region chosen and a 4-character ID: byte 11 and bytes 16-21 keep their values.
  CardImage want = pane.image;
  std::copy_n("WXYZ", 4, want.begin() + 384 + 12);
  want[384 + 127] = FrameChecksum(Bytes(want).subspan(384, 128));
  ApplyEditSlot(pane, *identity, std::nullopt, "WXYZ");
  EXPECT_EQ(pane.image, want);
  EXPECT_TRUE(pane.cardModified);

  pane.selected = 7;  // slot 8: a free entry
  identity = BeginEditSlot(pane, port);
  ASSERT_TRUE(identity);
  EXPECT_EQ(std::tuple(identity->line, identity->id, identity->region), std::tuple(7, std::string(), std::nullopt));
  const std::size_t entry = SlotEntryOffset(8);
  want[entry + 11] = 'I';
  std::copy_n("FREE", 4, want.begin() + static_cast<std::ptrdiff_t>(entry) + 12);
  want[entry + 127] = FrameChecksum(Bytes(want).subspan(entry, 128));
  ApplyEditSlot(pane, *identity, 2, "FREE");
  EXPECT_EQ(pane.image, want);
  EXPECT_TRUE(port.MessageTexts().empty());
}

}  // namespace
}  // namespace selvane::testkit
