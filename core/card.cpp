#include "core/card.h"

#include <algorithm>
#include <cstring>

#include "core/ascii.h"

namespace selvane {
namespace {

constexpr std::uint8_t kMagic[6] = {'M', 'C', 0, 0, 0, 0};

std::string_view LastChars(std::string_view text, std::size_t n) {
  return text.size() <= n ? text : text.substr(text.size() - n);
}

constexpr std::array<std::uint8_t, kVgsHeaderSize> MakeVgsHeader() {
  std::array<std::uint8_t, kVgsHeaderSize> h{};
  h[0] = 'V', h[1] = 'g', h[2] = 's', h[3] = 'M';
  h[4] = 1, h[8] = 1, h[12] = 1;
  h[16] = 0x00, h[17] = 0x02;
  return h;
}

constexpr std::array<std::uint8_t, kDexDriveHeaderSize> MakeDexDriveHeader() {
  std::array<std::uint8_t, kDexDriveHeaderSize> h{};
  constexpr std::string_view kId = "123-456-STD";
  for (std::size_t i = 0; i < kId.size(); ++i) h[i] = static_cast<std::uint8_t>(kId[i]);
  h[18] = 0x01;
  h[20] = 0x01;
  h[21] = 'M';
  h[22] = 'Q';
  for (std::size_t i = 23; i <= 36; ++i) h[i] = 0xA0;
  h[38] = 0xFF;
  return h;
}

constexpr std::array<std::uint8_t, kPsmHeaderSize> MakePsmHeader() {
  std::array<std::uint8_t, kPsmHeaderSize> h{};
  h[0] = 'P', h[1] = 'S', h[2] = 'V';
  h[10] = 0x02;
  constexpr std::string_view kModel = "SCPH-1020";
  for (std::size_t i = 0; i < kModel.size(); ++i) h[16 + i] = static_cast<std::uint8_t>(kModel[i]);
  return h;
}

constexpr auto kVgsHeader = MakeVgsHeader();
constexpr auto kDexDriveHeader = MakeDexDriveHeader();
constexpr auto kPsmHeader = MakePsmHeader();

bool StartsWith(Bytes image, std::string_view prefix) {
  if (image.size() < prefix.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), image.begin(),
                    [](char c, std::uint8_t b) { return static_cast<std::uint8_t>(c) == b; });
}

Bytes HeaderOf(Family family) {
  switch (family) {
    case Family::Vgs:
      return kVgsHeader;
    case Family::DexDrive:
      return kDexDriveHeader;
    case Family::Psm:
      return kPsmHeader;
    case Family::Raw:
      break;
  }
  return {};
}

}  // namespace

std::string_view FormatKey(Format format) {
  switch (format) {
    case Format::Mem:
      return ".mem";
    case Format::Mcd:
      return ".mcd";
    case Format::Mcr:
      return ".mcr";
    case Format::Gme:
      return ".gme";
    case Format::Ddf:
      return ".ddf";
    case Format::Psx:
      return ".psx";
    case Format::Ps:
      return ".ps";
  }
  return "";
}

std::string_view FormatExtension(Format format) { return FormatKey(format).substr(1); }

Family FamilyOf(Format format) {
  switch (format) {
    case Format::Mem:
      return Family::Vgs;
    case Format::Gme:
      return Family::DexDrive;
    case Format::Psx:
      return Family::Psm;
    case Format::Mcd:
    case Format::Mcr:
    case Format::Ddf:
    case Format::Ps:
      break;
  }
  return Family::Raw;
}

std::string CardFormatKeyOfPath(std::string_view path) { return AsciiLower(LastChars(path, 4)); }

std::optional<Format> FormatFromKey(std::string_view key) {
  for (Format f : kAllFormats) {
    if (FormatKey(f) == key) return f;
  }
  return std::nullopt;
}

std::optional<Format> FormatFromPath(std::string_view path) {
  const std::string key = CardFormatKeyOfPath(path);
  if (key != ".ps") {
    if (auto f = FormatFromKey(key)) return f;
  }
  if (LastChars(key, 3) == ".ps") return Format::Ps;
  return std::nullopt;
}

std::optional<Format> FormatFromExtension(std::string_view ext) {
  const std::string lower = AsciiLower(ext);
  for (Format f : kAllFormats) {
    if (FormatExtension(f) == lower) return f;
  }
  return std::nullopt;
}

