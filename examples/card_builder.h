// Builds memory card images in code: the demo cards, the tests' fixtures, the benchmarks' inputs
// and the fuzzers' seeds. Saves get made-up titles and game IDs; no real game's data.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/card.h"

namespace selvane::demo {

// The trail byte of the full-width character that stands for `c` in a save title; letters, digits,
// space, '.', ':', '!' and '-' are supported, anything else becomes a full-width space.
std::uint8_t TrailByteFor(char c);

class CardBuilder {
 public:
  CardBuilder();  // an empty raw card (as New makes it)

  // A save of `blocks` blocks in slots first .. first + blocks - 1: first entry 0x51 with region
  // letter and game ID, link entries 0x52 then 0x53, NextSlot chained (last 0xFFFF), valid
  // checksums, and blocks filled with a pattern that depends on `seed`. `deleted` gives the
  // 0xA1/0xA2/0xA3 statuses.
  CardBuilder& AddSave(int first, int blocks, std::string_view title, std::string_view gameId = "SLUS-00001",
                       char region = 'A', bool deleted = false, std::uint8_t seed = 1);

  // Writes `bytes` as the title of the save whose first block is `slot` (title frame bytes 4-67),
  // zero-padded: raw code page 932 bytes, as a game writes them.
  CardBuilder& SetTitleBytes(int slot, std::string_view bytes);
  // Gives the save whose first block is `slot` an icon: the flag for frames.size() frames (1 to 3;
  // any other count writes `flag` as it is), the 16 palette values and each frame's 256 palette
  // indices, row by row, packed two to a byte with the left pixel in the low nibble.
  using IconFrame = std::array<std::uint8_t, 256>;
  CardBuilder& SetIcon(int slot, const std::array<std::uint16_t, 16>& palette, const std::vector<IconFrame>& frames,
                       std::uint8_t flag = 0);

  // Overwrites one directory entry's status and recomputes its checksum.
  CardBuilder& SetStatus(int slot, std::uint8_t status);
  // Raw access for unusual cases; the caller keeps checksums right where it wants them right.
  CardImage& Raw() { return raw_; }

  // The raw 131072-byte card.
  const CardImage& RawCard() const { return raw_; }
  // The card wrapped in a container of `format` (header template + raw card, or the raw card).
  CardImage Build(Format format = Format::Mcr) const;

 private:
  CardImage raw_;
};

}  // namespace selvane::demo
