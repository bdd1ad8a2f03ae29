// The commands that change or compare slots (copy, move, delete, clear, toggle, edit, compare):
// their work functions, which tests call directly, and their registration with the parser.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "slots/outcome.h"

namespace selvane::cli {

// A SLOT argument: the number at the start of a list line, 1 to 15, with or without its leading
// zero ("3", "03"). nullopt for anything else.
std::optional<int> ParseSlotNumber(std::string_view text);
// True for the number of a list line, 1 to 15.
bool IsSlot(int slot);
// Says that SLOT is out of range and gives the exit status of wrong usage.
int BadSlot(Streams io);
// The parser's check of a SLOT argument or option (ParseSlotNumber), with its usage message.
CLI::Validator SlotValidator();

// A card that could not be saved back in its own format must not be changed at all, so this check
// runs before any operation that writes the card; false after saying why.
bool CanSaveBack(const Pane& pane, CliPort& port);
// Loads CARD into `pane` and selects the line of `slot` (none for 0); false after printing why.
bool LoadAndSelect(Pane& pane, const std::string& card, int slot, CliPort& port);

struct CopyOptions {
  std::optional<int> to;  // the DST line selected before the transfer (--to)
  bool replace = false;   // answer Yes to the replace question (--replace)
  bool move = false;      // a move: SRC's blocks are freed, DST is written first
};

// The one-card commands' routine: loads CARD, selects the line of `slot` (none for 0), runs
// `operation` on it and writes the card back when the operation says it changed it. The exit
// status comes from the operation's outcome alone: 0 written, 1 refused, failed or nothing to change
// (with a message naming CARD).
using CardOperation = std::function<Outcome(Pane&, UserPort&)>;
int RunOnCard(const std::string& card, int slot, Streams io, const CardOperation& operation);

// copy / move SRC SLOT DST: the window's transfer with SLOT selected in SRC's list. Writes DST, and
// for a move then SRC; nothing is written when the transfer is refused or a card could not be
// saved back in its own format. A move within one card file is refused.
int RunCopy(const std::string& source, int slot, const std::string& target, const CopyOptions& options, Streams io);
// delete CARD SLOT
int RunDelete(const std::string& card, int slot, Streams io);
// clear CARD
int RunClear(const std::string& card, Streams io);
// toggle CARD SLOT: marks the save on that line as deleted, or undeletes it.
int RunToggle(const std::string& card, int slot, Streams io);

struct EditOptions {
  std::optional<std::string> region;  // "usa", "eur" or "jap", in any case
  std::optional<std::string> id;      // the new game ID; lower-case letters become upper case
};
// edit CARD SLOT: the identity editor answered with the options; without --id the save's own ID
// is kept, without --region its region letter. Wrong usage (no option, an unknown region) gives 2.
int RunEdit(const std::string& card, int slot, const EditOptions& options, Streams io);

// compare CARD1 SLOT1 CARD2 SLOT2: prints the window's answer to standard output and returns 0
// when the save blocks are identical, 1 when they differ, 2 when a card cannot be compared.
int RunCompare(const std::string& card1, int slot1, const std::string& card2, int slot2, Streams io);

// Registers the seven commands; the chosen one's exit status is stored in `status`.
void AddSlotCommands(CLI::App& app, Streams& io, int& status);

}  // namespace selvane::cli
