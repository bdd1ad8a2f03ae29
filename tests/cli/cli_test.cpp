// selvane-cli run as a user runs it, as a child process on card files in a temporary folder: what
// each command writes, and that a refused command prints "path: message", exits with 1 and leaves
// every file as it was.
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <span>

#include "core/file_io.h"
#include "examples/card_builder.h"
#include "tests/cli/cli_runner.h"

namespace selvane {
namespace {
namespace fs = std::filesystem;
using demo::CardBuilder;

using testkit::CliRun;

std::string Reason(int error) { return std::generic_category().message(error); }

CardImage SampleCard(Format format = Format::Mcr) {
  return CardBuilder()
      .AddSave(1, 1, "Alpha")
      .AddSave(2, 3, "Three Blocks")
      .AddSave(6, 1, "Gone", "SLES-12345", 'E', true)
      .Build(format);
}

using Cli = testkit::CliFolder;

TEST_F(Cli, ListAndInfo) {
  CardImage mem = SampleCard(Format::Mem);
  mem[64 + SlotEntryOffset(1) + kEntryChecksum] ^= 1;
  mem.pop_back();  // a short file still lists, but fails the save check; slot 1's checksum is spoilt
  const std::string path = Put("a.mem", mem);
  const std::string lines =
      "01  Alpha\n02  Three Blocks\n03  Linked Slot 2\n04  Linked Slot 3\n05\n06 -del- Gone\n07\n08\n"
      "09\n10\n11\n12\n13\n14\n15\n";
  EXPECT_EQ(Run({"list", path}), (CliRun{0, lines, ""}));
  const CliRun run = Run({"info", "--json", path});
  ASSERT_EQ(run.status, 0) << run;
  nlohmann::json doc = nlohmann::json::parse(run.out);
  EXPECT_EQ(doc["slots"][0]["checksumValid"], false);
  EXPECT_EQ(doc["slots"][1], nlohmann::json::parse(R"({"slot": 2, "line": "02  Three Blocks", "status": 81,
                                   "nextSlot": 2, "checksumValid": true, "title": "Three Blocks",
                                   "state": "in use", "saveSlot": 2, "gameTitle": "Ｔｈｒｅｅ　Ｂｌｏｃｋｓ",
                                   "productCode": "SLUS-00001", "identifier": "", "region": "America",
                                   "blocks": 3, "iconFrames": 1})"));
  EXPECT_EQ(doc["slots"][3]["nextSlot"], 0xFFFF);
  EXPECT_EQ(doc["slots"][5]["status"], 0xA1);
  doc.erase("slots");
  EXPECT_EQ(doc, (nlohmann::json{{"path", path},
                                 {"format", ".mem"},
                                 {"fileSize", 131135},
                                 {"dataOffset", 64},
                                 {"wellFormed", false},
                                 {"saveCheckProblem", "the file has 131135 bytes where a .mem card has 131136"}}));

  // The plain text: a card cut inside its directory, so that slot 15's entry lies past the end.
  const std::string cut = Put("cut.mem", CardImage(mem.begin(), mem.begin() + 2048));
  std::string table =
      "format:      .mem\nfile size:   2048 bytes\ndata offset: 64\n"
      "save check:  fails (File is in a wrong format.)\n"
      "             the file has 2048 bytes where a .mem card has 131136\n\nslot status next    checksum title\n"
      "01   0x51   0xFFFF  INVALID  \n02   0x51   0x0002  valid    \n03   0x52   0x0003  valid    \n"
      "04   0x53   0xFFFF  valid    \n05   0xA0   0x0000  valid    \n06   0xA1   0xFFFF  valid    \n";
  for (int slot = 7; slot <= 14; ++slot)
    table += (slot < 10 ? "0" : "") + std::to_string(slot) + "   0xA0   0x0000  valid    \n";
  table += "15   (entry lies past the end of the file)\n";
  // Then the saves' details, from the entries alone: the blocks lie past the end.
  table +=
      "\nslot state         blocks region  product code identifier icon game title\n"
      "01   in use        1      America SLUS-00001              0    \n"
      "02   in use        3      America SLUS-00001              0    \n"
      "03   link of the save in slot 02\n04   link of the save in slot 02\n05   free\n"
      "06   deleted       1      Europe  SLES-12345              0    \n";
  for (int slot = 7; slot <= 14; ++slot) table += (slot < 10 ? "0" : "") + std::to_string(slot) + "   free\n";
  EXPECT_EQ(Run({"info", cut}), (CliRun{0, table, ""}));
  EXPECT_NE(Run({"info", path}).out.find("\n02   0x51   0x0002  valid    Three Blocks\n"), std::string::npos);

  // A path whose bytes are not UTF-8 (a Latin-1 name): still valid JSON, the byte replaced.
  const std::string latin1 = Put("caf\xE9.mcr", SampleCard());
  const CliRun odd = Run({"info", "--json", latin1});
  ASSERT_EQ(odd.status, 0) << odd;
  EXPECT_EQ(nlohmann::json::parse(odd.out)["path"], Path("caf\xEF\xBF\xBD.mcr"));
}

TEST_F(Cli, RefusalsNameThePathAndChangeNoFile) {
  const std::string txt = Put("a.txt", SampleCard()),
                    bad = Put("bad.mcr", SampleCard(Format::Mem));  // a .mem file under a raw card's name
  const std::string src = Put("src.psx", CardBuilder().AddSave(1, 3, "Big").Build(Format::Psx));
  const std::string full = Put("full.mcd", CardBuilder().AddSave(1, 14, "Most").Build(Format::Mcd));
  const std::string locked = Put("locked.mcr", SampleCard());
  fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const CardImage whole = SampleCard();
  const std::string cut = Put("cut.mcr", CardImage(whole.begin(), whole.begin() + 1000));  // entries 1-6 only
  CardImage longer = whole;
  longer.push_back(0);  // every slot is there, but the card cannot be saved back as a .mcr
  const std::string tail = Put("tail.mcr", longer);
  const CardImage empty = CardBuilder().Build(Format::Gme);
  // Every directory entry, but only slot 1's block: the 3-block save has no room there.
  const std::string shortGme = Put("short.gme", CardImage(empty.begin(), empty.begin() + 3904 + 2 * 8192));
  const std::string big = Put("big.mcr", {1});
  fs::resize_file(big, kMaxCardFileSize + 1);  // sparse: no data is stored
  fs::create_directory(Path("folder.mcr"));
  ASSERT_EQ(mkfifo(Path("pipe.mcr").c_str(), 0600), 0);
  const auto before = Folder();
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"list", txt}, txt + ": Memory card format not supported"},
      {{"new", Path("a.bin")}, Path("a.bin") + ": Memory card format not supported"},
      {{"new", tail}, tail + ": already exists (--force replaces it)"},
      {{"convert", bad, Path("out.mem")}, bad + ": File is in a wrong format."},
      {{"copy", src, "1", full}, full + ": The memory card is full."},
      {{"move", src, "2", shortGme}, shortGme + ": The memory card is full."},
      {{"clear", cut}, cut + ": File is in a wrong format."},
      {{"move", tail, "1", full}, tail + ": File is in a wrong format."},
      {{"convert", src, Path("none/x.mem")},
       src + ": " + Path("none/x.mem") + " could not be saved: " + Reason(ENOENT) + "."},
      {{"convert", src, Path("folder.mcr")},
       src + ": " + Path("folder.mcr") + " could not be saved: " + Reason(EISDIR) + "."},
      {{"delete", locked, "1"}, locked + ": " + locked + " could not be saved: the file is read-only."},
      {{"delete", cut, "10"}, cut + ": nothing was changed: the card file ends before that slot"},
      {{"list", Path("folder.mcr")}, Path("folder.mcr") + ": cannot be read: " + Reason(EISDIR)},
      {{"info", Path("pipe.mcr")}, Path("pipe.mcr") + ": cannot be read: not a regular file"},
      {{"list", big}, big + ": cannot be read: file is larger than 16 MiB, too large for a memory card"}};
  for (const auto& [args, message] : cases) {
    EXPECT_EQ(Run(args), (CliRun{1, "", message + "\n"}));
    EXPECT_EQ(Folder(), before) << args[0];
  }
  // The file system refuses the write part-way: the file size limit lies inside the new card.
  const std::string card = Put("card.mcr", SampleCard());
  const auto unwritten = Folder();
  EXPECT_EQ(Run({"toggle", card, "1"}, 64 * 1024),
            (CliRun{1, "", card + ": " + card + " could not be saved: " + Reason(EFBIG) + ".\n"}));
  EXPECT_EQ(Folder(), unwritten);
}

