#include "slots/save_extent.h"

#include <algorithm>

#include "slots/slot_access.h"

namespace selvane {
namespace {

using detail::StatusByte;
using detail::WholeEntryStatus;

bool IsFirstStatus(std::uint8_t s) { return s == status::kFirst || s == status::kDeletedFirst; }

// The chain from the first entry `first`; empty when it does not end well.
std::vector<int> ChainFrom(Bytes image, std::size_t dataOffset, int first) {
  const std::uint8_t head = WholeEntryStatus(image, dataOffset, first);
  std::vector<int> chain{first};
  while (chain.size() <= static_cast<std::size_t>(kSlotCount)) {
    const std::uint16_t next =
        ReadLe16(ClipRead(image, dataOffset + SlotEntryOffset(chain.back()), kFrameSize), kEntryNextSlot);
    if (next == kEndOfChain) return chain;
    const int to = next + 1;
    if (to < 1 || to > kSlotCount) break;
    const std::uint8_t link = WholeEntryStatus(image, dataOffset, to);
    if (!IsLinkStatus(link) || IsInUseStatus(link) != IsInUseStatus(head) ||
        std::find(chain.begin(), chain.end(), to) != chain.end())
      break;
    chain.push_back(to);
  }
  return {};
}

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
    std::vector<int> chain = ChainFrom(image, dataOffset, first);
    if (std::find(chain.begin(), chain.end(), slot) != chain.end()) return chain;
  }
  return {};
}

std::vector<int> SaveSlots(Bytes image, std::size_t dataOffset, int slot, int lastSlot) {
  std::vector<int> chain = ChainedSaveSlots(image, dataOffset, slot);
  return chain.empty() ? AdjacentSaveSlots(image, dataOffset, slot, lastSlot) : chain;
}

}  // namespace selvane
