#include "core/save_chain.h"

#include <algorithm>

namespace selvane {
namespace {

// The status of slot n when its whole entry lies inside the image, else 0 (no status of any save).
std::uint8_t WholeEntryStatus(Bytes image, std::size_t dataOffset, int slot) {
  const Bytes entry = ClipRead(image, dataOffset + SlotEntryOffset(slot), kFrameSize);
  return entry.size() == kFrameSize ? entry[kEntryStatus] : 0;
}

}  // namespace

SaveChain FollowChain(Bytes image, std::size_t dataOffset, int first) {
  const bool inUse = IsInUseStatus(WholeEntryStatus(image, dataOffset, first));
  SaveChain chain{{first}};
  const auto nextOf = [&](int slot) {
    return ReadLe16(ClipRead(image, dataOffset + SlotEntryOffset(slot), kFrameSize), kEntryNextSlot);
  };
  while ((chain.next = nextOf(chain.slots.back())) != kEndOfChain) {
    const int to = chain.next + 1;  // NextSlot names the slot of the next block by its number less one
    if (to > kSlotCount) {
      chain.stop = ChainStop::LeavesCard;
      break;
    }
    if (std::find(chain.slots.begin(), chain.slots.end(), to) != chain.slots.end()) {
      chain.stop = ChainStop::Loops;
      break;
    }
    const Bytes entry = ClipRead(image, dataOffset + SlotEntryOffset(to), kFrameSize);
    if (entry.size() < kFrameSize) {
      chain.stop = ChainStop::PastImage;
      break;
    }
    chain.status = entry[kEntryStatus];
    if (!IsLinkStatus(chain.status) || IsInUseStatus(chain.status) != inUse) {
      chain.stop = ChainStop::NotALink;
      break;
    }
    chain.slots.push_back(to);
  }
  return chain;
}

}  // namespace selvane
