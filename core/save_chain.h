// A save's NextSlot chain as the console follows it: from a first entry, link by link, until a
// NextSlot of 0xFFFF ends it or a link leads somewhere a save's block cannot be.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/bytes.h"
#include "core/layout.h"

namespace selvane {

// How a chain walk stopped.
enum class ChainStop {
  Ended,       // a NextSlot of 0xFFFF: the save is whole
  LeavesCard,  // a NextSlot names a block past slot 15
  Loops,       // a NextSlot names a slot the chain already holds
  PastImage,   // a NextSlot names a slot whose entry lies (partly) past the end of the image
  NotALink,    // a NextSlot names an entry that is no link of the first entry's state (in use or deleted)
};

struct SaveChain {
  std::vector<int> slots;  // the first slot, then each link reached, in block order
  ChainStop stop = ChainStop::Ended;
  std::uint16_t next = kEndOfChain;  // the NextSlot value the walk stopped at
  std::uint8_t status = 0;           // for NotALink: the status of the entry it names
};

// The chain from slot `first` (1..15) of the card at `dataOffset`. A chain holds at most the 15
// slots, never a slot twice, so the walk always ends.
SaveChain FollowChain(Bytes image, std::size_t dataOffset, int first);

}  // namespace selvane
