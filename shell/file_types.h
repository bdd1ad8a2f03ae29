// Registration of the card file types under HKEY_CLASSES_ROOT: each of the six card extensions
// gets a type name, the program icon and an open command that starts Selvane with the card's path.
// It runs at every start and writes nothing once the VGS type's open command is in place.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "shell/registry.h"
#include "shell/shell_messages.h"

namespace selvane::shell {

struct FileType {
  std::string_view extension;
  std::string_view typeName;
};

// The registered types, in the order they are written. The WinPSM extension ".ps" is left alone.
inline constexpr std::array<FileType, 6> kFileTypes{{
    {".mem", "VGS Memory Card"},
    {".mcd", "Bleem Memory Card"},
    {".mcr", "PSEmu Memory Card"},
    {".ddf", "Data Deck Memory Card"},
    {".gme", "DexDrive Memory Card"},
    {".psx", "PSM Memory Card"},
}};

// The key whose default value tells that the types are registered.
inline constexpr std::string_view kRegisteredMarkKey = "VGS Memory Card\\Shell\\Open\\command";
// The file name written into the icon and open command, whatever the running file is called.
inline constexpr std::string_view kProgramFileName = "Selvane.exe";
// Rights asked for when a key is opened to write its value: query, set, create sub-key,
// enumerate, notify and create link.
inline constexpr std::uint32_t kWriteAccess =
    kKeyQueryValue | kKeySetValue | kKeyCreateSubKey | kKeyEnumerateSubKeys | kKeyNotify | kKeyCreateLink;
static_assert(kWriteAccess == 0x3F);
// The buffer a value is read into; a longer value cannot be read.
inline constexpr std::uint32_t kQueryBufferSize = 255;
inline constexpr std::string_view kCloseFailedPrefix = "RegCloseKey Failed: ";

// What the registration works with.
struct RegistryContext {
  Registry& registry;
  ShellMessages& messages;
  // The folder the program runs from, e.g. "C:\Program Files\Selvane" or "C:\".
  std::string programFolder;
  // The title of the registration's message box.
  std::string applicationTitle{kApplicationTitle};
};

// Registers the six types unless the VGS type's open command already holds text (whatever it
// names). Failed writes are skipped silently; as the mark then stays empty, the next start tries
// again.
void RegisterFileTypes(const RegistryContext& context);

// Writes the six keys of one type: the extension's type name, the type's name, its icon (the
// quoted program path with ",0"), the empty "Shell" and "Shell\Open" keys and the open command
// (the program path and " %1", unquoted). Write results are not looked at.
void CreateFileType(const RegistryContext& context, std::string_view extension, std::string_view typeName);

// Stores `keyVal` as the value `subKeyRef` (empty: the default value) of `keyName` under
// `keyRoot`, creating the key when it cannot be opened. Only lType kRegSz stores anything; the
// text is written with its terminating NUL. Returns true when the value was stored (for another
// lType: when the key could be opened).
bool SetKeyValue(Registry& registry, RegKey keyRoot, std::string_view keyName, std::uint32_t lType,
                 std::string_view subKeyRef, std::string_view keyVal);

// Reads the text value `valueName` of `keyPath` under `root`. Returns an empty text when the key
// cannot be opened, the value is missing, longer than kQueryBufferSize bytes or holds only its NUL.
// A key that cannot be closed is reported with the "RegCloseKey Failed: " message.
std::string QueryValue(const RegistryContext& context, RegKey root, std::string_view keyPath,
                       std::string_view valueName);

// The folder of a program path given with backslashes, as it is reported for a running program:
// without a trailing backslash, except for a drive's root ("C:\Selvane.exe" gives "C:\").
std::string ProgramFolderOf(std::string_view programPath);

}  // namespace selvane::shell
