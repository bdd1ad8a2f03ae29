#include "slots/slot_list.h"

namespace selvane {
namespace {

char DecodeTrailByte(std::uint8_t b) {
  switch (b) {
    case 0x44:
      return '.';
    case 0x46:
      return ':';
    case 0x49:
      return '!';
    default:
      break;
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

// Writes slot `slot`'s list line into `line`. The list is rebuilt after every change to a card, so
// the text is appended in place rather than built from temporaries.
void BuildLine(int slot, Bytes image, std::size_t dataOffset, std::string& line) {
  line.assign({static_cast<char>('0' + slot / 10), static_cast<char>('0' + slot % 10)});
  const Bytes entry = ClipRead(image, dataOffset + SlotEntryOffset(slot), kFrameSize);
  if (entry.size() < kFrameSize) return;
  const std::uint8_t s = entry[kEntryStatus];
  const bool testA = IsLinkStatus(s) || s == status::kFirst || HasGameIdPattern(entry);
  if (!testA) return;

  // A link entry has no title of its own: its line names the slot above it.
  if (IsLinkStatus(s)) {
    line += s == status::kDeletedLinkR || s == status::kDeletedLinkS ? " -del- Linked Slot " : "  Linked Slot ";
    line += std::to_string(slot - 1);
    return;
  }
  const std::string title = DecodeTitle(ClipRead(image, dataOffset + SaveBlockOffset(slot), kFrameSize));
  if (!IsBlank(title)) {
    line += s == status::kDeletedFirst ? " -del- " : "  ";
    line += title;
  } else if (s == status::kDeletedFirst) {
    line += " -del- Slot Data";
  } else if (!title.empty()) {
    line += "  Data for Slot ";
    line += std::to_string(slot);
  }
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

SlotLines BuildSlotLinesAt(Bytes image, std::size_t dataOffset) {
  SlotLines lines;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    BuildLine(slot, image, dataOffset, lines[static_cast<std::size_t>(slot - 1)]);
  }
  return lines;
}

std::optional<SlotListing> BuildSlotLines(std::string_view path, Bytes image) {
  const auto format = FormatFromPath(path);
  if (!format) return std::nullopt;
  const auto offset = DataOffset(image, *format);
  if (!offset) return std::nullopt;
  return SlotListing{*format, *offset, BuildSlotLinesAt(image, *offset)};
}

}  // namespace selvane
