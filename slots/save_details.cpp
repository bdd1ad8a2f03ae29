#include "slots/save_details.h"

#include <algorithm>
#include <cstring>

#include "slots/save_extent.h"

namespace selvane {
namespace {

constexpr std::uint8_t kFlagOneFrame = 0x11;
constexpr std::uint8_t kFlagThreeFrames = 0x13;
constexpr std::uint16_t kTransparent = 0x0000;
// PAL video frames per icon frame while an icon animates, and the length of one video frame.
constexpr int kPalFramesForTwo = 16;
constexpr int kPalFramesForThree = 11;
constexpr int kPalFrameMilliseconds = 20;

std::uint8_t Widen(unsigned channel) { return static_cast<std::uint8_t>((channel << 3) | (channel >> 2)); }

// Bytes of a name field as printable ASCII, cut at the first zero; anything else shows as '?'.
std::string AsciiField(Bytes field) {
  std::string text;
  for (std::uint8_t b : field) {
    if (b == 0) break;
    text += b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '?';
  }
  return text;
}

std::string RegionOf(Bytes prefix) {
  if (prefix.size() < kRegionPrefixLength || prefix[0] != 'B') return {};
  switch (prefix[1]) {
    case 'A':
      return "America";
    case 'E':
      return "Europe";
    case 'I':
      return "Japan";
    default:
      return {};
  }
}

// Removes trailing ASCII spaces and ideographic spaces (U+3000), with which games pad titles.
void TrimTrailingSpaces(std::string& text) {
  static constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
  for (;;) {
    if (!text.empty() && text.back() == ' ') {
      text.pop_back();
    } else if (text.ends_with(kIdeographicSpace)) {
      text.resize(text.size() - kIdeographicSpace.size());
    } else {
      return;
    }
  }
}

SlotState StateOf(std::uint8_t s) {
  switch (s) {
    case status::kFree:
      return SlotState::Free;
    case status::kFirst:
      return SlotState::InUse;
    case status::kDeletedFirst:
      return SlotState::Deleted;
    case status::kLinkR:
    case status::kLinkS:
      return SlotState::Link;
    case status::kDeletedLinkR:
    case status::kDeletedLinkS:
      return SlotState::DeletedLink;
    default:
      return SlotState::Unknown;
  }
}

// The entry of slot n when it lies wholly inside the image; empty otherwise.
Bytes EntryOf(Bytes image, std::size_t dataOffset, int slot) {
  const Bytes entry = ClipRead(image, dataOffset + SlotEntryOffset(slot), kFrameSize);
  return entry.size() == kFrameSize ? entry : Bytes{};
}

SaveIcon ReadIcon(Bytes block) {
  SaveIcon icon;
  const std::uint8_t flag = ByteAt(block, kIconFlag);
  if (flag < kFlagOneFrame || flag > kFlagThreeFrames) return icon;
  const int frames = flag - kFlagOneFrame + 1;
  const auto end = kIconFrameStart + static_cast<std::size_t>(frames) * kFrameSize;
  if (block.size() < end) return icon;  // the icon frames run past the end of the image
  for (int c = 0; c < kPaletteColours; ++c) {
    icon.palette[static_cast<std::size_t>(c)] =
        PaletteColour(ReadLe16(block, kIconPalette + 2 * static_cast<std::size_t>(c)));
  }
  for (int f = 0; f < frames; ++f) {
    const Bytes frame = block.subspan(kIconFrameStart + static_cast<std::size_t>(f) * kFrameSize, kFrameSize);
    auto& indices = icon.indices[static_cast<std::size_t>(f)];
    for (std::size_t i = 0; i < kFrameSize; ++i) {
      indices[2 * i] = static_cast<std::uint8_t>(frame[i] & 0x0F);  // the left pixel of the pair
      indices[2 * i + 1] = static_cast<std::uint8_t>(frame[i] >> 4);
    }
  }
  icon.frames = frames;
  return icon;
}

}  // namespace

Rgba PaletteColour(std::uint16_t value) {
  if (value == kTransparent) return {};
  return {Widen(value & 0x1Fu), Widen((value >> 5) & 0x1Fu), Widen((value >> 10) & 0x1Fu), 0xFF};
}

std::vector<std::uint8_t> SaveIcon::FrameRgba(int frame) const {
  if (frame < 0 || frame >= frames) return {};
  static_assert(sizeof(Rgba) == 4);
  std::vector<std::uint8_t> rgba(kIconPixels * sizeof(Rgba));
  std::uint8_t* out = rgba.data();
  for (std::uint8_t index : indices[static_cast<std::size_t>(frame)]) {
    std::memcpy(out, &palette[index], sizeof(Rgba));
    out += sizeof(Rgba);
  }
  return rgba;
}

int SaveIcon::FrameMilliseconds() const {
  if (frames == 2) return kPalFramesForTwo * kPalFrameMilliseconds;
  if (frames == 3) return kPalFramesForThree * kPalFrameMilliseconds;
  return 0;
}

std::string_view StateWords(SlotState state) {
  switch (state) {
    case SlotState::Free:
      return "free";
    case SlotState::InUse:
      return "in use";
    case SlotState::Deleted:
      return "deleted";
    case SlotState::Link:
      return "link";
    case SlotState::DeletedLink:
      return "deleted link";
    case SlotState::Unknown:
      return "unknown status";
    case SlotState::Missing:
      break;
  }
  return "past the end";
}

SaveDetails ReadSaveDetails(Bytes image, std::size_t dataOffset, int slot, const TitleDecoder& decoder) {
  SaveDetails details;
  details.slot = slot;
  if (slot < 1 || slot > kSlotCount) return details;
  const Bytes entry = EntryOf(image, dataOffset, slot);
  if (entry.empty()) return details;
  details.state = StateOf(entry[kEntryStatus]);

  // A link belongs to the save whose NextSlot chain passes through it, as the console and an export
  // follow it; without such a chain, to the save reached by walking back over link lines.
  if (details.state == SlotState::Free || details.state == SlotState::Unknown) return details;
  const std::vector<int> slots = SaveSlots(image, dataOffset, slot);
  const int first = slots.front();
  const Bytes firstEntry = EntryOf(image, dataOffset, first);
  const std::uint8_t firstStatus = firstEntry.empty() ? 0 : firstEntry[kEntryStatus];
  if (firstStatus != status::kFirst && firstStatus != status::kDeletedFirst) return details;
  details.saveSlot = first;
  details.blocks = static_cast<int>(slots.size());
  details.block = static_cast<int>(std::find(slots.begin(), slots.end(), slot) - slots.begin()) + 1;

  const Bytes cut = UpToZero(firstEntry.subspan(kEntrySaveName, kSaveNameLength));
  details.region = RegionOf(cut);
  details.productCode = AsciiField(ClipRead(cut, kRegionPrefixLength, kProductCodeLength));
  details.identifier = AsciiField(ClipRead(cut, kRegionPrefixLength + kProductCodeLength, kSaveNameLength));

  const Bytes block = ClipRead(image, dataOffset + SaveBlockOffset(first), kBlockSize);
  if (ByteAt(block, kTitleMagic) != 'S' || ByteAt(block, kTitleMagic + 1) != 'C') return details;
  details.title = decoder.ToUtf8(UpToZero(ClipRead(block, kGameTitle, kGameTitleLength)));
  TrimTrailingSpaces(details.title);
  details.icon = ReadIcon(block);
  return details;
}

std::string DescribeSave(const SaveDetails& details) {
  if (!details.HasSave()) return {};
  std::string text;
  if (details.IsLink()) {
    text +=
        "Block " + std::to_string(details.block) + " of the save in slot " + std::to_string(details.saveSlot) + "\n";
  }
  text += details.title.empty() ? std::string("(no title)") : details.title;
  if (!details.productCode.empty()) text += "\nProduct code: " + details.productCode;
  if (!details.identifier.empty()) text += "\nIdentifier: " + details.identifier;
  if (!details.region.empty()) text += "\nRegion: " + details.region;
  text += "\nBlocks: " + std::to_string(details.blocks);
  if (details.IsDeleted()) text += "\nDeleted";
  return text;
}

}  // namespace selvane
