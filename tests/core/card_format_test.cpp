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
