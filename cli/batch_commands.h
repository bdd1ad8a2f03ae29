// The commands for many cards at once: `convert` (both its two-file form and the batch form with
// --to) and `check`.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace selvane::cli {

struct BatchConvertOptions {
  std::string format;     // the target format's extension, with or without its dot, any case
  std::string outputDir;  // where the converted cards go; empty: beside each input
  bool force = false;     // replace outputs that already exist
  bool progress = false;  // show a progress line on standard error (only when it is a terminal)
};

// convert --to FORMAT [-o DIR] [--force] FILE...: every FILE read and written in FORMAT, under its
// own name with FORMAT's extension. A FILE that fails is named with its reason at the end and the
// others are still converted. 0 when every FILE was converted, 1 when any failed, 2 for an unknown
// FORMAT (nothing touched then).
int RunBatchConvert(const std::vector<std::string>& files, const BatchConvertOptions& options, Streams io);

// check CARD... [--json]: reads each CARD and prints every finding of CheckCard as one line
// "CARD: slot N: what" ("CARD: what" for the card as a whole), or with `json` one JSON array with
// an object per card. Changes no file. 0 when every card is clean, 1 when anything was found, 2
// when a card cannot be read or checked (a folder, a pipe, a file over 16 MiB, an unknown
// extension, a .srm that holds a single save).
int RunCheck(const std::vector<std::string>& cards, bool json, Streams io);

// Registers `convert`: the two-file form without --to, the batch form with it.
void AddConvertCommand(CLI::App& app, Streams& io, int& status);
// Registers `check`.
void AddCheckCommand(CLI::App& app, Streams& io, int& status);

}  // namespace selvane::cli
