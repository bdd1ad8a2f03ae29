// What a slot holds, as a person wants to see it: the save's icon, its title as the game wrote it,
// the region, product code and identifier from its directory entry, its size in blocks and its
// state in words. Read from the card image with every read clipped at its end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "core/layout.h"
#include "core/title_decoder.h"

namespace selvane {

struct Rgba {
  std::uint8_t r = 0, g = 0, b = 0, a = 0;
  bool operator==(const Rgba&) const = default;
};

// A palette colour as RGBA: 0x0000 is transparent, every other value opaque (0x8000 is black);
// each 5-bit channel is widened to 8 bits as (c << 3) | (c >> 2).
Rgba PaletteColour(std::uint16_t value);

struct SaveIcon {
  int frames = 0;  // 0 when the save has no icon
  std::array<Rgba, kPaletteColours> palette{};
  // Palette index of each pixel, row by row from the top left, per frame.
  std::array<std::array<std::uint8_t, kIconPixels>, kMaxIconFrames> indices{};

  // Frame `frame` (0-based) as 16 x 16 RGBA pixels, 4 bytes each, row by row; empty when the
  // icon has no such frame.
  std::vector<std::uint8_t> FrameRgba(int frame) const;
  // How long each frame stays on the screen while the icon animates, in milliseconds: 2 frames
  // change every 16 PAL video frames, 3 every 11; 0 for an icon that does not move.
  int FrameMilliseconds() const;
};

enum class SlotState {
  Free,         // a free entry
  InUse,        // the first block of a save
  Deleted,      // the first block of a deleted save
  Link,         // a further block of a save
  DeletedLink,  // a further block of a deleted save
  Unknown,      // any other status byte
  Missing,      // the entry lies past the end of the image
};
// "free", "in use", "deleted", "link", "deleted link", "unknown status", "past the end".
std::string_view StateWords(SlotState state);

struct SaveDetails {
  int slot = 0;
  SlotState state = SlotState::Missing;
  // The slot of the first block of the save this slot belongs to: the slot itself for a first
  // block; for a link, the first block of the NextSlot chain that passes through it, or without
  // one the slot reached by walking back over link lines; 0 when there is none (free or unknown
  // entries, a link that no save reaches).
  int saveSlot = 0;
  int block = 0;  // which block of that save this slot holds, from 1
  // The rest describes the save of `saveSlot` (empty when it is 0).
  std::string title;   // UTF-8, cut at the first zero byte, trailing spaces removed
  std::string region;  // "America", "Europe", "Japan"; empty for any other prefix
  std::string productCode;
  std::string identifier;
  int blocks = 0;  // the save's blocks: its chain, or its adjacent link lines where no chain ends well
  SaveIcon icon;

  bool HasSave() const { return saveSlot != 0; }
  bool IsLink() const { return state == SlotState::Link || state == SlotState::DeletedLink; }
  bool IsDeleted() const { return state == SlotState::Deleted || state == SlotState::DeletedLink; }
};

// The details of slot `slot` (1 to 15) of the raw card that starts at `dataOffset` of `image`.
// Nothing outside the image is read: a save whose title frame is short or lacks "SC" has no title
// and no icon, an icon flag outside 0x11-0x13 or icon frames past the end give no icon.
SaveDetails ReadSaveDetails(Bytes image, std::size_t dataOffset, int slot, const TitleDecoder& decoder);

// The details in a few lines of text (UTF-8, lines joined with "\n"): for a link, which block of
// which slot's save it is, then the save's title, product code and identifier, region, blocks and
// "Deleted" where it applies. Empty for a slot that belongs to no save.
std::string DescribeSave(const SaveDetails& details);

}  // namespace selvane
