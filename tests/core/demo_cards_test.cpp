// The bundled demo cards are exactly what the demo generator writes.
#include <gtest/gtest.h>

#include "core/file_io.h"
#include "examples/demo_cards.h"

namespace selvane {
namespace {

TEST(DemoCards, CommittedFilesMatchTheGenerator) {
  for (Format f : {Format::Mcr, Format::Gme}) {
    const std::string path = std::string(SELVANE_SOURCE_DIR) + "/examples/demo" + std::string(FormatKey(f));
    const ReadResult read = ReadCardFile(path);
    ASSERT_TRUE(read.ok) << path << ": " << read.reason;
    EXPECT_EQ(read.bytes, demo::DemoCard(f)) << path << " is out of date: run make_demo_cards examples";
    EXPECT_TRUE(IsWellFormed(read.bytes, f));
  }
}

}  // namespace
}  // namespace selvane
