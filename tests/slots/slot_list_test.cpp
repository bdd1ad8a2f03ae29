// The slot list: line shapes, title decoding, and what short or odd images list as.
#include <gtest/gtest.h>

#include "examples/card_builder.h"
#include "slots/pane.h"
#include "slots/slot_list.h"

namespace selvane {
namespace {

using demo::CardBuilder;

// A directory entry written by hand: status, optional game ID at bytes 12..21, and a title frame
// holding the given trail bytes.
void PutEntry(CardImage& raw, int slot, std::uint8_t statusByte, std::string_view gameId,
              std::initializer_list<std::uint8_t> trail) {
  const std::size_t entry = SlotEntryOffset(slot);
  std::fill_n(raw.begin() + static_cast<std::ptrdiff_t>(entry), kFrameSize, 0);
  raw[entry] = statusByte;
  for (std::size_t i = 0; i < gameId.size(); ++i) raw[entry + 12 + i] = static_cast<std::uint8_t>(gameId[i]);
  std::size_t at = SaveBlockOffset(slot) + 5;
  for (std::uint8_t b : trail) {
    raw[at - 1] = 0x82;
    raw[at] = b;
    at += 2;
  }
}

std::string LineOf(const CardImage& raw, int slot) {
  const auto listing = BuildSlotLines("card.mcr", raw);
  EXPECT_TRUE(listing);
  return listing ? listing->lines[static_cast<std::size_t>(slot - 1)] : "";
}

TEST(SlotLines, NewCardListsBareNumbers) {
  const auto listing = BuildSlotLines("new.mcr", EmptyCard());
  ASSERT_TRUE(listing);
  for (int n = 1; n <= 15; ++n) {
    EXPECT_EQ(listing->lines[static_cast<std::size_t>(n - 1)], (n < 10 ? "0" : "") + std::to_string(n));
  }
}

TEST(SlotLines, EightShapes) {
  CardImage raw = EmptyCard();
  // 1: not in use.                       2: titled save.
  PutEntry(raw, 2, 0x51, "SLUS-01234", {0x60, 0x61, 0x62, 0x00});
  // 3: deleted titled save.              4: deleted first block without a title.
  PutEntry(raw, 3, 0xA1, "SLUS-01234", {0x60, 0x61, 0x62, 0x00});
  PutEntry(raw, 4, 0xA1, "SLUS-01234", {0x40, 0x40, 0x00});
  // 5: deleted link.                     6: link in use ("R" and "S").
  PutEntry(raw, 5, 0xA2, "", {});
  PutEntry(raw, 6, 0xA3, "", {0x60});
  PutEntry(raw, 7, 0x52, "", {0x60});
  PutEntry(raw, 8, 0x53, "", {});
  // 7: other status with a game ID and a blank title; 8: the same with an empty title.
  PutEntry(raw, 9, 0xA0, "XXXX-99999", {0x40});
  PutEntry(raw, 10, 0xA0, "XXXX-99999", {0x00});
  // An in-use first block whose title is empty shows its bare number.
  PutEntry(raw, 11, 0x51, "SLUS-01234", {0x00});
  // A deleted first block without the game ID pattern fails test A.
  PutEntry(raw, 12, 0xA1, "SLUS-0123X", {0x60});

  EXPECT_EQ(LineOf(raw, 1), "01");
  EXPECT_EQ(LineOf(raw, 2), "02  ABC");
  EXPECT_EQ(LineOf(raw, 3), "03 -del- ABC");
  EXPECT_EQ(LineOf(raw, 4), "04 -del- Slot Data");
  EXPECT_EQ(LineOf(raw, 5), "05 -del- Linked Slot 4");
  EXPECT_EQ(LineOf(raw, 6), "06 -del- Linked Slot 5");
  EXPECT_EQ(LineOf(raw, 7), "07  Linked Slot 6");
  EXPECT_EQ(LineOf(raw, 8), "08  Linked Slot 7");
  EXPECT_EQ(LineOf(raw, 9), "09  Data for Slot 9");
  EXPECT_EQ(LineOf(raw, 10), "10");
  EXPECT_EQ(LineOf(raw, 11), "11");
  EXPECT_EQ(LineOf(raw, 12), "12");
}

TEST(SlotLines, LinkInFirstSlotNamesSlotZero) {
  CardImage raw = EmptyCard();
  PutEntry(raw, 1, 0x52, "", {});
  EXPECT_EQ(LineOf(raw, 1), "01  Linked Slot 0");
}

TEST(SlotLines, SavesOfSeveralBlocksInUseAndDeleted) {
  CardBuilder card;
  card.AddSave(3, 3, "Castle", "SLES-55555", 'E').AddSave(8, 3, "Ruins", "SLES-55556", 'E', true);
  const auto listing = BuildSlotLines("x.mcr", card.RawCard());
  ASSERT_TRUE(listing);
  EXPECT_EQ(listing->lines[2], "03  Castle");
  EXPECT_EQ(listing->lines[3], "04  Linked Slot 3");
  EXPECT_EQ(listing->lines[4], "05  Linked Slot 4");
  EXPECT_EQ(listing->lines[7], "08 -del- Ruins");
  EXPECT_EQ(listing->lines[8], "09 -del- Linked Slot 8");
  EXPECT_EQ(listing->lines[9], "10 -del- Linked Slot 9");
}

struct TitleCase {
  std::vector<std::uint8_t> trail;
  std::string title;
};

class TitleDecoding : public ::testing::TestWithParam<TitleCase> {};

TEST_P(TitleDecoding, TrailBytesToText) {
  std::vector<std::uint8_t> frame(kFrameSize, 0);
  std::size_t at = 5;
  for (std::uint8_t b : GetParam().trail) {
    frame[at] = b;
    at += 2;
  }
  EXPECT_EQ(DecodeTitle(frame), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TitleDecoding,
    ::testing::Values(TitleCase{{0x60, 0x44, 0x40, 0x61, 0x00}, "A. B"},
                      TitleCase{{0x46, 0x49, 0x4D, 0x41, 0x3F, 0x4E}, ":!-!\x1f."},
                      TitleCase{{0x4F, 0x58, 0x59}, "09:"},
                      TitleCase{{0x60, 0x79, 0x80, 0x81, 0x9A}, "AZ`az"},
                      TitleCase{{0x1F, 0x3E, 0x5A, 0x5F, 0x7A, 0x7F, 0x9B, 0xFF}, "        "},
                      TitleCase{{0x60, 0x1E, 0x60}, "A"}, TitleCase{{0x00, 0x60}, ""}));

TEST(TitleDecoding, ThirtyCharactersAtMost) {
  std::vector<std::uint8_t> frame(kFrameSize, 0x60);
  EXPECT_EQ(DecodeTitle(frame), std::string(30, 'A'));
  // Only the bytes that exist are decoded.
  EXPECT_EQ(DecodeTitle(Bytes(frame).first(10)), "AAA");
}

TEST(SlotLines, ShortImagesListEveryLineWithoutReadingPastTheEnd) {
  CardBuilder card;
  card.AddSave(1, 1, "Alpha").AddSave(2, 1, "Beta");
  // Entries of slots 1 and 2 exist; of slot 2's title frame only the first seven bytes do, so only
  // its first title character is decoded.
  CardImage shortImage(card.RawCard().begin(), card.RawCard().begin() + 2 * 8192 + 7);
  auto listing = BuildSlotLines("short.mcr", shortImage);
  ASSERT_TRUE(listing);
  EXPECT_EQ(listing->lines[0], "01  Alpha");
  EXPECT_EQ(listing->lines[1], "02  B");
  EXPECT_EQ(listing->lines[14], "15");

  // Only part of the directory: slots whose 128-byte entry is cut show their number.
  CardImage tiny(card.RawCard().begin(), card.RawCard().begin() + 300);
  listing = BuildSlotLines("tiny.mcr", tiny);
  ASSERT_TRUE(listing);
  EXPECT_EQ(listing->lines[0], "01");
  EXPECT_EQ(listing->lines[1], "02");

  listing = BuildSlotLines("empty.mcr", CardImage{});
  ASSERT_TRUE(listing);
  EXPECT_EQ(listing->lines[14], "15");
}

TEST(SlotLines, EachFormatReadsAtItsOwnOffset) {
  CardBuilder card;
  card.AddSave(4, 2, "Offset Check");
  for (Format f : kAllFormats) {
    const auto listing = BuildSlotLines("card" + std::string(FormatKey(f)), card.Build(f));
    ASSERT_TRUE(listing) << FormatKey(f);
    EXPECT_EQ(listing->lines[3], "04  Offset Check") << FormatKey(f);
    EXPECT_EQ(listing->lines[4], "05  Linked Slot 4") << FormatKey(f);
  }
}

// A port that records messages; no questions or dialogs are expected from a rebuild.
struct RecordingPort : UserPort {
  std::vector<std::string> messages;
  void ShowMessage(std::string_view t, MessageIcon) override { messages.emplace_back(t); }
  Answer Ask(std::string_view, Buttons, Answer) override {
    ADD_FAILURE() << "unexpected question";
    return Answer::No;
  }
  std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest&) override { return std::nullopt; }
};

TEST(RefreshSlots, UnsupportedFormatKeepsThePreviousList) {
  RecordingPort port;
  Pane pane;
  pane.path = "card.MCR";
  pane.image = CardBuilder().AddSave(1, 1, "Kept").RawCard();
  ASSERT_TRUE(RefreshSlots(pane, port));
  EXPECT_EQ(pane.cardFormat, ".mcr");
  EXPECT_EQ(pane.lines[0], "01  Kept");
  pane.selected = 0;

  pane.path = "card.txt";
  EXPECT_FALSE(RefreshSlots(pane, port));
  EXPECT_EQ(port.messages, std::vector<std::string>{"Memory card format not supported"});
  EXPECT_EQ(pane.lines[0], "01  Kept");
  EXPECT_EQ(pane.cardFormat, ".txt");
  EXPECT_FALSE(PaneDataOffset(pane));

  // A DexDrive image without a raw card in it has no data offset either.
  pane.path = "card.gme";
  pane.image = CardImage(5000, 0);
  EXPECT_FALSE(RefreshSlots(pane, port));
  EXPECT_EQ(port.messages.size(), 2u);
  EXPECT_EQ(pane.lines[0], "01  Kept");

  pane.path = "card.PS";
  pane.image = EmptyCard();
  EXPECT_TRUE(RefreshSlots(pane, port));
  EXPECT_EQ(pane.cardFormat, ".ps");
  EXPECT_EQ(pane.lines[0], "01");
  EXPECT_EQ(pane.selected, -1);
}

}  // namespace
}  // namespace selvane
