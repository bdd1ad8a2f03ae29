// Saving a pane's card when the file changed on disk since it was loaded (an emulator wrote to it),
// and when the write fails: the question, what Yes and No do, and that a failed or declined save
// keeps CardModified and the file as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "examples/card_builder.h"
#include "slots/card_file.h"
#include "tests/ui/scripted_port.h"

namespace selvane {
namespace {

namespace fs = std::filesystem;
using Blob = std::vector<std::uint8_t>;
using test::ScriptedPort;

Blob Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
void Spit(const fs::path& path, const Blob& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class SaveCardOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("selvane-savecard-" + std::to_string(std::random_device{}()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    ASSERT_TRUE(fs::create_directory(dir_));
    path_ = (dir_ / "card.mcr").string();
    loaded_ = demo::CardBuilder().AddSave(1, 2, "Loaded Save", "SLUS-00100").Build(Format::Mcr);
    emulator_ = demo::CardBuilder().AddSave(1, 2, "Emulator Save", "SLUS-00200").Build(Format::Mcr);
    Spit(path_, loaded_);
    // Pin the file's time, so that a rewrite can be dated later without waiting for the clock.
    fs::last_write_time(path_, fs::file_time_type::clock::now() - std::chrono::hours(1));

    pane_.path = path_;
    ASSERT_EQ(LoadCard(pane_, outputExt_, port_), LoadOutcome::Loaded);
    ASSERT_EQ(pane_.image, loaded_);
    // An edit in memory, as a slot operation makes it.
    pane_.image[SlotEntryOffset(3)] = status::kFirst;
    pane_.cardModified = true;
    edited_ = pane_.image;
  }
  void TearDown() override {
    EXPECT_TRUE(port_.unexpected.empty()) << port_.unexpected.front();
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }

  // Another program replaces the card with bytes of the same length, dated a little later.
  void EmulatorRewrites() {
    const auto time = fs::last_write_time(path_);
    Spit(path_, emulator_);
    fs::last_write_time(path_, time + std::chrono::seconds(2));
  }
  std::set<std::string> Listing() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.insert(entry.path().filename().string());
    return names;
  }
  std::string ChangedQuestion() const { return path_ + " has changed on disk since it was opened. Overwrite it?"; }

  fs::path dir_;
  std::string path_;
  CardImage loaded_, emulator_, edited_;
  Pane pane_;
  std::string outputExt_;
  ScriptedPort port_;

  std::vector<std::string> Questions() const {
    std::vector<std::string> texts;
    for (const auto& q : port_.questions) texts.push_back(q.text);
    return texts;
  }
};

TEST_F(SaveCardOnDisk, UnchangedFileIsSavedWithoutAsking) {
  EXPECT_EQ(SaveCard(path_, pane_, outputExt_, port_), SaveOutcome::Saved);
  EXPECT_TRUE(port_.questions.empty());
  EXPECT_TRUE(port_.messages.empty());
  EXPECT_EQ(Slurp(path_), edited_);
  EXPECT_FALSE(pane_.cardModified);
}

TEST_F(SaveCardOnDisk, ChangedFileAsksAndYesOverwritesIt) {
  EmulatorRewrites();
  port_.answers = {Answer::Yes};
  EXPECT_EQ(SaveCard(path_, pane_, outputExt_, port_), SaveOutcome::Saved);
  ASSERT_EQ(Questions(), std::vector<std::string>{ChangedQuestion()});
  EXPECT_EQ(port_.questions[0].buttons, Buttons::YesNo);
  EXPECT_EQ(port_.questions[0].defaultAnswer, Answer::No);
  EXPECT_EQ(Slurp(path_), edited_);
  EXPECT_FALSE(pane_.cardModified);

  // The file now holds what the pane saved: the next save does not ask again.
  pane_.cardModified = true;
  EXPECT_EQ(SaveCard(path_, pane_, outputExt_, port_), SaveOutcome::Saved);
  EXPECT_EQ(port_.questions.size(), 1u);
}

TEST_F(SaveCardOnDisk, ChangedFileAsksAndNoWritesNothing) {
  EmulatorRewrites();
  const auto listing = Listing();
  port_.answers = {Answer::No};
  EXPECT_EQ(SaveCard(path_, pane_, outputExt_, port_), SaveOutcome::Cancelled);
  EXPECT_EQ(Questions(), std::vector<std::string>{ChangedQuestion()});
  EXPECT_TRUE(port_.messages.empty());
  EXPECT_EQ(Slurp(path_), emulator_);
  EXPECT_TRUE(pane_.cardModified);
  EXPECT_EQ(pane_.image, edited_);
  EXPECT_EQ(Listing(), listing);

  // Asked again on the next save, since the file is still not the one that was loaded.
  port_.answers = {Answer::No};
  EXPECT_EQ(SaveCard(path_, pane_, outputExt_, port_), SaveOutcome::Cancelled);
  EXPECT_EQ(port_.questions.size(), 2u);
}

TEST_F(SaveCardOnDisk, FileThatGrewOrWasTouchedCountsAsChanged) {
  Blob longer = loaded_;
  longer.push_back(0);
  const auto time = fs::last_write_time(path_);
  Spit(path_, longer);
  fs::last_write_time(path_, time);  // same time, other size
  port_.answers = {Answer::No};
  EXPECT_EQ(SaveCard(path_, pane_, outputExt_, port_), SaveOutcome::Cancelled);

  Spit(path_, loaded_);
  fs::last_write_time(path_, time + std::chrono::seconds(1));  // same size, other time
  port_.answers = {Answer::No};
  EXPECT_EQ(SaveCard(path_, pane_, outputExt_, port_), SaveOutcome::Cancelled);
  EXPECT_EQ(port_.questions.size(), 2u);
  EXPECT_EQ(Slurp(path_), loaded_);
}

TEST_F(SaveCardOnDisk, SaveAsOntoTheLoadedFileAsksToo) {
  EmulatorRewrites();
  port_.saveChoices.push_back(FileChoice{path_, 3});  // the dialog's "ePSXe (*.mcr)" entry, same name
  port_.answers = {Answer::No};
  EXPECT_EQ(SaveCard("", pane_, outputExt_, port_), SaveOutcome::Cancelled);
  EXPECT_EQ(Questions(), std::vector<std::string>{ChangedQuestion()});
  EXPECT_EQ(Slurp(path_), emulator_);
  EXPECT_TRUE(pane_.cardModified);
}

TEST_F(SaveCardOnDisk, SaveToAnotherFileDoesNotAsk) {
  EmulatorRewrites();
  const std::string other = (dir_ / "other.mem").string();
  EXPECT_EQ(SaveCard(other, pane_, outputExt_, port_), SaveOutcome::Saved);
  EXPECT_TRUE(port_.questions.empty());
  EXPECT_EQ(Slurp(other), *BuildFileContent(edited_, Format::Mcr, Format::Mem));
  EXPECT_EQ(Slurp(path_), emulator_);

  // The loaded file's stamp still describes the file as loaded: saving onto it still asks.
  pane_.cardModified = true;
  port_.answers = {Answer::No};
  EXPECT_EQ(SaveCard(path_, pane_, outputExt_, port_), SaveOutcome::Cancelled);
  EXPECT_EQ(port_.questions.size(), 1u);
}

// A save that the file system refuses shows the path and the reason and keeps the unsaved work.
TEST_F(SaveCardOnDisk, FailedWriteKeepsCardModifiedAndTheFile) {
  fs::permissions(path_, fs::perms::owner_read);
  EXPECT_EQ(SaveCard(path_, pane_, outputExt_, port_), SaveOutcome::WriteFailed);
  ASSERT_EQ(port_.messages.size(), 1u);
  EXPECT_EQ(port_.messages[0].text, path_ + " could not be saved: the file is read-only.");
  EXPECT_EQ(port_.messages[0].icon, MessageIcon::Information);
  EXPECT_TRUE(pane_.cardModified);
  EXPECT_EQ(Slurp(path_), loaded_);
  EXPECT_EQ(Listing(), std::set<std::string>{"card.mcr"});

  const std::string missing = (dir_ / "gone" / "card.gme").string();
  EXPECT_EQ(SaveCard(missing, pane_, outputExt_, port_), SaveOutcome::WriteFailed);
  ASSERT_EQ(port_.messages.size(), 2u);
  EXPECT_EQ(port_.messages[1].text, missing + " could not be saved: " + std::generic_category().message(ENOENT) + ".");
  EXPECT_TRUE(pane_.cardModified);

  fs::create_directory(dir_ / "folder.mem");
  EXPECT_EQ(SaveCard((dir_ / "folder.mem").string(), pane_, outputExt_, port_), SaveOutcome::WriteFailed);
  EXPECT_EQ(port_.messages.back().text,
            (dir_ / "folder.mem").string() + " could not be saved: " + std::generic_category().message(EISDIR) + ".");
  EXPECT_TRUE(pane_.cardModified);
}

}  // namespace
}  // namespace selvane
