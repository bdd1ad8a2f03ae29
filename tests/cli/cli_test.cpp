// selvane-cli run as a user runs it, as a child process on card files in a temporary folder: what
// each command writes and prints, and that a refused command prints "path: message" on standard
// error, exits with 1 (2 for a misuse) and leaves every file as it was.
#include <gtest/gtest.h>
#include <pty.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "examples/card_builder.h"
#include "tests/cli/cli_runner.h"

namespace selvane {
namespace {
namespace fs = std::filesystem;
using demo::CardBuilder;
using testkit::CliRun;
using Cli = testkit::CliFolder;

std::string Reason(int error) { return std::generic_category().message(error); }

CardImage SampleCard(Format format = Format::Mcr) {
  return CardBuilder()
      .AddSave(1, 1, "Alpha")
      .AddSave(2, 3, "Three Blocks")
      .AddSave(6, 1, "Gone", "SLES-12345", 'E', true)
      .Build(format);
}

TEST_F(Cli, ListAndInfo) {
  CardImage mem = SampleCard(Format::Mem);
  mem[64 + SlotEntryOffset(1) + kEntryChecksum] ^= 1;
  mem.pop_back();  // a short file still lists, but fails the save check; slot 1's checksum is spoilt
  const std::string path = Put("a.mem", mem);
  EXPECT_EQ(Run({"list", path}), (CliRun{0,
                                         "01  Alpha\n02  Three Blocks\n03  Linked Slot 2\n04  Linked Slot 3\n05\n"
                                         "06 -del- Gone\n07\n08\n09\n10\n11\n12\n13\n14\n15\n",
                                         ""}));
  const CliRun run = Run({"info", "--json", path});
  ASSERT_EQ(run.status, 0) << run;
  nlohmann::json doc = nlohmann::json::parse(run.out);
  EXPECT_EQ(doc["slots"][0]["checksumValid"], false);
  EXPECT_EQ(doc["slots"][1], nlohmann::json::parse(R"({"slot": 2, "line": "02  Three Blocks", "status": 81,
                                   "nextSlot": 2, "checksumValid": true, "title": "Three Blocks",
                                   "state": "in use", "saveSlot": 2, "gameTitle": "Ｔｈｒｅｅ　Ｂｌｏｃｋｓ",
                                   "productCode": "SLUS-00001", "identifier": "", "region": "America",
                                   "blocks": 3, "iconFrames": 1})"));
  EXPECT_EQ(doc["slots"][2]["state"], "link");
  EXPECT_EQ(doc["slots"][5]["status"], 0xA1);
  doc.erase("slots");
  EXPECT_EQ(doc, (nlohmann::json{{"path", path},
                                 {"format", ".mem"},
                                 {"fileSize", 131135},
                                 {"dataOffset", 64},
                                 {"wellFormed", false},
                                 {"saveCheckProblem", "the file has 131135 bytes where a .mem card has 131136"}}));
  // The plain text: a card cut inside its directory, so that slot 15's entry lies past the end.
  const CliRun cut = Run({"info", Put("cut.mem", CardImage(mem.begin(), mem.begin() + 2048))});
  ASSERT_EQ(cut.status, 0) << cut;
  for (const char* part : {"format:      .mem\nfile size:   2048 bytes\ndata offset: 64\nsave check:  fails",
                           "\n01   0x51   0xFFFF  INVALID  \n02   0x51   0x0002  valid    \n",
                           "\n15   (entry lies past the end of the file)\n",
                           "\n02   in use        3      America SLUS-00001              0    \n"
                           "03   link of the save in slot 02\n"})
    EXPECT_NE(cut.out.find(part), std::string::npos) << part;
  EXPECT_NE(Run({"info", path}).out.find("\n02   0x51   0x0002  valid    Three Blocks\n"), std::string::npos);
}

TEST_F(Cli, RefusalsNameThePathAndChangeNoFile) {
  const std::string txt = Put("a.txt", SampleCard()), bad = Put("bad.mcr", SampleCard(Format::Mem));
  const std::string src = Put("src.psx", CardBuilder().AddSave(1, 3, "Big").Build(Format::Psx));
  const std::string full = Put("full.mcd", CardBuilder().AddSave(1, 14, "Most").Build(Format::Mcd));
  const std::string locked = Put("locked.mcr", SampleCard());
  fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const CardImage whole = SampleCard();
  const std::string cut = Put("cut.mcr", CardImage(whole.begin(), whole.begin() + 1000));  // entries 1-6 only
  fs::create_directory(Path("folder.mcr"));
  const auto before = Folder();
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"list", txt}, txt + ": Memory card format not supported"},
      {{"new", bad}, bad + ": already exists (--force replaces it)"},
      {{"convert", bad, Path("out.mem")}, bad + ": File is in a wrong format."},
      {{"copy", src, "1", full}, full + ": The memory card is full."},
      {{"clear", cut}, cut + ": File is in a wrong format."},
      {{"convert", src, Path("none/x.mem")},
       src + ": " + Path("none/x.mem") + " could not be saved: " + Reason(ENOENT) + "."},
      {{"delete", locked, "1"}, locked + ": " + locked + " could not be saved: the file is read-only."},
      {{"delete", cut, "10"}, cut + ": nothing was changed: the card file ends before that slot"},
      {{"info", Path("folder.mcr")}, Path("folder.mcr") + ": cannot be read: " + Reason(EISDIR)},
      {{"icon", locked, "5", txt}, locked + ": slot 05 holds no save (free)"},
      {{"icon", locked, "3", txt, "--frame", "2"},
       locked + ": the icon of the save in slot 02 has 1 frame, so there is no frame 2"},
      {{"icon", locked, "1", Path("none/x.png")}, Path("none/x.png") + ": cannot be written: " + Reason(ENOENT)}};
  for (const auto& [args, message] : cases) {
    EXPECT_EQ(Run(args), (CliRun{1, "", message + "\n"}));
    EXPECT_EQ(Folder(), before) << args[0];
  }
}