std::optional<std::size_t> FindRawCardStart(Bytes image) {
  // memchr finds each candidate "M" far faster than a byte-by-byte search through the header.
  std::size_t at = 0;
  while (image.size() >= sizeof kMagic && at <= image.size() - sizeof kMagic) {
    const void* hit = std::memchr(image.data() + at, kMagic[0], image.size() - sizeof kMagic + 1 - at);
    if (!hit) break;
    at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - image.data());
    if (std::memcmp(image.data() + at, kMagic, sizeof kMagic) == 0) return at;
    ++at;
  }
  return std::nullopt;
}

std::optional<std::size_t> DataOffset(Bytes image, Format format) {
  switch (format) {
    case Format::Mem:
      return kVgsHeaderSize;
    case Format::Psx:
      return kPsmHeaderSize;
    case Format::Gme:
      return FindRawCardStart(image);
    case Format::Mcd:
    case Format::Mcr:
    case Format::Ddf:
    case Format::Ps:
      break;
  }
  return 0;
}

std::span<const std::uint8_t, kVgsHeaderSize> VgsHeader() { return kVgsHeader; }
std::span<const std::uint8_t, kDexDriveHeaderSize> DexDriveHeader() { return kDexDriveHeader; }
std::span<const std::uint8_t, kPsmHeaderSize> PsmHeader() { return kPsmHeader; }

bool IsWellFormed(Bytes image, Format format) {
  switch (FamilyOf(format)) {
    case Family::Vgs:
      return image.size() == kVgsHeaderSize + kRawCardSize &&
             std::equal(kVgsHeader.begin(), kVgsHeader.end(), image.begin());
    case Family::Raw:
      return image.size() == kRawCardSize && StartsWith(image, "MC");
    case Family::Psm:
      return image.size() == kPsmHeaderSize + kRawCardSize && StartsWith(image, "PSV");
    case Family::DexDrive:
      return FindRawCardStart(image).has_value();
  }
  return false;
}

std::optional<std::vector<std::uint8_t>> ExtractRawCard(Bytes image, Format format) {
  if (!IsWellFormed(image, format)) return std::nullopt;
  const std::size_t start = DataOffset(image, format).value_or(0);
  std::vector<std::uint8_t> raw(kRawCardSize, 0);
  const Bytes present = ClipRead(image, start, kRawCardSize);
  std::copy(present.begin(), present.end(), raw.begin());
  return raw;
}

bool BuildFileContentInto(Bytes image, Format source, std::optional<Format> target, std::vector<std::uint8_t>& out) {
  out.clear();
  if (!IsWellFormed(image, source)) return false;
  if (!target || FamilyOf(*target) == FamilyOf(source)) {
    out.assign(image.begin(), image.end());
    return true;
  }
  const Bytes header = HeaderOf(FamilyOf(*target));
  const Bytes raw = ClipRead(image, DataOffset(image, source).value_or(0), kRawCardSize);
  out.reserve(header.size() + kRawCardSize);
  out.insert(out.end(), header.begin(), header.end());
  out.insert(out.end(), raw.begin(), raw.end());
  out.resize(header.size() + kRawCardSize, 0);  // a short DexDrive image ends in zeros
  return true;
}

std::optional<std::vector<std::uint8_t>> BuildFileContent(Bytes image, Format source, std::optional<Format> target) {
  std::vector<std::uint8_t> content;
  if (!BuildFileContentInto(image, source, target, content)) return std::nullopt;
  return content;
}

std::array<std::uint8_t, kFrameSize> FreeEntry() {
  std::array<std::uint8_t, kFrameSize> entry{};
  entry[kEntryStatus] = status::kFree;
  entry[kEntryChecksum] = status::kFree;
  return entry;
}

CardImage EmptyCard() {
  CardImage card(kRawCardSize, 0);
  card[0] = 'M';
  card[1] = 'C';
  card[kEntryChecksum] = static_cast<std::uint8_t>('M' ^ 'C');
  const auto free = FreeEntry();
  for (int slot = 1; slot <= kSlotCount; ++slot) WriteClipped(card, SlotEntryOffset(slot), free);
  return card;
}

std::uint8_t FrameChecksum(Bytes frame) { return XorOf(ClipRead(frame, 0, kEntryChecksum)); }

}  // namespace selvane
