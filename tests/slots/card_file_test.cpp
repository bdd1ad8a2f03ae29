// The save dialog: the entry it starts on, in the Save As list of twelve formats and in the New list
// of seven, and the extension that the chosen entry forces.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "core/file_io.h"
#include "slots/card_file.h"
#include "tests/slots/test_port.h"

namespace selvane {
namespace {

// Records the save dialog's request and confirms the proposed name on the entry it started on.
struct SaveDialogPort : testkit::TestPort {
  std::vector<FileDialogRequest> requests;
  std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest& request) override {
    requests.push_back(request);
    return FileChoice{request.defaultName, request.filterIndex};
  }
};

// The filter texts the dialogs show, made from the one table of entries: the classic entries keep
// their places, and the newer containers come after them (in the open dialog after "All files").
TEST(Filters, TextsOfTheThreeDialogs) {
  const std::string entries =
      "Virtual Game Station (*.mem)|*.mem|Bleem Memory Card (*.mcd)|*.mcd|ePSXe (*.mcr)|*.mcr|"
      "PSEmu Pro (*.mcr)|*.mcr|Other - AdriPSX, FPSE, pcsx (*.mcr)|*.mcr|DexDrive (*.gme)|*.gme|"
      "Mad Katz's Data Deck (*.ddf)|*.ddf";
  const std::string newer = "|RetroArch (*.srm)|*.srm|PS3 Memory Card (*.vm1)|*.vm1|PSP/PS Vita (*.vmp)|*.vmp";
  EXPECT_EQ(filters::kNew, entries);
  EXPECT_EQ(filters::kSaveAs, entries + "|PSM (*.psx)|*.psx|WinPSM (*.ps)|*.ps" + newer);
  EXPECT_EQ(filters::kOpen, "All Memory Cards|*.mcd;*.mcr;*.mem;*.gme;*.ddf;*.psx;*.ps|" + entries +
                                "|PSM (*.psx)|*.psx|WinPSM (*.ps)|*.ps|All files (*.*)|*.*" + newer);
  // Every format the dialogs offer has an entry; the open dialog's first entry names the classic ones.
  for (Format format : kAllFormats) {
    EXPECT_NE(filters::kSaveAs.find("|*." + std::string(FormatExtension(format))), std::string::npos);
    EXPECT_NE(std::string(kAllCardsPattern).find("*" + std::string(FormatKey(format))), std::string::npos);
  }
  // Each Save As entry writes the format its pattern names, the newer ones included.
  for (int index = 1; index <= static_cast<int>(std::size(kDialogEntries)); ++index) {
    const std::string ext = OutputExtForFilterIndex(index).value_or("?");
    EXPECT_EQ(FormatFromExtension(ext), kDialogEntries[index - 1].format) << index;
    EXPECT_NE(std::string(kDialogEntries[index - 1].description).find("(*." + ext + ")"), std::string::npos);
  }
  for (Format format : kNewerFormats) {
    const int index =
        10 + static_cast<int>(std::find(kNewerFormats.begin(), kNewerFormats.end(), format) - kNewerFormats.begin());
    EXPECT_EQ(OutputExtForFilterIndex(index), std::string(FormatExtension(format)));
  }
  EXPECT_EQ(OutputExtForFilterIndex(0), std::nullopt);
  EXPECT_EQ(OutputExtForFilterIndex(13), std::nullopt);
}

TEST(SaveDialog, StartsOnTheEntryOfTheNameElseOutputExtWithinItsListAndForcesItsExtension) {
  const std::string_view saveAs = filters::kSaveAs, newCard = filters::kNew;
  const std::string_view extensionOf[] = {"",    "mem", "mcd", "mcr", "mcr", "mcr", "gme",
                                          "ddf", "psx", "ps",  "srm", "vm1", "vmp"};
  const std::tuple<std::string_view, std::string, std::string, int> table[] = {
      {saveAs, "card.mem", "gme", 1}, {saveAs, "card.MCD", "", 2}, {saveAs, "card.mcr", "ddf", 3},
      {saveAs, "card.gme", "", 6},    {saveAs, "card.ddf", "", 7}, {saveAs, "card.PSX", "mem", 8},
      {saveAs, "card.Ps", "mem", 9},  {saveAs, "card", "GME", 6},  {saveAs, "card.bin", "ps", 9},
      {saveAs, "card", "", 3},        {saveAs, "card", "xyz", 3},  {newCard, "card.psx", "", 3},
      {newCard, "card.PS", "mem", 3}, {newCard, "card", "ps", 3},  {newCard, "card.ddf", "", 7},
      {saveAs, "card.srm", "", 10},   {saveAs, "card", "vm1", 11}, {saveAs, "card.VMP", "mem", 12},
      {newCard, "card.vmp", "", 3},   {newCard, "card", "srm", 3},
  };
  for (auto [filter, name, outputExt, index] : table) {
    SaveDialogPort port;
    const std::string path = SaveDialog(port, filter, "Save", "/no such folder", "/no such folder/" + name, outputExt);
    EXPECT_EQ(port.requests.at(0).filterIndex, index) << name;
    EXPECT_EQ(path, "/no such folder/card." + std::string(extensionOf[index])) << name;
    EXPECT_EQ(outputExt, extensionOf[index]);
  }
}

// The logo a path stands for, and the OutputExt that loading it sets: the last three characters
// as they stand, except that ".ps" exactly becomes "ps".
TEST(CardPath, LogoAndOutputExtOfEachExtension) {
  const std::tuple<std::string, int, std::string> table[] = {
      {"a.mem", 0, "mem"},
      {"a.mcd", 1, "mcd"},
      {"a.gme", 2, "gme"},
      {"ePSXe/a.MCR", 3, "MCR"},
      {"emu/EPSXE000.mcr", 3, "mcr"},
      {"pcsx/a.mcr", 4, "mcr"},
      {"a.ddf", 5, "ddf"},
      {"a.psx", 2, "psx"},
      {"a.ps", 2, "ps"},
      {"a.PS", 2, ".PS"},
      {"a.Ddf", 5, "Ddf"},
      {"a.srm", 4, "srm"},
      {"a.VM1", 4, "VM1"},
      {"a.vmp", 2, "vmp"},
  };
  const auto dir = std::filesystem::temp_directory_path() / ("selvane-ext-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  for (const auto& [name, logo, outputExt] : table) {
    EXPECT_EQ(LogoIndexForPath(name), logo) << name;
    Pane pane;
    pane.path = (dir / std::filesystem::path(name).filename()).string();
    ASSERT_TRUE(WriteFileAtomic(pane.path, EmptyCard()).ok);
    std::string loaded;
    testkit::TestPort port;
    LoadCard(pane, loaded, port);
    EXPECT_EQ(loaded, outputExt) << name;
  }
  std::filesystem::remove_all(dir);
}

// The path taken from a dialog's buffer: spaces around the buffer are trimmed and it is cut at its
// first NUL, but a name's own trailing space stays (the buffer ends in a NUL after the name).
TEST(OpenDialog, KeepsTheNamesOwnTrailingSpaces) {
  struct OpenPort : testkit::TestPort {
    std::string buffer;
    std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest&) override { return FileChoice{buffer, 1}; }
  };
  const std::pair<std::string, std::string> table[] = {{"/cards/card.mcr ", "/cards/card.mcr "},
                                                       {"  /cards/a.mcr", "/cards/a.mcr"},
                                                       {std::string("/cards/b.gme\0\0  ", 16), "/cards/b.gme"},
                                                       {"   ", ""}};
  for (const auto& [buffer, path] : table) {
    OpenPort port;
    port.buffer = buffer;
    EXPECT_EQ(OpenDialog(port, filters::kOpen, "Open", ""), path) << buffer;
  }
}

}  // namespace
}  // namespace selvane
