// The save dialog's rules: the entry it starts on, in the Save As list of nine formats and in the
// New list of seven, and what a choice in it gives.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "slots/card_file.h"

namespace selvane {
namespace {

// Shows no dialog: records each save request and answers with the next scripted choice.
class SaveDialogPort : public UserPort {
 public:
  std::vector<FileDialogRequest> requests;
  std::optional<FileChoice> choice;

  void ShowMessage(std::string_view text, MessageIcon) override { ADD_FAILURE() << "unexpected message: " << text; }
  Answer Ask(std::string_view text, Buttons, Answer defaultAnswer) override {
    ADD_FAILURE() << "unexpected question: " << text;
    return defaultAnswer;
  }
  std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest&) override {
    ADD_FAILURE() << "unexpected open dialog";
    return std::nullopt;
  }
  std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest& request) override {
    requests.push_back(request);
    return choice;
  }
};

TEST(SaveDialogStartIndex, NameComesBeforeOutputExt) {
  EXPECT_EQ(SaveDialogStartIndex("C:\\x\\card.mem", "gme"), 1);
  EXPECT_EQ(SaveDialogStartIndex("card.MCD", ""), 2);
  EXPECT_EQ(SaveDialogStartIndex("card.mcr", "ddf"), 3);
  EXPECT_EQ(SaveDialogStartIndex("card.gme", ""), 6);
  EXPECT_EQ(SaveDialogStartIndex("card.ddf", ""), 7);
  EXPECT_EQ(SaveDialogStartIndex("C:\\x\\card.PSX", "mem"), 8);
  EXPECT_EQ(SaveDialogStartIndex("card.Ps", "mem"), 9);
  EXPECT_EQ(SaveDialogStartIndex("C:\\x\\card", "GME"), 6);
  EXPECT_EQ(SaveDialogStartIndex("card.bin", "ps"), 9);
  EXPECT_EQ(SaveDialogStartIndex("C:\\x\\card", ""), 3);
  EXPECT_EQ(SaveDialogStartIndex("card", "xyz"), 3);
}

struct SaveDialogTest : ::testing::Test {
  SaveDialogPort port;
  std::string outputExt;

  // The entry the dialog starts on for a default name, in a list of the given filter.
  int StartEntry(std::string_view filter, const std::string& defaultName, const std::string& ext = {}) {
    outputExt = ext;
    port.requests.clear();
    SaveDialog(port, filter, "Save", defaultName, defaultName, outputExt);
    EXPECT_EQ(port.requests.size(), 1u);
    return port.requests.empty() ? -1 : port.requests.back().filterIndex;
  }
};

TEST_F(SaveDialogTest, NewListStartsOnEpsxeWhereTheDerivedEntryIsNotInIt) {
  // The seven entries of the New list: PSM and WinPSM names would point past its end.
  EXPECT_EQ(StartEntry(filters::kNew, "/cards/psm.psx"), 3);
  EXPECT_EQ(StartEntry(filters::kNew, "/cards/winpsm.PS"), 3);
  EXPECT_EQ(StartEntry(filters::kNew, "/cards/none", "psx"), 3);
  EXPECT_EQ(StartEntry(filters::kNew, "/cards/none", "ps"), 3);
  // Entries inside the list are kept, the last one included.
  EXPECT_EQ(StartEntry(filters::kNew, "/cards/dex.gme"), 6);
  EXPECT_EQ(StartEntry(filters::kNew, "/cards/deck.ddf"), 7);
  EXPECT_EQ(StartEntry(filters::kNew, "/cards/bleem.mcd"), 2);
}

TEST_F(SaveDialogTest, SaveAsListOffersEveryFormat) {
  EXPECT_EQ(StartEntry(filters::kSaveAs, "/cards/psm.psx"), 8);
  EXPECT_EQ(StartEntry(filters::kSaveAs, "/cards/winpsm.ps"), 9);
  EXPECT_EQ(StartEntry(filters::kSaveAs, "/cards/none", "ps"), 9);
}

TEST_F(SaveDialogTest, ChoiceFromTheNewListForcesItsFormat) {
  // A PSM card's path: the dialog starts on ePSXe, and keeping that entry gives a ".mcr" card.
  port.choice = FileChoice{"/no such folder/psm.psx", 3};
  outputExt = "psx";
  const std::string path = SaveDialog(port, filters::kNew, "Save New Memory Card 1 As...", "/no such folder/psm.psx",
                                      "/no such folder/psm.psx", outputExt);
  ASSERT_EQ(port.requests.size(), 1u);
  EXPECT_EQ(port.requests[0].filterIndex, 3);
  EXPECT_EQ(port.requests[0].filter, filters::kNew);
  EXPECT_EQ(port.requests[0].defaultName, "/no such folder/psm.psx");
  EXPECT_EQ(path, "/no such folder/psm.mcr");
  EXPECT_EQ(outputExt, "mcr");
}

TEST_F(SaveDialogTest, CancelledDialogChangesNothing) {
  port.choice = std::nullopt;
  outputExt = "ps";
  EXPECT_EQ(SaveDialog(port, filters::kNew, "Save", "/cards/a.ps", "/cards/a.ps", outputExt), "");
  EXPECT_EQ(outputExt, "ps");
}

}  // namespace
}  // namespace selvane
