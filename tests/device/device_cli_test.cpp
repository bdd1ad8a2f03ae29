// selvane-cli's devices, read and write run as a user runs them, against simulated readers on
// pseudo-terminals: the files they write, the messages and exit statuses of each failure, and
// that a failed read leaves no file behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <thread>

#include "device/sim/pty_simulator.h"
#include "examples/card_builder.h"
#include "tests/cli/cli_runner.h"

namespace selvane {
namespace {
namespace fs = std::filesystem;
using device::ReaderKind;
using sim::ReaderModel;
using testkit::CliRun;

CardImage CardA() { return demo::CardBuilder().AddSave(1, 2, "Alpha").AddSave(5, 1, "Beta", "SLES-00002").RawCard(); }
CardImage CardB() { return demo::CardBuilder().AddSave(1, 3, "Alpha").AddSave(5, 1, "Beta", "SLES-00002").RawCard(); }

class ReaderCli : public testkit::CliFolder {
 protected:
  void SetUp() override {
    CliFolder::SetUp();
    // Waits short enough for the tests, long enough for a busy machine; backups in the test's folder.
    setenv("SELVANE_READER_TIMEOUT_MS", "300", 1);
    setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
    sim_.With([](ReaderModel& m) { m.card = CardA(); });
  }
  CardImage Card() {
    return sim_.With([](ReaderModel& m) { return m.card; });
  }
  sim::PtySimulator sim_{ReaderKind::MemCarduino};
};

TEST_F(ReaderCli, ReadWritesTheCardInOutsFormat) {
  const std::string out = Path("card.gme");
  EXPECT_EQ(Run({"read", sim_.Path(), out}),
            (CliRun{0, "read 1024 frames from " + sim_.Path() + " (MemCARDuino) into " + out + "\n", ""}));
  EXPECT_EQ(Get("card.gme"), *BuildFileContent(CardA(), Format::Mcr, Format::Gme));

  // An existing OUT is kept unless --force is given.
  sim_.With([](ReaderModel& m) { m.card = CardB(); });
  EXPECT_EQ(Run({"read", sim_.Path(), out}), (CliRun{1, "", out + " already exists (--force replaces it)\n"}));
  EXPECT_EQ(Get("card.gme"), *BuildFileContent(CardA(), Format::Mcr, Format::Gme));
  EXPECT_EQ(Run({"read", sim_.Path(), out, "--force", "--reader", "memcarduino"}).status, 0);
  EXPECT_EQ(Get("card.gme"), *BuildFileContent(CardB(), Format::Mcr, Format::Gme));
}

TEST_F(ReaderCli, AFailedReadSaysWhyAndWritesNothing) {
  struct Case {
    sim::ReaderFaults faults;
    std::string reason;
  };
  const Case cases[] = {
      {{.frame = 700, .badSector = true}, "frame 700: no card in the reader, or a bad sector"},
      {{.frame = 9, .badChecksums = 3}, "frame 9: bad checksum after 3 tries"},
      {{.frame = 300, .silentAt = true}, "frame 300: no answer in time after 3 tries"},
      {{.frame = 300, .goneAt = true}, "frame 300: the reader is gone"},
      {{.silent = true}, "no card reader answers (tried MemCARDuino, PS1CardLink and DexDrive)"},
  };
  // A silent reader is given up on in a fraction of a second.
  setenv("SELVANE_READER_TIMEOUT_MS", "50", 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    sim::PtySimulator sim(ReaderKind::MemCarduino);
    sim.With([&](ReaderModel& m) { m.faults = c.faults; });
    const std::string out = Path("card.mcr");
    const bool framed = c.reason.rfind("frame", 0) == 0;
    EXPECT_EQ(Run({"read", sim.Path(), out}),
              (CliRun{1, "", sim.Path() + ": " + c.reason + (framed ? "; " + out + " was not written" : "") + "\n"}));
    EXPECT_FALSE(fs::exists(out));
  }
  EXPECT_TRUE(Folder().empty());
}

TEST_F(ReaderCli, WriteKeepsABackupAndWritesTheFramesThatDiffer) {
  const std::string card = Put("new.mem", *BuildFileContent(CardB(), Format::Mcr, Format::Mem));
  const CliRun run = Run({"write", card, sim_.Path()});
  ASSERT_EQ(run.status, 0) << run;
  const std::string prefix = "backup of the card: " + (dir_ / "data" / "Selvane" / "backups").string() + "/";
  ASSERT_EQ(run.out.rfind(prefix, 0), 0u) << run;
  const std::string backup = run.out.substr(prefix.size(), run.out.find('\n') - prefix.size());
  EXPECT_TRUE(backup.ends_with("-memcarduino.mcr")) << backup;
  EXPECT_EQ(ReadCardFile(prefix.substr(20) + backup).bytes, CardA());
  EXPECT_EQ(run.out.substr(run.out.find('\n') + 1),
            "wrote 68 frames (1-3, 64, 192-255) to " + sim_.Path() + ", each read back right\n");
  EXPECT_EQ(Card(), CardB());
  EXPECT_EQ(Run({"write", card, sim_.Path(), "--backup", Path("b.mcr")}).out,
            "backup of the card: " + Path("b.mcr") + "\nthe card already holds " + card + "; nothing was written\n");
}

TEST_F(ReaderCli, AFailedWriteNamesTheFramesWrittenAndTheBackup) {
  const std::string card = Put("new.mcr", CardB());
  sim_.With([](ReaderModel& m) { m.faults = {.frame = 192, .wrongWrites = 3}; });
  const std::string backup = Path("before.mcr");
  EXPECT_EQ(
      Run({"write", card, sim_.Path(), "--backup", backup}),
      (CliRun{1, "backup of the card: " + backup + "\n",
              sim_.Path() + ": frame 192: does not read back as written after 3 tries; frames written: 1-3, 64; " +
                  "the card as it was is in " + backup + "\n"}));
  EXPECT_EQ(Get("before.mcr"), CardA());
  // An existing backup file is never replaced; nothing is written then.
  sim_.With([](ReaderModel& m) { m.framesWritten.clear(); });
  EXPECT_EQ(Run({"write", card, sim_.Path(), "--backup", backup}).status, 1);
  EXPECT_TRUE(sim_.With([](ReaderModel& m) { return m.framesWritten.empty(); }));
}

TEST_F(ReaderCli, CtrlCStopsAfterTheFrameInFlight) {
  const std::string card = Put("new.mcr", CardB());
  const std::string backup = Path("before.mcr");
  std::string cli = SELVANE_CLI_PATH, write = "write", all = "--all", dash = "--backup", device = sim_.Path();
  std::string cardArg = card, backupArg = backup;
  char* argv[] = {cli.data(), write.data(), cardArg.data(),   device.data(),
                  all.data(), dash.data(),  backupArg.data(), nullptr};
  const pid_t child = fork();
  if (child == 0) {
    if (!freopen((dir_ / "out").c_str(), "w", stdout) || !freopen((dir_ / "err").c_str(), "w", stderr)) _exit(126);
    alarm(10);
    execv(argv[0], argv);
    _exit(127);
  }
  // Ctrl+C once the writing is under way; a program that ended before that fails the test.
  int status = 0;
  pid_t ended = 0;
  while (ended == 0 && sim_.With([](ReaderModel& m) { return m.framesWritten.size(); }) < 5) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ended = waitpid(child, &status, WNOHANG);
  }
  ASSERT_EQ(ended, 0) << "selvane-cli ended before it wrote a frame";
  kill(child, SIGINT);
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  // Every frame the reader took was reported, and each once.
  std::vector<std::uint16_t> taken;
  for (const int f : sim_.With([](ReaderModel& m) { return m.framesWritten; }))
    taken.push_back(static_cast<std::uint16_t>(f));
  EXPECT_LT(taken.size(), 1024u);
  EXPECT_EQ(testkit::Text(dir_ / "err"), sim_.Path() + ": stopped by the user; frames written: 0-" +
                                             std::to_string(taken.size() - 1) + "; the card as it was is in " + backup +
                                             "\n");
  EXPECT_EQ(Get("before.mcr"), CardA());
}

TEST_F(ReaderCli, DevicesNamesTheReaderOnAPortAndUsageErrors) {
  const CliRun run = Run({"devices", sim_.Path(), "--json"});
  ASSERT_EQ(run.status, 0) << run;
  EXPECT_EQ(nlohmann::json::parse(run.out)[0]["reader"], "memcarduino");
  EXPECT_EQ(Run({"read", sim_.Path(), Path("x.mcr"), "--card", "3"}).status, 2);
  EXPECT_EQ(Run({"read", sim_.Path(), Path("x.mcr"), "--reader", "floppy"}).status, 2);
  EXPECT_EQ(Run({"read", sim_.Path(), Path("x.txt")}),
            (CliRun{1, "", Path("x.txt") + ": Memory card format not supported\n"}));
  EXPECT_EQ(Run({"read", sim_.Path(), Path("x.mcr"), "--card", "2"}),
            (CliRun{1, "", sim_.Path() + ": MemCARDuino has no card slot 2\n"}));
  // No PS3 adaptor is plugged in where the tests run (or the build has no USB): said, nothing written.
  const CliRun usb = Run({"read", "usb", Path("x.mcr")});
  EXPECT_EQ(usb.status, 1) << usb;
  EXPECT_EQ(usb.err.rfind("usb: ", 0), 0u) << usb;
  EXPECT_TRUE(Folder().empty());
}

}  // namespace
}  // namespace selvane
