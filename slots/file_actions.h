// The user's actions that read files onto a pane's card or write files from it, one routine each
// for the window and selvane-cli alike: import save files, export a save, a new card. The front
// ends only gather the arguments (dialogs, options); every message and question of the action
// goes through the UserPort, and the outcome says how it ended.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "core/single_save.h"
#include "slots/outcome.h"
#include "slots/pane.h"
#include "slots/save_file_choice.h"

namespace selvane {

// How an import of several files ended, and the file that ended it.
struct ImportResult {
  Outcome outcome = Outcome::Done;
  std::size_t file = 0;  // the file refused, declined or not fitting (its index in the files given)
  std::string saveName;  // the declined save's directory name
};

// ImportSaveFiles: every file is read and checked first; the first that is no save the readers
// take shows "PATH cannot be imported: REASON." (FileRefused) and nothing lands. Then each wrongly
// signed .psv and each save whose first block lacks "SC" gets its warning, and the saves are placed
// in order as ImportSave places one (the first on the selected line when that is free), all or
// none: a save that does not fit beside the ones before it shows "PATH cannot be imported: The
// memory card is full." (CardFull), a declined same-name question gives Declined, and the card is
// left as it was. Done when every save landed (the list rebuilt, CardModified set).
ImportResult ImportSaveFiles(Pane& pane, std::span<const std::string> files, UserPort& port);

// Where an export goes: asked once the save is taken (the window's dialog suggests names from the
// save's); nullopt when the user cancels.
using ExportChooser = std::function<std::optional<ExportTarget>(const SingleSave& save)>;

// ExportSave: the save on the pane's selected line (any of its lines) written where `choose` puts
// it, with the atomic writer. "Select a slot" without a selection or a save there; "File is in a
// wrong format." (NothingChanged) when a block lies past the end of a short image; Declined when
// the choice is cancelled. A target whose extension was appended to the path chosen (the dialog
// asked about no file there) replaces an existing file only when the user says Yes to "PATH
// already exists. Do you want to replace it?". A failed write shows the path and the system's
// reason (FileRefused) and leaves any file there as it was.
Outcome ExportSave(const Pane& pane, const ExportChooser& choose, UserPort& port);

// NewCard: an empty card saved to `path` in the format its extension names, as SaveCard saves a
// card, and held by the pane (path, image, CardFormat ".mcr"). "Memory card format not supported"
// for a path that names no format, and nothing is written. FileRefused when the save failed
// (its message was shown), Declined when its changed-on-disk question was answered No.
Outcome NewCard(Pane& pane, const std::string& path, std::string& outputExt, UserPort& port);

namespace text {
// The question asked before an export replaces a file that its dialog did not name itself.
std::string ReplaceExistingQuestion(std::string_view path);
}  // namespace text

}  // namespace selvane
