// import and export: single save files onto a card and out of it.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace selvane::cli {

struct ImportOptions {
  std::optional<int> to;       // the CARD line selected before the first save is placed (--to)
  bool allowSameName = false;  // answer Yes when a save of the same name is already on the card
};

// import CARD FILE...: reads every FILE as a single save (refusing the lot when one is no save),
// places them on CARD in order, as a transfer places a save, and writes CARD back once all have
// landed. Nothing is written when any save is refused or has no room.
int RunImport(const std::string& card, const std::vector<std::string>& files, const ImportOptions& options, Streams io);

// export CARD SLOT OUT: writes the save on line SLOT as .mcs/.ps1, .psv or raw (no extension, or
// `raw`), by OUT's extension. An extension of no save kind is wrong usage (2).
int RunExport(const std::string& card, int slot, const std::string& out, bool raw, Streams io);

// Puts the signature primitives to use for every command (.vmp cards and .psv saves are signed
// when written and checked when read); false in a build without them.
bool InstallSigning();

// Registers import and export; the chosen one's exit status is stored in `status`.
void AddSaveFileCommands(CLI::App& app, Streams& io, int& status);

}  // namespace selvane::cli
