// selvane-cli's devices, read and write run as a user runs them, against simulated readers on
// pseudo-terminals: the files they write, the messages and exit statuses of each failure, and
// that a failed read leaves no file behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <regex>
#include <thread>

#include "device/sim/pty_simulator.h"
#include "examples/card_builder.h"
#include "tests/cli/cli_runner.h"

namespace selvane {
namespace {
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

// A read that fails at a frame, and a port where no reader answers; each way a frame fails is
// told by the device tests.
TEST_F(ReaderCli, AFailedReadSaysWhyAndWritesNothing) {
  const std::pair<sim::ReaderFaults, std::string> cases[] = {
      {{.frame = 700, .badSector = true}, "frame 700: no card in the reader, or a bad sector"},
      {{.silent = true}, "no card reader answers (tried MemCARDuino, PS1CardLink and DexDrive)"},
  };
  // A silent reader is given up on in a fraction of a second.
  setenv("SELVANE_READER_TIMEOUT_MS", "50", 1);
  for (const auto& [faults, reason] : cases) {
    sim::PtySimulator sim(ReaderKind::MemCarduino);
    sim.With([f = faults](ReaderModel& m) { m.faults = f; });
    const std::string out = Path("card.mcr");
    const bool framed = reason.rfind("frame", 0) == 0;
    EXPECT_EQ(Run({"read", sim.Path(), out}),
              (CliRun{1, "", sim.Path() + ": " + reason + (framed ? "; " + out + " was not written" : "") + "\n"}));
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
  EXPECT_EQ(sim_.With([](ReaderModel& m) { return m.card; }), CardB());
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

// Starts selvane-cli with `args`, its standard output going to `out` and its error to `err`.
pid_t StartCli(std::vector<std::string> args, int out, int err) {
  args.insert(args.begin(), SELVANE_CLI_PATH);
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    if (dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
    alarm(10);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return child;
}

// What /proc says of a process: its state letter ('S' while it waits for something) and whether
// a signal sent to it is still pending, not yet taken by its handler.
char StateOf(pid_t pid) {
  const std::string stat = testkit::Text("/proc/" + std::to_string(pid) + "/stat");
  const auto end = stat.rfind(')');
  return end == std::string::npos || end + 2 >= stat.size() ? '?' : stat[end + 2];
}
bool SignalPending(pid_t pid) {
  const std::string status = testkit::Text("/proc/" + std::to_string(pid) + "/status");
  for (const std::string key : {"SigPnd:\t", "ShdPnd:\t"})
    if (const auto at = status.find(key);
        at != std::string::npos && status.compare(at + key.size(), 16, "0000000000000000") != 0)
      return true;
  return false;
}

TEST_F(ReaderCli, CtrlCStopsAfterTheFrameInFlight) {
  const std::string card = Put("new.mcr", CardB());
  const std::string backup = Path("before.mcr");
  // The reader keeps its answer to the write of frame 100 until Ctrl+C, pressed while selvane-cli
  // waits for that answer, was taken: the signal always interrupts the wait.
  sim_.With([](ReaderModel& m) { m.faults = {.frame = 100, .holdWrite = true}; });
  setenv("SELVANE_READER_TIMEOUT_MS", "10000", 1);  // a busy machine's late Ctrl+C is no silent reader
  const int out = open((dir_ / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int err = open((dir_ / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const pid_t child = StartCli({"write", card, sim_.Path(), "--all", "--backup", backup}, out, err);
  close(out);
  close(err);
  int status = 0;
  pid_t ended = 0;
  while (ended == 0 && !(sim_.With([](ReaderModel& m) { return m.holding; }) && StateOf(child) == 'S')) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ended = waitpid(child, &status, WNOHANG);
  }
  ASSERT_EQ(ended, 0) << "selvane-cli ended before it wrote frame 100";
  kill(child, SIGINT);
  while (SignalPending(child)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  sim_.With([](ReaderModel& m) { m.holding = false; });
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(sim_.With([](ReaderModel& m) { return m.framesWritten.size(); }), 101u);
  EXPECT_EQ(testkit::Text(dir_ / "err"),
            sim_.Path() + ": stopped by the user; frames written: 0-100; the card as it was is in " + backup + "\n");
  EXPECT_EQ(Get("before.mcr"), CardA());
}

// The progress line one command's step draws on a terminal, each frame redrawing it, with the
// rate as "R"; erased when the step ends.
std::string ProgressOf(const std::string& step, int frames = 1024) {
  std::string line;
  for (int done = 1; done <= frames; ++done)
    line += "\r\033[K" + step + ": frames " + std::to_string(done) + "/" + std::to_string(frames) + ", R frames/s";
  return line + "\r\033[K";
}

TEST_F(ReaderCli, ShowsProgressOnATerminal) {
  const std::string card = Put("new.mcr", CardB());
  const std::string out = Path("read.mcr"), backup = Path("before.mcr");
  const struct {
    std::vector<std::string> args;
    std::string shown;
  } cases[] = {
      {{"read", sim_.Path(), out},
       ProgressOf("reading") + "read 1024 frames from " + sim_.Path() + " (MemCARDuino) into " + out + "\n"},
      {{"write", card, sim_.Path(), "--backup", backup},
       ProgressOf("reading the card for its backup") + "backup of the card: " + backup + "\n" +
           ProgressOf("writing", 68) + "wrote 68 frames (1-3, 64, 192-255) to " + sim_.Path() +
           ", each read back right\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0]);
    int master = -1, slave = -1;
    termios raw{};
    cfmakeraw(&raw);
    ASSERT_EQ(openpty(&master, &slave, nullptr, &raw, nullptr), 0);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    const pid_t child = StartCli(c.args, slave, slave);
    close(slave);
    // Everything the terminal shows, until selvane-cli ends and the terminal closes.
    std::string shown;
    char buffer[4096];
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) shown.append(buffer, static_cast<std::size_t>(n));
    close(master);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);
    // Compared from a little before the first difference, which alone is shown.
    shown = std::regex_replace(shown, std::regex(", [0-9]+ frames/s"), ", R frames/s");
    const auto at =
        static_cast<std::size_t>(std::mismatch(shown.begin(), shown.end(), c.shown.begin()).first - shown.begin());
    const std::size_t from = at < 100 ? 0 : at - 100;
    EXPECT_EQ(shown.substr(from, 200), c.shown.substr(from, 200)) << "from byte " << from;
    EXPECT_EQ(shown.size(), c.shown.size());
  }
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
