// selvane-cli's slot commands on card files in a temporary folder: their work functions, their
// argument parsing, and a few runs of the executable itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "cli/slot_commands.h"
#include "core/file_io.h"
#include "examples/card_builder.h"

namespace selvane::cli {
namespace {

namespace fs = std::filesystem;
using demo::CardBuilder;

class SlotCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> counter{0};
    dir_ = fs::temp_directory_path() /
           ("selvane-slot-cli-" + std::to_string(std::random_device{}()) + "-" + std::to_string(counter++) + "-" +
            std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  std::string Write(const std::string& name, const CardImage& bytes) {
    const std::string path = (dir_ / name).string();
    EXPECT_TRUE(WriteFileAtomic(path, bytes).ok);
    return path;
  }
  static CardImage Read(const std::string& path) { return ReadCardFile(path).bytes; }
  Streams io() { return {out_, err_}; }

  fs::path dir_;
  std::ostringstream out_;
  std::ostringstream err_;
};

std::uint8_t StatusIn(const CardImage& image, Format format, int slot) {
  return image[*DataOffset(image, format) + SlotEntryOffset(slot)];
}

TEST(ParseSlotNumber, TakesOneToFifteenWithOrWithoutLeadingZero) {
  EXPECT_EQ(ParseSlotNumber("3"), 3);
  EXPECT_EQ(ParseSlotNumber("03"), 3);
  EXPECT_EQ(ParseSlotNumber("1"), 1);
  EXPECT_EQ(ParseSlotNumber("15"), 15);
  for (const char* bad : {"0", "00", "16", "003", "-1", "+3", "3a", "", " 3", "0x3"}) {
    EXPECT_FALSE(ParseSlotNumber(bad)) << bad;
  }
}

class CopyIntoEachFormat : public SlotCommandsTest, public ::testing::WithParamInterface<Format> {};

TEST_P(CopyIntoEachFormat, WritesTheSaveIntoDstAndLeavesSrcAlone) {
  const Format format = GetParam();
  const std::string src = Write("src.mcr", CardBuilder().AddSave(4, 3, "CARRIED", "SLUS-01234", 'A', false, 6).Build());
  const std::string dst =
      Write("dst" + std::string(FormatKey(format)), CardBuilder().AddSave(1, 1, "HOME").Build(format));
  const CardImage srcBefore = Read(src);
  const CardImage dstBefore = Read(dst);

  ASSERT_EQ(RunCopy(src, 5, dst, {}, io()), kExitOk) << err_.str();
  const CardImage dstAfter = Read(dst);
  const std::size_t offset = *DataOffset(dstAfter, format);
  EXPECT_EQ(Read(src), srcBefore);
  ASSERT_EQ(dstAfter.size(), dstBefore.size());
  EXPECT_TRUE(std::equal(dstAfter.begin(), dstAfter.begin() + static_cast<std::ptrdiff_t>(offset + 256),
                         dstBefore.begin()));  // container header, header frame, slot 1
  EXPECT_EQ(StatusIn(dstAfter, format, 2), 0x51);
  EXPECT_EQ(StatusIn(dstAfter, format, 3), 0x52);
  EXPECT_EQ(StatusIn(dstAfter, format, 4), 0x53);
  EXPECT_EQ(ReadLe16(dstAfter, offset + SlotEntryOffset(2) + kEntryNextSlot), 2);
  EXPECT_EQ(ReadLe16(dstAfter, offset + SlotEntryOffset(4) + kEntryNextSlot), 0xFFFF);
  EXPECT_TRUE(err_.str().empty());

  EXPECT_EQ(RunCompare(src, 4, dst, 2, io()), kExitOk);
  EXPECT_EQ(RunCompare(src, 5, dst, 3, io()), kExitOk);
  EXPECT_EQ(RunCompare(src, 4, dst, 3, io()), kExitFailed);
  EXPECT_EQ(out_.str(), "Slots are IDENTICAL!\nSlots are IDENTICAL!\nSlots are the DIFFERENT!!\n");
}

INSTANTIATE_TEST_SUITE_P(AllFormats, CopyIntoEachFormat, ::testing::ValuesIn(kAllFormats),
                         [](const auto& param) { return std::string(FormatExtension(param.param)); });

TEST_F(SlotCommandsTest, MoveWritesBothCardsAndFreesTheSource) {
  const std::string src = Write("src.gme", CardBuilder().AddSave(2, 2, "GO").Build(Format::Gme));
  const std::string dst = Write("dst.mem", CardBuilder().Build(Format::Mem));
  CopyOptions move;
  move.move = true;
  ASSERT_EQ(RunCopy(src, 3, dst, move, io()), kExitOk) << err_.str();
  EXPECT_EQ(Read(src), CardBuilder().Build(Format::Gme));
  EXPECT_EQ(StatusIn(Read(dst), Format::Mem, 1), 0x51);
  EXPECT_EQ(StatusIn(Read(dst), Format::Mem, 2), 0x53);
}

TEST_F(SlotCommandsTest, ReplaceOnlyWithTheOption) {
  const std::string src = Write("src.mcr", CardBuilder().AddSave(1, 1, "NEW", "SLUS-00002", 'A', false, 2).Build());
  const std::string dst = Write("dst.mcr", CardBuilder().AddSave(1, 1, "OLD").Build());
  const CardImage dstBefore = Read(dst);
  CopyOptions options;
  options.to = 1;
  ASSERT_EQ(RunCopy(src, 1, dst, options, io()), kExitOk);
  const CardImage declined = Read(dst);
  EXPECT_TRUE(std::equal(declined.begin(), declined.begin() + SlotEntryOffset(2), dstBefore.begin()));
  // declined: the first free line took it
  EXPECT_EQ(std::string(declined.begin() + SlotEntryOffset(2) + 12, declined.begin() + SlotEntryOffset(2) + 22),
            "SLUS-00002");

  options.replace = true;
  ASSERT_EQ(RunCopy(src, 1, dst, options, io()), kExitOk);
  const CardImage after = Read(dst);
  EXPECT_TRUE(std::equal(after.begin() + SlotEntryOffset(1), after.begin() + SlotEntryOffset(2),
                         Read(src).begin() + SlotEntryOffset(1)));
}

TEST_F(SlotCommandsTest, RefusedOrFailedCommandsChangeNoFile) {
  const std::string src = Write("src.psx", CardBuilder().AddSave(1, 3, "BIG").Build(Format::Psx));
  const std::string full = Write("full.mcd", CardBuilder().AddSave(1, 14, "MOST").Build(Format::Mcd));
  CardImage cut = CardBuilder().Build(Format::Mcr);
  cut.resize(100000);
  const std::string shortCard = Write("short.mcr", cut);
  const CardImage srcBefore = Read(src);
  const CardImage fullBefore = Read(full);
  CopyOptions move;
  move.move = true;

  EXPECT_EQ(RunCopy(src, 1, full, move, io()), kExitFailed);
  EXPECT_NE(err_.str().find("full.mcd: The memory card is full.\n"), std::string::npos) << err_.str();
  EXPECT_EQ(RunCopy(src, 1, shortCard, {}, io()), kExitFailed);  // could not be saved back
  EXPECT_NE(err_.str().find("short.mcr: File is in a wrong format.\n"), std::string::npos);
  EXPECT_EQ(RunCopy(shortCard, 1, src, move, io()), kExitFailed);  // SRC could not be saved back
  EXPECT_EQ(RunCopy(src, 1, src, move, io()), kExitFailed);
  EXPECT_EQ(RunCopy(src, 1, (dir_ / "none.mcr").string(), {}, io()), kExitFailed);
  EXPECT_EQ(RunToggle(full, 15, io()), kExitFailed);  // a free slot has no save to mark
  EXPECT_NE(err_.str().find("full.mcd: Select a slot\n"), std::string::npos);
  EXPECT_EQ(RunEdit(full, 15, {std::nullopt, std::string()}, io()), kExitFailed);
  EXPECT_EQ(RunDelete((dir_ / "card.bin").string(), 1, io()), kExitFailed);

  EXPECT_EQ(Read(src), srcBefore);
  EXPECT_EQ(Read(full), fullBefore);
  EXPECT_EQ(Read(shortCard), cut);
  EXPECT_FALSE(fs::exists(dir_ / "none.mcr"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 3);  // no temporary left
}

TEST_F(SlotCommandsTest, DeleteClearAndToggleWriteTheCardBack) {
  const std::string card = Write("card.ddf", CardBuilder().AddSave(1, 2, "A").AddSave(3, 3, "B").Build(Format::Ddf));
  ASSERT_EQ(RunToggle(card, 4, io()), kExitOk);
  EXPECT_EQ(StatusIn(Read(card), Format::Ddf, 3), 0xA1);
  EXPECT_EQ(StatusIn(Read(card), Format::Ddf, 5), 0xA3);
  ASSERT_EQ(RunToggle(card, 5, io()), kExitOk);
  EXPECT_EQ(Read(card), CardBuilder().AddSave(1, 2, "A").AddSave(3, 3, "B").Build(Format::Ddf));

  ASSERT_EQ(RunDelete(card, 2, io()), kExitOk);
  const CardImage deleted = Read(card);
  EXPECT_EQ(deleted[SlotEntryOffset(2)], 0xA0);
  EXPECT_EQ(deleted[SlotEntryOffset(1)], 0x51);

  ASSERT_EQ(RunClear(card, io()), kExitOk);
  EXPECT_EQ(Read(card), CardBuilder().Build(Format::Ddf));
  EXPECT_TRUE(err_.str().empty()) << err_.str();
}

TEST_F(SlotCommandsTest, EditSetsRegionAndUpperCaseId) {
  const std::string card = Write("card.ps", CardBuilder().AddSave(6, 2, "E", "ABCD-01234", 'E').Build(Format::Ps));
  ASSERT_EQ(RunEdit(card, 7, {std::string("USA"), std::string("wxyz")}, io()), kExitOk);
  CardImage after = Read(card);
  EXPECT_EQ(std::string(after.begin() + SlotEntryOffset(6) + 11, after.begin() + SlotEntryOffset(6) + 22),
            "AWXYZ-01234");
  EXPECT_EQ(FrameChecksum(Bytes(after).subspan(SlotEntryOffset(6), kFrameSize)), after[SlotEntryOffset(6) + 127]);

  ASSERT_EQ(RunEdit(card, 6, {std::string("jap"), std::nullopt}, io()), kExitOk);  // keeps the ID
  after = Read(card);
  EXPECT_EQ(std::string(after.begin() + SlotEntryOffset(6) + 11, after.begin() + SlotEntryOffset(6) + 22),
            "IWXYZ-01234");

  const CardImage before = Read(card);
  EXPECT_EQ(RunEdit(card, 6, {}, io()), kExitUsage);
  EXPECT_EQ(RunEdit(card, 6, {std::string("pal"), std::nullopt}, io()), kExitUsage);
  EXPECT_EQ(RunDelete(card, 16, io()), kExitUsage);
  EXPECT_EQ(Read(card), before);
}

TEST_F(SlotCommandsTest, CompareRefusesCardsItCannotRead) {
  const std::string card = Write("card.mcr", CardBuilder().AddSave(1, 1, "A").Build());
  EXPECT_EQ(RunCompare(card, 1, (dir_ / "none.mcr").string(), 1, io()), kExitUsage);
  EXPECT_EQ(RunCompare(card, 1, card, 1, io()), kExitOk);
  EXPECT_EQ(RunCompare(card, 1, card, 0, io()), kExitUsage);
}

TEST_F(SlotCommandsTest, ParserTakesSlotNumbersAndOptions) {
  const std::string src = Write("src.mcr", CardBuilder().AddSave(2, 1, "ONE").Build());
  const std::string dst = Write("dst.mem", CardBuilder().AddSave(1, 1, "X").Build(Format::Mem));
  auto run = [&](std::vector<std::string> args) {
    CLI::App app;
    app.require_subcommand(1);
    Streams streams = io();
    int status = -1;
    AddSlotCommands(app, streams, status);
    std::reverse(args.begin(), args.end());
    app.parse(args);
    return status;
  };
  EXPECT_EQ(run({"copy", src, "02", dst, "--to", "03"}), kExitOk);
  EXPECT_EQ(StatusIn(Read(dst), Format::Mem, 3), 0x51);
  EXPECT_EQ(run({"compare", src, "2", dst, "3"}), kExitOk);
  EXPECT_EQ(run({"edit", dst, "3", "--region", "EUR"}), kExitOk);
  EXPECT_EQ(Read(dst)[64 + SlotEntryOffset(3) + 11], 'E');
  EXPECT_THROW(run({"delete", dst, "16"}), CLI::ValidationError);
  EXPECT_THROW(run({"copy", src, "2", dst, "--to", "x"}), CLI::ValidationError);
  EXPECT_THROW(run({"edit", dst, "3", "--region", "pal"}), CLI::ValidationError);
  EXPECT_THROW(run({"toggle", dst}), CLI::RequiredError);
}

#ifndef _WIN32
TEST_F(SlotCommandsTest, ExecutableExitStatus) {
  const std::string card =
      Write("card.mcr", CardBuilder().AddSave(1, 1, "A").AddSave(2, 1, "B", "SLUS-1", 'A', false, 9).Build());
  const std::string cli = SELVANE_CLI_PATH;
  auto status = [&](const std::string& args) {
    const int raw = std::system((cli + " " + args + " >/dev/null 2>&1").c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  };
  EXPECT_EQ(status("compare '" + card + "' 01 '" + card + "' 1"), 0);
  EXPECT_EQ(status("compare '" + card + "' 1 '" + card + "' 2"), 1);
  EXPECT_EQ(status("compare '" + card + "' 1 '" + card + "' 16"), 2);
  EXPECT_EQ(status("delete '" + card + "'"), 2);
  EXPECT_EQ(status("delete '" + card + "' 02"), 0);
  EXPECT_EQ(Read(card)[SlotEntryOffset(2)], 0xA0);
}
#endif

}  // namespace
}  // namespace selvane::cli
