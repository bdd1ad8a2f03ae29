// devices, read and write: the card readers from the command line. Ctrl+C stops a read or a write
// after the frame in flight; what was done is said before the program ends.
#include "cli/device_commands.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>

#include "device/card_transfer.h"
#include "device/reader.h"
#include "slots/user_port.h"

namespace selvane::cli {
namespace {
namespace fs = std::filesystem;
using namespace device;

std::atomic<bool> gStop{false};
extern "C" void OnInterrupt(int) { gStop = true; }

// Ctrl+C asks the running read or write to stop after its frame; the default comes back after.
class InterruptGuard {
 public:
  InterruptGuard() {
    gStop = false;
    previous_ = std::signal(SIGINT, OnInterrupt);
  }
  ~InterruptGuard() { std::signal(SIGINT, previous_); }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  void (*previous_)(int) = SIG_DFL;
};

// "frames 512/1024, 850 frames/s" on one line of a terminal, rewritten after each frame.
class ProgressLine {
 public:
  ProgressLine(bool shown, std::ostream& err, std::string label)
      : shown_(shown), err_(err), label_(std::move(label)), start_(std::chrono::steady_clock::now()) {}
  ~ProgressLine() {
    if (shown_) err_ << "\r\033[K" << std::flush;
  }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;
  ProgressFn Callback() {
    if (!shown_) return nullptr;
    return [this](std::size_t done, std::size_t total) {
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
      const long rate = seconds > 0 ? static_cast<long>(static_cast<double>(done) / seconds) : 0;
      err_ << "\r\033[K" << label_ << ": frames " << done << "/" << total << ", " << rate << " frames/s" << std::flush;
    };
  }

