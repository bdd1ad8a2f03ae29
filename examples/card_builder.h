// Builds memory card images in code: the demo cards, the tests' fixtures, the benchmarks' inputs
// and the fuzzers' seeds. Saves get made-up titles and game IDs; no real game's data.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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
