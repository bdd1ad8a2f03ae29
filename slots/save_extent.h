// The slots a save occupies, in block order, followed in the two ways a card can be read:
//   adjacent  the first block and the link lines right below it, as the slot list shows a save and
//             as a transfer copies it;
//   chain     the first block's NextSlot field, link by link to 0xFFFF, as the console follows it
//             (a save whose blocks were written around another save's is only whole this way).
#pragma once

#include <cstddef>
#include <vector>

#include "core/bytes.h"
#include "core/layout.h"

namespace selvane {

// The adjacent slots of the save that slot `slot` belongs to: walked back over link entries to the
// first slot that is not one (the save's first block, or whatever stands there), then forward over
// the link entries below it, up to slot `lastSlot`. Always holds at least that first slot.
std::vector<int> AdjacentSaveSlots(Bytes image, std::size_t dataOffset, int slot, int lastSlot = kSlotCount);

// The slots of the save whose NextSlot chain, from a first entry (in use or deleted), passes
// through `slot`; empty when no chain that ends well does (every link of the first entry's state,
// wholly inside the image, no slot twice, ended by 0xFFFF).
std::vector<int> ChainedSaveSlots(Bytes image, std::size_t dataOffset, int slot);

// The save as export and the save details take it: its chain when one passes through `slot`, else
// its adjacent slots.
std::vector<int> SaveSlots(Bytes image, std::size_t dataOffset, int slot, int lastSlot = kSlotCount);

}  // namespace selvane
