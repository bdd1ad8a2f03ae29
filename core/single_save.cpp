#include "core/single_save.h"

#include <algorithm>

#include "core/ascii.h"
#include "core/card.h"
#include "core/file_io.h"

namespace selvane {
namespace {

bool HasAt(Bytes data, std::size_t offset, std::string_view text) {
  const Bytes part = ClipRead(data, offset, text.size());
  return part.size() == text.size() && std::equal(text.begin(), text.end(), part.begin(),
                                                  [](char c, std::uint8_t b) { return std::uint8_t(c) == b; });
}

// Whether `size` bytes after a header of `header` bytes are a whole number of blocks.
bool BlocksAfter(std::size_t size, std::size_t header) { return size > header && (size - header) % kBlockSize == 0; }

// A name field: its bytes up to the first zero, at most 20.
std::string NameField(Bytes data, std::size_t offset, std::size_t size) {
  return ZeroEndedText(data, offset, std::min(size, kSaveNameLength));
}

std::string BlockCountProblem(std::size_t blocks) {
  return "it holds " + std::to_string(blocks) + " blocks of 8192 bytes; a save has 1 to 15";
}

SaveFileRead Refused(SaveFileKind kind, std::string problem) {
  SaveFileRead read;
  read.kind = kind;
  read.problem = std::move(problem);
  return read;
}

bool IsSeparator(char c) { return c == '.' || c == '-' || c == ' ' || c == '_'; }
bool IsRegionLetter(char c) { return c == 'A' || c == 'E' || c == 'I'; }

// Why a .psv's header is refused, or nothing: a PlayStation save's data right after the header.
std::string PsvHeaderProblem(Bytes content) {
  if (content.size() < psv::kHeaderSize)
    return "it has " + std::to_string(content.size()) + " bytes, less than a .psv header";
  if (ReadLe32(content, psv::kPlatform) != psv::kPlatformPs1)
    return "it is no PlayStation save (a PlayStation 2 .psv?)";
  const std::uint32_t offset = ReadLe32(content, psv::kDataOffset), size = ReadLe32(content, psv::kDataSize);
  if (offset != psv::kHeaderSize || size != content.size() - psv::kHeaderSize)
    return "its header gives " + std::to_string(size) + " bytes of save data at " + std::to_string(offset) +
           ", the file holds " + std::to_string(content.size() - psv::kHeaderSize) + " after its header";
  return {};
}

// The seed of every .psv Selvane writes: a PS3 takes any seed the signature was made with.
constexpr std::array<std::uint8_t, psv::kSeedSize> kPsvSeed = {'S', 'e', 'l', 'v', 'a', 'n', 'e', ' ', 'P', 'S',
                                                               'V', ' ', 's', 'e', 'e', 'd', ' ', '0', '0', '1'};
std::vector<std::uint8_t> WritePsvFixedSeed(const SingleSave& save) { return WritePsv(save, kPsvSeed); }

using namespace std::string_view_literals;
// In this order: no content is told as two kinds (a .psv starts with a zero, the others do not;
// .mcs, the 54-byte kind and raw leave different remainders of 8192), and the dialogs list the
// kinds they offer in it.
constexpr SaveKindFacts kSaveKinds[] = {
    {SaveFileKind::Mcs,
     {".mcs", ".ps1"},
     "Q",
     0,
     kMcsHeaderSize,
     true,
     true,
     kEntrySaveName,
     kSaveNameLength,
     WriteMcs,
     ".mcs save",
     "",
     "PlayStation save"},
    {SaveFileKind::Psv,
     {".psv"},
     "\0VSP"sv,
     0,
     psv::kHeaderSize,
     false,
     true,
     psv::kName,
     kSaveNameLength,
     WritePsvFixedSeed,
     ".psv save",
     "",
     "PS3 save"},
    {SaveFileKind::ShortHeader,
     {},
     "SC",
     kShortHeaderSize,
     kShortHeaderSize,
     true,
     true,
     0,
     kShortHeaderNameSize,
     nullptr,
     "save with a 54-byte header",
     "a 54-byte header",
     ""},
    {SaveFileKind::Raw,
     {},
     "SC",
     0,
     0,
     true,
     false,
     0,
     0,
     WriteRawSave,
     "raw save",
     "raw blocks starting with \"SC\"",
     "Raw save"},
};

// The list "a, b, c or d".
std::string ListText(const std::vector<std::string_view>& items, std::string_view last) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i)
    text += std::string(i == 0 ? "" : (i + 1 == items.size() ? last : ", ")) + std::string(items[i]);
  return text;
}

}  // namespace

