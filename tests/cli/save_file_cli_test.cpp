// selvane-cli's import and export run as a child process on files in a temporary folder: a save
// exported to each kind and imported again lands with the same blocks, and a refused import
// prints "path: reason", exits with 1 and leaves every file as it was.
#include "core/single_save.h"
#include "examples/card_builder.h"
#include "slots/save_file_choice.h"
#include "tests/cli/cli_runner.h"
#include "tests/core/card_bytes.h"

namespace selvane {
namespace {
using demo::CardBuilder;
using testkit::CliRun;

class SaveFileCli : public testkit::CliFolder {
 protected:
  // The bytes of blocks `first`.. of the raw card inside a card file of format `format`.
  std::vector<std::uint8_t> BlocksOf(const std::string& name, Format format, int first, int count) const {
    const CardImage image = Get(name);
    const auto start = image.begin() + static_cast<std::ptrdiff_t>(*DataOffset(image, format) + SaveBlockOffset(first));
    return {start, start + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(count) * kBlockSize)};
  }
};

// The save on lines 2-4 of a card exported as each kind, then imported into a new card: the same
// blocks on lines 1-3, with the save's name from the file's header or a raw save's file name.
TEST_F(SaveFileCli, ExportEachKindAndImportAgain) {
  const std::string card =
      Put("src.gme", CardBuilder().AddSave(2, 3, "Round Trip", "SLES-01234", 'E', true).Build(Format::Gme));
  for (const std::string out : {"save.mcs", "save.PS1", "save.psv", "BESLES-01234", "save.bin"}) {
    std::vector<std::string> args = {"export", card, "3", Path(out)};
    if (out == "save.bin") args.push_back("--raw");
    EXPECT_EQ(Run(args), (CliRun{0, "", ""})) << out;
    EXPECT_EQ(Run({"import", Put("new-" + out + ".mcr", EmptyCard()), Path(out)}), (CliRun{0, "", ""})) << out;
    EXPECT_EQ(BlocksOf("new-" + out + ".mcr", Format::Mcr, 1, 3), BlocksOf("src.gme", Format::Gme, 2, 3)) << out;
    const CardImage imported = Get("new-" + out + ".mcr");
    const std::string name(imported.begin() + 128 + 10, imported.begin() + 128 + 22);
    EXPECT_EQ(name, out == "save.bin" ? std::string("save\0\0\0\0\0\0\0\0", 12) : "BESLES-01234") << out;
  }
}

// A save a console wrote without "SC" at its start comes back with the window's warning; a .psv
// whose signature was spoilt after it was signed warns of that first.
TEST_F(SaveFileCli, ImportWarnsOfABareSaveAndAWrongSignature) {
  CardBuilder bare = CardBuilder().AddSave(2, 2, "Bare");
  bare.Raw()[SaveBlockOffset(2)] = 0;
  const std::string card = Put("bare.mcr", bare.Build()), exported = Path("bare.psv");
  ASSERT_EQ(Run({"export", card, "3", exported}).status, 0);
  CardImage file = Get("bare.psv");
  const auto signature = file.begin() + psv::kSignature;  // zero when the CLI cannot sign
  const bool signedPsv = std::any_of(signature, signature + psv::kSignatureSize, [](auto b) { return b != 0; });
  if (signedPsv) file[psv::kSignature] ^= 1;
  Put("bare.psv", file);
  const std::string warned = signedPsv ? text::WrongSaveSignature(exported) + "\n" : "";
  EXPECT_EQ(Run({"import", Put("new.mcr", EmptyCard()), exported}),
            (CliRun{0, "", warned + text::FirstBlockWithoutSc(exported) + "\n"}));
  EXPECT_EQ(BlocksOf("new.mcr", Format::Mcr, 1, 2), BlocksOf("bare.mcr", Format::Mcr, 2, 2));
}

// import --to names the first line; the saves of one run land together or not at all, and a
// save named as one on the card is refused without --allow-same-name.
TEST_F(SaveFileCli, ImportPlacesEverySaveOrNone) {
  const SingleSave one{"BASLUS-00001ONE", testkit::Blocks(1, 7)}, two{"BASLUS-00002TWO", testkit::Blocks(2, 9)};
  const std::string a = Put("a.mcs", WriteMcs(one)), b = Put("b.mcs", WriteMcs(two));
  const std::string card = Put("card.mem", CardBuilder().AddSave(1, 1, "Home").Build(Format::Mem));
  EXPECT_EQ(Run({"import", card, a, b, "--to", "5"}), (CliRun{0, "", ""}));
  EXPECT_EQ(BlocksOf("card.mem", Format::Mem, 5, 1), one.blocks);
  EXPECT_EQ(BlocksOf("card.mem", Format::Mem, 2, 2), two.blocks);
  const auto before = Folder();
  EXPECT_EQ(Run({"import", card, a}), (CliRun{1, "",
                                              a + ": a save named BASLUS-00001ONE is already on " + card +
                                                  "; --allow-same-name imports it anyway\n"}));
  EXPECT_EQ(Folder(), before);
  EXPECT_EQ(Run({"import", card, a, "--allow-same-name"}).status, 0);
  EXPECT_EQ(BlocksOf("card.mem", Format::Mem, 4, 1), one.blocks);
}

TEST_F(SaveFileCli, RefusalsNameTheFileAndChangeNothing) {
  const std::string card = Put("card.mcr", CardBuilder().AddSave(1, 14, "Most").Build(Format::Mcr));
  const std::string other = Put("other.mcr", CardBuilder().Build(Format::Mcr));
  const auto raw = testkit::Blocks(2);
  const std::string save = Put("BASLUS-00003TWO", raw), odd = Put("odd.mcs", std::vector<std::uint8_t>(300, 'Q'));
  const std::string single = Put("BASLUS-00001GAME.srm", raw);
  const auto before = Folder();
  const std::pair<std::vector<std::string>, CliRun> cases[] = {
      {{"import", card, save}, {1, "", save + " cannot be imported: The memory card is full.\n"}},
      {{"import", other, card},
       {1, "",
        card + " cannot be imported: it is a whole memory card (131072 bytes), not a single save: open it as a "
               "card.\n"}},
      {{"import", other, save, odd},  // all or none: nothing lands before the file that is refused
       {1, "",
        odd + " cannot be imported: it is no single save (.mcs, .ps1, .psv, a 54-byte header or raw blocks "
              "starting with \"SC\").\n"}},
      {{"export", other, "4", Path("out.mcs")}, {1, "", other + ": line 4 holds no save; nothing was exported\n"}},
      {{"export", card, "1", Path("out.srm")},
       {2, "", Path("out.srm") + ": a save is written as .mcs, .ps1, .psv, or raw (no extension, or --raw)\n"}},
      {{"list", single}, {1, "", single + ": This file is a single save, not a memory card: import it onto a card.\n"}},
  };
  for (const auto& [args, want] : cases) {
    EXPECT_EQ(Run(args), want) << ::testing::PrintToString(args);
    EXPECT_EQ(Folder(), before) << ::testing::PrintToString(args);
  }
  EXPECT_EQ(Run({"import", other, save, "--to", "16"}).status, 2);
  EXPECT_EQ(Folder(), before);
}

}  // namespace
}  // namespace selvane
