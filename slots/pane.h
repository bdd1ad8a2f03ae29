// A pane: one card as the window (or selvane-cli) holds it, with its slot list and selection.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/card.h"
#include "core/file_io.h"
#include "slots/user_port.h"

namespace selvane {

struct Pane {
  int index = 0;                   // 0 "Memory Card 1", 1 "Memory Card 2"
  std::string path;                // the path box's text
  CardImage image;                 // the file's bytes; empty when no card is held
  std::string cardFormat;          // the CardFormat key stored by the last list rebuild (or ".mcr" by New)
  std::vector<std::string> lines;  // the slot list; 15 lines once a card was listed
  int selected = -1;               // selected list line, -1 for none
  bool cardModified = false;
  std::optional<FileStamp> loadedStamp;  // the file last loaded or saved: identity, size, time
};

// Rebuilds the pane's slot list from its path and image and stores its CardFormat. For a path
// that names no supported format (or a ".gme" image without a raw card) it shows "Memory card
// format not supported", keeps the previous lines and returns false. The rebuild leaves no line
// selected.
bool RefreshSlots(Pane& pane, UserPort& port);

// The format of the pane's stored CardFormat, or nullopt when it is no format of the format table.
std::optional<Format> PaneFormat(const Pane& pane);

// DataOffset of the pane's image in its stored format; nullopt when the format is unsupported
// or a ".gme" image holds no raw card. Computed afresh on every call.
std::optional<std::size_t> PaneDataOffset(const Pane& pane);

}  // namespace selvane
