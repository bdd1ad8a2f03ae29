// Sizes and offsets of the raw PlayStation memory card, derived from each other in one place.
#pragma once

#include <array>
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

// The directory header, frame 0 of block 0, starts with "MC".
inline constexpr std::array<std::uint8_t, 2> kCardMark = {'M', 'C'};
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
inline constexpr std::uint16_t kEndOfChain = 0xFFFF;  // NextSlot of a save's last block
inline constexpr std::size_t kEntrySaveName = 10;
inline constexpr std::size_t kEntryRegion = 11;
inline constexpr std::size_t kEntryGameId = 12;
inline constexpr std::size_t kGameIdLength = 10;
inline constexpr std::size_t kEntryChecksum = kFrameSize - 1;
static_assert(kEntryGameId + kGameIdLength <= kEntryChecksum);

// The directory name of a save, bytes 10..29 of its first directory frame: region prefix ("BA",
// "BE", "BI"), product code, identifier; zero-ended when shorter.
inline constexpr std::size_t kSaveNameLength = 20;
inline constexpr std::size_t kRegionPrefixLength = 2;
inline constexpr std::size_t kProductCodeLength = 10;
static_assert(kEntrySaveName + kSaveNameLength <= kEntryChecksum);
static_assert(kEntrySaveName + kRegionPrefixLength == kEntryGameId);
inline constexpr int kMaxSaveBlocks = kSlotCount;

// The first frame of a save's first block (its title frame), then the icon frames after it.
inline constexpr std::size_t kTitleMagic = 0;  // "SC"
inline constexpr std::array<std::uint8_t, 2> kSaveMark = {'S', 'C'};
inline constexpr std::size_t kIconFlag = kTitleMagic + kSaveMark.size();  // 0x11, 0x12, 0x13: 1, 2, 3 icon frames
inline constexpr std::size_t kTitleBlockCount = kIconFlag + 1;            // the number of blocks the save takes
inline constexpr std::size_t kGameTitle = 4;                              // 64 bytes, zero-padded
inline constexpr std::size_t kGameTitleLength = 64;
inline constexpr std::size_t kIconPalette = 0x60;  // 16 little-endian 16-bit colours
inline constexpr int kPaletteColours = 16;
inline constexpr std::size_t kIconFrameStart = kFrameSize;  // icon frame k at (k + 1) * 128
inline constexpr int kIconSide = 16;                        // pixels, 4 bits each, low nibble left
inline constexpr std::size_t kIconRowBytes = kIconSide / 2;
inline constexpr std::size_t kIconPixels = std::size_t{kIconSide} * kIconSide;
inline constexpr int kMaxIconFrames = 3;
static_assert(kIconFlag == 2 && kTitleBlockCount == 3);
static_assert(kTitleBlockCount < kGameTitle);
static_assert(kGameTitle + kGameTitleLength <= kIconPalette);
static_assert(kIconPalette + std::size_t{2} * kPaletteColours == kFrameSize);
static_assert(kIconRowBytes * kIconSide == kFrameSize);
static_assert(kIconFrameStart + kMaxIconFrames * kFrameSize <= kBlockSize);

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
// The PSP's and PS Vita's .vmp: "\0PMV", u32 0x80 (the header size), a 20-byte seed at 0x0C and
// a 20-byte signature at 0x20.
inline constexpr std::size_t kVmpHeaderSize = 0x80;
inline constexpr std::size_t kVmpSeed = 0x0C;
inline constexpr std::size_t kVmpSignature = 0x20;
inline constexpr std::size_t kSignatureSeedSize = 20;
inline constexpr std::size_t kSignatureSize = 20;
static_assert(kVmpSeed + kSignatureSeedSize <= kVmpSignature);
static_assert(kVmpSignature + kSignatureSize <= kVmpHeaderSize);
static_assert(kDexDriveHeaderSize == 0xF40);

// Single save files. .mcs / .ps1: one directory frame, then the blocks. The 54-byte kind: the
// name, zero-ended, then a title.
inline constexpr std::size_t kMcsHeaderSize = kFrameSize;
inline constexpr std::size_t kShortHeaderNameSize = 21;
inline constexpr std::size_t kShortHeaderSize = 54;
static_assert(kShortHeaderNameSize == kSaveNameLength + 1);

// The PS3's .psv header (little-endian fields); the seed and signature as in the .vmp.
namespace psv {
inline constexpr std::size_t kSeed = 0x08;
inline constexpr std::size_t kSeedSize = kSignatureSeedSize;
inline constexpr std::size_t kSignature = kSeed + kSeedSize;
inline constexpr std::size_t kSignatureSize = 20;
inline constexpr std::size_t kSeedFieldSize = 0x38;  // u32 0x14 at 0x38: the seed's size
inline constexpr std::size_t kPlatform = 0x3C;       // u32: 1 for a PlayStation save
inline constexpr std::size_t kDataSize = 0x40;       // u32: the blocks' size
inline constexpr std::size_t kDataOffset = 0x44;     // u32: where the blocks start
inline constexpr std::size_t kUnknown48 = 0x48;      // u32 0x200
inline constexpr std::size_t kBlockUnit = 0x5C;      // u32 0x2000
inline constexpr std::size_t kType = 0x60;           // u32 0x9003
inline constexpr std::size_t kName = 0x64;
inline constexpr std::size_t kHeaderSize = 0x84;
static_assert(kSignature == 0x1C);
static_assert(kName + kSaveNameLength <= kHeaderSize);
inline constexpr std::uint32_t kPlatformPs1 = 1;
}  // namespace psv

// A file larger than this is no memory card of any container format; it is never read.
inline constexpr std::uintmax_t kMaxCardFileSize = std::uintmax_t{16} * 1024 * 1024;

}  // namespace selvane
