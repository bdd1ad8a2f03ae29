// Saving a pane's card over a file that another program (an emulator) rewrote since it was loaded,
// and a save that the file system refuses: neither loses the unsaved work.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <vector>

#include "core/file_io.h"
#include "examples/card_builder.h"
#include "slots/card_file.h"
#include "tests/slots/test_port.h"
#include "tests/temp_folder.h"

namespace selvane {
namespace {
namespace fs = std::filesystem;

// A folder of cards, a scripted port (any question asked without an answer fails the test) and
// an emulator that rewrites a card file at the same length, its time set later than the load.
struct SavingACard : testkit::TempFolder {
  void Rewrite(const std::string& path) const {
    ASSERT_TRUE(WriteFileAtomic(path, emulator).ok);
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(5));
  }
  void Load(Pane& pane, const std::string& path) {
    pane.path = path;
    ASSERT_EQ(LoadCard(pane, outputExt, port), LoadOutcome::Loaded);
  }
  const CardImage emulator = demo::CardBuilder().AddSave(1, 1, "Emulator").Build();
  std::string outputExt;
  testkit::TestPort port;
};

TEST_F(SavingACard, AsksBeforeReplacingAChangedFileAndKeepsTheWorkWhenAWriteFails) {
  const std::string path = Put("card.mcr", EmptyCard());
  Pane pane;
  Load(pane, path);
  pane.cardModified = true;  // unsaved work
  Rewrite(path);

  EXPECT_EQ(SaveCard(path, pane, outputExt, port.Answering({Answer::No})), SaveOutcome::Cancelled);
  EXPECT_EQ(std::pair(ReadCardFile(path).bytes, pane.cardModified), std::pair(emulator, true));

  // A save that the system refuses (its folder does not exist) keeps the work marked as modified.
  const std::string lost = Path("none/card.mcr");
  EXPECT_EQ(SaveCard(lost, pane, outputExt, port), SaveOutcome::WriteFailed);
  EXPECT_EQ(port.MessageTexts(),
            std::vector{lost + " could not be saved: " + std::generic_category().message(ENOENT) + "."});
  EXPECT_TRUE(pane.cardModified);

  EXPECT_EQ(SaveCard(path, pane, outputExt, port.Answering({Answer::Yes})), SaveOutcome::Saved);
  EXPECT_EQ(std::pair(ReadCardFile(path).bytes, pane.cardModified), std::pair(EmptyCard(), false));
  ASSERT_EQ(port.questions().size(), 2u);
  EXPECT_EQ(port.questions()[1].text, path + " has changed on disk since it was opened. Overwrite it?");
  EXPECT_EQ(port.questions()[1].buttons, Buttons::YesNo);
}

// The changed-on-disk question is about the file that was loaded, whatever path text names it:
// never after New, never for another card's path, and not again once the file was saved.
TEST_F(SavingACard, AsksOnlyAboutTheLoadedFileWhenItChanged) {
  const fs::path dir = files_;
  const std::string card = Put("card.mcr", EmptyCard()), other = Put("other.mcr", EmptyCard());
  std::vector<fs::path> spellings = {dir / "." / "card.mcr"};  // the loaded file under other path texts
#ifndef _WIN32
  fs::create_symlink(card, dir / "link.mcr");  // Windows builds of the library have no symbolic links
  spellings.push_back(dir / "link.mcr");
#endif
  Pane pane;
  Load(pane, card);

  // Another card that changed, and New under a name that does not exist yet: no question.
  Rewrite(other);
  EXPECT_EQ(SaveCard(other, pane, outputExt, port), SaveOutcome::Saved);
  Load(pane, card);
  pane.path = (dir / "new.mcr").string();
  pane.image = EmptyCard();
  EXPECT_EQ(SaveCard(pane.path, pane, outputExt, port), SaveOutcome::Saved);
  EXPECT_EQ(ReadCardFile(pane.path).bytes, EmptyCard());
  EXPECT_TRUE(port.questions().empty());

  for (const fs::path& spelling : spellings) {
    Load(pane, card);
    Rewrite(card);
    port.Answering({Answer::Yes});
    EXPECT_EQ(SaveCard(spelling.string(), pane, outputExt, port), SaveOutcome::Saved) << spelling;
    ASSERT_EQ(port.questions().size(), 1u) << spelling;
    EXPECT_EQ(port.questions()[0].text, spelling.string() + " has changed on disk since it was opened. Overwrite it?");
    // Saved again at once: the record is the file just written, so nothing is asked.
    EXPECT_EQ(SaveCard(card, pane, outputExt, port), SaveOutcome::Saved);
    EXPECT_EQ(port.questions().size(), 1u);
    port.Clear();
  }
}

}  // namespace
}  // namespace selvane
