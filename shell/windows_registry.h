// The Windows registry behind the registration, through the ANSI functions of advapi32. Built on
// Windows only.
#pragma once

#include <string>

#include "shell/registry.h"

namespace selvane::shell {

class WindowsRegistry final : public Registry {
 public:
  RegStatus OpenKey(RegKey key, std::string_view subKey, RegKey* result) override;
  RegStatus OpenKeyEx(RegKey key, std::string_view subKey, std::uint32_t options, std::uint32_t access,
                      RegKey* result) override;
  RegStatus CreateKey(RegKey key, std::string_view subKey, RegKey* result) override;
  RegStatus QueryValueEx(RegKey key, std::string_view valueName, std::uint32_t* type, MutableBytes data,
                         std::uint32_t* size) override;
  RegStatus SetValueEx(RegKey key, std::string_view valueName, std::uint32_t type, Bytes data) override;
  RegStatus CloseKey(RegKey key) override;
};

// The path of the running program's file, as the system reports it (ANSI code page).
std::string RunningProgramPath();

}  // namespace selvane::shell
