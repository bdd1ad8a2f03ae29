// The save details read from a card: icon frames and their pixel order (the colours: icon's PNG
// files in the cli tests), the title cut handed to the decoder, the entry's name fields, link
// lines, block counts and short images.
#include "slots/save_details.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "examples/card_builder.h"

namespace selvane {
namespace {

// Hands the title bytes back as they came, so that tests see exactly what reached the decoder.
struct BytesAsText : TitleDecoder {
  std::string ToUtf8(Bytes shiftJis) const override { return {shiftJis.begin(), shiftJis.end()}; }
};

SaveDetails Read(const CardImage& image, int slot) { return ReadSaveDetails(image, 0, slot, BytesAsText()); }

// The flag gives the frame count and rate; each frame keeps its own pixels, the low nibble of a
// byte being the left pixel.
TEST(SaveIcon, FramesFollowTheFlagAndLowNibbleIsTheLeftPixel) {
  std::vector<demo::CardBuilder::IconFrame> frames(3);
  for (std::size_t f = 0; f < 3; ++f)
    for (std::size_t i = 0; i < 256; ++i) frames[f][i] = static_cast<std::uint8_t>((i + f * 5) % 16);
  // The flag byte, then the frame count and the time each frame shows.
  const std::tuple<std::uint8_t, int, int> cases[] = {{0x00, 0, 0},   {0x10, 0, 0}, {0x11, 1, 0}, {0x12, 2, 320},
                                                      {0x13, 3, 220}, {0x14, 0, 0}, {0x21, 0, 0}};
  for (const auto& [flag, count, milliseconds] : cases) {
    demo::CardBuilder card;
    card.AddSave(2, 1, "ICON").SetIcon(2, {}, frames);
    card.Raw()[SaveBlockOffset(2) + 2] = flag;
    const CardImage& raw = card.RawCard();
    // The first byte of frame 1 holds pixels 0 and 1: 0 on the left (low nibble), 1 on the right.
    ASSERT_EQ(raw[SaveBlockOffset(2) + kFrameSize], 0x10);
    const SaveIcon icon = Read(raw, 2).icon;
    EXPECT_EQ(std::pair(icon.frames, icon.FrameMilliseconds()), std::pair(count, milliseconds)) << int{flag};
    EXPECT_EQ(icon.FrameRgba(count).size(), 0u);
    for (int f = 0; f < count; ++f)
      EXPECT_EQ(icon.indices[static_cast<std::size_t>(f)], frames[static_cast<std::size_t>(f)]) << "frame " << f;
  }
}

TEST(SaveDetails, TitleIsCutAtTheFirstZeroAndItsPaddingDropped) {
  // The title field's bytes and the title read. Code page 932 bytes are passed on untouched to the
  // decoder; a field without a zero is read whole, and not a byte more.
  const std::pair<std::string, std::string> cases[] = {
      {"PLAIN ASCII", "PLAIN ASCII"},
      {std::string("AB\0CD", 5), "AB"},
      {std::string("\0XY", 3), ""},
      {"\x83\x81\x83\x5E\x83\x8B", "\x83\x81\x83\x5E\x83\x8B"},
      {"PADDED   ", "PADDED"},
      {"WIDE\xE3\x80\x80\xE3\x80\x80", "WIDE"},
      {std::string(64, 'x'), std::string(64, 'x')},
  };
  for (const auto& [bytes, title] : cases) {
    demo::CardBuilder card;
    card.AddSave(1, 1, "X").SetTitleBytes(1, bytes);
    card.Raw()[SaveBlockOffset(1) + 68] = 'Z';  // the byte after the field
    EXPECT_EQ(Read(card.RawCard(), 1).title, title);
  }
}

TEST(SaveDetails, NameFieldsGiveRegionProductCodeAndIdentifier) {
  // The name field, then its region, product code and identifier.
  const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
      {"BASLUS-00418-PSPF2X0", "America", "SLUS-00418", "-PSPF2X0"},
      {std::string("BISLPS-02636SRSYS\0\0\0", 20), "Japan", "SLPS-02636", "SRSYS"},
      {std::string("BESLES-0\0AAAAAAAAAAA", 20), "Europe", "SLES-0", ""},
      {"BXSLUS-00001ABC", "", "SLUS-00001", "ABC"},
      {"XASLUS-00001ABC", "", "SLUS-00001", "ABC"},
      {std::string("BASLUS\x01\xFF") + "0001ABC", "America", "SLUS??0001", "ABC"}};
  for (const auto& [name, region, product, identifier] : cases) {
    demo::CardBuilder card;
    card.AddSave(1, 1, "X");
    std::fill_n(card.Raw().begin() + SlotEntryOffset(1) + kEntrySaveName, kSaveNameLength, 0);
    std::copy(name.begin(), name.end(), card.Raw().begin() + SlotEntryOffset(1) + kEntrySaveName);
    const SaveDetails d = Read(card.RawCard(), 1);
    EXPECT_EQ(std::tie(d.region, d.productCode, d.identifier), std::tie(region, product, identifier)) << name;
  }
}

TEST(SaveDetails, StatesLinksAndBlocks) {
  // Slot 1: a one-block save; 2-4: a three-block save; 5-6: a deleted two-block save; 7: free;
  // 8: a link with a free line above it; 9: an unknown status.
  demo::CardBuilder card;
  card.AddSave(1, 1, "ONE").AddSave(2, 3, "THREE", "SLES-00022", 'E').AddSave(5, 2, "GONE", "SLPS-00033", 'I', true);
  card.AddSave(8, 1, "ORPHAN").SetStatus(8, status::kLinkS).AddSave(9, 1, "ODD").SetStatus(9, 0x42);
  for (int slot : {1, 2, 5}) card.SetTitleBytes(slot, slot == 1 ? "ONE" : slot == 2 ? "THREE" : "GONE");
  const CardImage raw = card.RawCard();
  // The slot, then its state, the slot of its save's first block, that save's blocks and title.
  const std::tuple<int, SlotState, int, int, std::string> cases[] = {
      {1, SlotState::InUse, 1, 1, "ONE"},    {2, SlotState::InUse, 2, 3, "THREE"},
      {3, SlotState::Link, 2, 3, "THREE"},   {4, SlotState::Link, 2, 3, "THREE"},
      {5, SlotState::Deleted, 5, 2, "GONE"}, {6, SlotState::DeletedLink, 5, 2, "GONE"},
      {7, SlotState::Free, 0, 0, ""},        {8, SlotState::Link, 0, 0, ""},
      {9, SlotState::Unknown, 0, 0, ""},     {0, SlotState::Missing, 0, 0, ""},
      {16, SlotState::Missing, 0, 0, ""}};
  for (const auto& [slot, state, saveSlot, blocks, title] : cases) {
    const SaveDetails d = Read(raw, slot);
    EXPECT_EQ(std::tuple(d.state, d.saveSlot, d.blocks, d.title, DescribeSave(d).empty()),
              std::tuple(state, saveSlot, blocks, title, saveSlot == 0))
        << slot;
  }
  EXPECT_EQ(DescribeSave(Read(raw, 6)),
            "Block 2 of the save in slot 5\nGONE\nProduct code: SLPS-00033\nRegion: Japan\nBlocks: 2\nDeleted");
  EXPECT_EQ(StateWords(Read(raw, 3).state), "link");

  // A save written around another: slot 10's chain runs 10, 11, 13, 14, 15 over a deleted one-block
  // save in slot 12. Each line is the block the chain makes it, and the deleted save has one block.
  demo::CardBuilder around;
  around.AddSave(10, 2, "AROUND").AddSave(13, 3, "TAIL").AddSave(12, 1, "GAP", "SLUS-00002", 'A', true);
  WriteLe16(around.Raw(), SlotEntryOffset(11) + kEntryNextSlot, 12);  // slot 13
  around.SetStatus(11, status::kLinkR).SetStatus(13, status::kLinkR);
  // The slot, then the slot of its save's first block, its block number and the save's blocks.
  const std::array<int, 4> chained[] = {{10, 10, 1, 5}, {11, 10, 2, 5}, {12, 12, 1, 1}, {13, 10, 3, 5}, {15, 10, 5, 5}};
  for (const auto& [slot, saveSlot, block, blocks] : chained) {
    const SaveDetails d = Read(around.RawCard(), slot);
    EXPECT_EQ(std::tuple(d.saveSlot, d.block, d.blocks), std::tuple(saveSlot, block, blocks)) << slot;
  }
  EXPECT_TRUE(DescribeSave(Read(around.RawCard(), 14)).starts_with("Block 4 of the save in slot 10\n"));
}

TEST(SaveDetails, ShortImagesAndMissingTitleFramesGiveWhatExists) {
  demo::CardBuilder card;
  card.AddSave(1, 2, "TWO").SetTitleBytes(1, "TWO").SetIcon(1, {0x8000}, std::vector<demo::CardBuilder::IconFrame>(3));
  card.AddSave(3, 1, "NOSC").SetTitleBytes(3, "NOSC");
  card.Raw()[SaveBlockOffset(3) + 1] = 'X';
  const CardImage full = card.RawCard();
  // What is cut, the slot read and the image's length, then the state, title and icon frames read.
  const std::tuple<std::string, int, std::size_t, SlotState, std::string, int> cases[] = {
      {"whole card", 1, full.size(), SlotState::InUse, "TWO", 3},
      {"no \"SC\"", 3, full.size(), SlotState::InUse, "", 0},
      {"entry cut", 1, SlotEntryOffset(1) + kFrameSize - 1, SlotState::Missing, "", 0},
      {"no block", 1, SaveBlockOffset(1), SlotState::InUse, "", 0},
      {"half a magic", 1, SaveBlockOffset(1) + 1, SlotState::InUse, "", 0},
      {"title cut", 1, SaveBlockOffset(1) + kGameTitle + 2, SlotState::InUse, "TW", 0},
      {"palette cut", 1, SaveBlockOffset(1) + kIconPalette + 3, SlotState::InUse, "TWO", 0},
      {"last frame cut", 1, SaveBlockOffset(1) + 4 * kFrameSize - 1, SlotState::InUse, "TWO", 0},
      {"link's block gone", 2, SaveBlockOffset(2), SlotState::Link, "TWO", 3}};
  for (const auto& [what, slot, length, state, title, frameCount] : cases) {
    const CardImage image(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
    const SaveDetails d = Read(image, slot);
    const std::string product = state == SlotState::Missing ? "" : "SLUS-00001";
    EXPECT_EQ(std::tie(d.state, d.title, d.icon.frames, d.productCode), std::tie(state, title, frameCount, product))
        << what;
  }
}

}  // namespace
}  // namespace selvane
