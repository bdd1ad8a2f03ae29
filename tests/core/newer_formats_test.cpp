// The emulators' and consoles' cards beside the seven formats: RetroArch's .srm and the PS3's .vm1
// (the raw card) and the PSP's and PS Vita's .vmp (a 0x80-byte header): the format a path names,
// where the raw card starts, the save check, conversion to and from every format, and a .srm that
// is a single save.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/card.h"
#include "examples/card_builder.h"

namespace selvane {
namespace {
using namespace std::literals;

CardImage Cat(std::initializer_list<Bytes> parts) {
  CardImage out;
  for (Bytes p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

CardImage Raw() { return demo::CardBuilder().AddSave(2, 4, "Newer Formats").RawCard(); }

// Every format, with the header its files start with when written from another family.
std::vector<std::pair<Format, Bytes>> AllWithTemplates() {
  const std::map<Family, Bytes> templates = {{Family::Vgs, VgsHeader()},
                                             {Family::Raw, {}},
                                             {Family::DexDrive, DexDriveHeader()},
                                             {Family::Psm, PsmHeader()},
                                             {Family::Vmp, VmpHeader()}};
  std::vector<std::pair<Format, Bytes>> all;
  for (const FormatFacts& f : FormatTable()) all.emplace_back(f.format, templates.at(f.family));
  return all;
}

// The bytes of a file with the signature field (.vmp) left out, which the signer fills in.
CardImage Unsigned(CardImage file, Format format) {
  if (format == Format::Vmp && file.size() >= kVmpHeaderSize)
    std::fill_n(file.begin() + kVmpSignature, kSignatureSize, 0);
  return file;
}

TEST(NewerFormats, PathsOffsetsAndHeader) {
  const std::tuple<std::string_view, Format, std::size_t> table[] = {{"retroarch/Game (USA).srm", Format::Srm, 0},
                                                                     {"CARD.VM1", Format::Vm1, 0},
                                                                     {"psp/SCEVMC0.VMP", Format::Vmp, 128}};
  for (auto [path, format, offset] : table) {
    EXPECT_EQ(FormatFromPath(path), format) << path;
    EXPECT_EQ(DataOffset(CardImage(10, 0), format), offset) << path;
    EXPECT_EQ(FormatFromExtension(FormatExtension(format)), format);
  }
  EXPECT_EQ(FormatTable().size(), 10u);
  const auto header = VmpHeader();
  EXPECT_EQ(std::string(header.begin(), header.end()), "\0PMV\x80"s + std::string(0x80 - 5, '\0'));
}

TEST(NewerFormats, SaveCheckAsksForLengthAndMagic) {
  const CardImage raw = Raw(), vmp = Cat({VmpHeader(), raw});
  CardImage noMagic = vmp;
  noMagic[1] = 'X';
  const std::tuple<Format, CardImage, std::string> table[] = {
      {Format::Vmp, vmp, ""},
      {Format::Vmp, raw, "the file has 131072 bytes where a .vmp card has 131200"},
      {Format::Vmp, noMagic, "it does not start with \"\\0PMV\""},
      {Format::Srm, raw, ""},
      {Format::Vm1, vmp, "the file has 131200 bytes where a .vm1 card has 131072"},
      {Format::Srm, CardImage(16384, 0), "the file has 16384 bytes where a .srm card has 131072"}};
  for (const auto& [format, image, problem] : table) {
    EXPECT_EQ(CheckForSave(image, format).problem, problem) << FormatKey(format);
    EXPECT_EQ(IsWellFormed(image, format), problem.empty());
  }
}

// Every format into every other, the newer ones on either side: the target's header then the raw
// card (the image as it is within one family), and back to the same raw card.
TEST(NewerFormats, ConvertToAndFromEveryFormat) {
  const auto Newer = [](Format f) {
    return std::find(kNewerFormats.begin(), kNewerFormats.end(), f) != kNewerFormats.end();
  };
  const CardImage raw = Raw();
  for (const auto& [source, sourceHeader] : AllWithTemplates()) {
    for (const auto& [target, targetHeader] : AllWithTemplates()) {
      if (!Newer(source) && !Newer(target)) continue;  // the seven among themselves: core_test's matrix
      const CardImage image = Cat({sourceHeader, raw});
      const auto content = BuildFileContent(image, source, target);
      ASSERT_TRUE(content) << FormatKey(source) << " to " << FormatKey(target);
      const CardImage want = FamilyOf(source) == FamilyOf(target) ? image : Cat({targetHeader, raw});
      EXPECT_EQ(Unsigned(*content, target), Unsigned(want, target)) << FormatKey(source) << " to " << FormatKey(target);
      EXPECT_EQ(BuildFileContent(*content, target, Format::Mcr), raw);
    }
  }
}

TEST(NewerFormats, ASrmThatHoldsASaveIsNoCard) {
  CardImage save(2 * kBlockSize, 3);
  save[0] = 'S', save[1] = 'C';
  const std::tuple<Format, CardImage, bool> table[] = {{Format::Srm, save, true},
                                                       {Format::Srm, Raw(), false},
                                                       {Format::Srm, CardImage(100, 0), false},
                                                       {Format::Mcr, save, false},
                                                       {Format::Vm1, save, false}};
  for (const auto& [format, image, single] : table)
    EXPECT_EQ(IsSingleSaveInCardFormat(image, format), single) << FormatKey(format) << " " << image.size();
}

}  // namespace
}  // namespace selvane
