// Header templates, the save check, raw-card extraction and the conversion of every format into
// every other.
#include <gtest/gtest.h>

#include "core/card.h"
#include "examples/card_builder.h"

namespace selvane {
namespace {

std::vector<std::uint8_t> Concat(std::initializer_list<Bytes> parts) {
  std::vector<std::uint8_t> out;
  for (Bytes p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A raw card with a distinct byte at every offset, so any shift or mix-up shows.
CardImage PatternedRawCard() {
  CardImage raw(kRawCardSize);
  for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<std::uint8_t>((i * 31 + i / 251) & 0xFF);
  raw[0] = 'M';
  raw[1] = 'C';
  std::fill_n(raw.begin() + 2, 4, 0);
  return raw;
}

// The templates, written out from their documented bytes; every byte not listed is zero.
TEST(HeaderTemplates, ExactBytes) {
  const auto expect = [](Bytes header, std::size_t size,
                         std::initializer_list<std::pair<std::size_t, std::string_view>> runs) {
    std::vector<std::uint8_t> expected(size, 0);
    for (const auto& [at, bytes] : runs)
      std::copy(bytes.begin(), bytes.end(), expected.begin() + static_cast<std::ptrdiff_t>(at));
    EXPECT_EQ(std::vector<std::uint8_t>(header.begin(), header.end()), expected);
  };
  using namespace std::string_view_literals;
  expect(VgsHeader(), 64, {{0, "VgsM\x01\0\0\0\x01\0\0\0\x01\0\0\0\0\x02"sv}});
  expect(DexDriveHeader(), 3904,
         {{0, "123-456-STD"sv},
          {18, "\x01\0\x01MQ"sv},
          {23, std::string_view("\xA0\xA0\xA0\xA0\xA0\xA0\xA0\xA0\xA0\xA0\xA0\xA0\xA0\xA0", 14)},
          {38, "\xFF"sv}});
  expect(PsmHeader(), 256, {{0, "PSV"sv}, {10, "\x02"sv}, {16, "SCPH-1020"sv}});
}

// Images that pass or fail the check made before any save.
TEST(SaveCheck, LengthAndHeaderPerFormat) {
  const CardImage raw = PatternedRawCard();
  const CardImage mem = Concat({VgsHeader(), raw});
  const CardImage psx = Concat({PsmHeader(), raw});
  const auto changed = [](CardImage image, std::size_t at, std::uint8_t value) {
    image[at] = value;
    return image;
  };
  const auto resized = [](CardImage image, std::ptrdiff_t by) {
    image.resize(static_cast<std::size_t>(static_cast<std::ptrdiff_t>(image.size()) + by));
    return image;
  };
  EXPECT_TRUE(IsWellFormed(mem, Format::Mem));
  EXPECT_FALSE(IsWellFormed(changed(mem, 12, 0x03), Format::Mem));
  EXPECT_FALSE(IsWellFormed(resized(mem, 1), Format::Mem));
  for (Format f : {Format::Mcd, Format::Mcr, Format::Ddf, Format::Ps}) {
    EXPECT_TRUE(IsWellFormed(raw, f));
    EXPECT_FALSE(IsWellFormed(resized(raw, -1), f));
    EXPECT_FALSE(IsWellFormed(resized(raw, 1), f));
    EXPECT_FALSE(IsWellFormed(changed(raw, 1, 'D'), f));
  }
  EXPECT_TRUE(IsWellFormed(psx, Format::Psx));
  EXPECT_FALSE(IsWellFormed(changed(psx, 2, 'X'), Format::Psx));
  EXPECT_FALSE(IsWellFormed(resized(psx, -1), Format::Psx));
  // A DexDrive image needs only the raw card's start somewhere, whatever its length.
  EXPECT_TRUE(IsWellFormed(resized(Concat({DexDriveHeader(), raw}), -1000), Format::Gme));
  EXPECT_FALSE(IsWellFormed(CardImage(5000, 0), Format::Gme));
}

TEST(ExtractRawCard, ShortDexDriveImageIsPaddedWithZeros) {
  const CardImage raw = PatternedRawCard();
  CardImage gme = Concat({DexDriveHeader(), raw});
  gme.resize(gme.size() - 1000);
  const auto out = ExtractRawCard(gme, Format::Gme);
  ASSERT_TRUE(out);
  ASSERT_EQ(out->size(), kRawCardSize);
  EXPECT_TRUE(std::equal(raw.begin(), raw.end() - 1000, out->begin()));
  EXPECT_TRUE(std::all_of(out->end() - 1000, out->end(), [](std::uint8_t b) { return b == 0; }));

  const auto asRaw = BuildFileContent(gme, Format::Gme, Format::Mcr);
  ASSERT_TRUE(asRaw);
  EXPECT_EQ(*asRaw, *out);
}

// Each source format wrapped around one raw card, with a DexDrive and a PSM header that differ
// from the templates, so the matrix shows whether a header was kept or rebuilt.
CardImage SourceImage(Format f, const CardImage& raw) {
  switch (FamilyOf(f)) {
    case Family::Vgs:
      return Concat({VgsHeader(), raw});
    case Family::Raw:
      return raw;
    case Family::DexDrive: {
      CardImage h(DexDriveHeader().begin(), DexDriveHeader().end());
      h[200] = 0x5A;  // a comment byte of the file's own header
      return Concat({h, raw});
    }
    case Family::Psm: {
      CardImage h(PsmHeader().begin(), PsmHeader().end());
      h[100] = 0x77;
      return Concat({h, raw});
    }
  }
  return {};
}

class ConversionMatrix : public ::testing::TestWithParam<std::tuple<Format, Format>> {};

TEST_P(ConversionMatrix, ExactBytesAndRoundTrip) {
  const auto [source, target] = GetParam();
  const CardImage raw = PatternedRawCard();
  const CardImage image = SourceImage(source, raw);
  const auto content = BuildFileContent(image, source, target);
  ASSERT_TRUE(content);

  CardImage expected;
  if (FamilyOf(source) == FamilyOf(target)) {
    expected = image;  // same family: the file keeps the header it was read with
  } else {
    switch (FamilyOf(target)) {
      case Family::Vgs:
        expected = Concat({VgsHeader(), raw});
        break;
      case Family::Raw:
        expected = raw;
        break;
      case Family::DexDrive:
        expected = Concat({DexDriveHeader(), raw});
        break;
      case Family::Psm:
        expected = Concat({PsmHeader(), raw});
        break;
    }
  }
  EXPECT_EQ(*content, expected);

  // And back: the raw card survives any pair of conversions.
  EXPECT_TRUE(IsWellFormed(*content, target));
  const auto back = BuildFileContent(*content, target, Format::Mcr);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, raw);
}

INSTANTIATE_TEST_SUITE_P(AllPairs, ConversionMatrix,
                         ::testing::Combine(::testing::ValuesIn(kAllFormats), ::testing::ValuesIn(kAllFormats)),
                         [](const auto& param_info) {
                           return std::string(FormatExtension(std::get<0>(param_info.param))) + "_to_" +
                                  std::string(FormatExtension(std::get<1>(param_info.param)));
                         });

TEST(BuildFileContent, UnknownTargetKeepsImageAndBadSourceIsRefused) {
  const CardImage mem = SourceImage(Format::Mem, PatternedRawCard());
  EXPECT_EQ(*BuildFileContent(mem, Format::Mem, std::nullopt), mem);
  CardImage broken = mem;
  broken[0] = 'v';
  EXPECT_FALSE(BuildFileContent(broken, Format::Mem, Format::Mcr));
  EXPECT_FALSE(BuildFileContent(CardImage{}, Format::Mcr, Format::Mem));
}

TEST(EmptyCard, ExactBytes) {
  const CardImage card = EmptyCard();
  ASSERT_EQ(card.size(), 131072u);
  CardImage expected(131072, 0);
  expected[0] = 0x4D;
  expected[1] = 0x43;
  expected[127] = 0x0E;
  for (std::size_t k = 1; k <= 15; ++k) {
    expected[128 * k] = 0xA0;
    expected[128 * k + 127] = 0xA0;
  }
  EXPECT_EQ(card, expected);
  for (std::size_t k = 0; k <= 15; ++k) {
    EXPECT_EQ(FrameChecksum(Bytes(card).subspan(128 * k, 128)), card[128 * k + 127]) << k;
  }
}

TEST(BoundedAccess, ReadsAndWritesNeverLeaveTheBuffer) {
  CardImage small(10, 1);
  EXPECT_EQ(ClipRead(small, 8, 5).size(), 2u);
  EXPECT_TRUE(ClipRead(small, 10, 5).empty());
  EXPECT_TRUE(ClipRead(small, 1000, 5).empty());
  const std::uint8_t data[4] = {9, 9, 9, 9};
  EXPECT_EQ(WriteClipped(small, 8, data), 2u);
  EXPECT_EQ(WriteClipped(small, 12, data), 0u);
  EXPECT_EQ(FillClipped(small, 9, 100, 7), 1u);
  EXPECT_EQ(small.size(), 10u);
  EXPECT_EQ(small[7], 1);
  EXPECT_EQ(small[8], 9);
  EXPECT_EQ(small[9], 7);
  EXPECT_EQ(ReadLe16(small, 9), 7);  // the missing high byte reads as zero
}

}  // namespace
}  // namespace selvane
