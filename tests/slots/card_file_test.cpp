// The file dialogs: the filter texts, the entry the save dialog starts on in the Save As list of
// twelve formats and in the New list of seven, the extension that the chosen entry forces, the
// logo and OutputExt of a loaded path, and the path taken from an open dialog's buffer.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/file_io.h"
#include "slots/card_file.h"
#include "tests/slots/test_port.h"
#include "tests/temp_folder.h"

namespace selvane {
namespace {

// The classic entries keep their places, and the newer containers come after them (in the open
// dialog after "All files"); an index outside the Save As list writes no format.
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
      {newCard, "card.vmp", "", 3},   {newCard, "card", "srm", 3}};
  for (auto [filter, name, outputExt, index] : table) {
    testkit::DialogPort port;  // confirms the proposed name on the entry the dialog should start on
    port.choices = {FileChoice{"", index}};
    const std::string path = SaveDialog(port, filter, "Save", "/no such folder", "/no such folder/" + name, outputExt);
    EXPECT_EQ(port.requests.at(0).filterIndex, index) << name;
    EXPECT_EQ(path, "/no such folder/card." + std::string(extensionOf[index])) << name;
    EXPECT_EQ(outputExt, extensionOf[index]);
  }
}

// The logo a path stands for, and the OutputExt that loading it sets: the last three characters
// as they stand, except that ".ps" exactly becomes "ps".
using CardPath = testkit::TempFolder;

TEST_F(CardPath, LogoAndOutputExtOfEachExtension) {
  const std::tuple<std::string, int, std::string> table[] = {
      {"a.mem", 0, "mem"},       {"a.mcd", 1, "mcd"},          {"a.gme", 2, "gme"},
      {"ePSXe/a.MCR", 3, "MCR"}, {"emu/EPSXE0.mcr", 3, "mcr"}, {"pcsx/a.mcr", 4, "mcr"},
      {"a.ddf", 5, "ddf"},       {"a.psx", 2, "psx"},          {"a.ps", 2, "ps"},
      {"a.PS", 2, ".PS"},        {"a.Ddf", 5, "Ddf"},          {"a.srm", 4, "srm"},
      {"a.VM1", 4, "VM1"},       {"a.vmp", 2, "vmp"},
  };
  for (const auto& [name, logo, outputExt] : table) {
    EXPECT_EQ(LogoIndexForPath(name), logo) << name;
    Pane pane;
    pane.path = Put(std::filesystem::path(name).filename().string(), EmptyCard());
    std::string loaded;
    testkit::TestPort port;
    LoadCard(pane, loaded, port);
    EXPECT_EQ(loaded, outputExt) << name;
  }
}

// The path taken from a dialog's buffer: spaces around the buffer are trimmed and it is cut at its
// first NUL, but a name's own trailing space stays (the buffer ends in a NUL after the name).
TEST(OpenDialog, KeepsTheNamesOwnTrailingSpaces) {
  const std::pair<std::string, std::string> table[] = {{"/cards/card.mcr ", "/cards/card.mcr "},
                                                       {"  /cards/a.mcr", "/cards/a.mcr"},
                                                       {std::string("/cards/b.gme\0\0  ", 16), "/cards/b.gme"},
                                                       {"   ", ""}};
  for (const auto& [buffer, path] : table) {
    testkit::DialogPort port;
    port.choices = {FileChoice{buffer, 1}};
    EXPECT_EQ(OpenDialog(port, filters::kOpen, "Open", ""), path) << buffer;
  }
}

}  // namespace
}  // namespace selvane