std::span<const SaveKindFacts> SaveKindTable() { return kSaveKinds; }

const SaveKindFacts& SaveKindFactsOf(SaveFileKind kind) {
  return *std::find_if(std::begin(kSaveKinds), std::end(kSaveKinds), [kind](const auto& f) { return f.kind == kind; });
}

std::string SingleSaveKindsText() {
  std::vector<std::string_view> items;
  for (const SaveKindFacts& facts : kSaveKinds) {
    for (std::string_view ext : facts.extensions)
      if (!ext.empty()) items.push_back(ext);
    if (!facts.looksLike.empty()) items.push_back(facts.looksLike);
  }
  return ListText(items, " or ");
}

std::string WrittenSaveExtensionsText() {
  std::vector<std::string_view> items;
  for (const SaveKindFacts& facts : kSaveKinds) {
    for (std::string_view ext : facts.extensions)
      if (!ext.empty() && facts.write) items.push_back(ext);
  }
  return ListText(items, ", ");
}

std::optional<SaveFileKind> DetectSaveFileKind(Bytes content) {
  if (content.size() == kRawCardSize) return std::nullopt;
  for (const SaveKindFacts& facts : kSaveKinds) {
    if (HasAt(content, facts.magicAt, facts.magic) && (!facts.wholeBlocks || BlocksAfter(content.size(), facts.header)))
      return facts.kind;
  }
  return std::nullopt;
}

std::string RawSaveNameFromPath(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  std::string_view stem = slash == std::string_view::npos ? path : path.substr(slash + 1);
  // An extension is a short run of letters and digits after the last dot.
  if (const std::size_t dot = stem.rfind('.'); dot != std::string_view::npos && dot > 0) {
    const std::string_view ext = stem.substr(dot + 1);
    const bool shortExt = !ext.empty() && ext.size() <= 4 && std::all_of(ext.begin(), ext.end(), [](char c) {
      return (c >= '0' && c <= '9') || (AsciiLower(c) >= 'a' && AsciiLower(c) <= 'z');
    });
    if (shortExt) stem = stem.substr(0, dot);
  }
  if (stem.size() <= kSaveNameLength) return std::string(stem);
  for (std::size_t at = stem.size() - kSaveNameLength; at + 1 < stem.size(); ++at) {
    if (stem[at] == 'B' && IsRegionLetter(stem[at + 1]) && IsSeparator(stem[at - 1]))
      return std::string(stem.substr(at));
  }
  return std::string(stem.substr(0, kSaveNameLength));
}

SaveFileRead ReadSaveFile(std::string_view path, Bytes content) {
  // A card of any container its extension names (a .vmp, a .gme...) is no save either.
  const auto cardFormat = FormatFromPath(path);
  const bool card = cardFormat && IsWellFormed(content, *cardFormat) && !IsSingleSaveInCardFormat(content, *cardFormat);
  if (content.size() == kRawCardSize || card) {
    SaveFileRead read;
    read.wholeCard = true;
    read.problem = "it is a whole memory card (" + std::to_string(content.size()) +
                   " bytes), not a single save: open it as a card";
    return read;
  }
  auto kind = DetectSaveFileKind(content);
  // A raw save is named by its file name alone, without an extension; such a file of whole blocks
  // is taken as one even when its first block lacks "SC", as some saves a console wrote do, or
  // starts like a .psv (no .psv is a whole number of blocks long: its header is 0x84 bytes).
  const bool wholeBlocks = !content.empty() && content.size() % kBlockSize == 0;
  if ((!kind || kind == SaveFileKind::Psv) && wholeBlocks && SaveFileKindOfPath(path) == SaveFileKind::Raw)
    kind = SaveFileKind::Raw;
  if (!kind) return Refused(SaveFileKind::Raw, "it is no single save (" + SingleSaveKindsText() + ")");
  SaveFileRead read;
  read.kind = *kind;
  const SaveKindFacts& facts = SaveKindFactsOf(*kind);
  if (*kind == SaveFileKind::Psv) {
    if (std::string problem = PsvHeaderProblem(content); !problem.empty()) return Refused(*kind, std::move(problem));
  }
  const std::size_t start = facts.header;
  SingleSave save;
  save.name = facts.nameInHeader ? NameField(content, facts.nameAt, facts.nameSize) : RawSaveNameFromPath(path);
  const std::size_t data = content.size() - start;
  if (data % kBlockSize != 0)
    return Refused(*kind, "its " + std::to_string(data) + " bytes of save data are no whole number of blocks");
  const std::size_t blocks = data / kBlockSize;
  if (blocks < 1 || blocks > static_cast<std::size_t>(kMaxSaveBlocks)) return Refused(*kind, BlockCountProblem(blocks));
  if (save.name.empty()) return Refused(*kind, "the " + std::string(facts.name) + " has no directory name");
  const Bytes blockBytes = ClipRead(content, start, data);
  save.blocks.assign(blockBytes.begin(), blockBytes.end());
  read.firstBlockWithoutSc = !HasAt(content, start, "SC");
  read.save = std::move(save);
  if (*kind == SaveFileKind::Psv) {
    const SignatureCheck check = CheckSignature(content, kPsvLayout);
    if (check != SignatureCheck::Unchecked) read.signatureValid = check == SignatureCheck::Valid;
  }
  return read;
}