 private:
  bool shown_;
  std::ostream& err_;
  std::string label_;
  std::chrono::steady_clock::time_point start_;
};

std::optional<ReaderKind> KindOf(const ReaderOptions& options) {
  return options.reader.empty() ? std::nullopt : KindFromKey(options.reader);
}

}  // namespace

int RunDevices(const std::string& device, bool json, Streams io) {
  std::vector<PortInfo> ports = device.empty() ? ListPorts() : std::vector<PortInfo>{{device, device}};
  nlohmann::ordered_json doc = nlohmann::ordered_json::array();
  int status = kExitOk;
  for (const PortInfo& port : ports) {
    std::optional<ReaderKind> kind;
    std::string note;
    if (port.path == kUsbDevice) {
      kind = ReaderKind::Ps3Mca;
      if (!UsbAvailable()) note = "this build has no USB support";
    } else {
      const OpenedReader reader = OpenReader(port.path, std::nullopt, 0, TimingFromEnvironment());
      if (reader.protocol) {
        kind = reader.identity.kind;
      } else {
        note = reader.message;
        if (!device.empty() && !reader.transport) status = kExitFailed;
      }
    }
    if (json) {
      nlohmann::ordered_json entry;
      entry["path"] = port.path;
      entry["name"] = port.name;
      entry["reader"] = kind ? nlohmann::ordered_json(KindKey(*kind)) : nlohmann::ordered_json(nullptr);
      if (!note.empty()) entry["note"] = note;
      doc.push_back(entry);
    } else {
      io.out << port.path << "  " << (kind ? KindKey(*kind) : "-") << "  " << port.name;
      if (!note.empty()) io.out << "  (" << note << ")";
      io.out << "\n";
    }
  }
  if (json) io.out << doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
  if (!json && ports.empty()) io.err << "no serial adaptors or PS3 Memory Card Adaptor found\n";
  return status;
}

int RunRead(const std::string& device, const std::string& out, const ReaderOptions& options, Streams io) {
  if (!FormatFromPath(out)) {
    io.err << out << ": " << text::kFormatNotSupported << "\n";
    return kExitFailed;
  }
  std::error_code ec;
  if (!options.force && fs::exists(fs::symlink_status(out, ec))) {
    io.err << out << " already exists (--force replaces it)\n";
    return kExitFailed;
  }
  OpenedReader reader = OpenReader(device, KindOf(options), options.card - 1, TimingFromEnvironment());
  if (!reader.protocol) {
    io.err << device << ": " << reader.message << "\n";
    return kExitFailed;
  }
  const std::string name(KindName(reader.identity.kind));
  InterruptGuard interrupt;
  CardResult read;
  {
    ProgressLine progress(options.progress, io.err, "reading");
    read = ReadCard(*reader.protocol, progress.Callback(), &gStop);
  }
  if (!read.ok) {
    io.err << device << ": " << read.message << "; " << out << " was not written\n";
    return kExitFailed;
  }
  if (const WriteResult written = WriteCardFile(out, read.card, false); !written.ok) {
    io.err << out << ": " << written.reason << "\n";
    return kExitFailed;
  }
  io.out << "read " << kFrameCount << " frames from " << device << " (" << name << ") into " << out << "\n";
  return kExitOk;
}

namespace {

// The raw card of CARD, after the checks made before the reader is touched: CARD read and
// well-formed, the backup file's place free (or a backup folder known). nullopt after saying why.
std::optional<std::vector<std::uint8_t>> CardToWrite(const std::string& card, const ReaderOptions& options,
                                                     Streams io) {
  const ReadResult file = ReadCardFile(card);
  const auto format = FormatFromPath(card);
  if (!file.ok || !format) {
    io.err << card << ": " << (file.ok ? std::string(text::kFormatNotSupported) : file.reason) << "\n";
    return std::nullopt;
  }
  auto target = ExtractRawCard(file.bytes, *format);
  if (!target) {
    io.err << card << ": " << CheckForSave(file.bytes, *format).problem << "\n";
    return std::nullopt;
  }
  std::error_code ec;
  if (!options.backup.empty() && fs::exists(fs::symlink_status(options.backup, ec))) {
    io.err << options.backup << " already exists: a backup never replaces a file\n";
    return std::nullopt;
  }
  if (options.backup.empty() && BackupFolder().empty()) {
    io.err << "no folder for backups (HOME is not set): give --backup FILE\n";
    return std::nullopt;
  }
  return target;
}

}  // namespace

int RunWrite(const std::string& card, const std::string& device, const ReaderOptions& options, Streams io) {
  const auto target = CardToWrite(card, options, io);
  if (!target) return kExitFailed;
  const std::string folder = BackupFolder();

  OpenedReader reader = OpenReader(device, KindOf(options), options.card - 1, TimingFromEnvironment());
  if (!reader.protocol) {
    io.err << device << ": " << reader.message << "\n";
    return kExitFailed;
  }
  InterruptGuard interrupt;
  CardResult before;
  {
    ProgressLine progress(options.progress, io.err, "reading the card for its backup");
    before = ReadCard(*reader.protocol, progress.Callback(), &gStop);
  }
  if (!before.ok) {
    io.err << device << ": " << before.message << "; nothing was written to the card\n";
    return kExitFailed;
  }
  const std::string backup =
      options.backup.empty() ? BackupPath(folder, reader.identity.kind, std::time(nullptr)) : options.backup;
  if (const WriteResult kept = WriteCardFile(backup, before.card, options.backup.empty()); !kept.ok) {
    io.err << backup << ": " << kept.reason << "; nothing was written to the card\n";
    return kExitFailed;
  }
  io.out << "backup of the card: " << backup << "\n" << std::flush;

  CardResult write;
  {
    ProgressLine progress(options.progress, io.err, "writing");
    write = WriteCard(*reader.protocol, *target, before.card, options.all, progress.Callback(), &gStop);
  }
  if (!write.ok) {
    io.err << device << ": " << (write.stopped ? std::string("stopped by the user") : write.message)
           << "; frames written: " << FrameRanges(write.written) << "; the card as it was is in " << backup << "\n";
    return kExitFailed;
  }
  if (write.written.empty()) {
    io.out << "the card already holds " << card << "; nothing was written\n";
  } else {
    io.out << "wrote " << write.written.size() << " frames (" << FrameRanges(write.written) << ") to " << device
           << ", each read back right\n";
  }
  return kExitOk;
}

void AddDeviceCommands(CLI::App& app, Streams& io, int& status) {
  struct Args {
    std::string device, file, card;
    bool json = false;
    ReaderOptions options;
  };
  auto args = std::make_shared<Args>();
  const std::vector<std::string> kinds = {"memcarduino", "ps1cardlink", "dexdrive", "ps3mca"};
  const std::string deviceHelp = "A serial port (/dev/ttyUSB0, COM3) or \"usb\" for the PS3 Memory Card Adaptor";
  const auto addReaderOptions = [&](CLI::App* command) {
    command->add_option("--reader", args->options.reader, "The reader kind; without it the device is asked")
        ->check(CLI::IsMember(kinds));
    command->add_option("--card", args->options.card, "The console's card slot, 1 or 2 (PS1CardLink)")
        ->check(CLI::Range(1, 2));
  };

  auto* devices = app.add_subcommand("devices", "List serial ports and card adaptors, with the reader on each");
  devices->add_option("DEVICE", args->device, "Probe this port alone");
  devices->add_flag("--json", args->json, "Print one JSON array");
  devices->callback([&io, &status, args] { status = RunDevices(args->device, args->json, io); });

  auto* read = app.add_subcommand("read", "Read the whole card in a card reader into OUT, in OUT's format");
  read->add_option("DEVICE", args->device, deviceHelp)->required();
  read->add_option("OUT", args->file, "Card file to write")->required();
  addReaderOptions(read);
  read->add_flag("--force", args->options.force, "Replace OUT when it exists");
  read->callback([&io, &status, args] {
    args->options.progress = ErrorIsTerminal();
    status = RunRead(args->device, args->file, args->options, io);
  });

  auto* write = app.add_subcommand("write", "Write CARD onto the card in a card reader (a backup is kept first)");
  write->add_option("CARD", args->file, "Card file to write")->required();
  write->add_option("DEVICE", args->device, deviceHelp)->required();
  addReaderOptions(write);
  write->add_flag("--all", args->options.all, "Write every frame, not only those that differ");
  write->add_option("--backup", args->options.backup, "Keep the card as it was in FILE instead of the backup folder");
  write->callback([&io, &status, args] {
    args->options.progress = ErrorIsTerminal();
    status = RunWrite(args->file, args->device, args->options, io);
  });
}

}  // namespace selvane::cli
