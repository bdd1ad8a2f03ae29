// Finding and opening a card reader: the ports that may hold one, asking a device which reader it
// is, and where the card as it was before a write is kept.
#pragma once

#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_io.h"
#include "device/protocol.h"

namespace selvane::device {

// The DEVICE name of the PS3 Memory Card Adaptor.
inline constexpr std::string_view kUsbDevice = "usb";

struct PortInfo {
  std::string path;  // what DEVICE takes: "/dev/ttyUSB0", "COM3", "usb"
  std::string name;  // a readable name ("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0")
};

// USB serial adaptors (Linux: /dev/serial/by-id; Windows: the COM ports) and "usb" when the PS3
// adaptor is plugged in. Empty when there are none.
std::vector<PortInfo> ListPorts();

// Whether this build can talk to the PS3 adaptor (libusb was found when it was built).
bool UsbAvailable();

struct OpenedReader {
  std::unique_ptr<Transport> transport;
  std::unique_ptr<Protocol> protocol;
  Identity identity;
  std::string message;  // why no reader could be opened, when protocol is null
};

// Opens `device` and asks it who it is: as `kind` when given, otherwise each serial reader's
// "who are you" in turn (MemCARDuino and PS1CardLink, then DexDrive). With `cardSlot` 1 the
// console's second card slot is chosen (PS1CardLink only; other readers refuse it).
OpenedReader OpenReader(std::string_view device, std::optional<ReaderKind> kind, int cardSlot, Timing timing);

// Identifies the reader on an already open transport, as OpenReader does.
OpenedReader Identify(std::unique_ptr<Transport> transport, std::optional<ReaderKind> kind, int cardSlot,
                      Timing timing);

// The folder backups go to: $XDG_DATA_HOME/Selvane/backups (~/.local/share/Selvane/backups), or
// %LOCALAPPDATA%\Selvane\backups on Windows. Empty when none of those variables is set.
std::string BackupFolder();
// A backup's path in `folder`: date and time, then the reader ("2026-01-31_14-05-09-dexdrive.mcr").
std::string BackupPath(std::string_view folder, ReaderKind kind, std::time_t when);

// Writes a raw card to `path` in the format its extension names (the raw card itself for an
// extension of none), through the atomic writer; creates missing folders when `makeFolders`.
WriteResult WriteCardFile(std::string_view path, Bytes rawCard, bool makeFolders);

}  // namespace selvane::device
