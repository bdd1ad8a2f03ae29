// The core on its own: the format a path names, where the raw card starts in each container
// (the seven dialog formats, RetroArch's .srm, the PS3's .vm1, the PSP's and PS Vita's .vmp), the
// header templates, the save check, the conversion of every format into every other, a .srm that
// holds a single save, the empty card and the demo cards; then whole-file reading and the atomic writer on real files
// in a temporary folder: what the reader refuses without blocking or allocating, and that a failed write leaves every
// file as it was and no temporary file behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <sys/stat.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "core/card.h"
#include "core/file_io.h"
#include "examples/card_builder.h"
#include "examples/demo_cards.h"
#include "tests/core/card_bytes.h"
#include "tests/temp_folder.h"

namespace selvane {
namespace {
using namespace std::literals;

using testkit::Cat, testkit::Raw, testkit::TemplateOf;

// The bytes of a file with the signature field (.vmp) left out, which the signer fills in.
CardImage Unsigned(CardImage file, Format format) {
  if (format == Format::Vmp && file.size() >= kVmpHeaderSize)
    std::fill_n(file.begin() + kVmpSignature, kSignatureSize, 0);
  return file;
}

std::vector<Format> EveryFormat() {
  std::vector<Format> all;
  for (const FormatFacts& f : FormatTable()) all.push_back(f.format);
  return all;
}

TEST(FormatFromPath, LastFourCharactersInAnyCaseOrTwoLetterPs) {
  // Each extension in both cases: the window's card paths (slots tests).
  const std::pair<std::string_view, Format> paths[] = {
      {"C:\\cards\\epsxe000.MCR", Format::Mcr}, {"card.PS", Format::Ps}, {"retroarch/Game (USA).srm", Format::Srm}};
  for (auto [path, format] : paths) EXPECT_EQ(FormatFromPath(path), format) << path;
  for (const char* other : {"a.bin", "a.mcrx", "", "mcr", "a.psx.bak"}) EXPECT_FALSE(FormatFromPath(other)) << other;
}

TEST(DataOffset, FixedPerContainerAndTheFirstPatternInADexDriveImage) {
  const std::pair<Format, std::size_t> fixed[] = {{Format::Mem, 64}, {Format::Psx, 256}, {Format::Vmp, 128},
                                                  {Format::Mcd, 0},  {Format::Mcr, 0},   {Format::Ddf, 0},
                                                  {Format::Ps, 0},   {Format::Srm, 0},   {Format::Vm1, 0}};
  for (auto [format, offset] : fixed) EXPECT_EQ(DataOffset(CardImage(10, 0), format), offset);
  CardImage gme = Cat({DexDriveHeader(), Raw()});
  EXPECT_EQ(DataOffset(gme, Format::Gme), 3904u);
  std::copy_n(gme.begin() + 3904, 6, gme.begin() + 100);  // an accidental "MC",0,0,0,0 in the header wins
  EXPECT_EQ(DataOffset(gme, Format::Gme), 100u);
  // "MC" with three zeros is no raw card start; the pattern may end the image.
  EXPECT_EQ(DataOffset(CardImage{'x', 'M', 'C', 0, 0, 0, 'y', 'M', 'C', 0, 0, 0, 0}, Format::Gme), 7u);
  EXPECT_FALSE(DataOffset(CardImage{'M', 'C', 0, 0, 0}, Format::Gme));
}

// The header templates written out from their documented bytes, zeros after the last one given,
// and the empty card that `new` writes and every card is built from.
TEST(ExactBytes, HeaderTemplatesAndTheEmptyCard) {
  const auto bytes = [](Bytes header) { return std::string(header.begin(), header.end()); };
  EXPECT_EQ(bytes(VgsHeader()), "VgsM\x01\0\0\0\x01\0\0\0\x01\0\0\0\0\x02"s + std::string(46, '\0'));
  EXPECT_EQ(bytes(DexDriveHeader()), "123-456-STD\0\0\0\0\0\0\0\x01\0\x01MQ"s + std::string(14, '\xA0') + "\0\xFF"s +
                                         std::string(3904 - 39, '\0'));
  EXPECT_EQ(bytes(PsmHeader()), "PSV\0\0\0\0\0\0\0\x02\0\0\0\0\0SCPH-1020"s + std::string(256 - 25, '\0'));
  EXPECT_EQ(bytes(VmpHeader()), "\0PMV\x80"s + std::string(0x80 - 5, '\0'));
  CardImage empty(kRawCardSize, 0);
  empty[0] = 'M', empty[1] = 'C', empty[127] = 0x0E;
  for (std::size_t k = 1; k <= 15; ++k) empty[128 * k] = empty[128 * k + 127] = 0xA0;
  EXPECT_EQ(EmptyCard(), empty);
}

// The matrix below shows that well-formed images of every format pass the check; these fail it.
TEST(SaveCheck, RefusesWrongLengthsAndHeaders) {
  const auto changed = [](CardImage image, std::size_t at, std::uint8_t value) { return image[at] = value, image; };
  const auto cut = [](CardImage image) { return image.pop_back(), image; };
  const CardImage raw = Raw(), mem = Cat({VgsHeader(), raw}), psx = Cat({PsmHeader(), raw}),
                  vmp = Cat({VmpHeader(), raw});
  const std::string noRawCard = "no raw card (\"MC\" followed by four zero bytes) was found in it";
  const std::tuple<Format, CardImage, std::string> refused[] = {
      {Format::Mcr, cut(raw), "the file has 131071 bytes where a .mcr card has 131072"},
      {Format::Ddf, changed(raw, 1, 'D'), "it does not start with \"MC\""},
      {Format::Mem, changed(mem, 12, 3), "it does not start with the Virtual Game Station header"},
      {Format::Mem, cut(mem), "the file has 131135 bytes where a .mem card has 131136"},
      {Format::Psx, changed(psx, 2, 'X'), "it does not start with \"PSV\""},
      {Format::Gme, CardImage(5000, 0), noRawCard},
      {Format::Vmp, raw, "the file has 131072 bytes where a .vmp card has 131200"},
      {Format::Vmp, changed(vmp, 1, 'X'), "it does not start with \"\\0PMV\""},
      {Format::Vm1, vmp, "the file has 131200 bytes where a .vm1 card has 131072"},
      {Format::Srm, CardImage(16384, 0), "the file has 16384 bytes where a .srm card has 131072"}};
  for (const auto& [format, image, problem] : refused) {
    EXPECT_FALSE(IsWellFormed(image, format)) << FormatKey(format);
    EXPECT_FALSE(BuildFileContent(image, format, Format::Mem)) << FormatKey(format);
    EXPECT_EQ(CheckForSave(image, format).problem, problem);
  }
}

class ConversionMatrix : public ::testing::TestWithParam<std::tuple<Format, Format>> {};

TEST_P(ConversionMatrix, ExactBytesAndRoundTrip) {
  const auto [source, target] = GetParam();
  // A DexDrive, PSM or .vmp source header differs from the template in a byte the save check does
  // not read, so that the result shows whether the header was kept (same family) or rebuilt.
  CardImage image = Cat({TemplateOf(source), Raw()});
  if (image.size() > kRawCardSize + 100) image[100] = 0x77;
  const auto content = BuildFileContent(image, source, target);
  ASSERT_TRUE(content);
  EXPECT_EQ(Unsigned(*content, target),
            Unsigned(FamilyOf(source) == FamilyOf(target) ? image : Cat({TemplateOf(target), Raw()}), target));
  EXPECT_EQ(BuildFileContent(*content, target, Format::Mcr), Raw());  // and back
}

INSTANTIATE_TEST_SUITE_P(AllPairs, ConversionMatrix,
                         ::testing::Combine(::testing::ValuesIn(EveryFormat()), ::testing::ValuesIn(EveryFormat())),
                         [](const auto& pair) {
                           return std::string(FormatExtension(std::get<0>(pair.param))) + "_to_" +
                                  std::string(FormatExtension(std::get<1>(pair.param)));
                         });

TEST(BuildFileContent, ShortDexDriveImageIsPaddedWithZeros) {
  CardImage expected = Raw();
  const CardImage gme = Cat({DexDriveHeader(), Bytes(expected).first(kRawCardSize - 1000)});
  std::fill(expected.end() - 1000, expected.end(), 0);
  EXPECT_EQ(BuildFileContent(gme, Format::Gme, Format::Mcr), expected);
  EXPECT_EQ(BuildFileContent(gme, Format::Gme, Format::Psx), Cat({PsmHeader(), expected}));
}

// A .srm may hold a single save rather than a card; other card formats never do.
TEST(SingleSaveInCardFormat, OnlyASrmHoldingASave) {
  const CardImage save = testkit::Blocks(2);
  EXPECT_TRUE(IsSingleSaveInCardFormat(save, Format::Srm));
  const std::pair<Format, CardImage> cards[] = {
      {Format::Srm, Raw()}, {Format::Srm, CardImage(100, 0)}, {Format::Mcr, save}, {Format::Vm1, save}};
  for (const auto& [format, image] : cards)
    EXPECT_FALSE(IsSingleSaveInCardFormat(image, format)) << FormatKey(format) << " " << image.size();
}

TEST(DemoCards, CommittedFilesMatchTheGenerator) {
  for (Format f : {Format::Mcr, Format::Gme})
    EXPECT_EQ(ReadCardFile(SELVANE_SOURCE_DIR "/examples/demo" + std::string(FormatKey(f))).bytes, demo::DemoCard(f))
        << "examples/demo" << FormatKey(f) << " is out of date: run make_demo_cards examples";
}

namespace fs = std::filesystem;

std::string Reason(int error) { return std::generic_category().message(error); }

// Clipped writes into a span that is part of a larger buffer: nothing lands past the span's end,
// whatever the offset and length (the bytes after it stay as they were).
TEST(Bytes, WritesClipAtTheEndOfTheSpanNotOfTheBuffer) {
  const std::tuple<std::size_t, std::size_t, std::size_t> cases[] = {
      // offset, length, bytes written into a 50-byte span
      {40, 20, 10}, {50, 5, 0}, {49, 1, 1}, {0, 50, 50}, {70, 3, 0}, {std::size_t(-2), 4, 0}};
  for (const auto& [offset, length, written] : cases) {
    CardImage buffer(100, 0xEE);
    const MutableBytes span = MutableBytes(buffer).first(50);
    const CardImage source(length, 0x11);
    EXPECT_EQ(WriteClipped(span, offset, source), written) << offset;
    EXPECT_EQ(FillClipped(span, offset, length, 0x22), written) << offset;
    EXPECT_EQ(std::count(buffer.begin() + 50, buffer.end(), 0xEE), 50) << offset;
    EXPECT_EQ(std::count(buffer.begin(), buffer.begin() + 50, 0x22), static_cast<std::ptrdiff_t>(written)) << offset;
    EXPECT_EQ(ClipRead(span, offset, length).size(), written) << offset;
  }
}

using FileIo = testkit::TempFolder;

TEST_F(FileIo, ReaderTakesRegularFilesUpToSixteenMebibytes) {
  EXPECT_FALSE(FileExists(Put("empty.mcr", CardImage{})));
  EXPECT_EQ(ReadCardFile(Put("odd.gme", {1, 2, 3, 0, 5})).bytes, (CardImage{1, 2, 3, 0, 5}));
  const std::string big = Put("big.gme", {1});
  fs::resize_file(big, kMaxCardFileSize);  // sparse: no data is stored
  EXPECT_TRUE(ReadCardFile(big).ok);
  fs::resize_file(big, kMaxCardFileSize + 1);
  // A folder and a missing file: selvane-cli's "cannot be read" refusals (cli tests).
  std::vector<std::pair<std::string, std::string>> refused = {
      {big, "file is larger than 16 MiB, too large for a memory card"}};
#ifndef _WIN32
  // A reader that opened the FIFO would wait for a writer for ever (the test's time limit ends it).
  ASSERT_EQ(mkfifo((files_ / "pipe.mcr").c_str(), 0600), 0);
  refused.push_back({(files_ / "pipe.mcr").string(), "not a regular file"});
#endif
  for (const auto& [path, reason] : refused) {
    const ReadResult read = ReadCardFile(path);
    EXPECT_EQ(std::tuple(read.ok, read.bytes.size(), read.reason), std::tuple(false, 0u, reason)) << path;
    EXPECT_EQ(FileExists(path), path == big) << path;
  }
}

// The writer refuses a missing folder, a folder and a read-only file, and a write that the file
// system cuts short; each leaves every file as it was. Then it replaces the whole card file and
// keeps the card's permissions.
TEST_F(FileIo, AtomicWriterReplacesTheWholeFileOrNothing) {
  const std::string card = Put("card.mcr", CardImage(1000, 0xEE));
  // Bits that no new file gets from the usual umask, so that only a writer that copies them passes.
  fs::permissions(card, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_write);
  const fs::perms perms = fs::status(card).permissions();
  fs::permissions(Put("locked.mcr", {1, 2, 3}), fs::perms::owner_read);
  fs::create_directory(files_ / "folder.mcr");
  auto before = Folder();
  const std::pair<std::string, std::string> cases[] = {
      {"no/such/card.mcr", Reason(ENOENT)}, {"folder.mcr", Reason(EISDIR)}, {"locked.mcr", "the file is read-only"}};
  for (const auto& [name, reason] : cases) {
    EXPECT_EQ(WriteFileAtomic(Path(name), CardImage{4, 5, 6, 7}).reason, reason) << name;
    EXPECT_EQ(Folder(), before) << name;
  }
#ifndef _WIN32
  // The file size limit lies inside the new content, so the write stops part-way with EFBIG. It
  // runs in a child process with SIGXFSZ ignored, so that the writer sees the error and the limit
  // never touches the test itself.
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{rlim_t{64} * 1024, rlim_t{64} * 1024};
    _exit(setrlimit(RLIMIT_FSIZE, &limit) != 0 ||
          WriteFileAtomic(card, CardImage(kRawCardSize, 0)).reason != Reason(EFBIG));
  }
  int status = -1;
  waitpid(child, &status, 0);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Folder(), before);
#endif
  // The new content reaches the disk before the rename makes it the card file.
  static std::vector<std::string> steps;
  steps.clear();
  detail::ObserveWriteSteps([](std::string_view step) { steps.emplace_back(step); });
  ASSERT_TRUE(WriteFileAtomic(card, CardImage{'M', 'C', 1}).ok);
  detail::ObserveWriteSteps(nullptr);
  EXPECT_EQ(steps, (std::vector<std::string>{"write", "flush", "sync", "rename"}));
  // The sync is the system call itself, made on the temporary file once it holds the whole card.
  static std::vector<long> syncedSizes;
  syncedSizes.clear();
  detail::ReplaceSyncCall([](int descriptor) {
    struct stat info {};
    syncedSizes.push_back(fstat(descriptor, &info) == 0 ? static_cast<long>(info.st_size) : -1);
    return detail::SystemSyncCall()(descriptor);
  });
  ASSERT_TRUE(WriteFileAtomic(card, CardImage(300, 'M')).ok);
  detail::ReplaceSyncCall(nullptr);
  EXPECT_EQ(syncedSizes, std::vector<long>{300});
  ASSERT_TRUE(WriteFileAtomic(card, CardImage{'M', 'C', 1}).ok);
  before["card.mcr"] = {'M', 'C', 1};
  EXPECT_EQ(Folder(), before);
  EXPECT_EQ(fs::status(card).permissions(), perms);
  fs::permissions(files_ / "locked.mcr", fs::perms::owner_all);  // Windows removes no read-only file
#ifndef _WIN32
  // A card named up to the file system's 255-byte limit saves: its temporary file's name fits too.
  const std::string longest = (files_ / (std::string(251, 'n') + ".mcr")).string();
  EXPECT_EQ(WriteFileAtomic(longest, CardImage{'M', 'C'}).reason, "");
  EXPECT_EQ(ReadCardFile(longest).bytes, (CardImage{'M', 'C'}));
#endif
}

}  // namespace
}  // namespace selvane
