// Import and export of single saves over panes: where an imported save lands and the frames it
// gets, whole or nothing, the same-name question, and which blocks an export takes.
#include <gtest/gtest.h>

#include "examples/card_builder.h"
#include "slots/operations.h"
#include "slots/single_save_ops.h"
#include "tests/slots/test_port.h"

namespace selvane::testkit {
namespace {

using demo::CardBuilder;

SingleSave MakeSave(std::string name, int blocks, std::uint8_t seed = 5) {
  SingleSave save{std::move(name), std::vector<std::uint8_t>(static_cast<std::size_t>(blocks) * kBlockSize)};
  for (std::size_t i = 0; i < save.blocks.size(); ++i) save.blocks[i] = static_cast<std::uint8_t>(i / 3 + seed);
  save.blocks[0] = 'S', save.blocks[1] = 'C';
  save.blocks[4] = 0x82, save.blocks[5] = 0x60, save.blocks[7] = 0;  // the title: a full-width "A"
  return save;
}

Bytes Block(const Pane& pane, int slot) {
  return Bytes(pane.image).subspan(*PaneDataOffset(pane) + SaveBlockOffset(slot), kBlockSize);
}

// The save's blocks landed on `slots` in order, with the frames a console writes.
void ExpectLanded(const Pane& pane, const SingleSave& save, std::vector<int> slots) {
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const Bytes entry = Bytes(pane.image).subspan(*PaneDataOffset(pane) + SlotEntryOffset(slots[i]), kFrameSize);
    // Status, NextSlot, a frame whose bytes XOR to zero, the size and name on the first frame only.
    const int status = i == 0 ? 0x51 : (i + 1 == slots.size() ? 0x53 : 0x52);
    const int next = i + 1 < slots.size() ? slots[i + 1] - 1 : 0xFFFF;
    const std::string name(entry.begin() + 10, entry.begin() + 10 + static_cast<std::ptrdiff_t>(save.name.size()));
    EXPECT_EQ(std::tuple(int{entry[0]}, int{ReadLe16(entry, 8)}, XorOf(entry), std::size_t{ReadLe32(entry, 4)}, name),
              std::tuple(status, next, 0, i == 0 ? save.blocks.size() : 0,
                         i == 0 ? save.name : std::string(save.name.size(), '\0')))
        << "slot " << slots[i];
    EXPECT_TRUE(std::ranges::equal(Block(pane, slots[i]), Bytes(save.blocks).subspan(i * kBlockSize, kBlockSize)))
        << "block on slot " << slots[i];
  }
}

// Whole or nothing: a save that does not fit changes nothing, and the caller, who knows its file,
// says so.
TEST(ImportSave, LandsOnFreeLinesAsATransferDoesOrNotAtAll) {
  // Slots 1 and 3 in use, 5 deleted (a free line), 2 in use with an empty title (listed bare).
  CardBuilder builder;
  builder.AddSave(1, 1, "ONE").AddSave(2, 1, "").AddSave(3, 1, "T").AddSave(5, 1, "D", "X", 'A', true);
  const CardImage gme = builder.Build(Format::Gme);
  const CardImage nearlyFull = CardBuilder().AddSave(1, 13, "MOST").Build(Format::Mcr);
  const CardImage whole = CardBuilder().Build(Format::Mem);
  const CardImage shortMem(whole.begin(), whole.begin() + 64 + 3 * kBlockSize);  // slots 1 and 2 whole
  // The card, its path and selected line (-1: none), the save's blocks, then the outcome and the
  // slots the save lands on.
  const std::tuple<const CardImage&, std::string, int, int, Outcome, std::vector<int>> cases[] = {
      {gme, "card.gme", -1, 3, Outcome::Done, {4, 5, 6}},
      {gme, "card.gme", 6, 2, Outcome::Done, {7, 4}},
      {gme, "card.gme", 1, 1, Outcome::Done, {4}},
      {gme, "card.gme", -1, 11, Outcome::Done, {4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}},
      {shortMem, "card.mem", -1, 2, Outcome::Done, {1, 2}},
      {shortMem, "card.mem", -1, 3, Outcome::CardFull, {}},
      {nearlyFull, "card.mcr", -1, 3, Outcome::CardFull, {}},
      {nearlyFull, "card.bin", -1, 1, Outcome::FormatNotSupported, {}}};
  for (const auto& [image, path, selected, blocks, outcome, slots] : cases) {
    TestPort port;
    Pane pane = ListedPane(image, FormatFromPath(path).value_or(Format::Mcr));
    pane.path = path, pane.cardFormat = CardFormatKeyOfPath(path), pane.selected = selected;
    const SingleSave save = MakeSave("BESLES-12345GAME", blocks);
    EXPECT_EQ(ImportSave(pane, save, port), outcome) << path << " " << blocks;
    EXPECT_EQ(port.MessageTexts().size(), std::size_t{outcome == Outcome::FormatNotSupported});
    EXPECT_EQ(pane.cardModified, !slots.empty());
    if (slots.empty()) {
      EXPECT_EQ(pane.image, image);
      continue;
    }
    ExpectLanded(pane, save, slots);
    EXPECT_EQ(pane.lines[static_cast<std::size_t>(slots[0] - 1)].substr(0, 4),
              (slots[0] < 10 ? "0" : "") + std::to_string(slots[0]) + "  ");
  }
}

TEST(ImportSave, AsksBeforeASecondSaveOfOneName) {
  for (Answer answer : {Answer::No, Answer::Yes}) {
    TestPort port;
    port.Answering({answer});
    Pane pane = ListedPane(CardBuilder().Build(Format::Mcr), Format::Mcr);
    const SingleSave save = MakeSave("BASLUS-00067DRAX00", 1);
    EXPECT_EQ(ImportSave(pane, save, port), Outcome::Done);  // the first asks nothing
    const CardImage once = pane.image;
    EXPECT_EQ(LineOfSaveNamed(pane, save.name), 0);
    EXPECT_EQ(ImportSave(pane, save, port), answer == Answer::Yes ? Outcome::Done : Outcome::Declined);
    ASSERT_EQ(port.questions().size(), 1u);
    EXPECT_EQ(port.questions()[0].text, "A save named BASLUS-00067DRAX00 is already on this card. Import it anyway?");
    EXPECT_EQ(port.questions()[0].defaultAnswer, Answer::No);
    EXPECT_EQ(pane.image == once, answer == Answer::No);
  }
  // A deleted save of that name, or a longer name sharing its start, asks nothing.
  TestPort quiet;
  Pane pane = ListedPane(CardBuilder().Build(Format::Mcr), Format::Mcr);
  ImportSave(pane, MakeSave("BASLUS-00067DRAX00X", 1), quiet);
  ImportSave(pane, MakeSave("BASLUS-00067DRAX00", 1), quiet);
  pane.selected = 1;
  EXPECT_EQ(ToggleDeleted(pane, quiet), Outcome::Done);
  EXPECT_EQ(ImportSave(pane, MakeSave("BASLUS-00067DRAX00", 1), quiet), Outcome::Done);
  EXPECT_TRUE(quiet.questions().empty());
}

TEST(TakeSave, TheSaveOnAnyOfItsLines) {
  // A save chained 2 -> 6 -> 4 (not adjacent), a deleted contiguous one on 9..11, one in use on 13,
  // and one on 14..15 whose first frame ends its chain: from line 15 it is the lines down to the end.
  CardBuilder builder;
  builder.AddSave(2, 1, "A").AddSave(4, 1, "B").AddSave(6, 1, "C").AddSave(9, 3, "DEL", "X", 'A', true);
  builder.AddSave(13, 1, "LAST").AddSave(14, 2, "END");
  CardImage& raw = builder.Raw();
  const auto link = [&](int slot, std::uint8_t statusByte, std::uint16_t next) {
    WriteLe16(raw, SlotEntryOffset(slot) + kEntryNextSlot, next);
    builder.SetStatus(slot, statusByte);  // and the checksum
  };
  const std::string name = "BASLUS-00099CHAIN";
  std::copy(name.begin(), name.end(), raw.begin() + static_cast<std::ptrdiff_t>(SlotEntryOffset(2) + 10));
  link(2, 0x51, 5), link(6, 0x52, 3), link(4, 0x53, 0xFFFF), link(14, 0x51, 0xFFFF);
  const Pane pane = ListedPane(builder.Build(Format::Psx), Format::Psx);
  const auto blocksOf = [&](const std::vector<int>& slots) {
    std::vector<std::uint8_t> blocks;
    for (int s : slots) blocks.insert(blocks.end(), Block(pane, s).begin(), Block(pane, s).end());
    return blocks;
  };
  // CardBuilder's saves are named "B", their region letter and their game ID.
  const std::tuple<int, Outcome, std::vector<int>, std::string> cases[] = {
      {6, Outcome::Done, {2, 6, 4}, name},
      {4, Outcome::Done, {2, 6, 4}, name},
      {2, Outcome::Done, {2, 6, 4}, name},
      {10, Outcome::Done, {9, 10, 11}, "BAX"},
      {13, Outcome::Done, {13}, "BASLUS-00001"},
      {15, Outcome::Done, {14, 15}, "BASLUS-00001"},
      {1, Outcome::NotASave, {}, ""},
      {0, Outcome::NoSelection, {}, ""}};
  for (const auto& [slot, outcome, slots, savedName] : cases) {
    TestPort port;
    Pane selected = pane;
    selected.selected = slot - 1;
    const TakenSave taken = TakeSave(selected, port);
    EXPECT_EQ(taken.outcome, outcome) << slot;
    if (outcome != Outcome::Done) {
      EXPECT_EQ(port.MessageTexts(), std::vector<std::string>{"Select a slot"});
      continue;
    }
    EXPECT_EQ(taken.save.blocks, blocksOf(slots)) << slot;
    EXPECT_EQ(taken.save.name, savedName) << slot;
  }
  // A save whose last block lies past the end of a short image is not taken.
  TestPort port;
  Pane cut = pane;
  cut.image.resize(256 + SaveBlockOffset(11) + 100);
  cut.selected = 8;
  EXPECT_EQ(TakeSave(cut, port).outcome, Outcome::NothingChanged);
}

}  // namespace
}  // namespace selvane::testkit
