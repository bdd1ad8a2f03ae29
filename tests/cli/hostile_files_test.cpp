// selvane-cli given files that are no memory card: a sparse 4 GiB card, a file one byte over
// 16 MiB, a FIFO, a device, a folder, a file it may not read. Each is refused quickly with
// "<path>: cannot be read: <reason>" and exit status 1, and nothing is written.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/card.h"
#include "examples/card_builder.h"
#include "tests/cli/cli_process.h"

namespace selvane {
namespace {

namespace fs = std::filesystem;
using test::CliLimits;
using test::CliRun;
using test::Listing;
using test::RunCliWithLimits;

class HostileFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "selvane-hostile-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // list, info and convert of `card` all refuse it with `reason`; convert writes nothing.
  void ExpectRefused(const fs::path& card, const std::string& reason, const CliLimits& limits = {}) {
    const std::string expected = card.string() + ": cannot be read: " + reason + "\n";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"list", card.string()}, std::vector<std::string>{"info", card.string()},
          std::vector<std::string>{"info", "--json", card.string()},
          std::vector<std::string>{"convert", card.string(), (dir_ / "out.mem").string()}}) {
      const auto before = Listing(dir_);
      const CliRun run = RunCliWithLimits(args, limits);
      EXPECT_EQ(run.status, 1) << args[0] << " " << card << ": " << run.err;
      // An unreadable ".gme" leaves an empty image without a raw card, so the list rebuild also says
      // "Memory card format not supported" first, as the window does.
      EXPECT_TRUE(run.err.ends_with(expected)) << args[0] << ": " << run.err;
      EXPECT_EQ(run.out, "") << args[0];
      EXPECT_EQ(Listing(dir_), before) << args[0];
    }
  }

  fs::path dir_;
};

// A file that is no card: how the test makes it (its path), and the reason it is refused with.
struct Hostile {
  const char* name;
  std::function<fs::path(const fs::path& dir)> make;
  std::string reason;
  bool ordinaryUser = false;  // chmod 000 stops everyone but the superuser
};

fs::path Sized(const fs::path& path, std::uintmax_t size) {
  { std::ofstream touch(path); }
  fs::resize_file(path, size);  // sparse: the blocks are never written
  return path;
}

class HostileFile : public HostileFiles, public ::testing::WithParamInterface<Hostile> {};

// Each is refused at once (a FIFO would wait for a writer, /dev/zero never end: the time limit
// turns such a hang into a failure) and never read past the 16 MiB limit.
TEST_P(HostileFile, IsRefusedByListInfoAndConvert) {
  CliLimits limits;
  limits.timeoutSeconds = 10;
  limits.ordinaryUser = GetParam().ordinaryUser;
  if (limits.ordinaryUser) fs::permissions(dir_, fs::perms::others_write, fs::perm_options::add);
  ExpectRefused(GetParam().make(dir_), GetParam().reason, limits);
}

const std::string kTooLarge = "file is larger than 16 MiB, too large for a memory card";
const std::string kNotRegular = "not a regular file";

