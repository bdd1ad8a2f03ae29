// The 15 lines of a pane's slot list, built from its path and card image.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/card.h"

namespace selvane {

using SlotLines = std::array<std::string, kSlotCount>;

struct SlotListing {
  Format format;
  std::size_t dataOffset;
  SlotLines lines;
};

// Decodes a save's title from the trail bytes of its title frame (`block` is the save block,
// clipped to the bytes that exist); decoding ends at the first trail byte below 0x1F or at a
// missing byte.
std::string DecodeTitle(Bytes block);

// The 15 list lines for the image of a card at `path`, or nullopt when the path names no supported
// format (or a ".gme" image holds no raw card). A slot whose directory entry does not lie wholly
// inside the image shows its bare number.
std::optional<SlotListing> BuildSlotLines(std::string_view path, Bytes image);

// The 15 list lines of a raw card that starts at `dataOffset` of `image`, as BuildSlotLines gives
// them for a path of that card's format.
SlotLines BuildSlotLinesAt(Bytes image, std::size_t dataOffset);

// True when the line text marks a free slot: the bare two-digit number.
inline bool IsBareLine(std::string_view line) { return line.size() == 2; }

}  // namespace selvane