TEST_F(Cli, UsageErrorsExitTwo) {
  const std::string card = Put("card.mcr", SampleCard());
  // Each misuse as typed, CARD standing for the card's path.
  for (const std::string typed : {"", "list", "frobnicate CARD", "delete CARD 16", "edit CARD 1",
                                  "edit CARD 1 --region pal", "icon CARD 1 x.png --frame 4", "icon CARD 0 x.png",
                                  "convert --to bin CARD", "convert CARD a.mem b.mem", "convert --force CARD a.mem"}) {
    std::vector<std::string> args;
    std::istringstream words(typed);
    for (std::string word; words >> word;) args.push_back(word == "CARD" ? card : word);
    EXPECT_EQ(Run(args).status, 2) << typed;
  }
  EXPECT_EQ(Get("card.mcr"), SampleCard());
  // The help is where a user learns which files selvane-cli takes: every card extension is named.
  const CliRun help = Run({"--help"});
  ASSERT_EQ(help.status, 0);
  for (const FormatFacts& facts : FormatTable())
    EXPECT_NE(help.out.find(" " + std::string(FormatKey(facts.format))), std::string::npos) << FormatKey(facts.format);
}

// Copy and move write the save with its chain; the replace question is answered by --replace.
TEST_F(Cli, TransferAndCompare) {
  const auto carried = [] { return CardBuilder().AddSave(4, 3, "Carried", "SLUS-01234", 'A', false, 6); };
  const std::string src = Put("src.mcr", carried().AddSave(1, 1, "Single", "SLUS-00002", 'A', false, 2).Build());
  const std::string dst = Put("dst.mem", CardBuilder().AddSave(1, 1, "Home").Build(Format::Mem));
  EXPECT_EQ(Run({"copy", src, "05", dst}), (CliRun{0, "", ""}));  // a link line stands for its whole save
  EXPECT_EQ(Run({"compare", src, "4", dst, "2"}), (CliRun{0, "Slots are IDENTICAL!\n", ""}));
  EXPECT_EQ(Run({"compare", src, "4", dst, "1"}), (CliRun{1, "Slots are the DIFFERENT!!\n", ""}));
  EXPECT_EQ(Run({"compare", src, "4", Path("none.mcr"), "1"}).status, 2);
  EXPECT_EQ(Run({"copy", src, "1", dst, "--to", "1"}).status, 0);  // not replaced: the first free line takes it
  EXPECT_EQ(Run({"move", src, "1", dst, "--to", "1", "--replace"}).status, 0);
  EXPECT_EQ(Get("src.mcr"), carried().Build());
  EXPECT_EQ(Get("dst.mem"), CardBuilder()
                                .AddSave(1, 1, "Single", "SLUS-00002", 'A', false, 2)
                                .AddSave(2, 3, "Carried", "SLUS-01234", 'A', false, 6)
                                .AddSave(5, 1, "Single", "SLUS-00002", 'A', false, 2)
                                .Build(Format::Mem));
}

