// What selvane-cli shows of the saves themselves: the details that `info` adds per slot (the title
// as the game wrote it, product code, identifier, region, blocks, icon frames) and `icon`, which
// writes a save's icon as a PNG file.
#pragma once

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "cli/commands.h"
#include "slots/save_details.h"

namespace selvane::cli {

// selvane-cli's title decoder (code page 932 through the system's converter), made once.
const TitleDecoder& CliTitleDecoder();

// Adds to a slot's object of `info` the keys "state", "saveSlot", "gameTitle", "productCode",
// "identifier", "region", "blocks" and "iconFrames". The last six are null for a line that is no
// save's first block; a link line gives the save it belongs to in "saveSlot".
void AddSaveDetails(nlohmann::ordered_json& slot, const SaveDetails& details);

// The plain-text section of `info` that follows the slot table: one line per slot entry that the
// file holds, from the keys AddSaveDetails added to `slots`.
void PrintSaveDetails(std::ostream& out, const nlohmann::ordered_json& slots);

struct IconOptions {
  std::optional<int> frame;  // 1 to 3; nullopt for all frames side by side
  int scale = 1;             // each icon pixel becomes scale x scale pixels
};
inline constexpr int kMaxIconScale = 32;

// icon CARD SLOT OUT: writes the icon of the save on line SLOT (a link line's save) to OUT as a PNG
// with transparency, through the atomic writer. 1 with a message when the line holds no save, the
// save has no icon or no such frame, or OUT cannot be written; OUT is then left as it was.
int RunIcon(const std::string& card, int slot, const std::string& out, const IconOptions& options, Streams io);

// Registers `icon`; its exit status is stored in `status`.
void AddSaveCommands(CLI::App& app, Streams& io, int& status);

}  // namespace selvane::cli
