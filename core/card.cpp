#include "core/card.h"

#include <algorithm>
#include <cstring>

#include "core/ascii.h"
#include "core/signing.h"
#include "core/single_save.h"

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

constexpr std::array<std::uint8_t, kVmpHeaderSize> MakeVmpHeader() {
  std::array<std::uint8_t, kVmpHeaderSize> h{};
  h[1] = 'P', h[2] = 'M', h[3] = 'V';
  h[4] = static_cast<std::uint8_t>(kVmpHeaderSize);
  return h;
}

constexpr auto kVgsHeader = MakeVgsHeader();
constexpr auto kVmpHeader = MakeVmpHeader();
constexpr auto kDexDriveHeader = MakeDexDriveHeader();
constexpr auto kPsmHeader = MakePsmHeader();

bool StartsWith(Bytes image, std::string_view prefix) {
  if (image.size() < prefix.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), image.begin(),
                    [](char c, std::uint8_t b) { return static_cast<std::uint8_t>(c) == b; });
}

// The families: the header the writer puts in front of the raw card, and what the save check
// wants of an image. A fixed header is followed by exactly one raw card; a DexDrive image's raw
// card is wherever its "MC",0,0,0,0 is, so the check asks for that pattern only.
struct FamilyFacts {
  Family family;
  Bytes header;
  std::string_view name;   // for the save check's reason
  std::string_view magic;  // what a well-formed image starts with, when its whole header is not asked for
  bool wholeHeader;        // the image starts with the whole header template
  bool searched;           // the raw card starts at the first "MC",0,0,0,0
  const SignedLayout* signature = nullptr;  // where a signed container keeps its seed and signature
};

constexpr FamilyFacts kFamilies[] = {
    {Family::Vgs, kVgsHeader, "Virtual Game Station", "", true, false},
    {Family::Raw, {}, "raw card", "MC", false, false},
    {Family::DexDrive, kDexDriveHeader, "DexDrive", "", false, true},
    {Family::Psm, kPsmHeader, "PSM", "PSV", false, false},
    {Family::Vmp, kVmpHeader, "PSP/PS Vita", std::string_view("\0PMV", 4), false, false, &kVmpLayout},
};

constexpr FormatFacts kFormats[] = {
    {Format::Mem, ".mem", Family::Vgs}, {Format::Mcd, ".mcd", Family::Raw},
    {Format::Mcr, ".mcr", Family::Raw}, {Format::Gme, ".gme", Family::DexDrive},
    {Format::Ddf, ".ddf", Family::Raw}, {Format::Psx, ".psx", Family::Psm},
    {Format::Ps, ".ps", Family::Raw},   {Format::Srm, ".srm", Family::Raw, true},
    {Format::Vm1, ".vm1", Family::Raw}, {Format::Vmp, ".vmp", Family::Vmp},
};
static_assert(std::size(kFormats) == kDialogFormats.size() + kNewerFormats.size());

const FamilyFacts& FactsOf(Family family) {
  return *std::find_if(std::begin(kFamilies), std::end(kFamilies),
                       [family](const FamilyFacts& f) { return f.family == family; });
}
const FormatFacts& FactsOf(Format format) {
  return *std::find_if(std::begin(kFormats), std::end(kFormats),
                       [format](const FormatFacts& f) { return f.format == format; });
}

// A magic in quotes, a NUL byte written as \0.
std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) quoted += c == '\0' ? std::string("\\0") : std::string(1, c);
  return quoted + "\"";
}

// Signs a file of a signed container (when signing is available); others are left as they are.
void Sign(MutableBytes file, Format format) {
  if (const SignedLayout* layout = FactsOf(FamilyOf(format)).signature) SignInPlace(file, *layout);
}

}  // namespace

std::span<const FormatFacts> FormatTable() { return kFormats; }

std::optional<SignedLayout> SignatureLayoutOf(Format format) {
  const SignedLayout* layout = FactsOf(FamilyOf(format)).signature;
  return layout ? std::optional(*layout) : std::nullopt;
}

