// Registration of the card types with a freedesktop desktop (Linux and the like): a shared MIME
// info package that gives the six extensions their types, and a desktop entry that opens them in
// Selvane, both in the user's data folder. Like the registry registration it runs at every start
// and writes nothing once Selvane is registered.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace selvane::shell {

// Where the files go below a data folder.
inline constexpr std::string_view kDesktopEntryPath = "applications/selvane.desktop";
inline constexpr std::string_view kMimePackagePath = "mime/packages/selvane.xml";
inline constexpr std::string_view kIconPath = "icons/hicolor/256x256/apps/selvane.png";

// Runs a program found on PATH with its arguments; true when it ran and exited with status 0.
using ToolRunner = std::function<bool(const std::vector<std::string>& command)>;

struct DesktopSetup {
  // The user's data folder: $XDG_DATA_HOME, else ~/.local/share.
  std::filesystem::path dataHome;
  // The system's data folders ($XDG_DATA_DIRS); Selvane installed in one of them is registered.
  std::vector<std::filesystem::path> dataDirs;
  // The program the desktop starts with a card's path.
  std::string programPath;
  // The program icon as a 256x256 PNG; no icon is written when empty.
  std::vector<std::uint8_t> iconPng;
  // Brings the desktop's caches up to date after files were written; may be empty.
  ToolRunner runTool;
};

struct DesktopOutcome {
  // Selvane was registered before (in the user's data folder or a system one); nothing written.
  bool alreadyRegistered = false;
  std::vector<std::filesystem::path> written;
  // "path: reason" for each file that could not be written, or why nothing could be.
  std::vector<std::string> failures;
};

// Writes the MIME package, the desktop entry and the icon into setup.dataHome, each only when it is
// not there yet, unless a data folder already holds both the package and the entry. Then runs
// update-mime-database and update-desktop-database for what was written. Failures are collected,
// never shown: the next start tries again.
DesktopOutcome RegisterWithDesktop(const DesktopSetup& setup);

// The desktop entry that starts `programPath` with one file. Empty when the path holds a control
// character, which an entry cannot carry.
std::string DesktopEntryFor(std::string_view programPath);
// The MIME package of the six card types.
std::string_view MimePackage();

// The data folders as the XDG base directory rules derive them from the environment values given
// (null when unset): a relative $XDG_DATA_HOME is ignored, an unset $XDG_DATA_DIRS means
// /usr/local/share and /usr/share. dataHome is empty when neither it nor $HOME can be found.
DesktopSetup DesktopSetupFrom(const char* xdgDataHome, const char* home, const char* xdgDataDirs);

#if !defined(_WIN32)
// The ToolRunner of a real start: runs the program without a shell, its output discarded. False
// when it cannot be started (not installed) or fails.
bool RunTool(const std::vector<std::string>& command);
#endif

}  // namespace selvane::shell
