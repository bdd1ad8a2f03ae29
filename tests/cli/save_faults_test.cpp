// selvane-cli when the file system refuses a save: the target's folder is missing, the target is a
// folder, the write is cut short by the file size limit, or the target is read-only. Every case
// exits with 1, names the path and the system's reason, leaves the old file byte-identical and
// leaves no temporary file in the folder.
#include <sys/stat.h>

#include <cstdlib>
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

std::vector<std::uint8_t> Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Spit(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string Reason(int error) { return std::generic_category().message(error); }

// A command that writes a card file, and how it is invoked for a given target.
struct Writer {
  std::string name;
  // Arguments for writing `target`; `source` is a readable card of another name in the same folder.
  std::function<std::vector<std::string>(const fs::path& target, const fs::path& source)> args;
  // The bytes a successful run leaves in `target` (a .gme target here), from the source card.
  std::function<CardImage(const CardImage& source)> expected;
  // False for commands that must read the target before writing it back: a missing folder or a
  // folder is then a load failure, not a save fault.
  bool createsTarget = true;
};

void PrintTo(const Writer& writer, std::ostream* os) { *os << writer.name; }

std::string PrintWriter(const ::testing::TestParamInfo<Writer>& info) { return info.param.name; }

class SaveFaults : public ::testing::TestWithParam<Writer> {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "selvane-save-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    source_ = demo::CardBuilder().AddSave(1, 3, "Source Save", "SLUS-01234").Build(Format::Mcr);
    old_ = demo::CardBuilder().AddSave(2, 1, "Old Target", "SLES-04321", 'E').Build(Format::Gme);
    Spit(dir_ / "source.mcr", source_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }

  fs::path OldTarget() {
    const fs::path target = dir_ / "target.gme";
    Spit(target, old_);
    return target;
  }
  CliRun Run(const fs::path& target, const CliLimits& limits = {}) {
    return RunCliWithLimits(GetParam().args(target, dir_ / "source.mcr"), limits);
  }
  static void ExpectFailure(const CliRun& run, const fs::path& target, const std::string& reason) {
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find(target.string() + " could not be saved: " + reason), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }

  fs::path dir_;
  CardImage source_;
  CardImage old_;
};

TEST_P(SaveFaults, WritesTheTargetWhenNothingStandsInTheWay) {
  const fs::path target = OldTarget();
  const CliRun run = Run(target);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Slurp(target), GetParam().expected(source_));
  EXPECT_EQ(Listing(dir_), (std::set<std::string>{"source.mcr", "target.gme"}));
}

TEST_P(SaveFaults, TargetFolderDoesNotExist) {
  if (!GetParam().createsTarget) GTEST_SKIP() << "the command reads its target first";
  const auto before = Listing(dir_);
  const fs::path target = dir_ / "missing" / "target.gme";
  ExpectFailure(Run(target), target, Reason(ENOENT));
  EXPECT_EQ(Listing(dir_), before);
  EXPECT_EQ(Slurp(dir_ / "source.mcr"), source_);
}

TEST_P(SaveFaults, TargetIsAFolder) {
  if (!GetParam().createsTarget) GTEST_SKIP() << "the command reads its target first";
  const fs::path target = dir_ / "target.gme";
  fs::create_directory(target);
  Spit(target / "kept", old_);
  const auto before = Listing(dir_);
  ExpectFailure(Run(target), target, Reason(EISDIR));
  EXPECT_TRUE(fs::is_directory(target));
  EXPECT_EQ(Listing(target), std::set<std::string>{"kept"});
  EXPECT_EQ(Slurp(target / "kept"), old_);
  EXPECT_EQ(Listing(dir_), before);
}

TEST_P(SaveFaults, FileSystemRefusesTheWritePartWay) {
  const fs::path target = OldTarget();
  const auto before = Listing(dir_);
  CliLimits limits;
  limits.fileSizeLimit = 64 * 1024;  // below every card file, above nothing the command reads
  ExpectFailure(Run(target, limits), target, Reason(EFBIG));
  EXPECT_EQ(Slurp(target), old_);
  EXPECT_EQ(Listing(dir_), before);
}

TEST_P(SaveFaults, TargetIsReadOnly) {
  const fs::path target = OldTarget();
  fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const auto before = Listing(dir_);
  ExpectFailure(Run(target), target, "the file is read-only");
  EXPECT_EQ(Slurp(target), old_);
  EXPECT_EQ(Listing(dir_), before);
}

TEST_P(SaveFaults, FolderDoesNotLetThisUserWrite) {
  const fs::path target = OldTarget();
  // Everyone may read and replace the card itself; only the folder refuses the new file. The
  // superuser passes every permission check, so the command runs as an ordinary user then.
  fs::permissions(target, fs::perms::all);
  fs::permissions(dir_ / "source.mcr", fs::perms::all);
  fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                            fs::perms::others_exec);
  if (geteuid() != 0) fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::remove);
  const auto before = Listing(dir_);
  CliLimits limits;
  limits.ordinaryUser = true;
  ExpectFailure(Run(target, limits), target, Reason(EACCES));
  EXPECT_EQ(Slurp(target), old_);
  EXPECT_EQ(Listing(dir_), before);
}

const Writer kConvert{
    "convert",
    [](const fs::path& target, const fs::path& source) {
      return std::vector<std::string>{"convert", source.string(), target.string()};
    },
    [](const CardImage& source) { return *BuildFileContent(source, Format::Mcr, Format::Gme); },
};
const Writer kNew{
    "new",
    [](const fs::path& target, const fs::path&) {
      return std::vector<std::string>{"new", target.string()};
    },
    [](const CardImage&) { return *BuildFileContent(EmptyCard(), Format::Mcr, Format::Gme); },
};

INSTANTIATE_TEST_SUITE_P(Cli, SaveFaults, ::testing::Values(kConvert, kNew), PrintWriter);

}  // namespace
}  // namespace selvane
