// Loading a card into a pane, saving it in any container format, and the file dialogs' rules
// (starting filter, format of the chosen filter, forced extension).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/file_io.h"
#include "slots/pane.h"

namespace selvane {

// The three filter lists of the file dialogs.
namespace filters {
inline constexpr std::string_view kOpen =
    "All Memory Cards|*.mcd;*.mcr;*.mem;*.gme;*.ddf;*.psx;*.ps|Virtual Game Station (*.mem)|*.mem|"
    "Bleem Memory Card (*.mcd)|*.mcd|ePSXe (*.mcr)|*.mcr|PSEmu Pro (*.mcr)|*.mcr|"
    "Other - AdriPSX, FPSE, pcsx (*.mcr)|*.mcr|DexDrive (*.gme)|*.gme|Mad Katz's Data Deck (*.ddf)|*.ddf|"
    "PSM (*.psx)|*.psx|WinPSM (*.ps)|*.ps|All files (*.*)|*.*";
inline constexpr std::string_view kSaveAs =
    "Virtual Game Station (*.mem)|*.mem|Bleem Memory Card (*.mcd)|*.mcd|ePSXe (*.mcr)|*.mcr|"
    "PSEmu Pro (*.mcr)|*.mcr|Other - AdriPSX, FPSE, pcsx (*.mcr)|*.mcr|DexDrive (*.gme)|*.gme|"
    "Mad Katz's Data Deck (*.ddf)|*.ddf|PSM (*.psx)|*.psx|WinPSM (*.ps)|*.ps";
inline constexpr std::string_view kNew =
    "Virtual Game Station (*.mem)|*.mem|Bleem Memory Card (*.mcd)|*.mcd|ePSXe (*.mcr)|*.mcr|"
    "PSEmu Pro (*.mcr)|*.mcr|Other - AdriPSX, FPSE, pcsx (*.mcr)|*.mcr|DexDrive (*.gme)|*.gme|"
    "Mad Katz's Data Deck (*.ddf)|*.ddf";
}  // namespace filters

// The save dialog's starting entry: from the default name's extension, else from OutputExt, else 3.
int SaveDialogStartIndex(std::string_view defaultName, std::string_view outputExt);
// The OutputExt of a save-dialog filter entry (1..9); nullopt for any other index.
std::optional<std::string> OutputExtForFilterIndex(int filterIndex);
// The path with its last three- or two-character extension replaced by `ext`, or ".ext" appended.
std::string ForceExtension(std::string_view path, std::string_view ext);
// The logo (0..5) a path's extension stands for; "epsxe" anywhere in the path picks ePSXe's.
int LogoIndexForPath(std::string_view path);

// The open dialog: the chosen path, or an empty text when cancelled.
std::string OpenDialog(UserPort& port, std::string_view filter, std::string_view title, std::string_view initDir);
// The save dialog: the chosen path with its extension forced to the chosen filter's format, and
// OutputExt set from that filter; an empty text when cancelled. The dialog starts on the entry
// SaveDialogStartIndex gives, or on entry 3 (ePSXe) when that lies beyond the filter's entries
// (a ".psx" or ".ps" name in the New dialog). When forcing the extension named another existing
// file than the one the dialog confirmed, the user is asked before replacing it.
std::string SaveDialog(UserPort& port, std::string_view filter, std::string_view title, std::string_view initDir,
                       std::string_view defaultName, std::string& outputExt);

enum class LoadOutcome {
  Loaded,      // the file was read and listed
  Unreadable,  // the file exists but could not be read: the image is empty, the list rebuilt
  NoSuchFile,  // the path names no file of at least one byte; the caller offers the open dialog
  Unlisted,    // read, but its path names no supported format: "Memory card format not supported"
};

// LoadCard: reads the file named by the pane's path into its image, clears CardModified, sets
// OutputExt from the path and rebuilds the list. A file that cannot be read leaves an empty image;
// its reason is stored in `reason` when given.
LoadOutcome LoadCard(Pane& pane, std::string& outputExt, UserPort& port, std::string* reason = nullptr);

enum class SaveOutcome {
  Saved,
  NoCard,       // the pane holds no card; the caller offers the open dialog instead
  WrongFormat,  // "File is in a wrong format." was shown
  Cancelled,    // the dialog or the changed-on-disk question was declined
  WriteFailed,  // the write failed; a message naming the path and the reason was shown
};

// SaveCard: with an empty path, asks for path and format with the save dialog (Save As);
// otherwise writes to `path` in the format its extension names. Clears CardModified only when the
// file was written.
SaveOutcome SaveCard(std::string path, Pane& pane, std::string& outputExt, UserPort& port);

// The message shown when a save could not be written.
std::string SaveFailedMessage(std::string_view path, std::string_view reason);

}  // namespace selvane
