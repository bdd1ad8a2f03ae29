// The work functions of selvane-cli, one per command, separate from argument parsing so that
// tests call them directly. Each returns the process exit status: 0 done, 1 refused or failed.
#pragma once

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/cli_port.h"
#include "slots/pane.h"

namespace selvane::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

struct Streams {
  std::ostream& out;
  std::ostream& err;
};

// Makes `app` selvane-cli's parser: its description, footer, --version (printing `version`) and
// every command; the chosen command's exit status is stored in `status`. The bash completion is
// checked against this command table.
void AddCommands(CLI::App& app, std::string_view version, Streams& io, int& status);

// Runs one selvane-cli command line (args[0] is the program name) with its output in `io`, as the
// program does: parsing, the chosen command, help and usage texts, and a last-resort message for
// an unexpected exception. Returns the exit status.
int RunCommandLine(int argc, const char* const* argv, std::string_view version, Streams io);
// Whether standard error is a terminal, where progress lines are shown.
bool ErrorIsTerminal();

// Loads `path` into `pane` with the window's LoadCard. False (after printing why) when the file
// does not exist, cannot be read, or its slots cannot be listed.
bool LoadPane(Pane& pane, const std::string& path, CliPort& port);
// Writes the pane back to its own path with the window's Save; false after printing why.
bool SavePane(Pane& pane, CliPort& port);

// Writes the pane's card to `target` as both forms of convert do: the whole container of the
// format the target's name gives (BuildWholeContainer), or, for a name of no card format, what the
// window's Save writes there. False after printing the window's Save's message.
bool SaveConverted(const std::string& target, Pane& pane, CliPort& port);

int RunList(const std::string& card, Streams io);
int RunInfo(const std::string& card, bool json, Streams io);
int RunConvert(const std::string& source, const std::string& target, Streams io);
// new DST [--force]: an empty card in DST's format. An existing DST is kept (1, with a message
// naming it) unless `force` is given.
int RunNew(const std::string& target, bool force, Streams io);

}  // namespace selvane::cli
