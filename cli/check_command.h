// `check`: the card check of selvane-cli.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace selvane::cli {

// check CARD... [--json]: reads each CARD and prints every finding of CheckCard as one line
// "CARD: slot N: what" ("CARD: what" for the card as a whole), or with `json` one JSON array with
// an object per card. Changes no file. 0 when every card is clean, 1 when anything was found, 2
// when a card cannot be read or checked (a folder, a pipe, a file over 16 MiB, an unknown
// extension, a .srm that holds a single save).
int RunCheck(const std::vector<std::string>& cards, bool json, Streams io);

// Registers `check`.
void AddCheckCommand(CLI::App& app, Streams& io, int& status);

}  // namespace selvane::cli
