#include "slots/slot_list.h"

#include <cstdio>

namespace selvane {
namespace {

char DecodeTrailByte(std::uint8_t b) {
  switch (b) {
    case 0x44: return '.';
    case 0x46: return ':';
    case 0x49: return '!';
    default: break;
  }
  if (b >= 0x3F && b <= 0x4E) return static_cast<char>(b - 32);
  if (b >= 0x4F && b <= 0x59) return static_cast<char>(b - 31);
  if (b >= 0x60 && b <= 0x79) return static_cast<char>(b - 31);
  if (b >= 0x80 && b <= 0x9A) return static_cast<char>(b - 32);
  return ' ';
}

bool IsDigit(std::uint8_t b) { return b >= '0' && b <= '9'; }

// Bytes 14..21 of the entry: any three bytes, then five ASCII digits.
bool HasGameIdPattern(Bytes entry) {
  for (std::size_t i = 17; i <= 21; ++i) {
    if (!IsDigit(entry[i])) return false;
  }
  return true;
}

bool IsBlank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

std::string TwoDigits(int n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

std::string LineFor(int slot, Bytes image, std::size_t dataOffset) {
  std::string line = TwoDigits(slot);
  const Bytes entry = ClipRead(image, dataOffset + SlotEntryOffset(slot), kFrameSize);
  if (entry.size() < kFrameSize) return line;
  const std::uint8_t s = entry[kEntryStatus];
  const bool testA = IsLinkStatus(s) || s == status::kFirst || HasGameIdPattern(entry);
  if (!testA) return line;

  const std::string title = DecodeTitle(ClipRead(image, dataOffset + SaveBlockOffset(slot), kFrameSize));
  const bool testB = IsLinkStatus(s) || IsBlank(title);
  if (!testB) return line + (s == status::kDeletedFirst ? " -del- " : "  ") + title;
  const std::string previous = std::to_string(slot - 1);
  if (s == status::kDeletedFirst) return line + " -del- Slot Data";
  if (s == status::kDeletedLinkR || s == status::kDeletedLinkS) return line + " -del- Linked Slot " + previous;
  if (s == status::kLinkR || s == status::kLinkS) return line + "  Linked Slot " + previous;
  if (!title.empty()) return line + "  Data for Slot " + std::to_string(slot);
  return line;
}

}  // namespace

std::string DecodeTitle(Bytes block) {
  std::string title;
  for (std::size_t at = kTitleFirstTrailByte; at <= kTitleLastTrailByte; at += 2) {
    if (!HasByte(block, at)) break;
    const std::uint8_t b = block[at];
    if (b <= 0x1E) break;
    title += DecodeTrailByte(b);
  }
  return title;
}

std::optional<SlotListing> BuildSlotLines(std::string_view path, Bytes image) {
  const auto format = FormatFromPath(path);
  if (!format) return std::nullopt;
  const auto offset = DataOffset(image, *format);
  if (!offset) return std::nullopt;
  SlotListing listing{*format, *offset, {}};
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    listing.lines[static_cast<std::size_t>(slot - 1)] = LineFor(slot, image, *offset);
  }
  return listing;
}

}  // namespace selvane
