// The operations that change or inspect the slots of a pane's card: transfer, delete, clear,
// the deleted-mark toggle, comparison and the identity edit. Each works on panes in memory and
// talks to the user only through the UserPort.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "slots/outcome.h"
#include "slots/pane.h"

namespace selvane {

// CopySlot: copies (or, with `move`, moves) the save on the source pane's selected line into the
// target pane. Walks back to the save's first block (moving the source selection), then writes the
// save block by block, whole or not at all ("The memory card is full."), asking before replacing a
// selected occupied target line. Each landed save frame's NextSlot is rewritten to follow where the
// blocks landed. A move frees the source blocks once all of them are on the target. `source` and
// `target` are two different panes. NothingChanged when the save's lines lie past the end of a
// short source image.
Outcome CopySlot(Pane& source, Pane& target, bool move, UserPort& port);

// Delete of the selected slot (btnDelete_Click): free entry and zeroed block; nothing (and no
// message) without a selection.
Outcome DeleteSlot(Pane& pane, UserPort& port);

// Clear All Slots: Delete of every list line in turn, then one more rebuild.
Outcome ClearAllSlots(Pane& pane, UserPort& port);

// Undelete/Mark as Deleted: flips the save on the selected line between in use and deleted.
// "Select a slot" when nothing is selected or the line's save has no save status (a free entry).
Outcome ToggleDeleted(Pane& pane, UserPort& port);

// btnCompare_Click: compares the save blocks of the two selected slots and shows the answer.
// `focusPane` is the pane (0 or 1) whose list needs the keyboard focus because it has no
// selection, or -1.
struct CompareResult {
  Comparison answer = Comparison::Refused;
  int focusPane = -1;
};
CompareResult CompareSlots(const Pane& pane0, const Pane& pane1, UserPort& port);

// What the identity editor shows for the save on the selected line.
struct SlotIdentity {
  int line = -1;              // the list line of the save's first entry (the selection moved there)
  std::optional<int> region;  // 0 USA ("A"), 1 EUR ("E"), 2 JAP ("I"), or none
  std::string id;             // bytes 12..21 up to the first zero byte
  std::string caption;        // "Slot N - " + the line's text
};

// EditSlot's first half: walks back to the save's first entry and reads its region and game ID.
// nullopt, after a message, when the format is unsupported or no line is selected ("Select a slot").
std::optional<SlotIdentity> BeginEditSlot(Pane& pane, UserPort& port);

// EditSlot's second half, with the dialog's answer: writes the region letter (when a region was
// chosen; none keeps byte 11) and the ID's characters (at most 10) over bytes 12 on, recomputes the
// checksum and sets CardModified. Only the entry of `identity.line` changes; the list is not
// rebuilt. An empty `id`, an unsupported format or a line outside 0..14 changes nothing
// (NothingChanged, FormatNotSupported).
Outcome ApplyEditSlot(Pane& pane, const SlotIdentity& identity, std::optional<int> region, std::string_view id);

// The game ID box's key filter: a typed lower-case letter becomes upper case; every other key
// passes unchanged.
char GameIdKey(char typed);

}  // namespace selvane