TEST_F(Cli, UsageErrorsExitTwo) {
  const std::string card = Put("card.mcr", SampleCard());
  const std::vector<std::string> misuses[] = {{},
                                              {"list"},
                                              {"frobnicate", card},
                                              {"delete", card, "16"},
                                              {"edit", card, "1"},
                                              {"edit", card, "1", "--region", "pal"},
                                              {"icon", card, "1", "x.png", "--frame", "4"},
                                              {"icon", card, "1", "x.png", "--scale", "0"},
                                              {"icon", card, "0", "x.png"}};
  for (const auto& args : misuses) EXPECT_EQ(Run(args).status, 2) << ::testing::PrintToString(args);
  EXPECT_EQ(Get("card.mcr"), SampleCard());
}

// The help is where a user learns which files selvane-cli takes: every card extension is named.
TEST_F(Cli, HelpNamesEveryCardExtension) {
  const CliRun help = Run({"--help"});
  ASSERT_EQ(help.status, 0);
  for (const auto& formats : {std::span<const Format>(kAllFormats), std::span<const Format>(kNewerFormats)})
    for (const Format format : formats)
      EXPECT_NE(help.out.find(" ." + std::string(FormatExtension(format))), std::string::npos) << FormatKey(format);
}

TEST_F(Cli, ConvertAndNewWriteEachFormat) {
  for (Format from : kAllFormats) {
    const std::string source = Put("src" + std::string(FormatKey(from)), SampleCard(from));
    ASSERT_EQ(Run({"new", Path("new" + std::string(FormatKey(from)))}).status, 0);
    EXPECT_EQ(Get("new" + std::string(FormatKey(from))), CardBuilder().Build(from)) << FormatKey(from);
    for (Format to : kAllFormats) {
      EXPECT_EQ(Run({"convert", source, Path("out" + std::string(FormatKey(to)))}).status, 0);
      EXPECT_EQ(Get("out" + std::string(FormatKey(to))), SampleCard(to)) << FormatKey(from) << " to " << FormatKey(to);
    }
  }
  EXPECT_EQ(Run({"new", "--force", Path("src.gme")}), (CliRun{0, "", ""}));  // new replaces a card only when told
  EXPECT_EQ(Get("src.gme"), CardBuilder().Build(Format::Gme));
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
  const auto deletedB = [] { return CardBuilder().AddSave(3, 3, "B", "slus-00003", 'A', true); };
  const std::pair<std::vector<std::string>, CardImage> steps[] = {
      {{"toggle", card, "4"}, deletedB().AddSave(1, 1, "A").Build(Format::Ddf)},
      {{"edit", card, "1", "--region", "jap", "--id", "wxyz-00001"},
       deletedB().AddSave(1, 1, "A", "WXYZ-00001", 'I').Build(Format::Ddf)},
      {{"edit", card, "3", "--region", "eur"},
       CardBuilder()
           .AddSave(3, 3, "B", "slus-00003", 'E', true)  // the ID kept as it was
           .AddSave(1, 1, "A", "WXYZ-00001", 'I')
           .Build(Format::Ddf)},
      {{"delete", card, "1"}, CardBuilder().AddSave(3, 3, "B", "slus-00003", 'E', true).Build(Format::Ddf)},
      {{"clear", card}, CardBuilder().Build(Format::Ddf)}};
  for (const auto& [args, expected] : steps) {
    EXPECT_EQ(Run(args), (CliRun{0, "", ""}));
    EXPECT_EQ(Get("card.ddf"), expected) << args[0];
  }
}

