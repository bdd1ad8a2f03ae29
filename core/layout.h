// Sizes and offsets of the raw PlayStation memory card, derived from each other in one place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace selvane {

inline constexpr std::size_t kFrameSize = 128;
inline constexpr std::size_t kFramesPerBlock = 64;
inline constexpr std::size_t kBlockSize = kFrameSize * kFramesPerBlock;
inline constexpr std::size_t kBlockCount = 16;
inline constexpr std::size_t kRawCardSize = kBlockSize * kBlockCount;
inline constexpr int kSlotCount = 15;  // blocks 1..15 hold saves; block 0 is the directory

static_assert(kBlockSize == 8192);
static_assert(kRawCardSize == 131072);

// Card offset of slot n's directory entry (n = 1..15) and of its save block.
constexpr std::size_t SlotEntryOffset(int slot) { return static_cast<std::size_t>(slot) * kFrameSize; }
constexpr std::size_t SaveBlockOffset(int slot) { return static_cast<std::size_t>(slot) * kBlockSize; }
static_assert(SlotEntryOffset(kSlotCount) + kFrameSize <= kBlockSize, "directory fits in block 0");
static_assert(SaveBlockOffset(kSlotCount) + kBlockSize == kRawCardSize);

// Fields of a directory entry (SlotEntry), as offsets within its frame.
inline constexpr std::size_t kEntryStatus = 0;
inline constexpr std::size_t kEntrySaveSize = 4;
inline constexpr std::size_t kEntryNextSlot = 8;
inline constexpr std::size_t kEntrySaveName = 10;
inline constexpr std::size_t kEntryRegion = 11;
inline constexpr std::size_t kEntryGameId = 12;
inline constexpr std::size_t kGameIdLength = 10;
inline constexpr std::size_t kEntryChecksum = kFrameSize - 1;
static_assert(kEntryGameId + kGameIdLength <= kEntryChecksum);

// The title of a save: trail bytes at odd offsets 5..63 of the first frame of its first block.
inline constexpr std::size_t kTitleFirstTrailByte = 5;
inline constexpr std::size_t kTitleLastTrailByte = 63;
inline constexpr std::size_t kTitleLength = (kTitleLastTrailByte - kTitleFirstTrailByte) / 2 + 1;
static_assert(kTitleLength == 30);

// SlotStatus values of a directory entry.
namespace status {
inline constexpr std::uint8_t kFirst = 0x51;         // first block of a save, in use
inline constexpr std::uint8_t kLinkR = 0x52;         // link block, in use
inline constexpr std::uint8_t kLinkS = 0x53;         // link block, in use
inline constexpr std::uint8_t kFree = 0xA0;          // free entry
inline constexpr std::uint8_t kDeletedFirst = 0xA1;  // first block of a deleted save
inline constexpr std::uint8_t kDeletedLinkR = 0xA2;
inline constexpr std::uint8_t kDeletedLinkS = 0xA3;
inline constexpr std::uint8_t kDeleteFlip = 0xF0;  // XOR that turns an in-use status into its deleted one
static_assert((kFirst ^ kDeleteFlip) == kDeletedFirst);
static_assert((kLinkS ^ kDeleteFlip) == kDeletedLinkS);
}  // namespace status

// A link entry of a save: in use (0x52, 0x53) or deleted (0xA2, 0xA3).
constexpr bool IsLinkStatus(std::uint8_t s) {
  return s == status::kLinkR || s == status::kLinkS || s == status::kDeletedLinkR || s == status::kDeletedLinkS;
}
// Any status of a save, first or link, in use or deleted.
constexpr bool IsSaveStatus(std::uint8_t s) {
  return (s >= status::kFirst && s <= status::kLinkS) || (s >= status::kDeletedFirst && s <= status::kDeletedLinkS);
}
constexpr bool IsInUseStatus(std::uint8_t s) { return s >= status::kFirst && s <= status::kLinkS; }

// Container header sizes.
inline constexpr std::size_t kVgsHeaderSize = 64;
inline constexpr std::size_t kDexDriveHeaderSize = 3904;
inline constexpr std::size_t kPsmHeaderSize = 256;
static_assert(kDexDriveHeaderSize == 0xF40);

// A file larger than this is no memory card of any container format; it is never read.
inline constexpr std::uintmax_t kMaxCardFileSize = std::uintmax_t{16} * 1024 * 1024;

}  // namespace selvane