TEST_F(Cli, SlotCommandsWriteTheCardBack) {
  const std::string card =
      Put("card.ddf", CardBuilder().AddSave(1, 1, "A").AddSave(3, 3, "B", "slus-00003").Build(Format::Ddf));
  const auto deletedB = [](char region = 'A') { return CardBuilder().AddSave(3, 3, "B", "slus-00003", region, true); };
  const std::pair<std::vector<std::string>, CardImage> steps[] = {
      {{"toggle", card, "4"}, deletedB().AddSave(1, 1, "A").Build(Format::Ddf)},
      {{"edit", card, "1", "--region", "jap", "--id", "wxyz-00001"},
       deletedB().AddSave(1, 1, "A", "WXYZ-00001", 'I').Build(Format::Ddf)},
      {{"edit", card, "3", "--region", "eur"}, deletedB('E').AddSave(1, 1, "A", "WXYZ-00001", 'I').Build(Format::Ddf)},
      {{"delete", card, "1"}, deletedB('E').Build(Format::Ddf)},
      {{"clear", card}, CardBuilder().Build(Format::Ddf)},
      {{"new", "--force", card}, CardBuilder().Build(Format::Ddf)}};
  for (const auto& [args, expected] : steps) {
    EXPECT_EQ(Run(args), (CliRun{0, "", ""}));
    EXPECT_EQ(Get("card.ddf"), expected) << args[0];
  }
}

// convert --to: every file in one process, each under its own name with the new extension, in
// the folder -o names or beside the input; convert SRC DST and new write each format too.
TEST_F(Cli, ConvertWritesEveryFormat) {
  std::vector<std::string> inputs;
  for (Format from : kDialogFormats) {
    const std::string ext(FormatExtension(from));
    inputs.push_back(Put("from_" + ext + "." + ext, SampleCard(from)));
    ASSERT_EQ(Run({"new", Path("new." + ext)}).status, 0);
    EXPECT_EQ(Get("new." + ext), CardBuilder().Build(from)) << ext;
  }
  for (Format to : kDialogFormats) {
    const std::string ext(FormatExtension(to));
    fs::create_directory(dir_ / ext);
    std::vector<std::string> args = {"convert", "--to", ext, "-o", (dir_ / ext).string()};
    args.insert(args.end(), inputs.begin(), inputs.end());
    EXPECT_EQ(Run(args), (CliRun{0, "converted 7 of 7 to ." + ext + "\n", ""}));
    for (Format from : kDialogFormats) {
      const fs::path written = dir_ / ext / ("from_" + std::string(FormatExtension(from)) + "." + ext);
      EXPECT_EQ(ReadCardFile(written.string()).bytes, SampleCard(to)) << written;
    }
    EXPECT_EQ(Run({"convert", inputs[0], Path("one." + ext)}), (CliRun{0, "", ""}));
    EXPECT_EQ(Get("one." + ext), SampleCard(to));
  }
  // FORMAT in upper case with its dot; a second input of the same name is not allowed to replace
  // the first one's output.
  const std::string a = Put("card.mcr", SampleCard()), b = Put("card.gme", SampleCard(Format::Gme));
  EXPECT_EQ(Run({"convert", "--to", ".PSX", a, b}),
            (CliRun{1, "converted 1 of 2 to .psx; 1 failed\n",
                    b + ": " + Path("card.psx") + " was already written from another file in this run\n"}));
  EXPECT_EQ(Get("card.psx"), SampleCard(Format::Psx));
}