std::string_view FormatKey(Format format) { return FactsOf(format).key; }

std::string_view FormatExtension(Format format) { return FormatKey(format).substr(1); }

Family FamilyOf(Format format) { return FactsOf(format).family; }

std::string CardFormatKeyOfPath(std::string_view path) { return AsciiLower(LastChars(path, 4)); }

std::optional<Format> FormatFromKey(std::string_view key) {
  for (const FormatFacts& f : kFormats) {
    if (f.key == key) return f.format;
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
  for (const FormatFacts& f : kFormats) {
    if (f.key.substr(1) == lower) return f.format;
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
  const FamilyFacts& family = FactsOf(FamilyOf(format));
  if (family.searched) return FindRawCardStart(image);
  return family.header.size();
}

std::span<const std::uint8_t, kVmpHeaderSize> VmpHeader() { return kVmpHeader; }
std::span<const std::uint8_t, kVgsHeaderSize> VgsHeader() { return kVgsHeader; }
std::span<const std::uint8_t, kDexDriveHeaderSize> DexDriveHeader() { return kDexDriveHeader; }
std::span<const std::uint8_t, kPsmHeaderSize> PsmHeader() { return kPsmHeader; }

SaveCheck CheckForSave(Bytes image, Format format) {
  const FamilyFacts& family = FactsOf(FamilyOf(format));
  if (family.searched) {
    if (FindRawCardStart(image)) return {};
    return {false, "no raw card (\"MC\" followed by four zero bytes) was found in it"};
  }
  const std::size_t expected = family.header.size() + kRawCardSize;
  if (image.size() != expected) {
    return {false, "the file has " + std::to_string(image.size()) + " bytes where a " + std::string(FormatKey(format)) +
                       " card has " + std::to_string(expected)};
  }
  const bool headed = family.wholeHeader ? std::equal(family.header.begin(), family.header.end(), image.begin())
                                         : StartsWith(image, family.magic);
  if (headed) return {};
  return {false, family.wholeHeader ? "it does not start with the " + std::string(family.name) + " header"
                                    : "it does not start with " + Quoted(family.magic)};
}

bool IsWellFormed(Bytes image, Format format) { return CheckForSave(image, format).ok; }

bool IsSingleSaveInCardFormat(Bytes image, Format format) {
  return FactsOf(format).mayHoldSingleSave && DetectSaveFileKind(image).has_value();
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
    if (target) Sign(out, *target);  // the card may have changed since it was signed
    return true;
  }
  const Bytes header = FactsOf(FamilyOf(*target)).header;
  const Bytes raw = ClipRead(image, DataOffset(image, source).value_or(0), kRawCardSize);
  out.reserve(header.size() + kRawCardSize);
  out.insert(out.end(), header.begin(), header.end());
  out.insert(out.end(), raw.begin(), raw.end());
  out.resize(header.size() + kRawCardSize, 0);  // a short DexDrive image ends in zeros
  Sign(out, *target);
  return true;
}

std::optional<std::vector<std::uint8_t>> BuildFileContent(Bytes image, Format source, std::optional<Format> target) {
  std::vector<std::uint8_t> content;
  if (!BuildFileContentInto(image, source, target, content)) return std::nullopt;
  return content;
}

std::optional<std::vector<std::uint8_t>> BuildWholeContainer(Bytes image, Format source, Format target) {
  const auto raw = ExtractRawCard(image, source);
  if (!raw) return std::nullopt;
  const Bytes templateHeader = FactsOf(FamilyOf(target)).header;
  const bool ownHeader = FamilyOf(source) == FamilyOf(target) && DataOffset(image, source) == templateHeader.size();
  const Bytes header = ownHeader ? image.first(templateHeader.size()) : templateHeader;
  std::vector<std::uint8_t> file(header.begin(), header.end());
  file.insert(file.end(), raw->begin(), raw->end());
  Sign(file, target);
  return file;
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
