// Saving a pane's card over a file that another program (an emulator) rewrote since it was loaded,
// and a save that the file system refuses: neither loses the unsaved work.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>

#include "core/file_io.h"
#include "examples/card_builder.h"
#include "slots/card_file.h"
#include "tests/slots/test_port.h"

namespace selvane {
namespace {
namespace fs = std::filesystem;

TEST(SaveCard, AsksBeforeReplacingAChangedFileAndKeepsTheWorkWhenAWriteFails) {
  const std::string path =
      (fs::temp_directory_path() / ("selvane-save-" + std::to_string(std::random_device{}()) + ".mcr")).string();
  const CardImage emulator = demo::CardBuilder().AddSave(1, 1, "Emulator").Build();
  ASSERT_TRUE(WriteFileAtomic(path, EmptyCard()).ok);
  Pane pane;
  pane.path = path;
  std::string outputExt;
  testkit::TestPort port;
  ASSERT_EQ(LoadCard(pane, outputExt, port), LoadOutcome::Loaded);
  pane.cardModified = true;  // unsaved work
  // The emulator rewrites the card at the same length; its time is set later than the load.
  ASSERT_TRUE(WriteFileAtomic(path, emulator).ok);
  fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(2));

  EXPECT_EQ(SaveCard(path, pane, outputExt, port.Answering({Answer::No})), SaveOutcome::Cancelled);
  EXPECT_EQ(std::pair(ReadCardFile(path).bytes, pane.cardModified), std::pair(emulator, true));

  // A save that the system refuses (its folder does not exist) keeps the work marked as modified.
  const std::string lost = path + ".d/card.mcr";
  EXPECT_EQ(SaveCard(lost, pane, outputExt, port), SaveOutcome::WriteFailed);
  EXPECT_EQ(port.MessageTexts(),
            std::vector{lost + " could not be saved: " + std::generic_category().message(ENOENT) + "."});
  EXPECT_TRUE(pane.cardModified);

  EXPECT_EQ(SaveCard(path, pane, outputExt, port.Answering({Answer::Yes})), SaveOutcome::Saved);
  EXPECT_EQ(std::pair(ReadCardFile(path).bytes, pane.cardModified), std::pair(EmptyCard(), false));
  ASSERT_EQ(port.questions().size(), 2u);
  EXPECT_EQ(port.questions()[1].text, path + " has changed on disk since it was opened. Overwrite it?");
  EXPECT_EQ(port.questions()[1].buttons, Buttons::YesNo);
  fs::remove(path);
}

}  // namespace
}  // namespace selvane
