// The slot list: the shapes of its lines and the decoding of titles, and short images (an unsupported
// format's message and kept list: the slot list fuzz target, whose inputs are replayed as a test).
#include <gtest/gtest.h>

#include "examples/card_builder.h"
#include "slots/slot_list.h"

namespace selvane {
namespace {

TEST(SlotLines, EachShapeOfLineAndTitleDecoding) {
  // Slot n + 1: status, game ID (bytes 12-21), the title's trail bytes (block offsets 5, 7, ...;
  // a zero byte follows) and the line. Slot 10 is in use with an empty title; slot 11 is deleted
  // without the game ID pattern; slot 15's title runs past its 30 characters.
  const std::tuple<std::uint8_t, std::string, std::string, std::string> rows[] = {
      {0x52, "", "", "01  Linked Slot 0"},
      {0x51, "", "\x60\x44\x40\x61", "02  A. B"},
      {0xA1, "SLUS-01234", "\x46\x49\x4D\x41\x3F\x4E", "03 -del- :!-!\x1f."},
      {0xA1, "SLUS-01234", "\x40\x40", "04 -del- Slot Data"},
      {0xA2, "", "", "05 -del- Linked Slot 4"},
      {0xA3, "", "\x60", "06 -del- Linked Slot 5"},
      {0x53, "", "\x60", "07  Linked Slot 6"},
      {0xA0, "XXXX-99999", "\x40", "08  Data for Slot 8"},
      {0xA0, "XXXX-99999", "", "09"},
      {0x51, "SLUS-01234", "", "10"},
      {0xA1, "SLUS-0123X", "\x60", "11"},
      {0x51, "", "\x4F\x58\x59\x60\x79\x80\x81\x9A", "12  09:AZ`az"},
      {0x51, "", "\x60\x1F\x3E\x5A\x5F\x7A\x7F\x9B\xFF", "13  A        "},
      {0x51, "", "\x60\x1E\x60", "14  A"},
      {0x51, "", std::string(31, '\x60'), "15  " + std::string(30, 'A')}};
  CardImage raw = EmptyCard();
  for (int slot = 1; slot <= 15; ++slot) {
    const auto& [status, gameId, trail, line] = rows[slot - 1];
    raw[SlotEntryOffset(slot)] = status;
    std::copy(gameId.begin(), gameId.end(), raw.begin() + SlotEntryOffset(slot) + 12);
    const std::size_t title = SaveBlockOffset(slot) + 5;
    for (std::size_t i = 0; i < trail.size(); ++i) raw[title + 2 * i] = static_cast<std::uint8_t>(trail[i]);
  }
  const auto listing = BuildSlotLines("card.mcr", raw);
  ASSERT_TRUE(listing);
  for (int slot = 1; slot <= 15; ++slot) EXPECT_EQ(listing->lines[slot - 1], std::get<3>(rows[slot - 1]));
}

TEST(SlotLines, ShortImagesListFifteenLinesWithoutReadingPastTheEnd) {
  const CardImage full = demo::CardBuilder().AddSave(1, 1, "Alpha").AddSave(2, 1, "Beta").RawCard();
  // Slot 3's entry is cut; of slot 2's title frame seven bytes exist: one title character.
  for (std::size_t size : {std::size_t{2 * 8192 + 7}, std::size_t{300}}) {
    const auto listing = BuildSlotLines("short.mcr", CardImage(full.begin(), full.begin() + size));
    ASSERT_TRUE(listing);
    const std::string lines = listing->lines[1] + "|" + listing->lines[2] + "|" + listing->lines[14];
    EXPECT_EQ(lines, size == 300 ? "02|03|15" : "02  B|03|15");
  }
}

}  // namespace
}  // namespace selvane
