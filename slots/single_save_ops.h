// Import and export of single saves over a pane: a save file's blocks placed on a card as a
// transfer places a save, and the save on a line taken out of a card.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/single_save.h"
#include "slots/outcome.h"
#include "slots/pane.h"

namespace selvane {

namespace text {
// The question asked before a save whose directory name the card already uses is imported.
std::string SameNameQuestion(std::string_view name);
}  // namespace text

// The first directory frame of a save in use on the card whose 20-character name is `name`; the
// line it is on, or nullopt. The console cannot tell two saves of one name apart.
std::optional<int> LineOfSaveNamed(const Pane& pane, std::string_view name);

// ImportSave: places `save` (1 to 15 blocks) on the pane's card, whole or not at all: its first
// block on the selected line when that is free, else on the first free line; each later block on
// the first free line of the list as rebuilt after the block before it (CardFull when the lines do
// not suffice; ImportSaveFiles says so, naming the save's file). Each landed block gets a directory frame built for the
// card: status 0x51, 0x52..., last 0x53; the whole save's size and its name in the first frame; NextSlot naming the
// slot of the next block (0xFFFF for the last); valid checksums. When a save in use already has the save's name, the
// user is asked first; No gives Declined and changes nothing. The list is rebuilt and CardModified set once the save
// has landed.
Outcome ImportSave(Pane& pane, const SingleSave& save, UserPort& port);

// What TakeSave found: the save on the selected line, or why there is none.
struct TakenSave {
  Outcome outcome = Outcome::NoSelection;
  SingleSave save;
};

// TakeSave: the save on the pane's selected line, selected on any of its lines: the save whose
// NextSlot chain passes through that line (from a first entry, in use or deleted, through link
// entries to 0xFFFF), or else the first block reached by walking back over link entries and the
// link entries right below it, as a transfer takes a save. A deleted save is taken as it is (a
// file written from it holds it in use). "Select a slot" (NoSelection, NotASave) without a
// selection or a save there; NothingChanged when a block lies past the end of a short image.
TakenSave TakeSave(const Pane& pane, UserPort& port);

// The file of `kind` for a save, by the save-kind table's writer: .mcs (its first frame with
// NextSlot of a contiguous chain), raw, or .psv (with a fixed seed, signed when a signer is
// installed); the 54-byte kind, which is never written, as .mcs.
std::vector<std::uint8_t> SaveFileContent(const SingleSave& save, SaveFileKind kind);

}  // namespace selvane
