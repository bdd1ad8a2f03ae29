// What a dropped file is taken for, the names saves get as files, and where an export goes.
#include <gtest/gtest.h>

#include "examples/card_builder.h"
#include "slots/save_file_choice.h"
#include "tests/temp_folder.h"

namespace selvane {
namespace {

std::vector<std::uint8_t> Text(std::string_view text) { return {text.begin(), text.end()}; }

using DroppedFiles = testkit::TempFolder;

TEST_F(DroppedFiles, CardsAndSavesAreToldByContentAndExtension) {
  SingleSave save{"BASLUS-00011ALPHA", std::vector<std::uint8_t>(2 * kBlockSize, 0x5A)};
  save.blocks[0] = 'S', save.blocks[1] = 'C';
  const demo::CardBuilder card = demo::CardBuilder().AddSave(1, 2, "ALPHA");
  const std::array<std::uint8_t, psv::kSeedSize> seed{};
  std::vector<std::uint8_t> badPsv = WritePsv(save, seed);
  badPsv[psv::kPlatform] = 2;  // a PlayStation 2 save
  // The file's name and content (folder.mcr is a folder), then what it is taken for and whether
  // it can be imported.
  const std::tuple<std::string, std::vector<std::uint8_t>, DroppedFileKind, bool> table[] = {
      {"a.mcs", WriteMcs(save), DroppedFileKind::Save, true},
      {"a.PS1", WriteMcs(save), DroppedFileKind::Save, true},
      {"a.psv", WritePsv(save, seed), DroppedFileKind::Save, true},
      {"BASLUS-00011ALPHA", WriteRawSave(save), DroppedFileKind::Save, true},
      {"save.srm", WriteRawSave(save), DroppedFileKind::Save, true},
      {"card.mcr", card.Build(Format::Mcr), DroppedFileKind::Card, false},
      {"card.vmp", card.Build(Format::Vmp), DroppedFileKind::Card, false},
      {"card.gme", card.Build(Format::Gme), DroppedFileKind::Card, false},
      {"short.mcr", Text("not a card"), DroppedFileKind::Card, false},
      {"card.bin", card.Build(Format::Mcr), DroppedFileKind::Other, false},
      {"notes.txt", Text("hello"), DroppedFileKind::Other, false},
      {"empty.mcr", {}, DroppedFileKind::Other, false},
      {"folder.mcr", {}, DroppedFileKind::Other, false},
      {"ps2.psv", badPsv, DroppedFileKind::Save, false},
      {"cut.mcs", Text("Q and too few bytes"), DroppedFileKind::Save, false},
  };
  std::filesystem::create_directories(Path("folder.mcr"));
  for (const auto& [name, content, kind, importable] : table) {
    if (name != "folder.mcr") Put(name, content);
    const DroppedFile dropped = ClassifyDroppedFile(Path(name));
    EXPECT_EQ(std::pair(dropped.kind, dropped.save.has_value()), std::pair(kind, importable)) << name;
    // A save that cannot be imported says why; one that can has its blocks.
    EXPECT_EQ(dropped.problem.empty(), kind != DroppedFileKind::Save || importable) << name;
    EXPECT_TRUE(!dropped.save || dropped.save->blocks == save.blocks) << name;
  }
}

// A .mcs is named by product code and identifier; a raw save by its whole name, which an import
// takes back from the file name; a .psv as a PS3 names it: the name's first 12 characters, then
// the rest in hexadecimal.
TEST(SaveFileName, EachKindNamedAsItsReadersExpectWithUnusableCharactersReplaced) {
  const std::tuple<std::string, SaveFileKind, std::string> table[] = {
      {"BESLES-04095XSMOTO", SaveFileKind::Mcs, "SLES-04095XSMOTO.mcs"},
      {"BESLES-04095XSMOTO", SaveFileKind::Raw, "BESLES-04095XSMOTO"},
      {"BASLUS-00958GS2-7", SaveFileKind::Psv, "BASLUS-009584753322D37.PSV"},
      {"BESLES-00022B/2:3*?", SaveFileKind::Psv, "BESLES-00022422F323A332A3F.PSV"},
      {"BA:LUS-1", SaveFileKind::Psv, "BA_LUS-1.PSV"},
      {std::string("BISLPS-1\x01<a>|\"\\\0zz", 18), SaveFileKind::Raw, "BISLPS-1__a____"},
      {std::string("BISLPS-12345\xFFx\0zz", 18), SaveFileKind::Psv, "BISLPS-12345FF78.PSV"},
      {" A..name. ", SaveFileKind::Mcs, "name.mcs"},
      {"BA..", SaveFileKind::Mcs, "save.mcs"},
      {"..", SaveFileKind::Raw, "save"},
      {"B", SaveFileKind::Raw, "B"},
  };
  for (const auto& [name, kind, file] : table) EXPECT_EQ(SaveFileName(name, kind), file) << name;
}

TEST(ExportTarget, TheChosenEntryGivesTheKindAndItsExtension) {
  EXPECT_EQ(filters::kSingleSaves,
            "PlayStation save (*.mcs;*.ps1)|*.mcs;*.ps1|PS3 save (*.psv)|*.psv|Raw save (*.*)|*.*");
  const std::tuple<std::string, int, std::string, SaveFileKind> table[] = {
      {"/t/a", 1, "/t/a.mcs", SaveFileKind::Mcs},         {"/t/a.PS1", 1, "/t/a.PS1", SaveFileKind::Mcs},
      {"/t/a.mcs", 1, "/t/a.mcs", SaveFileKind::Mcs},     {"/t/a.psv", 1, "/t/a.psv.mcs", SaveFileKind::Mcs},
      {"/t/a.mcs", 2, "/t/a.mcs.psv", SaveFileKind::Psv}, {"/t/a.PSV", 2, "/t/a.PSV", SaveFileKind::Psv},
      {"/t/a.bin", 3, "/t/a.bin", SaveFileKind::Raw},     {"/t/a.mcs", 3, "/t/a.mcs", SaveFileKind::Raw},
      {"/t/a", 0, "/t/a.mcs", SaveFileKind::Mcs},         {"/t/a", 7, "/t/a", SaveFileKind::Raw},
  };
  for (const auto& [chosen, index, path, kind] : table) {
    const ExportTarget target = ExportTargetFor(chosen, index);
    EXPECT_EQ(std::tie(target.path, target.kind, target.extensionAppended), std::tuple(path, kind, path != chosen))
        << chosen << " " << index;
  }
}

}  // namespace
}  // namespace selvane
