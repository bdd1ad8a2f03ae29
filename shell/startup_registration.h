// The file type registration that the main window runs at every start.
#pragma once

#include <cstdint>
#include <span>

#include "shell/shell_messages.h"

namespace selvane::shell {

// Makes double-clicking a card file open it in Selvane, once: on Windows the six types are
// registered under HKEY_CLASSES_ROOT with the folder of the running program (see file_types.h);
// elsewhere the MIME package and desktop entry go into the user's data folder, with
// `programIconPng` (a 256x256 PNG, may be empty) as the icon (see desktop_registration.h).
// Never fails visibly except for the registry's "RegCloseKey Failed: " message.
void RegisterFileTypes(ShellMessages& messages, std::span<const std::uint8_t> programIconPng = {});

}  // namespace selvane::shell
