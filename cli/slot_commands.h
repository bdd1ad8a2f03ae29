// Registration of the commands that change slots (copy, move, delete, clear, toggle, edit, compare).
#pragma once

#include <CLI/CLI.hpp>

#include "cli/commands.h"

namespace selvane::cli {

void AddSlotCommands(CLI::App& app, Streams& io, int& status);

}  // namespace selvane::cli