SaveFileRead ReadSaveFileAt(std::string_view path) {
  const ReadResult read = ReadCardFile(path);
  if (read.ok) return ReadSaveFile(path, read.bytes);
  SaveFileRead refused;
  refused.unreadable = true;
  refused.problem = read.reason;
  return refused;
}

std::array<std::uint8_t, kFrameSize> BuildDirectoryFrame(std::string_view name, int blocks, int index,
                                                         std::uint16_t nextSlot) {
  std::array<std::uint8_t, kFrameSize> frame{};
  const bool last = index == blocks - 1;
  frame[kEntryStatus] = index == 0 ? status::kFirst : (last ? status::kLinkS : status::kLinkR);
  if (index == 0) {
    WriteLe32(frame, kEntrySaveSize, static_cast<std::uint32_t>(blocks) * static_cast<std::uint32_t>(kBlockSize));
    for (std::size_t i = 0; i < name.size() && i < kSaveNameLength; ++i)
      frame[kEntrySaveName + i] = static_cast<std::uint8_t>(name[i]);
  }
  WriteLe16(frame, kEntryNextSlot, nextSlot);
  frame[kEntryChecksum] = FrameChecksum(frame);
  return frame;
}

std::vector<std::uint8_t> WriteMcs(const SingleSave& save) {
  // The frame of a save whose blocks follow each other from slot 1: NextSlot names slot 2.
  const int blocks = save.BlockCount();
  const auto frame = BuildDirectoryFrame(save.name, blocks, 0, blocks > 1 ? std::uint16_t{1} : kEndOfChain);
  // Sized once and filled: growing a vector that holds just the frame makes g++ see a copy past it.
  std::vector<std::uint8_t> file(kMcsHeaderSize + save.blocks.size());
  std::copy(frame.begin(), frame.end(), file.begin());
  std::copy(save.blocks.begin(), save.blocks.end(), file.begin() + kMcsHeaderSize);
  return file;
}

std::vector<std::uint8_t> WriteRawSave(const SingleSave& save) { return save.blocks; }

std::vector<std::uint8_t> WritePsv(const SingleSave& save, std::span<const std::uint8_t, psv::kSeedSize> seed) {
  std::vector<std::uint8_t> file(psv::kHeaderSize, 0);
  const std::string_view magic = SaveKindFactsOf(SaveFileKind::Psv).magic;
  std::copy(magic.begin(), magic.end(), file.begin());
  std::copy(seed.begin(), seed.end(), file.begin() + psv::kSeed);
  WriteLe32(file, psv::kSeedFieldSize, psv::kSeedSize);
  WriteLe32(file, psv::kPlatform, psv::kPlatformPs1);
  WriteLe32(file, psv::kDataSize, static_cast<std::uint32_t>(save.blocks.size()));
  WriteLe32(file, psv::kDataOffset, psv::kHeaderSize);
  WriteLe32(file, psv::kUnknown48, 0x200);
  WriteLe32(file, psv::kBlockUnit, kBlockSize);
  WriteLe32(file, psv::kType, 0x9003);
  for (std::size_t i = 0; i < save.name.size() && i < kSaveNameLength; ++i)
    file[psv::kName + i] = static_cast<std::uint8_t>(save.name[i]);
  file.insert(file.end(), save.blocks.begin(), save.blocks.end());
  SignInPlace(file, kPsvLayout);
  return file;
}

std::optional<SaveFileKind> SaveFileKindOfPath(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return SaveFileKind::Raw;
  const std::string ext = AsciiLower(name.substr(dot));
  for (const SaveKindFacts& facts : kSaveKinds) {
    if (std::find(facts.extensions.begin(), facts.extensions.end(), ext) != facts.extensions.end()) return facts.kind;
  }
  return std::nullopt;
}

}  // namespace selvane
