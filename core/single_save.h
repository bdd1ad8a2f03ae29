// Single saves: one save outside any card, as users exchange them. Every kind carries the save's
// blocks in chain order (n × 8192 bytes, the first block starting with "SC"); they differ in what
// comes before the blocks and where the save's 20-character directory name is kept:
//   .mcs / .ps1   a copy of the save's first directory frame (128 bytes; name at 10..29)
//   54-byte kind  the name (bytes 0..20, NUL-terminated) and a title (21..53)
//   raw           nothing; the name comes from the file name
//   .psv          the PS3's 0x84-byte header (name at 0x64), signed
#pragma once

#include <array>
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

static_assert(psv::kSeed == kPsvLayout.seed && psv::kSignature == kPsvLayout.signature);

enum class SaveFileKind { Mcs, ShortHeader, Raw, Psv };

// A save taken out of its file: its directory name (at most 20 bytes, no NUL) and its blocks in
// chain order.
struct SingleSave {
  std::string name;
  std::vector<std::uint8_t> blocks;  // BlockCount() × 8192 bytes
  int BlockCount() const { return static_cast<int>(blocks.size() / kBlockSize); }
};

// What reading a save file gave: the save, or the reason the file is refused (in words, without
// the file's name, which the caller puts in front).
struct SaveFileRead {
  std::optional<SingleSave> save;
  SaveFileKind kind = SaveFileKind::Raw;
  bool wholeCard = false;  // the file is a whole 131072-byte card, not a save
  std::string problem;
  bool unreadable = false;  // the file itself could not be read; `problem` is the system's reason
  // The .psv signature as found: nullopt when the kind has none or it could not be checked.
  std::optional<bool> signatureValid;
  // The save's first block does not start with "SC" (no title frame). Some saves a console wrote
  // are so, and Selvane exports them as they are: the save is read all the same, with a warning.
  bool firstBlockWithoutSc = false;
};

// One row of the save-kind table: how a file of the kind is told by its content, where its blocks
// start and where the save's name comes from, the extensions that name it, the writer of its files
// and the words that messages, dialogs and selvane-cli's help use for it. Detection, reading,
// SaveFileKindOfPath, the single-save dialogs and the help all read the table, in its order.
struct SaveKindFacts {
  SaveFileKind kind;
  std::array<std::string_view, 2> extensions;  // lower case with the dot, the written one first; none
  std::string_view magic;                      // what the content holds at magicAt
  std::size_t magicAt;
  std::size_t header;  // bytes before the first block
  bool wholeBlocks;    // told only when the bytes after the header are a whole number of blocks
  bool nameInHeader;   // the name is the header's field at nameAt (else the file's name gives it)
  std::size_t nameAt;
  std::size_t nameSize;  // the field's bytes; the name is its text up to the first zero, at most 20
  std::vector<std::uint8_t> (*write)(const SingleSave&);  // nullptr: never written
  std::string_view name;                                  // in a refusal: "the .mcs save has no directory name"
  std::string_view looksLike;                             // in the list of single saves, for a kind no extension names
  std::string_view dialog;                                // the single-save dialogs' entry; empty: none
};
std::span<const SaveKindFacts> SaveKindTable();
const SaveKindFacts& SaveKindFactsOf(SaveFileKind kind);

// What a single save is, for a refusal and for selvane-cli's help: the kinds' extensions, then
// what the others look like (".mcs, .ps1, .psv, a 54-byte header or raw blocks starting with "SC"").
std::string SingleSaveKindsText();
// The extensions of the kinds that are written: ".mcs, .ps1, .psv".
std::string WrittenSaveExtensionsText();

// The kind of save a file holds, told by its content: the first row of the save-kind table whose
// magic is at its place (with whole blocks after the header where the row asks for them): "Q" at 0
// with (size − 128) a multiple of 8192 is .mcs; "\0VSP" is .psv; "SC" at 54 with (size − 54) a
// multiple of 8192 is the 54-byte kind; a multiple of 8192 starting with "SC" is raw. nullopt for
// anything else (a whole card included).
std::optional<SaveFileKind> DetectSaveFileKind(Bytes content);

// Reads the save in `content`, a file at `path` (the path gives a raw save its name; a path
// without an extension makes any whole number of blocks a raw save). Refuses a whole card (131072
// bytes, or a well-formed card of the container its extension names), an unknown content, a wrong
// size or magic, and a block count outside 1..15.
SaveFileRead ReadSaveFile(std::string_view path, Bytes content);
// The same for the file at `path`, read first (a file that cannot be read is `unreadable`).
SaveFileRead ReadSaveFileAt(std::string_view path);

// A raw save's directory name from its file name: the name without folder and extension; when
// that is longer than 20 characters, its tail from a "B" + region letter that follows a
// separator (the console's directory names start so: "Suikoden 2-BASLUS-00958GS2-7"), else its
// first 20 characters.
std::string RawSaveNameFromPath(std::string_view path);

// The directory frame of block `index` of a save of `blocks` blocks named `name`: status 0x51 for
// the first block, 0x52 for the middle ones, 0x53 for the last of several; the first frame gets
// the whole save's size and the name (its second character is the region letter); NextSlot as
// given; a valid checksum.
std::array<std::uint8_t, kFrameSize> BuildDirectoryFrame(std::string_view name, int blocks, int index,
                                                         std::uint16_t nextSlot);

// The file of each kind for a save of 1..15 blocks. The .psv gets `seed` and is signed when
// signing is available (its signature field is zero otherwise); the table's .psv writer gives
// every file one fixed seed.
std::vector<std::uint8_t> WriteMcs(const SingleSave& save);
std::vector<std::uint8_t> WriteRawSave(const SingleSave& save);
std::vector<std::uint8_t> WritePsv(const SingleSave& save, std::span<const std::uint8_t, psv::kSeedSize> seed);

// The kind an export path names by the table's extensions: ".mcs"/".ps1" (any case), ".psv", or
// raw for a name without extension; nullopt for any other extension.
std::optional<SaveFileKind> SaveFileKindOfPath(std::string_view path);

}  // namespace selvane
