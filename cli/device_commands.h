// The card reader commands: `devices`, `read` and `write`, over the device layer.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli/commands.h"

namespace selvane::cli {

struct ReaderOptions {
  std::string reader;     // a reader kind's key; empty: ask the device who it is
  int card = 1;           // the console's card slot, 1 or 2 (PS1CardLink)
  bool force = false;     // read: replace an existing OUT
  bool all = false;       // write: every frame, not only those that differ
  std::string backup;     // write: where the card as it was goes; empty: the backup folder
  bool progress = false;  // show a progress line on standard error (a terminal)
};

// devices [DEVICE] [--json]: the serial ports that look like USB serial adaptors (or DEVICE alone)
// and the PS3 adaptor, each with the reader kind that answers on it. 0, or 1 when DEVICE cannot
// be opened.
int RunDevices(const std::string& device, bool json, Streams io);
// read DEVICE OUT: the whole card written to OUT in OUT's format; OUT is untouched unless every
// frame was read with a good checksum. 0 done, 1 refused or failed.
int RunRead(const std::string& device, const std::string& out, const ReaderOptions& options, Streams io);
// write CARD DEVICE: the physical card read and kept as a backup, then CARD's frames that differ
// written and read back. 0 done, 1 refused or failed (which frames were written, and the backup).
int RunWrite(const std::string& card, const std::string& device, const ReaderOptions& options, Streams io);

// Registers `devices`, `read` and `write`.
void AddDeviceCommands(CLI::App& app, Streams& io, int& status);

}  // namespace selvane::cli