TEST_F(Cli, BatchConvertNamesEachFailureAndConvertsTheRest) {
  const std::string good1 = Put("good1.mcr", SampleCard()), good2 = Put("good2.gme", SampleCard(Format::Gme));
  const std::string taken = Put("taken.mcd", SampleCard(Format::Mcd));
  const std::string old = Put("taken.mem", CardBuilder().Build(Format::Mem));
  const std::string wrong = Put("wrong.mcr", SampleCard(Format::Mem));  // a .mem file under a raw card's name
  const std::string missing = Path("missing.mcr");
  const auto before = Folder();
  EXPECT_EQ(Run({"convert", "--to", "mem", good1, missing, taken, wrong, good2}),
            (CliRun{1, "converted 2 of 5 to .mem; 3 failed\n",
                    missing + ": cannot be read: " + Reason(ENOENT) + "\n" + taken + ": " + old +
                        " already exists (--force replaces it)\n" + wrong + ": File is in a wrong format.\n"}));
  EXPECT_EQ(Get("good1.mem"), SampleCard(Format::Mem));
  EXPECT_EQ(Get("good2.mem"), SampleCard(Format::Mem));
  EXPECT_EQ(Folder().size(), before.size() + 2);
  EXPECT_EQ(Get("taken.mem"), CardBuilder().Build(Format::Mem));
  EXPECT_EQ(Run({"convert", "--to", "mem", "--force", taken}), (CliRun{0, "converted 1 of 1 to .mem\n", ""}));
  EXPECT_EQ(Get("taken.mem"), SampleCard(Format::Mem));
  EXPECT_EQ(Run({"convert", "--to", "mem", "-o", Path("nowhere"), good1}),
            (CliRun{1, "", Path("nowhere") + ": not a folder; nothing was converted\n"}));
  EXPECT_FALSE(fs::exists(Path("nowhere")));
}

// The progress line is for a person at a terminal: shown when standard error is one, and never in
// a file (the other tests compare standard error whole).
TEST_F(Cli, BatchConvertShowsProgressOnATerminal) {
  const std::string a = Put("a.mcr", SampleCard()), b = Put("b.mcr", SampleCard());
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  ASSERT_NE(child, -1);
  if (child == 0) {
    if (!freopen("/dev/null", "w", stdout)) _exit(126);
    alarm(10);
    execl(SELVANE_CLI_PATH, SELVANE_CLI_PATH, "convert", "--to", "ps", a.c_str(), b.c_str(), nullptr);
    _exit(127);
  }
  std::string shown;
  char buf[512];
  for (ssize_t got; (got = read(terminal, buf, sizeof buf)) > 0;) shown.append(buf, static_cast<std::size_t>(got));
  int status = 0;
  waitpid(child, &status, 0);
  close(terminal);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_NE(shown.find("[1/2] " + a), std::string::npos) << shown;
  EXPECT_NE(shown.find("[2/2] " + b), std::string::npos) << shown;
}

// check reads and reports; it never writes. Exit 0 clean, 1 findings, 2 a card that cannot be read.
TEST_F(Cli, CheckReportsFindingsPerCardAndChangesNothing) {
  const std::string clean = Put("clean.gme", CardBuilder().AddSave(1, 2, "Fine").Build(Format::Gme));
  CardBuilder spoilt = CardBuilder().AddSave(1, 1, "A", "SLUS-00009").AddSave(4, 1, "B", "SLUS-00009");
  spoilt.Raw()[SlotEntryOffset(2) + kEntryChecksum] ^= 1;
  const std::string bad = Put("bad.mcr", spoilt.Build());
  fs::create_directory(Path("folder.mcr"));
  const auto before = Folder();
  const std::string checksum =
      "directory entry checksum is 0xA1 where 0xA0 is right; a console may show the slot as corrupted";
  const std::string twin =
      "the save has the same name \"BASLUS-00009\" as the save in slot 1; a game sees only one of them";
  EXPECT_EQ(Run({"check", clean}), (CliRun{0, clean + ": no problems found\n", ""}));
  EXPECT_EQ(Run({"check", clean, bad}), (CliRun{1,
                                                clean + ": no problems found\n" + bad + ": slot 2: " + checksum + "\n" +
                                                    bad + ": slot 4: " + twin + "\n",
                                                ""}));
  const CliRun json = Run({"check", "--json", bad, Path("folder.mcr")});
  ASSERT_EQ(json.status, 2) << json;
  const nlohmann::json doc = nlohmann::json::parse(json.out);
  EXPECT_EQ(doc[0]["findings"][0], (nlohmann::json{{"slot", 2}, {"kind", "entry-checksum"}, {"what", checksum}}));
  EXPECT_EQ(doc[0]["findings"][1]["kind"], "duplicate-name");
  EXPECT_EQ(doc[1],
            (nlohmann::json{
                {"path", Path("folder.mcr")}, {"readable", false}, {"reason", "cannot be read: " + Reason(EISDIR)}}));
  EXPECT_EQ(Folder(), before);
}

}  // namespace
}  // namespace selvane