// A converted file is its format's whole container, also from a .gme whose raw card lies at 0 or
// ends early; a .gme with its raw card right after its header keeps that header (its comments).
TEST_F(Cli, ConvertWritesTheWholeContainer) {
  const CardImage gme = SampleCard(Format::Gme);
  const std::size_t cut = kDexDriveHeaderSize + 5 * kBlockSize;
  CardImage padded = gme, commented = gme;
  std::fill(padded.begin() + static_cast<std::ptrdiff_t>(cut), padded.end(), 0);
  padded[64] = commented[64] = 'x';
  const std::pair<CardImage, CardImage> cases[] = {
      {SampleCard(Format::Mcr), gme},  // a raw card under a DexDrive name
      {CardImage(padded.begin(), padded.begin() + static_cast<std::ptrdiff_t>(cut)), padded},
      {commented, commented},
  };
  fs::create_directory(Path("out"));
  for (const auto& [source, expected] : cases) {
    const std::string in = Put("in.gme", source);
    EXPECT_EQ(Run({"convert", in, Path("copy.gme")}), (CliRun{0, "", ""}));
    EXPECT_EQ(Get("copy.gme"), expected) << source.size();
    EXPECT_EQ(Run({"convert", "--to", "gme", "--force", "-o", Path("out"), in}).status, 0);
    EXPECT_EQ(Get("out/in.gme"), expected) << source.size();
  }
}

