// SaveCard when the card file changed on disk since it was loaded (an emulator wrote to it), and
// when the write fails: the question, what Yes and No do, and that a declined or failed save keeps
// CardModified and the file as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iterator>
#include <random>

#include "examples/card_builder.h"
#include "slots/card_file.h"
#include "tests/slots/test_port.h"

namespace selvane {
namespace {

namespace fs = std::filesystem;

// The slot tests' port, with the save dialog answered by `saveChoice`.
struct Port : testkit::TestPort {
  std::optional<FileChoice> saveChoice;
  std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest&) override { return saveChoice; }
};

class SaveCardOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("selvane-savecard-" + std::to_string(std::random_device{}()));
    ASSERT_TRUE(fs::create_directory(dir_));
    path_ = (dir_ / "card.mcr").string();
    ASSERT_TRUE(WriteFileAtomic(path_, loaded_).ok);
    // A time in the past, so that a rewrite can be dated later without waiting for the clock.
    fs::last_write_time(path_, fs::file_time_type::clock::now() - std::chrono::hours(1));
    pane_.path = path_;
    ASSERT_EQ(LoadCard(pane_, outputExt_, port_), LoadOutcome::Loaded);
    pane_.image[SlotEntryOffset(3)] = status::kFirst;  // an edit in memory
    pane_.cardModified = true;
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, ec);
    fs::remove_all(dir_, ec);
  }

  // Another program replaces the card with `bytes`, dated `later` after the load.
  void Rewrite(const CardImage& bytes, std::chrono::seconds later) {
    const auto time = fs::last_write_time(path_);
    ASSERT_TRUE(WriteFileAtomic(path_, bytes).ok);
    fs::last_write_time(path_, time + later);
  }
  SaveOutcome Save(std::string path = {}) { return SaveCard(path.empty() ? path_ : path, pane_, outputExt_, port_); }
  CardImage OnDisk() const { return ReadCardFile(path_).bytes; }
  std::string Question() const { return path_ + " has changed on disk since it was opened. Overwrite it?"; }

  const CardImage loaded_ = demo::CardBuilder().AddSave(1, 2, "Loaded Save").Build(Format::Mcr);
  const CardImage emulator_ = demo::CardBuilder().AddSave(1, 2, "Emulator Save").Build(Format::Mcr);
  fs::path dir_;
  std::string path_;
  Pane pane_;
  std::string outputExt_;
  Port port_;
};

TEST_F(SaveCardOnDisk, UnchangedFileIsSavedWithoutAsking) {
  EXPECT_EQ(Save(), SaveOutcome::Saved);
  EXPECT_TRUE(port_.questions().empty());
  EXPECT_EQ(OnDisk(), pane_.image);
  EXPECT_FALSE(pane_.cardModified);
}

TEST_F(SaveCardOnDisk, YesOverwritesAndTheNextSaveDoesNotAskAgain) {
  Rewrite(emulator_, std::chrono::seconds(2));
  port_.Answering({Answer::Yes});
  EXPECT_EQ(Save(), SaveOutcome::Saved);
  ASSERT_EQ(port_.questions().size(), 1u);
  EXPECT_EQ(port_.questions()[0].text, Question());
  EXPECT_EQ(port_.questions()[0].buttons, Buttons::YesNo);
  EXPECT_EQ(port_.questions()[0].defaultAnswer, Answer::No);
  EXPECT_EQ(OnDisk(), pane_.image);
  EXPECT_FALSE(pane_.cardModified);
  pane_.cardModified = true;
  EXPECT_EQ(Save(), SaveOutcome::Saved);
  EXPECT_EQ(port_.questions().size(), 1u);
}

// Size or time alone tells a changed file; No writes nothing and asks again on the next save.
TEST_F(SaveCardOnDisk, NoKeepsTheOtherProgramsFileAndTheUnsavedWork) {
  CardImage longer = loaded_;
  longer.push_back(0);
  for (const auto& [bytes, later] :
       {std::pair{longer, std::chrono::seconds(0)}, std::pair{emulator_, std::chrono::seconds(2)}}) {
    Rewrite(bytes, later);
    const CardImage edited = pane_.image;
    port_.Answering({Answer::No});
    EXPECT_EQ(Save(), SaveOutcome::Cancelled);
    EXPECT_EQ(port_.questions().back().text, Question());
    EXPECT_TRUE(port_.messages().empty());
    EXPECT_EQ(OnDisk(), bytes);
    EXPECT_EQ(pane_.image, edited);
    EXPECT_TRUE(pane_.cardModified);
  }
  EXPECT_EQ(port_.questions().size(), 2u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);  // no temporary file
}

TEST_F(SaveCardOnDisk, SaveAsOntoTheLoadedFileAsksAndOtherFilesDoNot) {
  Rewrite(emulator_, std::chrono::seconds(2));
  port_.saveChoice = FileChoice{path_, 3};  // the dialog's "ePSXe (*.mcr)" entry, same name
  port_.Answering({Answer::No});
  EXPECT_EQ(SaveCard("", pane_, outputExt_, port_), SaveOutcome::Cancelled);
  EXPECT_EQ(port_.questions().at(0).text, Question());
  EXPECT_EQ(Save((dir_ / "other.mem").string()), SaveOutcome::Saved);
  EXPECT_EQ(port_.questions().size(), 1u);
  EXPECT_EQ(ReadCardFile((dir_ / "other.mem").string()).bytes,
            *BuildFileContent(pane_.image, Format::Mcr, Format::Mem));
  EXPECT_EQ(OnDisk(), emulator_);
}

// A write the file system refuses shows the path and the reason and keeps the unsaved work.
TEST_F(SaveCardOnDisk, FailedWriteKeepsCardModifiedAndTheFile) {
  fs::create_directory(dir_ / "folder.gme");
  fs::permissions(path_, fs::perms::owner_read);
  const std::pair<std::string, std::string> cases[] = {
      {path_, "the file is read-only"},
      {(dir_ / "gone" / "card.gme").string(), std::generic_category().message(ENOENT)},
      {(dir_ / "folder.gme").string(), std::generic_category().message(EISDIR)}};
  for (const auto& [target, reason] : cases) {
    EXPECT_EQ(Save(target), SaveOutcome::WriteFailed) << target;
    EXPECT_EQ(port_.messages().back().text, target + " could not be saved: " + reason + ".");
    EXPECT_EQ(port_.messages().back().icon, MessageIcon::Information);
    EXPECT_TRUE(pane_.cardModified);
  }
  EXPECT_EQ(port_.messages().size(), 3u);
  EXPECT_EQ(OnDisk(), loaded_);
}

}  // namespace
}  // namespace selvane
