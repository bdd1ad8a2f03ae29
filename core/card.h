// The card image of a pane, the ten container formats and the raw 128 KiB card inside them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "core/layout.h"
#include "core/signing.h"

namespace selvane {

// The complete bytes of a card file as read, container header included; any length.
using CardImage = std::vector<std::uint8_t>;

// The seven formats every dialog offers, then the emulators' and consoles' cards of today:
// RetroArch's .srm and the PS3's .vm1 (the raw card), the PSP's and PS Vita's .vmp (signed).
enum class Format { Mem, Mcd, Mcr, Gme, Ddf, Psx, Ps, Srm, Vm1, Vmp };
// The seven formats of the dialogs, in their order. FormatTable() holds every format.
inline constexpr std::array<Format, 7> kDialogFormats = {Format::Mem, Format::Mcd, Format::Mcr, Format::Gme,
                                                         Format::Ddf, Format::Psx, Format::Ps};
inline constexpr std::array<Format, 3> kNewerFormats = {Format::Srm, Format::Vm1, Format::Vmp};

// Formats grouped by the header the writer puts in front of the raw card.
enum class Family { Vgs, Raw, DexDrive, Psm, Vmp };

// One row of the format table: the format, its CardFormat key (the extension, lower case, with
// its dot) and its family. The family's facts (header template, where the raw card starts, the
// save check) are kept beside it in card.cpp; FormatKey, FamilyOf, DataOffset and the save check
// all read them, and the dialogs' entries (slots/card_file) are keyed by the format.
struct FormatFacts {
  Format format;
  std::string_view key;
  Family family;
  bool mayHoldSingleSave = false;  // files of this extension are also single saves (RetroArch's .srm)
};
std::span<const FormatFacts> FormatTable();
// Where files of a signed container (.vmp) keep their seed and signature; nullopt for the others.
// Every file BuildFileContent makes of a signed container is signed anew (when signing is available).
std::optional<SignedLayout> SignatureLayoutOf(Format format);

// ".mem", ".mcd", ... : the CardFormat key, lower case with its dot.
std::string_view FormatKey(Format format);
// "mem", "mcd", ... : the extension without its dot, as OutputExt holds it.
std::string_view FormatExtension(Format format);
Family FamilyOf(Format format);

// The CardFormat key of a path: its last four characters lower-cased (fewer for a short path).
// This is what a pane stores as its CardFormat even when the format is unsupported.
std::string CardFormatKeyOfPath(std::string_view path);
// The format a path names: the last four characters, lower-cased, when they are one of the
// format table's four-character keys; else ".ps" when the last three are ".ps"; else nullopt (unsupported).
std::optional<Format> FormatFromPath(std::string_view path);
// The format of a stored CardFormat key (".mem", ..., ".ps"); nullopt for any other text.
std::optional<Format> FormatFromKey(std::string_view key);
// The format an OutputExt names, compared without regard to case ("mcr", "MCR", "ps"); nullopt otherwise.
std::optional<Format> FormatFromExtension(std::string_view ext);

// Offset of the first "MC",0,0,0,0 in the image, searched from its start; nullopt when absent.
std::optional<std::size_t> FindRawCardStart(Bytes image);
// Where the raw card starts inside an image of the given format. Searched afresh for ".gme" on
// every call; nullopt for a ".gme" image without the pattern.
std::optional<std::size_t> DataOffset(Bytes image, Format format);

// The fixed container header templates.
std::span<const std::uint8_t, kVmpHeaderSize> VmpHeader();
std::span<const std::uint8_t, kVgsHeaderSize> VgsHeader();
std::span<const std::uint8_t, kDexDriveHeaderSize> DexDriveHeader();
std::span<const std::uint8_t, kPsmHeaderSize> PsmHeader();

// The writer's test of a source image before it is saved in any format, with the reason a card
// fails it in words (its size against the expected one, or its header).
struct SaveCheck {
  bool ok = true;
  std::string problem;  // empty when ok
};
SaveCheck CheckForSave(Bytes image, Format format);
bool IsWellFormed(Bytes image, Format format);

// Whether a file of `format` with this content is a single save rather than a card: a .srm that
// holds a save's blocks is one to import, not a short card.
bool IsSingleSaveInCardFormat(Bytes image, Format format);

// The 131072 bytes of the raw card of a well-formed image (a short ".gme" is padded with zeros).
// Returns nullopt when the image is not well-formed.
std::optional<std::vector<std::uint8_t>> ExtractRawCard(Bytes image, Format format);

// The bytes of a file of `target` built from a well-formed `image` of `source`: the image unchanged
// when both are of one family or when `target` is nullopt (an extension outside the format table),
// otherwise the target's header followed by the raw card. nullopt when the image is not well-formed.
std::optional<std::vector<std::uint8_t>> BuildFileContent(Bytes image, Format source, std::optional<Format> target);
// The same into `out`, reusing its storage; returns false (and leaves `out` empty) when the image
// is not well-formed.
bool BuildFileContentInto(Bytes image, Format source, std::optional<Format> target, std::vector<std::uint8_t>& out);

// The bytes of a file of `target` made from a well-formed `image` of `source` as a conversion writes
// it: always the target's whole container, its header followed by the whole 131072-byte raw card
// (a short DexDrive image's card padded with zeros). When both are of one family and the image's
// raw card starts right after a header of the family's size, the image's own header is kept (a
// DexDrive file's comments survive); otherwise the target's header template is used. A signed
// container is signed anew. nullopt when the image is not well-formed.
std::optional<std::vector<std::uint8_t>> BuildWholeContainer(Bytes image, Format source, Format target);

// A new, empty raw card: header frame "MC" with checksum 0x0E, fifteen free entries, zero blocks.
CardImage EmptyCard();

// The 128 bytes of the free directory entry: 0xA0, 126 zeros, checksum 0xA0.
std::array<std::uint8_t, kFrameSize> FreeEntry();

// The checksum a directory frame should carry: XOR of its bytes 0..126.
std::uint8_t FrameChecksum(Bytes frame);

}  // namespace selvane
