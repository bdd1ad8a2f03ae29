// The files a user hands the window: what a file dropped on a pane is (a card to open, a save to
// import, or neither), the name a save gets when it is dragged out or exported, and the single-save
// dialogs' filter with the kind of file each of its entries writes.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/single_save.h"

namespace selvane {

enum class DroppedFileKind {
  Card,   // opened in the pane as the open dialog opens a card
  Save,   // imported onto the pane's card (or refused with `problem`)
  Other,  // a folder, an unreadable or unknown file: a drop of it does nothing
};

struct DroppedFile {
  DroppedFileKind kind = DroppedFileKind::Other;
  std::optional<SingleSave> save;  // a Save that can be imported
  std::string problem;             // a Save that cannot: why, in words, without the file's name
};

// Tells a file by its content as selvane-cli's import does: a file the single-save readers take
// is a save; any other file whose extension names a card container is a card (a whole card of
// that container, or one the open dialog would have to refuse); a file that looks like a save
// kind (by its start or its .mcs, .ps1 or .psv extension) but is refused is a save with its
// problem; anything else is Other.
DroppedFile ClassifyDroppedFile(std::string_view path);

// The file name (without folder) for a save file of `kind`, from the save's directory name (cut at
// its first NUL): for .mcs the product code and identifier (the name without its two-character
// region prefix) and ".mcs"; for raw the whole name without extension, as an import reads it back
// from the file name; for .psv the PS3's own naming, the name's first 12 characters, then the
// rest of it in upper-case hexadecimal, and ".PSV". Every character a file name cannot hold
// (control characters, / \ : * ? " < > |) is replaced with "_", and spaces and dots at either end
// of the name are dropped; a name that leaves nothing gives "save".
std::string SaveFileName(std::string_view saveName, SaveFileKind kind);

// The names the single-save dialog suggests for a save named `saveName`, in `folder` (none: no
// folder), one per entry of its filter, in entry order.
std::vector<std::string> SaveFileNamesPerEntry(std::string_view saveName, std::string_view folder);

namespace filters {
// The single-save dialogs' filter, one entry per kind the save-kind table offers: .mcs/.ps1, .psv,
// raw (any file).
extern const std::string kSingleSaves;
}  // namespace filters

// Where an export chosen in the single-save dialog goes and as what: the raw entry writes raw
// blocks to the path as typed; the other entries keep a path whose extension is theirs (".ps1"
// counts as ".mcs") and append theirs to any other.
struct ExportTarget {
  std::filesystem::path path;
  SaveFileKind kind = SaveFileKind::Mcs;
  bool extensionAppended = false;  // the path is the one chosen with an extension added
};
ExportTarget ExportTargetFor(std::string_view chosen, int filterIndex);

namespace text {
// The message shown when a save file cannot be imported.
std::string SaveFileRefused(std::string_view path, std::string_view problem);
// The warning shown when a signed save file (.psv) carries a wrong signature; it is imported all
// the same (downloaded saves often do, and the blocks are good).
std::string WrongSaveSignature(std::string_view path);
// The warning shown when a save's first block does not start with "SC": it has no title frame, as
// some saves a console wrote; it is imported all the same.
std::string FirstBlockWithoutSc(std::string_view path);
}  // namespace text

}  // namespace selvane
