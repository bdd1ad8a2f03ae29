#include "slots/save_file_choice.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "core/card.h"
#include "core/file_io.h"
#include "slots/save_details.h"

namespace selvane {
namespace {

// The single-save dialogs' entries: the kinds of the save-kind table that have one, in its order.
std::vector<const SaveKindFacts*> DialogKinds() {
  std::vector<const SaveKindFacts*> kinds;
  for (const SaveKindFacts& facts : SaveKindTable())
    if (!facts.dialog.empty()) kinds.push_back(&facts);
  return kinds;
}

// An entry's patterns: its kind's extensions, or every file for a kind no extension names.
std::string Patterns(const SaveKindFacts& facts) {
  std::string patterns;
  for (std::string_view ext : facts.extensions)
    if (!ext.empty()) patterns += (patterns.empty() ? "*" : ";*") + std::string(ext);
  return patterns.empty() ? "*.*" : patterns;
}

std::string SaveEntriesFilter() {
  std::string filter;
  for (const SaveKindFacts* kind : DialogKinds()) {
    if (!filter.empty()) filter += '|';
    const std::string patterns = Patterns(*kind);
    filter.append(kind->dialog).append(" (").append(patterns).append(")|").append(patterns);
  }
  return filter;
}

// The extension a file of `kind` is written with; none for raw.
std::string_view ExtensionOf(SaveFileKind kind) { return SaveKindFactsOf(kind).extensions[0]; }

// The characters of a save name that a PS3 keeps as they are at the start of a .psv file's name.
constexpr std::size_t kPsvPlainPrefix = 12;

bool CannotBeInFileName(char c) {
  constexpr std::string_view kReserved = "/\\:*?\"<>|";
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F || kReserved.find(c) != std::string_view::npos;
}

}  // namespace

const std::string filters::kSingleSaves = SaveEntriesFilter();

DroppedFile ClassifyDroppedFile(std::string_view path) {
  DroppedFile dropped;
  // A folder, an empty file or a path that names nothing is no drop (the open dialog would come up).
  if (!FileExists(path)) return dropped;
  const bool cardExtension = FormatFromPath(path).has_value();
  const ReadResult read = ReadCardFile(path);
  if (!read.ok) {
    // Opening the card names the reason; any other unreadable file is no drop at all.
    dropped.kind = cardExtension ? DroppedFileKind::Card : DroppedFileKind::Other;
    return dropped;
  }
  SaveFileRead save = ReadSaveFile(path, read.bytes);
  if (save.save) {
    dropped.kind = DroppedFileKind::Save;
    dropped.save = std::move(save.save);
    return dropped;
  }
  if (cardExtension) {
    dropped.kind = DroppedFileKind::Card;
    return dropped;
  }
  const auto named = SaveFileKindOfPath(path);
  if (DetectSaveFileKind(read.bytes) || (named && *named != SaveFileKind::Raw)) {
    dropped.kind = DroppedFileKind::Save;
    dropped.problem = save.problem;
  }
  return dropped;
}

std::string SaveFileName(std::string_view saveName, SaveFileKind kind) {
  saveName = saveName.substr(0, saveName.find('\0'));
  std::string name;
  switch (kind) {
    case SaveFileKind::Raw:
      name = saveName;  // an import takes the whole name back from the file name
      break;
    case SaveFileKind::Psv: {
      // A PS3 names the file by the first 12 characters, the rest of the name in hexadecimal.
      constexpr std::string_view kHexDigits = "0123456789ABCDEF";
      name = saveName.substr(0, std::min(saveName.size(), kPsvPlainPrefix));
      for (const char c : saveName.substr(name.size())) {
        const auto byte = static_cast<unsigned char>(c);
        name += kHexDigits[byte >> 4];
        name += kHexDigits[byte & 0x0F];
      }
      break;
    }
    default:
      name = saveName.substr(std::min(saveName.size(), kRegionPrefixLength));
      break;
  }
  std::replace_if(name.begin(), name.end(), CannotBeInFileName, '_');
  // Spaces and dots at either end vanish from names on some systems; "." and ".." name folders.
  const auto first = name.find_first_not_of(" .");
  name = first == std::string::npos ? std::string() : name.substr(first, name.find_last_not_of(" .") - first + 1);
  if (name.empty()) name = "save";
  return name + std::string(kind == SaveFileKind::Psv ? ".PSV" : ExtensionOf(kind));
}

std::vector<std::string> SaveFileNamesPerEntry(std::string_view saveName, std::string_view folder) {
  std::vector<std::string> names;
  for (const SaveKindFacts* kind : DialogKinds()) {
    const std::string name = SaveFileName(saveName, kind->kind);
    names.push_back(folder.empty() ? name : (std::filesystem::path(folder) / name).string());
  }
  return names;
}

ExportTarget ExportTargetFor(std::string_view chosen, int filterIndex) {
  const std::vector<const SaveKindFacts*> kinds = DialogKinds();
  const auto at = static_cast<std::size_t>(std::clamp(filterIndex, 1, static_cast<int>(kinds.size())) - 1);
  const SaveFileKind kind = kinds[at]->kind;
  if (ExtensionOf(kind).empty() || SaveFileKindOfPath(chosen) == kind) return {chosen, kind};
  return {std::string(chosen) + std::string(ExtensionOf(kind)), kind, true};
}

std::string text::SaveFileRefused(std::string_view path, std::string_view problem) {
  return std::string(path) + " cannot be imported: " + std::string(problem) + ".";
}

std::string text::WrongSaveSignature(std::string_view path) {
  return "The signature of " + std::string(path) +
         " is wrong: a PS3 would refuse the file. The save is imported all the same.";
}

std::string text::FirstBlockWithoutSc(std::string_view path) {
  return "The first block of " + std::string(path) +
         " does not start with \"SC\": the save has no title or icon. It is imported all the same.";
}

}  // namespace selvane
