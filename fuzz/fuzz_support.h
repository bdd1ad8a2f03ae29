// What the fuzz targets share: a reader over the fuzzer's bytes, the card paths they choose from,
// the cards they start from, and a check that stops the run with a message.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/card.h"
#include "examples/card_corpus.h"

namespace selvane::fuzz {

// Stops the run (libFuzzer then saves the input) when `ok` is false.
inline void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
  }
}

// Reads the fuzzer's bytes front to back; past the end every read gives zeros.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data, size) {}
  bool Empty() const { return at_ >= data_.size(); }
  std::size_t Left() const { return data_.size() - at_; }
  std::uint8_t Byte() { return at_ < data_.size() ? data_[at_++] : 0; }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Byte() | (Byte() << 8)); }
  std::uint32_t U24() { return static_cast<std::uint32_t>(U16()) | (static_cast<std::uint32_t>(Byte()) << 16); }
  Bytes Take(std::size_t n) {
    const Bytes part = ClipRead(data_, at_, n);
    at_ += part.size();
    return part;
  }
  Bytes Rest() { return Take(Left()); }

 private:
  Bytes data_;
  std::size_t at_ = 0;
};

// Paths the targets name their cards by: one per format, the odd spellings the format rule must
// handle, and unsupported names.
inline constexpr std::string_view kPaths[16] = {
    "card.mem",           "card.mcd", "card.mcr", "card.gme", "card.ddf", "card.psx", "card.ps",      "CARD.PS",
    "ePSXe/epsxe000.MCR", "x.GmE",    ".ps",      "ps",       "card.bin", "",         "card.psx.bak", "a.mcrx"};

inline std::string PathFromInput(Input& in, std::uint8_t selector) {
  if (selector & 0x10) {
    const Bytes text = in.Take(in.Byte() % 40);
    return std::string(text.begin(), text.end());
  }
  return std::string(kPaths[selector & 0x0F]);
}

inline Format FormatFromByte(std::uint8_t b) { return kAllFormats[b % kAllFormats.size()]; }

// One of the corpus raw cards, wrapped in `format`'s container.
inline CardImage BaseCard(std::uint8_t choice, Format format) {
  static const std::vector<demo::CorpusCard> raws = demo::CorpusRawCards();
  return *BuildFileContent(raws[choice % raws.size()].bytes, Format::Mcr, format);
}

// Changes a card in ways that matter to the slot code, `count` times, three bytes each:
// [area+slot, index, value]. Areas: a directory entry byte, a title frame byte, a container header
// byte, or a new length for the whole image (short images).
inline void Patch(Input& in, CardImage& image, Format format, std::size_t count) {
  const std::size_t offset = DataOffset(image, format).value_or(0);
  for (std::size_t i = 0; i < count && !in.Empty(); ++i) {
    const std::uint8_t where = in.Byte();
    const std::uint8_t index = in.Byte();
    const std::uint8_t value = in.Byte();
    const int slot = where & 0x0F;
    switch ((where >> 4) & 0x03) {
      case 0:
        FillClipped(image, offset + SlotEntryOffset(slot) + (index & 0x7F), 1, value);
        break;
      case 1:
        FillClipped(image, offset + SaveBlockOffset(slot) + (index & 0x7F), 1, value);
        break;
      case 2:
        FillClipped(image, (static_cast<std::size_t>(value) << 8 | index) % (offset + 1), 1, value);
        break;
      case 3:
        image.resize(image.size() * (static_cast<std::size_t>(index) + 1) / 256 + value, 0x00);
        break;
    }
  }
}

}  // namespace selvane::fuzz
