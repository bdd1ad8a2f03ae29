// The files a user hands the window: what a file dropped on a pane is (a card to open, a save to
// import, or neither), the name a save gets when it is dragged out or exported, and the single-save
// dialogs' filter with the kind of file each of its entries writes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

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

// The file name (without folder) for a save file of `kind`: the product code and identifier of the
// save's directory name (the name without its two-character region prefix), every character a
// file name cannot hold (control characters, / \ : * ? " < > |) replaced with "_", and the kind's
// extension (.mcs, .psv, none for raw). A name that leaves nothing gives "save".
std::string SaveFileName(std::string_view saveName, SaveFileKind kind);

namespace filters {
// The single-save dialogs' filter: .mcs/.ps1, .psv, raw (any file).
extern const std::string kSingleSaves;
}  // namespace filters

// Where an export chosen in the single-save dialog goes and as what: the raw entry writes raw
// blocks to the path as typed; the other entries keep a path whose extension is theirs (".ps1"
// counts as ".mcs") and append theirs to any other.
struct ExportTarget {
  std::string path;
  SaveFileKind kind = SaveFileKind::Mcs;
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