INSTANTIATE_TEST_SUITE_P(
    Cli, HostileFile,
    ::testing::Values(Hostile{"SparseFourGibibyteCard",
                              [](const fs::path& d) { return Sized(d / "huge.mcr", std::uintmax_t{4} << 30); },
                              kTooLarge},
                      Hostile{"DexDriveOneByteOverSixteenMebibytes",
                              [](const fs::path& d) { return Sized(d / "big.gme", kMaxCardFileSize + 1); }, kTooLarge},
                      Hostile{"Fifo",
                              [](const fs::path& d) {
                                mkfifo((d / "pipe.mcr").c_str(), 0600);
                                return d / "pipe.mcr";
                              },
                              kNotRegular},
                      Hostile{"Device", [](const fs::path&) { return fs::path("/dev/zero"); }, kNotRegular},
                      Hostile{"DeviceUnderACardName",
                              [](const fs::path& d) {
                                fs::create_symlink("/dev/zero", d / "zero.mcr");
                                return d / "zero.mcr";
                              },
                              kNotRegular},
                      Hostile{"Folder",
                              [](const fs::path& d) {
                                fs::create_directory(d / "folder.mcr");
                                return d / "folder.mcr";
                              },
                              std::generic_category().message(EISDIR)},
                      Hostile{"MissingFile", [](const fs::path& d) { return d / "absent.mcr"; },
                              std::generic_category().message(ENOENT)},
                      Hostile{"NoReadPermission",
                              [](const fs::path& d) {
                                const CardImage card = demo::CardBuilder().AddSave(1, 1, "Secret").Build(Format::Mcr);
                                std::ofstream(d / "secret.mcr", std::ios::binary)
                                    .write(reinterpret_cast<const char*>(card.data()),
                                           static_cast<std::streamsize>(card.size()));
                                fs::permissions(d / "secret.mcr", fs::perms::none);
                                return d / "secret.mcr";
                              },
                              std::generic_category().message(EACCES), true}),
    [](const ::testing::TestParamInfo<Hostile>& row) { return std::string(row.param.name); });

TEST_F(HostileFiles, SixteenMebibytesAreReadAndAnEmptyFileIsNamedSo) {
  const fs::path big = Sized(dir_ / "big.gme", kMaxCardFileSize);  // zeros: no raw card to list
  EXPECT_EQ(RunCliWithLimits({"list", big.string()}).err, big.string() + ": Memory card format not supported\n");
  { std::ofstream touch(dir_ / "empty.mcr"); }
  const CliRun run = RunCliWithLimits({"list", (dir_ / "empty.mcr").string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, (dir_ / "empty.mcr").string() + ": the file is empty\n");
}

// A card file cut short before a slot: an operation on that slot has no byte to change. The command
// says so and exits with 1, and the file stays as it was.
TEST_F(HostileFiles, SlotPastTheEndOfAShortCardChangesNothing) {
  const CardImage whole = demo::CardBuilder().AddSave(1, 1, "Short", "SLUS-00700").Build(Format::Mcr);
  const CardImage cut(whole.begin(), whole.begin() + 1000);  // entries of slots 1..6 only
  const fs::path card = dir_ / "short.mcr";
  const fs::path target = dir_ / "target.mcr";
  {
    std::ofstream out(card, std::ios::binary);
    out.write(reinterpret_cast<const char*>(cut.data()), static_cast<std::streamsize>(cut.size()));
    std::ofstream empty(target, std::ios::binary);
    const CardImage blank = EmptyCard();
    empty.write(reinterpret_cast<const char*>(blank.data()), static_cast<std::streamsize>(blank.size()));
  }
  const std::string nothing = card.string() + ": nothing was changed: the card file ends before that slot\n";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"delete", card.string(), "10"}, std::vector<std::string>{"clear", card.string()},
        std::vector<std::string>{"edit", card.string(), "12", "--id", "SLUS-00001"}}) {
    const CliRun run = RunCliWithLimits(args);
    EXPECT_EQ(run.status, 1) << args[0];
    // clear frees the entries that exist, and then the short card cannot be saved.
    EXPECT_EQ(run.err, args[0] == "clear" ? card.string() + ": File is in a wrong format.\n" : nothing) << args[0];
  }
  const CliRun copy = RunCliWithLimits({"copy", card.string(), "10", target.string()});
  EXPECT_EQ(copy.status, 1);
  EXPECT_EQ(copy.err, target.string() + ": nothing was changed: " + card.string() + " ends before that slot\n");
  EXPECT_EQ(test::ReadText(card), std::string(cut.begin(), cut.end()));
  const CardImage blank = EmptyCard();
  EXPECT_EQ(test::ReadText(target), std::string(blank.begin(), blank.end()));
}

}  // namespace
}  // namespace selvane
