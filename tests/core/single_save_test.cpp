// Single save files: which kind a content is, what each reader takes from it and refuses, the
// name a raw save gets from its file name, the directory frames built for a save, and the files
// the writers make (exact header bytes, and read back to the same save).
#include <gtest/gtest.h>

#include <tuple>

#include <algorithm>

#include "core/card.h"
#include "core/single_save.h"
#include "tests/core/card_bytes.h"

namespace selvane {
namespace {
using namespace std::literals;

using testkit::Blocks, testkit::Cat;

std::vector<std::uint8_t> Text(std::string_view s) { return {s.begin(), s.end()}; }

// A 54-byte header: name NUL-terminated at 0, a title from 21.
std::vector<std::uint8_t> ShortHeader(std::string_view name) {
  std::vector<std::uint8_t> h(kShortHeaderSize, 0);
  std::copy(name.begin(), name.end(), h.begin());
  const std::string_view title = "A TITLE";
  std::copy(title.begin(), title.end(), h.begin() + 21);
  return h;
}

constexpr std::array<std::uint8_t, psv::kSeedSize> kSeed = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                                            11, 12, 13, 14, 15, 16, 17, 18, 19, 20};

TEST(SingleSaveRead, EachKindGivesItsNameAndBlocks) {
  const SingleSave three{"BESLES-12345GAME", Blocks(3)};
  const auto one = Blocks(1, 9);
  // A save a console wrote without "SC" at its start is read as exported, and said to be so.
  auto bare = Blocks(2);
  bare[1] = 'X';
  struct Case {
    std::string path;
    std::vector<std::uint8_t> content;
    SaveFileKind kind;
    std::string name;
    std::vector<std::uint8_t> blocks;
  };
  const Case cases[] = {
      {"x.PS1", WriteMcs({"BISLPS-01416-DIAB-01", one}), SaveFileKind::Mcs, "BISLPS-01416-DIAB-01", one},
      {"x.mcb", Cat({ShortHeader("BASCUS-94194GT"), one}), SaveFileKind::ShortHeader, "BASCUS-94194GT", one},
      {"a/b.c/Suikoden 2-BASLUS-00958GS2-7.srm", three.blocks, SaveFileKind::Raw, "BASLUS-00958GS2-7", three.blocks},
      {"x.psv", WritePsv(three, kSeed), SaveFileKind::Psv, three.name, three.blocks},
      // Content decides, not the extension.
      {"x.mcs", Cat({ShortHeader("BASLUS-00001"), one}), SaveFileKind::ShortHeader, "BASLUS-00001", one},
      {"BASLUS-01234ABC.psv", one, SaveFileKind::Raw, "BASLUS-01234ABC", one},
      {"x.mcs", WriteMcs({"BASLUS-00015", Blocks(15)}), SaveFileKind::Mcs, "BASLUS-00015", Blocks(15)},
      {"x.mcs", WriteMcs({"BASLUS-1", bare}), SaveFileKind::Mcs, "BASLUS-1", bare},
      {"x.psv", WritePsv({"BASLUS-1", bare}, kSeed), SaveFileKind::Psv, "BASLUS-1", bare},
      {"saves/BASLUS-00001BARE", bare, SaveFileKind::Raw, "BASLUS-00001BARE", bare}};
  for (const Case& c : cases) {
    EXPECT_EQ(DetectSaveFileKind(c.content).value_or(SaveFileKind::Raw), c.kind) << c.path;
    const SaveFileRead read = ReadSaveFile(c.path, c.content);
    ASSERT_TRUE(read.save) << c.path << ": " << read.problem;
    EXPECT_EQ(std::tuple(read.firstBlockWithoutSc, read.kind, read.save->name, read.save->blocks),
              std::tuple(c.blocks == bare, c.kind, c.name, c.blocks))
        << c.path;
  }
}

// No .psv is a whole number of blocks long: a raw save whose first block starts like one is raw.
TEST(SingleSaveRead, ARawSaveStartingLikeAPsvIsRaw) {
  auto vsp = Blocks(1);
  std::copy_n("\0VSP", 4, vsp.begin());
  const SaveFileRead read = ReadSaveFile("saves/BASLUS-00001VSP", vsp);
  EXPECT_EQ(std::tuple(read.kind, read.save.value_or(SingleSave{}).blocks), std::tuple(SaveFileKind::Raw, vsp));
}

TEST(SingleSaveRead, RefusesWithAReason) {
  auto psv = WritePsv({"BASLUS-1", Blocks(2)}, kSeed);
  auto ps2 = psv;
  ps2[psv::kPlatform] = 2;
  auto lying = psv;
  lying[psv::kDataSize] = 0x10;  // 0x4010 bytes claimed
  auto noSc = Blocks(2);
  noSc[1] = 'X';
  auto unnamed = WriteMcs({"", Blocks(1)});
  const auto vmp = *BuildFileContent(EmptyCard(), Format::Mcr, Format::Vmp);
  const std::string notASave =
      "it is no single save (.mcs, .ps1, .psv, a 54-byte header or raw blocks starting with \"SC\")";
  const std::pair<std::vector<std::uint8_t>, std::string> refused[] = {
      {Blocks(16), "it is a whole memory card (131072 bytes), not a single save: open it as a card"},
      {{}, notASave},
      {noSc, notASave},
      {Cat({Text("Q"), std::vector<std::uint8_t>(127, 0)}), notASave},
      {Cat({Blocks(1), Text("x")}), notASave},
      {Blocks(17), "it holds 17 blocks of 8192 bytes; a save has 1 to 15"},
      {Cat({WriteMcs({"B", Blocks(15)}), Blocks(1)}), "it holds 16 blocks of 8192 bytes; a save has 1 to 15"},
      {Text("\0VSP"s), "it has 4 bytes, less than a .psv header"},
      {ps2, "it is no PlayStation save (a PlayStation 2 .psv?)"},
      {lying, "its header gives 16400 bytes of save data at 132, the file holds 16384 after its header"},
      {std::vector<std::uint8_t>(psv.begin(), psv.begin() + psv::kHeaderSize),
       "its header gives 16384 bytes of save data at 132, the file holds 0 after its header"},
      {vmp, "it is a whole memory card (131200 bytes), not a single save: open it as a card"},
      {unnamed, "the .mcs save has no directory name"}};
  for (const auto& [content, problem] : refused) {
    const SaveFileRead read = ReadSaveFile(content == vmp ? "card/x.VMP" : "card/x.mcs", content);
    EXPECT_FALSE(read.save) << problem;
    EXPECT_EQ(read.problem, problem) << content.size();
    EXPECT_EQ(read.wholeCard, problem.find("whole memory card") != std::string::npos);
  }
}

TEST(RawSaveName, FromTheFileName) {
  const std::pair<std::string_view, std::string_view> names[] = {
      {"C:\\saves\\BISLPS-01416-DIAB-01.SRM", "BISLPS-01416-DIAB-01"},
      {"castlevania-symphony-of-the-night.1782-BASLUS-00067DRAX01.srm", "BASLUS-00067DRAX01"},
      {"Castlevania - Symphony of the Night (USA).0.BASLUS-00067DRAX00.srm", "BASLUS-00067DRAX00"},
      {"a very long file name without any save name.srm", "a very long file nam"},
      {"BASLUS-0.1", "BASLUS-0"},                          // a short run after the dot is an extension
      {"BASLUS-0.dat-file", "BASLUS-0.dat-file"},          // this one is no extension
      {"card-XBASLUS-00067DRAX0", "card-XBASLUS-00067DR"}  // "B" must follow a separator
  };
  for (auto [path, name] : names) EXPECT_EQ(RawSaveNameFromPath(path), name) << path;
}

// The link frames of a save are checked where an imported save lands (slots tests).
TEST(DirectoryFrame, StatusSizeNameNextSlotAndChecksum) {
  const auto first = BuildDirectoryFrame("BESLES-12345GAME", 3, 0, 4);
  std::array<std::uint8_t, kFrameSize> want{};
  want[0] = 0x51, want[5] = 0x60;  // 3 × 8192 = 0x6000
  want[8] = 4;
  const std::string_view name = "BESLES-12345GAME";
  std::copy(name.begin(), name.end(), want.begin() + 10);
  want[127] = FrameChecksum(want);
  EXPECT_EQ(first, want);
  // A single block ends its chain at once; a name longer than 20 characters is cut.
  const auto single = BuildDirectoryFrame("BASLUS-0123456789ABCDEF", 1, 0, kEndOfChain);
  EXPECT_EQ(std::string(single.begin() + 10, single.begin() + 31), "BASLUS-0123456789ABC\0"s);
  EXPECT_EQ(XorOf(single), 0);
}

// Without signature primitives (signing_test.cpp installs them for its own tests only) a .psv is
// written with a zero signature and read without a verdict on it.
TEST(SingleSaveWrite, ExactHeaders) {
  const SingleSave save{"BASLUS-00958GS2-7", Blocks(2)};
  const auto mcs = WriteMcs(save);
  const auto frame = BuildDirectoryFrame(save.name, 2, 0, 1);
  EXPECT_EQ(std::vector(mcs.begin(), mcs.begin() + kFrameSize), std::vector(frame.begin(), frame.end()));
  EXPECT_EQ(WriteMcs({"B", Blocks(1)})[8], 0xFF);
  EXPECT_EQ(WriteRawSave(save), save.blocks);

  const auto file = WritePsv(save, kSeed);
  ASSERT_EQ(file.size(), psv::kHeaderSize + save.blocks.size());
  std::string header = "\0VSP\0\0\0\0"s + std::string(kSeed.begin(), kSeed.end()) + std::string(0x38 - 0x1C, '\0') +
                       "\x14\0\0\0\x01\0\0\0"s + "\0\x40\0\0\x84\0\0\0\0\x02\0\0"s + std::string(0x5C - 0x4C, '\0') +
                       "\0\x20\0\0\x03\x90\0\0"s + save.name;
  header.resize(psv::kHeaderSize, '\0');
  EXPECT_EQ(std::string(file.begin(), file.begin() + psv::kHeaderSize), header);
  EXPECT_TRUE(std::equal(save.blocks.begin(), save.blocks.end(), file.begin() + psv::kHeaderSize));
  EXPECT_EQ(CheckSignature(file, kPsvLayout), SignatureCheck::Unchecked);
  EXPECT_FALSE(ReadSaveFile("x.psv", file).signatureValid.has_value());
}

// selvane-cli's export runs each kind by its usual extension; these are the names around them.
TEST(SingleSaveWrite, KindOfAnExportPath) {
  const std::pair<std::string_view, std::optional<SaveFileKind>> paths[] = {{"x/a.Psv", SaveFileKind::Psv},
                                                                            {"dir.d/BASLUS-1", SaveFileKind::Raw},
                                                                            {".hidden", SaveFileKind::Raw},
                                                                            {"a.mcr", std::nullopt}};
  for (auto [path, kind] : paths) EXPECT_EQ(SaveFileKindOfPath(path), kind) << path;
}

}  // namespace
}  // namespace selvane
