#include "examples/card_builder.h"

#include <algorithm>

namespace selvane::demo {
namespace {

void SealEntry(CardImage& raw, int slot) {
  const std::size_t at = SlotEntryOffset(slot);
  raw[at + kEntryChecksum] = FrameChecksum(Bytes(raw).subspan(at, kFrameSize));
}

}  // namespace

std::uint8_t TrailByteFor(char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<std::uint8_t>(0x60 + (c - 'A'));
  if (c >= 'a' && c <= 'z') return static_cast<std::uint8_t>(0x81 + (c - 'a'));
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(0x4F + (c - '0'));
  switch (c) {
    case '.':
      return 0x44;
    case ':':
      return 0x46;
    case '!':
      return 0x49;
    case '-':
      return 0x4D;
    default:
      return 0x40;
  }
}

CardBuilder::CardBuilder() : raw_(EmptyCard()) {}

CardBuilder& CardBuilder::AddSave(int first, int blocks, std::string_view title, std::string_view gameId, char region,
                                  bool deleted, std::uint8_t seed) {
  const std::uint8_t flip = deleted ? status::kDeleteFlip : 0;
  for (int i = 0; i < blocks && first + i <= kSlotCount; ++i) {
    const int slot = first + i;
    const std::size_t entry = SlotEntryOffset(slot);
    std::fill_n(raw_.begin() + static_cast<std::ptrdiff_t>(entry), kFrameSize, 0);
    std::uint8_t statusByte = i == 0 ? status::kFirst : (i == blocks - 1 ? status::kLinkS : status::kLinkR);
    raw_[entry + kEntryStatus] = static_cast<std::uint8_t>(statusByte ^ flip);
    if (i == 0) {
      const std::uint32_t size = static_cast<std::uint32_t>(blocks) * static_cast<std::uint32_t>(kBlockSize);
      WriteLe32(raw_, entry + kEntrySaveSize, size);
      raw_[entry + kEntrySaveName] = 'B';
      raw_[entry + kEntryRegion] = static_cast<std::uint8_t>(region);
      for (std::size_t b = 0; b < gameId.size() && b < kGameIdLength; ++b) {
        raw_[entry + kEntryGameId + b] = static_cast<std::uint8_t>(gameId[b]);
      }
    }
    const std::uint16_t next = i == blocks - 1 ? kEndOfChain : static_cast<std::uint16_t>(slot);  // next slot - 1
    WriteLe16(raw_, entry + kEntryNextSlot, next);
    SealEntry(raw_, slot);

    // The block: "SC" magic, a title in the first frame's trail bytes, then a seeded pattern.
    const std::size_t block = SaveBlockOffset(slot);
    for (std::size_t b = 0; b < kBlockSize; ++b) {
      const std::size_t mix = b * 7 + std::size_t{seed} * 31 + static_cast<std::size_t>(i) * 13;
      raw_[block + b] = static_cast<std::uint8_t>(mix & 0xFF);
    }
    if (i == 0) {
      raw_[block] = 'S';
      raw_[block + 1] = 'C';
      raw_[block + 2] = 0x11;
      raw_[block + 3] = static_cast<std::uint8_t>(blocks);
      std::size_t at = kTitleFirstTrailByte;
      for (char c : title) {
        if (at > kTitleLastTrailByte) break;
        const std::uint8_t trail = TrailByteFor(c);
        raw_[block + at - 1] = trail >= 0x4F ? 0x82 : 0x81;  // letters and digits 0x82, the rest 0x81
        raw_[at + block] = trail;
        at += 2;
      }
      if (at <= kTitleLastTrailByte) {
        raw_[block + at - 1] = 0;
        raw_[block + at] = 0;
      }
    }
  }
  return *this;
}

CardBuilder& CardBuilder::SetTitleBytes(int slot, std::string_view bytes) {
  constexpr std::size_t kTitleAt = 4;
  constexpr std::size_t kTitleBytes = 64;
  const std::size_t block = SaveBlockOffset(slot);
  std::fill_n(raw_.begin() + static_cast<std::ptrdiff_t>(block + kTitleAt), kTitleBytes, 0);
  for (std::size_t i = 0; i < bytes.size() && i < kTitleBytes; ++i) {
    raw_[block + kTitleAt + i] = static_cast<std::uint8_t>(bytes[i]);
  }
  return *this;
}

CardBuilder& CardBuilder::SetIcon(int slot, const std::array<std::uint16_t, 16>& palette,
                                  const std::vector<IconFrame>& frames, std::uint8_t flag) {
  constexpr std::size_t kFlagAt = 2;
  constexpr std::size_t kPaletteAt = 0x60;
  const std::size_t block = SaveBlockOffset(slot);
  const bool counted = !frames.empty() && frames.size() <= 3;
  raw_[block + kFlagAt] = counted ? static_cast<std::uint8_t>(0x10 + frames.size()) : flag;
  for (std::size_t c = 0; c < palette.size(); ++c) WriteLe16(raw_, block + kPaletteAt + 2 * c, palette[c]);
  for (std::size_t f = 0; f < frames.size() && f < 3; ++f) {
    const std::size_t at = block + (f + 1) * kFrameSize;
    for (std::size_t i = 0; i < frames[f].size(); i += 2) {
      raw_[at + i / 2] = static_cast<std::uint8_t>((frames[f][i] & 0x0F) | ((frames[f][i + 1] & 0x0F) << 4));
    }
  }
  return *this;
}

CardBuilder& CardBuilder::SetStatus(int slot, std::uint8_t statusByte) {
  raw_[SlotEntryOffset(slot) + kEntryStatus] = statusByte;
  SealEntry(raw_, slot);
  return *this;
}

CardImage CardBuilder::Build(Format format) const { return *BuildFileContent(raw_, Format::Mcr, format); }

}  // namespace selvane::demo
