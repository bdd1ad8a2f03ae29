// The format of a path and where the raw card starts inside each container.
#include <gtest/gtest.h>

#include "core/card.h"

namespace selvane {
namespace {

TEST(FormatFromPath, FourCharacterExtensionsIgnoreCase) {
  EXPECT_EQ(FormatFromPath("C:\\cards\\epsxe000.MCR"), Format::Mcr);
  EXPECT_EQ(FormatFromPath("/home/a/card.Mem"), Format::Mem);
  EXPECT_EQ(FormatFromPath("x.gme"), Format::Gme);
  EXPECT_EQ(FormatFromPath("x.ddf"), Format::Ddf);
  EXPECT_EQ(FormatFromPath("x.psx"), Format::Psx);
  EXPECT_EQ(FormatFromPath("x.mcd"), Format::Mcd);
}

TEST(FormatFromPath, TwoLetterPsInEitherCase) {
  EXPECT_EQ(FormatFromPath("card.ps"), Format::Ps);
  EXPECT_EQ(FormatFromPath("card.PS"), Format::Ps);
  EXPECT_EQ(FormatFromPath(".ps"), Format::Ps);
  EXPECT_EQ(CardFormatKeyOfPath("card.PS"), "d.ps");
}

TEST(FormatFromPath, OtherNamesAreUnsupported) {
  EXPECT_FALSE(FormatFromPath("card.bin"));
  EXPECT_FALSE(FormatFromPath("card.mcrx"));
  EXPECT_FALSE(FormatFromPath(""));
  EXPECT_FALSE(FormatFromPath("mcr"));
  EXPECT_FALSE(FormatFromPath("card.psx.bak"));
}

}  // namespace
}  // namespace selvane

namespace selvane {
namespace {

CardImage WithMagicAt(std::size_t size, std::size_t at) {
  CardImage image(size, 0x11);
  const std::uint8_t magic[] = {'M', 'C', 0, 0, 0, 0};
  std::copy(std::begin(magic), std::end(magic), image.begin() + static_cast<std::ptrdiff_t>(at));
  return image;
}

TEST(DataOffset, FixedOffsetsPerContainer) {
  const CardImage any(10, 0);
  EXPECT_EQ(DataOffset(any, Format::Mem), 64u);
  EXPECT_EQ(DataOffset(any, Format::Psx), 256u);
  for (Format f : {Format::Mcd, Format::Mcr, Format::Ddf, Format::Ps}) EXPECT_EQ(DataOffset(any, f), 0u);
}

TEST(DataOffset, DexDriveSearchFindsFirstPatternEveryTime) {
  CardImage image = WithMagicAt(kDexDriveHeaderSize + kRawCardSize, kDexDriveHeaderSize);
  EXPECT_EQ(DataOffset(image, Format::Gme), 3904u);

  // An accidental occurrence inside the header wins, and the search is repeated on every call.
  const std::uint8_t magic[] = {'M', 'C', 0, 0, 0, 0};
  std::copy(std::begin(magic), std::end(magic), image.begin() + 100);
  EXPECT_EQ(DataOffset(image, Format::Gme), 100u);

  // "MC" with only three zeros after it is no raw card start; the pattern can end the image.
  CardImage partial = {'x', 'M', 'C', 0, 0, 0, 'y', 'M', 'C', 0, 0, 0, 0};
  EXPECT_EQ(DataOffset(partial, Format::Gme), 7u);
  partial.pop_back();
  EXPECT_FALSE(DataOffset(partial, Format::Gme));
  EXPECT_FALSE(DataOffset(CardImage{}, Format::Gme));
}

}  // namespace
}  // namespace selvane
