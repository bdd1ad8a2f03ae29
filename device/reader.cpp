#include "device/reader.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "device/serial_port.h"
#include "device/usb_transport.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace selvane::device {
namespace {
namespace fs = std::filesystem;

// Every serial reader starts at this rate; the protocols change it where they need another.
constexpr int kFirstRate = 115200;

std::string Getenv(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

std::vector<PortInfo> ListPorts() {
  std::vector<PortInfo> ports;
#if defined(_WIN32)
  // QueryDosDevice lists every device name; the serial ports are the COMn among them.
  std::vector<char> names(65536);
  const DWORD length = QueryDosDeviceA(nullptr, names.data(), static_cast<DWORD>(names.size()));
  for (DWORD i = 0; i < length && names[i] != '\0';) {
    const std::string name(names.data() + i);
    if (name.rfind("COM", 0) == 0) ports.push_back({name, name});
    i += static_cast<DWORD>(name.size()) + 1;
  }
#else
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/dev/serial/by-id", ec)) {
    const fs::path target = fs::canonical(entry.path(), ec);
    if (!ec) ports.push_back({target.string(), entry.path().filename().string()});
  }
#endif
  std::sort(ports.begin(), ports.end(), [](const PortInfo& a, const PortInfo& b) { return a.path < b.path; });
  if (UsbAdaptorPresent()) ports.push_back({std::string(kUsbDevice), std::string(KindName(ReaderKind::Ps3Mca))});
  return ports;
}

bool UsbAvailable() { return UsbSupported(); }

OpenedReader Identify(std::unique_ptr<Transport> transport, std::optional<ReaderKind> kind, int cardSlot,
                      Timing timing) {
  OpenedReader reader;
  reader.transport = std::move(transport);
  std::vector<ReaderKind> kinds;
  if (kind) {
    kinds.push_back(*kind);
  } else {
    kinds = {ReaderKind::MemCarduino, ReaderKind::DexDrive};
  }
  for (const ReaderKind candidate : kinds) {
    auto protocol = MakeProtocol(candidate, *reader.transport, timing);
    Identity identity = protocol->Identify();
    if (!identity.ok) {
      reader.message = identity.message;
      continue;
    }
    // MemCARDuino's and PS1CardLink's "who are you" is one command: the answer tells them apart.
    if (identity.kind != candidate) protocol = MakeProtocol(identity.kind, *reader.transport, timing);
    if (kind && identity.kind != *kind) {
      reader.message =
          "the reader is a " + std::string(KindName(identity.kind)) + ", not a " + std::string(KindName(*kind));
      return reader;
    }
    if (!protocol->SelectCard(cardSlot)) {
      reader.message = std::string(KindName(identity.kind)) + " has no card slot " + std::to_string(cardSlot + 1);
      return reader;
    }
    reader.identity = identity;
    reader.protocol = std::move(protocol);
    reader.message.clear();
    return reader;
  }
  if (!kind) reader.message = "no card reader answers (tried MemCARDuino, PS1CardLink and DexDrive)";
  return reader;
}

OpenedReader OpenReader(std::string_view device, std::optional<ReaderKind> kind, int cardSlot, Timing timing) {
  std::string reason;
  if (device == kUsbDevice) {
    if (kind && *kind != ReaderKind::Ps3Mca) return {nullptr, nullptr, {}, "\"usb\" is the PS3 Memory Card Adaptor"};
    auto usb = OpenUsbAdaptor(reason);
    if (!usb) return {nullptr, nullptr, {}, reason};
    return Identify(std::move(usb), ReaderKind::Ps3Mca, cardSlot, timing);
  }
  if (kind == ReaderKind::Ps3Mca) return {nullptr, nullptr, {}, "the PS3 Memory Card Adaptor is DEVICE \"usb\""};
  auto port = OpenSerialPort(device, kFirstRate, reason);
  if (!port) return {nullptr, nullptr, {}, "cannot be opened: " + reason};
  return Identify(std::move(port), kind, cardSlot, timing);
}

std::string BackupFolder() {
#if defined(_WIN32)
  const std::string local = Getenv("LOCALAPPDATA");
  return local.empty() ? std::string() : (fs::path(local) / "Selvane" / "backups").string();
#else
  std::string data = Getenv("XDG_DATA_HOME");
  if (data.empty()) {
    const std::string home = Getenv("HOME");
    if (home.empty()) return {};
    data = (fs::path(home) / ".local" / "share").string();
  }
  return (fs::path(data) / "Selvane" / "backups").string();
#endif
}

std::string BackupPath(std::string_view folder, ReaderKind kind, std::time_t when) {
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &when);
#else
  localtime_r(&when, &local);
#endif
  char stamp[32] = {};
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
  const std::string base = std::string(stamp) + "-" + std::string(KindKey(kind));
  // Two backups in one second keep apart.
  fs::path path = fs::path(folder) / (base + ".mcr");
  std::error_code ec;
  for (int n = 2; fs::exists(path, ec); ++n) path = fs::path(folder) / (base + "-" + std::to_string(n) + ".mcr");
  return path.string();
}

WriteResult WriteCardFile(std::string_view path, Bytes rawCard, bool makeFolders) {
  if (makeFolders) {
    std::error_code ec;
    const fs::path folder = fs::path(path).parent_path();
    if (!folder.empty() && !fs::create_directories(folder, ec) && ec) return {false, ec.message()};
  }
  const auto format = FormatFromPath(path);
  const auto content = BuildFileContent(rawCard, Format::Mcr, format);
  if (content) return WriteFileAtomic(path, *content);
  // A card that is not formatted (no "MC" at its start) is still kept whole in a raw card file.
  if (rawCard.size() == kRawCardSize && (!format || FamilyOf(*format) == FamilyOf(Format::Mcr)))
    return WriteFileAtomic(path, rawCard);
  return {false, "the card read is not formatted (it does not start with \"MC\"): save it as a raw card (.mcr)"};
}

}  // namespace selvane::device
