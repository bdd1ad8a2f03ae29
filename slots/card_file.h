// Loading a card into a pane, saving it in any container format, and the file dialogs' rules
// (starting filter, format of the chosen filter, forced extension).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/file_io.h"
#include "slots/pane.h"

namespace selvane {

// The save dialogs' list of formats, in list order: each entry's text, the format it writes (so
// its extension and OutputExt), and the logo a card of it shows. `pathHint` lets a path choose
// among the entries of one format: a ".mcr" path that names ePSXe shows ePSXe's logo, any other
// ".mcr" the next entry's. The filter lists, the dialogs' starting entries, the OutputExt of a
// chosen entry and the logos are all read from this one table.
struct DialogEntry {
  std::string_view description;
  Format format;
  int logo;
  std::string_view pathHint = {};
};
inline constexpr DialogEntry kDialogEntries[] = {
    {"Virtual Game Station (*.mem)", Format::Mem, 0},
    {"Bleem Memory Card (*.mcd)", Format::Mcd, 1},
    {"ePSXe (*.mcr)", Format::Mcr, 3, "epsxe"},
    {"PSEmu Pro (*.mcr)", Format::Mcr, 4},
    {"Other - AdriPSX, FPSE, pcsx (*.mcr)", Format::Mcr, 4},
    {"DexDrive (*.gme)", Format::Gme, 2},
    {"Mad Katz's Data Deck (*.ddf)", Format::Ddf, 5},
    {"PSM (*.psx)", Format::Psx, 2},
    {"WinPSM (*.ps)", Format::Ps, 2},
    // The newer containers, after the entries above (whose indices stay as they are). A RetroArch
    // or PS3 card is the bare raw card PSEmu Pro's badge stands for; a PSP/PS Vita card puts a
    // header before the raw card as a DexDrive file does, and shows DexDrive's badge.
    {"RetroArch (*.srm)", Format::Srm, 4},
    {"PS3 Memory Card (*.vm1)", Format::Vm1, 4},
    {"PSP/PS Vita (*.vmp)", Format::Vmp, 2},
};
// The New dialog offers the first seven entries (no PSM, no WinPSM).
inline constexpr int kNewDialogEntryCount = 7;
// The open dialog lists the first nine entries before "All files" and the newer ones after it.
inline constexpr int kClassicDialogEntryCount = 9;
// The open dialog's first entry names every card extension, in this order.
inline constexpr std::string_view kAllCardsPattern = "*.mcd;*.mcr;*.mem;*.gme;*.ddf;*.psx;*.ps";
// The logo of a path whose extension is none of the formats' (DexDrive's).
inline constexpr int kUnknownFormatLogo = 2;

// The three filter lists of the file dialogs ("description|pattern|..."), made from kDialogEntries.
namespace filters {
extern const std::string kOpen;
extern const std::string kSaveAs;
extern const std::string kNew;
}  // namespace filters

// The save dialog's starting entry: from the default name's extension, else from OutputExt, else 3.
int SaveDialogStartIndex(std::string_view defaultName, std::string_view outputExt);
// The OutputExt of a save-dialog filter entry (an entry of kDialogEntries, 1-based); nullopt for
// any other index.
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
  SingleSave,  // a .srm that holds a single save, not a card: said so; the image is empty, the list rebuilt
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

namespace text {
// The warning shown when a signed card (.vmp) carries a wrong signature; it is opened all the same.
std::string WrongCardSignature(std::string_view path);
}  // namespace text

// The message shown when a save could not be written.
std::string SaveFailedMessage(std::string_view path, std::string_view reason);

}  // namespace selvane