// convert --to: every file in one process, each under its own name with the new extension.
TEST_F(Cli, BatchConvertWritesEveryFormat) {
  std::vector<std::string> inputs;
  for (Format from : kAllFormats) {
    const std::string ext(FormatExtension(from));
    inputs.push_back(Put("from_" + ext + "." + ext, SampleCard(from)));
  }
  for (Format to : kAllFormats) {
    const std::string ext(FormatExtension(to));
    const fs::path out = dir_ / ext;
    fs::create_directory(out);
    std::vector<std::string> args = {"convert", "--to", ext, "-o", out.string()};
    args.insert(args.end(), inputs.begin(), inputs.end());
    EXPECT_EQ(Run(args), (CliRun{0, "converted 7 of 7 to ." + ext + "\n", ""}));
    for (Format from : kAllFormats) {
      const fs::path written = out / ("from_" + std::string(FormatExtension(from)) + "." + ext);
      EXPECT_EQ(ReadCardFile(written.string()).bytes, SampleCard(to)) << written;
    }
  }
  // Beside the inputs, FORMAT in upper case with its dot; a second input of the same name is not
  // allowed to replace the first one's output.
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
  const std::string big = Put("big.mcr", {1});
  fs::resize_file(big, kMaxCardFileSize + 1);
  fs::create_directory(Path("folder.mcr"));
  const std::string missing = Path("missing.mcr"), folder = Path("folder.mcr");
  std::vector<std::string> args = {"convert", "--to", "mem", good1, folder, missing, taken, wrong, big, good2};
  std::string err = folder + ": cannot be read: " + Reason(EISDIR) + "\n" + missing +
                    ": cannot be read: " + Reason(ENOENT) + "\n" + taken + ": " + old +
                    " already exists (--force replaces it)\n" + wrong + ": File is in a wrong format.\n" + big +
                    ": cannot be read: file is larger than 16 MiB, too large for a memory card\n";
  std::size_t failed = 5;
  if (geteuid() != 0) {  // the superuser reads any file whatever its permissions
    const std::string locked = Put("locked.mcr", SampleCard());
    fs::permissions(locked, fs::perms::none);
    args.push_back(locked);
    err += locked + ": cannot be read: " + Reason(EACCES) + "\n";
    ++failed;
  }
  const auto before = Folder();
  const std::string summary = "converted 2 of " + std::to_string(failed + 2) + " to .mem; ";
  EXPECT_EQ(Run(args), (CliRun{1, summary + std::to_string(failed) + " failed\n", err}));
  EXPECT_EQ(Get("good1.mem"), SampleCard(Format::Mem));
  EXPECT_EQ(Get("good2.mem"), SampleCard(Format::Mem));
  auto after = Folder();
  after.erase("good1.mem");
  after.erase("good2.mem");
  EXPECT_EQ(after, before);  // the existing output, the inputs and nothing else
  EXPECT_EQ(Run({"convert", "--to", "mem", "--force", taken}), (CliRun{0, "converted 1 of 1 to .mem\n", ""}));
  EXPECT_EQ(Get("taken.mem"), SampleCard(Format::Mem));
}

