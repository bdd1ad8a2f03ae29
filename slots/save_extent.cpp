#include "slots/save_extent.h"

#include <algorithm>

#include "core/save_chain.h"
#include "slots/slot_access.h"

namespace selvane {
namespace {

using detail::StatusByte;
using detail::WholeEntryStatus;

bool IsFirstStatus(std::uint8_t s) { return s == status::kFirst || s == status::kDeletedFirst; }

}  // namespace

std::vector<int> AdjacentSaveSlots(Bytes image, std::size_t dataOffset, int slot, int lastSlot) {
  int first = slot;
  while (first > 1 && IsLinkStatus(StatusByte(image, dataOffset, first))) --first;
  std::vector<int> slots{first};
  while (slots.back() < lastSlot && IsLinkStatus(StatusByte(image, dataOffset, slots.back() + 1)))
    slots.push_back(slots.back() + 1);
  return slots;
}

std::vector<int> ChainedSaveSlots(Bytes image, std::size_t dataOffset, int slot) {
  for (int first = 1; first <= kSlotCount; ++first) {
    if (!IsFirstStatus(WholeEntryStatus(image, dataOffset, first))) continue;
    SaveChain chain = FollowChain(image, dataOffset, first);
    if (chain.stop == ChainStop::Ended && std::find(chain.slots.begin(), chain.slots.end(), slot) != chain.slots.end())
      return std::move(chain.slots);
  }
  return {};
}

std::vector<int> SaveSlots(Bytes image, std::size_t dataOffset, int slot, int lastSlot) {
  std::vector<int> chain = ChainedSaveSlots(image, dataOffset, slot);
  return chain.empty() ? AdjacentSaveSlots(image, dataOffset, slot, lastSlot) : chain;
}

}  // namespace selvane
