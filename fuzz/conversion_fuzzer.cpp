// Conversion between the container formats: a well-formed image of any format, written in each of
// the seven formats and read back, gives its raw card again; the written bytes are exactly the
// target's header template and the raw card (or the image itself within one family).
//
// Input: [source format] [flags] [DexDrive header length, u16] [DexDrive header bytes]
// [DexDrive shortening, u16] then the raw card (padded with zeros to 131072 bytes).
#include <algorithm>

#include "fuzz/fuzz_support.h"

namespace selvane::fuzz {
namespace {

Bytes HeaderTemplate(Family family) {
  switch (family) {
    case Family::Vgs:
      return VgsHeader();
    case Family::DexDrive:
      return DexDriveHeader();
    case Family::Psm:
      return PsmHeader();
    case Family::Raw:
      break;
  }
  return {};
}

bool StartsWithPattern(Bytes raw) {
  constexpr std::uint8_t kPattern[6] = {'M', 'C', 0, 0, 0, 0};
  return raw.size() >= 6 && std::equal(std::begin(kPattern), std::end(kPattern), raw.begin());
}

void Run(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  const Format source = FormatFromByte(in.Byte());
  const std::uint8_t flags = in.Byte();
  const std::size_t dexHeaderLength = in.U16() % 8192;
  const Bytes dexHeader = in.Take((flags & 0x02) ? dexHeaderLength : 0);
  const std::size_t shortBy = (flags & 0x04) ? in.U16() : 0;

  // The raw card: the input's bytes, "MC" first as every well-formed raw card has it, and
  // (flag 1) the four zero bytes after it that the DexDrive search looks for.
  std::vector<std::uint8_t> raw(kRawCardSize, 0);
  const Bytes body = in.Rest();
  std::copy_n(body.begin(), std::min(body.size(), raw.size()), raw.begin());
  raw[0] = 'M';
  raw[1] = 'C';
  if (flags & 0x01) std::fill_n(raw.begin() + 2, 4, 0);

  CardImage image;
  if (source == Format::Gme && (flags & 0x02)) {
    // A DexDrive image with a header of its own (which may hold the pattern itself), possibly
    // cut short: the writer pads a short raw card with zeros.
    image.assign(dexHeader.begin(), dexHeader.end());
    image.insert(image.end(), raw.begin(), raw.end());
    image.resize(image.size() - std::min(shortBy, kRawCardSize - 6));
  } else {
    const Bytes header = HeaderTemplate(FamilyOf(source));
    image.assign(header.begin(), header.end());
    image.insert(image.end(), raw.begin(), raw.end());
  }
  // A canonical image is the template header followed by the raw card, found right after it.
  const bool customHeader = source == Format::Gme && (flags & 0x02);
  const bool canonical =
      !customHeader && DataOffset(image, source) == std::optional(HeaderTemplate(FamilyOf(source)).size());

  if (!IsWellFormed(image, source)) {
    Check(source == Format::Gme && !StartsWithPattern(raw), "only a DexDrive image without the pattern fails");
    Check(!BuildFileContent(image, source, Format::Mcr), "an image that is not well-formed is not converted");
    std::vector<std::uint8_t> out(3, 0x55);
    Check(!BuildFileContentInto(image, source, Format::Mem, out) && out.empty(),
          "a refused conversion leaves the buffer empty");
    return;
  }
  const auto extracted = ExtractRawCard(image, source);
  Check(extracted.has_value() && extracted->size() == kRawCardSize, "a well-formed image has a 128 KiB raw card");
  if (canonical) Check(*extracted == raw, "the raw card comes out as it went in");

  for (Format target : kAllFormats) {
    const auto content = BuildFileContent(image, source, target);
    Check(content.has_value(), "a well-formed image converts to every format");
    // The writer's reused buffer holds whatever the previous conversion left in it.
    static std::vector<std::uint8_t> reused;
    Check(BuildFileContentInto(image, source, target, reused) && reused == *content,
          "building into a reused buffer gives the same bytes");
    if (FamilyOf(target) == FamilyOf(source)) {
      Check(*content == image, "within one family the image is written unchanged");
    } else {
      const Bytes header = HeaderTemplate(FamilyOf(target));
      Check(content->size() == header.size() + kRawCardSize, "a converted file is header plus raw card");
      Check(std::equal(header.begin(), header.end(), content->begin()), "a converted file starts with the template");
      Check(std::equal(extracted->begin(), extracted->end(),
                       content->begin() + static_cast<std::ptrdiff_t>(header.size())),
            "a converted file holds the raw card after its header");
    }
    // Back again. A DexDrive file finds its raw card by the pattern, so a raw card that does not
    // start with it cannot come back from one; every other conversion must.
    const bool patternFirst = StartsWithPattern(*extracted);
    if (target == Format::Gme && !patternFirst) continue;
    Check(IsWellFormed(*content, target), "a converted file passes the save check of its format");
    const auto back = BuildFileContent(*content, target, source);
    Check(back.has_value(), "a converted file converts back");
    Check(ExtractRawCard(*back, source) == extracted, "the round trip gives the raw card back");
    if (canonical) Check(*back == image, "the round trip gives the file back");
    Check(ExtractRawCard(*content, target) == extracted, "the converted file holds the same raw card");
  }
}

}  // namespace
}  // namespace selvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  selvane::fuzz::Run(data, size);
  return 0;
}