TEST_F(Cli, BatchConvertMisuseTouchesNothing) {
  const std::string card = Put("card.mcr", SampleCard());
  const auto before = Folder();
  const std::pair<std::vector<std::string>, CliRun> cases[] = {
      {{"convert", "--to", "bin", card},
       {2, "", "convert: unknown format 'bin'; --to takes one of: mem mcd mcr gme ddf psx ps srm vm1 vmp\n"}},
      {{"convert", "--to", "mem", "-o", Path("nowhere"), card},
       {1, "", Path("nowhere") + ": not a folder; nothing was converted\n"}},
      {{"convert", card, Path("a.mem"), Path("b.mem")},
       {2, "", "convert needs SRC and DST, or --to FORMAT and the files to convert (-o and --force go with --to)\n"}},
      {{"convert", "--force", card, Path("a.mem")},
       {2, "", "convert needs SRC and DST, or --to FORMAT and the files to convert (-o and --force go with --to)\n"}}};
  for (const auto& [args, expected] : cases) {
    EXPECT_EQ(Run(args), expected);
    EXPECT_EQ(Folder(), before);
  }
  EXPECT_EQ(Run({"convert", "--to", "mem"}).status, 2);
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
  EXPECT_EQ(Get("b.ps"), SampleCard(Format::Ps));
}

// check reads and reports; it never writes. Exit 0 clean, 1 findings, 2 a card that cannot be read.
TEST_F(Cli, CheckReportsFindingsPerCardAndChangesNothing) {
  const std::string clean = Put("clean.gme", CardBuilder().AddSave(1, 2, "Fine").Build(Format::Gme));
  CardBuilder spoilt = CardBuilder().AddSave(1, 1, "A", "SLUS-00009").AddSave(4, 1, "B", "SLUS-00009");
  spoilt.Raw()[SlotEntryOffset(2) + kEntryChecksum] ^= 1;
  const std::string bad = Put("bad.mcr", spoilt.Build());
  const auto before = Folder();
  EXPECT_EQ(Run({"check", clean}), (CliRun{0, clean + ": no problems found\n", ""}));
  EXPECT_EQ(Run({"check", clean, bad}),
            (CliRun{1,
                    clean + ": no problems found\n" + bad +
                        ": slot 2: directory entry checksum is 0xA1 where 0xA0 is right; a console may show the slot "
                        "as corrupted\n" +
                        bad +
                        ": slot 4: the save has the same name \"BASLUS-00009\" as the save in slot 1; a game "
                        "sees only one of them\n",
                    ""}));

  fs::create_directory(Path("folder.mcr"));
  ASSERT_EQ(mkfifo(Path("pipe.mcr").c_str(), 0600), 0);
  const std::string big = Put("big.mcr", {1});
  fs::resize_file(big, std::uintmax_t{4} * 1024 * 1024 * 1024);  // sparse: nothing is stored
  const std::string txt = Put("card.txt", SampleCard());
  std::vector<std::uint8_t> blocks(2 * kBlockSize, 4);  // a .srm that is one save's blocks: no card to check
  blocks[0] = 'S', blocks[1] = 'C';
  const std::string save = Put("save.srm", blocks);
  const CliRun refused = Run({"check", Path("pipe.mcr"), big, Path("folder.mcr"), txt, save, bad});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err, Path("pipe.mcr") + ": cannot be read: not a regular file\n" + big +
                             ": cannot be read: file is larger than 16 MiB, too large for a memory card\n" +
                             Path("folder.mcr") + ": cannot be read: " + Reason(EISDIR) + "\n" + txt +
                             ": Memory card format not supported\n" + save +
                             ": This file is a single save, not a memory card: import it onto a card.\n");

  const CliRun json = Run({"check", "--json", bad, Path("folder.mcr")});
  ASSERT_EQ(json.status, 2) << json;
  const nlohmann::json doc = nlohmann::json::parse(json.out);
  EXPECT_EQ(doc[0]["findings"][0], (nlohmann::json{{"slot", 2},
                                                   {"kind", "entry-checksum"},
                                                   {"what",
                                                    "directory entry checksum is 0xA1 where 0xA0 is right; a "
                                                    "console may show the slot as corrupted"}}));
  EXPECT_EQ(doc[0]["findings"][1]["kind"], "duplicate-name");
  EXPECT_EQ(doc[1],
            (nlohmann::json{
                {"path", Path("folder.mcr")}, {"readable", false}, {"reason", "cannot be read: " + Reason(EISDIR)}}));

  auto after = Folder();
  for (const char* added : {"folder.mcr", "pipe.mcr", "big.mcr", "card.txt", "save.srm"}) after.erase(added);
  EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace selvane
