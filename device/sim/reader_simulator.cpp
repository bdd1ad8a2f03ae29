// selvane-reader-sim: a simulated MemCARDuino, PS1CardLink or DexDrive on a pseudo-terminal, for
// trying `selvane-cli read` / `write` (or the window) without a reader. The card file's raw card is
// the card in the reader; writes change it in memory, and go back into the file on exit only with
// --save. The options give the reader the faults real ones show.
#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/card.h"
#include "core/file_io.h"
#include "device/sim/pty_simulator.h"

namespace {

using namespace selvane;

constexpr std::string_view kUsage =
    "usage: selvane-reader-sim --reader memcarduino|ps1cardlink|dexdrive [--save] [FAULT] CARD\n"
    "Answers as that reader on a new pseudo-terminal, whose path it prints, with CARD's raw card as\n"
    "the card in the reader, until Ctrl+C (or SIGTERM); --save then writes the card back into CARD.\n"
    "FAULT, at most one of:\n"
    "  --no-card            no card in the reader\n"
    "  --bad-sector N       frame N can be neither read nor written\n"
    "  --bad-checksum N     the first read of frame N comes with a wrong checksum\n"
    "  --silent-at N        the reader answers nothing from the moment frame N is asked for\n"
    "  --gone-at N          the reader hangs up when frame N is asked for (a pulled cable)\n"
    "  --wrong-write N      every write of frame N stores one byte changed (it reads back wrong)\n";

struct Options {
  std::optional<device::ReaderKind> kind;
  std::string card;
  bool save = false;
  sim::ReaderFaults faults;
  int faultOptions = 0;
};

// Sets the fault an option with a frame number names; false for any other option.
bool FrameFault(std::string_view name, int frame, sim::ReaderFaults& f) {
  f.frame = frame;
  if (name == "--bad-sector") {
    f.badSector = true;
  } else if (name == "--bad-checksum") {
    f.badChecksums = 1;
  } else if (name == "--silent-at") {
    f.silentAt = true;
  } else if (name == "--gone-at") {
    f.goneAt = true;
  } else if (name == "--wrong-write") {
    f.wrongWrites = 1 << 30;
  } else {
    return false;
  }
  return true;
}

// The options, or nullopt after saying what is wrong with them.
std::optional<Options> Parse(const std::vector<std::string_view>& args) {
  Options o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--reader" && hasValue) {
      o.kind = device::KindFromKey(args[++i]);
      if (!o.kind || *o.kind == device::ReaderKind::Ps3Mca) return std::nullopt;
    } else if (a == "--save") {
      o.save = true;
    } else if (a == "--no-card") {
      o.faults.noCard = true;
      ++o.faultOptions;
    } else if (a.starts_with("--") && hasValue) {
      const std::string number(args[++i]);
      char* end = nullptr;
      const long frame = std::strtol(number.c_str(), &end, 10);
      if (number.empty() || *end != '\0' || frame < 0 || frame >= static_cast<long>(device::kFrameCount) ||
          !FrameFault(a, static_cast<int>(frame), o.faults))
        return std::nullopt;
      ++o.faultOptions;
    } else if (!a.starts_with("-") && o.card.empty()) {
      o.card = a;
    } else {
      return std::nullopt;
    }
  }
  if (!o.kind || o.card.empty() || o.faultOptions > 1) return std::nullopt;
  return o;
}

// Writes the card back into `path` in the file's own format; false after saying why not.
bool Save(const std::string& path, Format format, const CardImage& card) {
  const auto content = BuildFileContent(card, Format::Mcr, format);
  const WriteResult written = content ? WriteFileAtomic(path, *content) : WriteResult{false, "not a card"};
  if (!written.ok) std::cerr << path << ": " << written.reason << "\n";
  return written.ok;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.size() == 1 && args[0] == "--help") {
    std::cout << kUsage;
    return 0;
  }
  const std::optional<Options> options = Parse(args);
  if (!options) {
    std::cerr << kUsage;
    return 2;
  }
  const ReadResult file = ReadCardFile(options->card);
  const std::optional<Format> format = FormatFromPath(options->card);
  const auto raw = file.ok && format ? ExtractRawCard(file.bytes, *format) : std::nullopt;
  if (!raw) {
    std::cerr << options->card << ": " << (file.ok ? "not a memory card file" : file.reason) << "\n";
    return 1;
  }

  // The signals that end the simulator are taken with sigwait, so every thread must block them,
  // the serving one included: block them before it starts.
  sigset_t ending;
  sigemptyset(&ending);
  for (const int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&ending, s);
  pthread_sigmask(SIG_BLOCK, &ending, nullptr);

  sim::PtySimulator reader(*options->kind);
  if (reader.Path().empty()) {
    std::cerr << "no pseudo-terminal: " << reader.Reason() << "\n";
    return 1;
  }
  reader.With([&](sim::ReaderModel& m) {
    m.card = *raw;
    m.faults = options->faults;
  });
  std::cout << reader.Path() << std::endl;

  int received = 0;
  sigwait(&ending, &received);
  const auto [card, read, written] =
      reader.With([](const sim::ReaderModel& m) { return std::tuple(m.card, m.framesRead, m.framesWritten.size()); });
  std::cerr << "frames read: " << read << ", frames written: " << written << "\n";
  return !options->save || Save(options->card, *format, card) ? 0 : 1;
}
