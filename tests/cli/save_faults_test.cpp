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
#include "slots/operations.h"
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
  // The bytes a successful run leaves in `target` (a .gme target here), from the source card and
  // the target's old bytes.
  std::function<CardImage(const CardImage& source, const CardImage& oldTarget)> expected;
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
  void ExpectFailure(const CliRun& run, const fs::path& target, const std::string& reason) {
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find(target.string() + " could not be saved: " + reason + "."), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Slurp(dir_ / "source.mcr"), source_) << "a move frees its source only after DST was written";
  }

  fs::path dir_;
  CardImage source_;
  CardImage old_;
};

TEST_P(SaveFaults, WritesTheTargetWhenNothingStandsInTheWay) {
  const fs::path target = OldTarget();
  const CliRun run = Run(target);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Slurp(target), GetParam().expected(source_, old_));
  EXPECT_EQ(Listing(dir_), (std::set<std::string>{"source.mcr", "target.gme"}));
}

// The commands that create their target file: a missing folder or a folder in the way is a save
// fault for them (the others fail earlier, reading the target).
class NewFileSaveFaults : public SaveFaults {};

TEST_P(NewFileSaveFaults, TargetFolderDoesNotExist) {
  const auto before = Listing(dir_);
  const fs::path target = dir_ / "missing" / "target.gme";
  ExpectFailure(Run(target), target, Reason(ENOENT));
  EXPECT_EQ(Listing(dir_), before);
  EXPECT_EQ(Slurp(dir_ / "source.mcr"), source_);
}

TEST_P(NewFileSaveFaults, TargetIsAFolder) {
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
    [](const CardImage& source, const CardImage&) { return *BuildFileContent(source, Format::Mcr, Format::Gme); },
};
const Writer kNew{
    "new",
    [](const fs::path& target, const fs::path&) {
      return std::vector<std::string>{"new", target.string()};
    },
    [](const CardImage&, const CardImage&) { return *BuildFileContent(EmptyCard(), Format::Mcr, Format::Gme); },
};

// The commands that read a card and write it back: the expected bytes come from the window's
// operation on panes, as the card file holds the image unchanged within its own family.
class SilentPort : public UserPort {
 public:
  void ShowMessage(std::string_view, MessageIcon) override {}
  Answer Ask(std::string_view, Buttons, Answer) override { return Answer::No; }
  std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest&) override { return std::nullopt; }
};

Pane Listed(const std::string& path, const CardImage& image, int selected) {
  SilentPort port;
  Pane pane;
  pane.path = path;
  pane.image = image;
  RefreshSlots(pane, port);
  pane.selected = selected;
  return pane;
}

Writer OneCard(std::string name, std::vector<std::string> options, std::function<void(Pane&)> op) {
  return Writer{name,
                [name, options](const fs::path& target, const fs::path&) {
                  std::vector<std::string> args{name, target.string()};
                  args.insert(args.end(), options.begin(), options.end());
                  return args;
                },
                [op](const CardImage&, const CardImage& oldTarget) {
                  Pane pane = Listed("target.gme", oldTarget, 1);
                  op(pane);
                  return pane.image;
                }};
}

Writer Transfer(std::string name, bool move) {
  return Writer{name,
                [name](const fs::path& target, const fs::path& source) {
                  return std::vector<std::string>{name, source.string(), "1", target.string()};
                },
                [move](const CardImage& source, const CardImage& oldTarget) {
                  SilentPort port;
                  Pane from = Listed("source.mcr", source, 0);
                  Pane to = Listed("target.gme", oldTarget, -1);
                  to.index = 1;
                  CopySlot(from, to, move, port);
                  return to.image;
                }};
}

const Writer kDelete = OneCard("delete", {"2"}, [](Pane& pane) {
  SilentPort port;
  DeleteSlot(pane, port);
});
const Writer kToggle = OneCard("toggle", {"2"}, [](Pane& pane) {
  SilentPort port;
  ToggleDeleted(pane, port);
});
const Writer kClear = OneCard("clear", {}, [](Pane& pane) {
  SilentPort port;
  ClearAllSlots(pane, port);
});
const Writer kEdit = OneCard("edit", {"2", "--id", "SLES-77777"}, [](Pane& pane) {
  SilentPort port;
  const auto identity = BeginEditSlot(pane, port);
  ApplyEditSlot(pane, *identity, std::nullopt, "SLES-77777");
});
const Writer kCopy = Transfer("copy", false);
const Writer kMove = Transfer("move", true);

INSTANTIATE_TEST_SUITE_P(Cli, SaveFaults,
                         ::testing::Values(kConvert, kNew, kCopy, kMove, kDelete, kClear, kToggle, kEdit), PrintWriter);
INSTANTIATE_TEST_SUITE_P(Cli, NewFileSaveFaults, ::testing::Values(kConvert, kNew), PrintWriter);

// A move writes DST first; when SRC then cannot be written, the save is on both cards rather than
// on none, and the command fails naming SRC.
TEST(MoveFaults, SourceThatCannotBeWrittenKeepsTheSaveOnBothCards) {
  std::string pattern = (fs::temp_directory_path() / "selvane-move-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const fs::path dir = pattern;
  const CardImage source = demo::CardBuilder().AddSave(1, 2, "Moving Save", "SLUS-03030").Build(Format::Mcr);
  const CardImage target = EmptyCard();
  Spit(dir / "source.mcr", source);
  Spit(dir / "target.mcr", target);
  fs::permissions(dir / "source.mcr", fs::perms::owner_read);

  const CliRun run = RunCliWithLimits({"move", (dir / "source.mcr").string(), "1", (dir / "target.mcr").string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find((dir / "source.mcr").string() + " could not be saved: the file is read-only."),
            std::string::npos)
      << run.err;
  EXPECT_EQ(Slurp(dir / "source.mcr"), source);
  const CardImage moved = Slurp(dir / "target.mcr");
  ASSERT_EQ(moved.size(), kRawCardSize);
  EXPECT_TRUE(std::equal(moved.begin() + kBlockSize, moved.begin() + 3 * kBlockSize, source.begin() + kBlockSize));
  EXPECT_EQ(Listing(dir), (std::set<std::string>{"source.mcr", "target.mcr"}));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace selvane
