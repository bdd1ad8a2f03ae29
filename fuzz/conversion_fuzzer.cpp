// Conversion between the container formats. The input is an image; for every format it is
// well-formed in, its raw card written in each format of the table and read back comes out as it
// went in, and within one family the file is the image unchanged. An image that is not
// well-formed is not written.
#include <algorithm>

#include "core/card.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace selvane;
  using fuzz::Check;
  const Bytes image(data, size);
  for (const FormatFacts& sourceFacts : FormatTable()) {
    const Format source = sourceFacts.format;
    const auto raw = ExtractRawCard(image, source);
    Check(raw.has_value() == IsWellFormed(image, source) && raw == BuildFileContent(image, source, Format::Mcr),
          "only a well-formed image is read and converted");
    // A raw card starts with "MC"; one without it (inside a VGS or PSM container) cannot come back
    // from the raw formats, whose save check wants it.
    if (!raw || (*raw)[0] != 'M' || (*raw)[1] != 'C') continue;
    for (const FormatFacts& targetFacts : FormatTable()) {
      const Format target = targetFacts.format;
      const auto content = BuildFileContent(image, source, target);
      Check(content.has_value(), "a well-formed image converts to every format");
      if (FamilyOf(target) == FamilyOf(source)) Check(std::ranges::equal(*content, image), "same family, same bytes");
      // A DexDrive file finds its raw card by the "MC",0,0,0,0 pattern: a raw card that does not
      // start with it cannot come back from one.
      if (target == Format::Gme && FindRawCardStart(*raw) != 0) continue;
      Check(ExtractRawCard(*content, target) == raw, "the written file holds the raw card");
      const auto back = BuildFileContent(*content, target, source);
      Check(back && ExtractRawCard(*back, source) == raw, "converted back, the raw card comes out as it went in");
    }
  }
  return 0;
}
