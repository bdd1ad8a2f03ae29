#include "shell/windows_registry.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace selvane::shell {
namespace {

static_assert(kSuccess == ERROR_SUCCESS && kFileNotFound == ERROR_FILE_NOT_FOUND &&
              kAccessDenied == ERROR_ACCESS_DENIED && kInvalidHandle == ERROR_INVALID_HANDLE &&
              kInvalidParameter == ERROR_INVALID_PARAMETER && kMoreData == ERROR_MORE_DATA);
static_assert(kRegSz == REG_SZ);
static_assert(kKeyQueryValue == KEY_QUERY_VALUE && kKeySetValue == KEY_SET_VALUE &&
              kKeyCreateSubKey == KEY_CREATE_SUB_KEY && kKeyEnumerateSubKeys == KEY_ENUMERATE_SUB_KEYS &&
              kKeyNotify == KEY_NOTIFY && kKeyCreateLink == KEY_CREATE_LINK);

// The predefined root is a sign-extended constant on 64-bit Windows, so it is mapped rather than
// converted.
HKEY ToHkey(RegKey key) { return key == kClassesRoot ? HKEY_CLASSES_ROOT : reinterpret_cast<HKEY>(key); }

void Store(HKEY opened, RegKey* result) {
  if (result != nullptr) *result = reinterpret_cast<RegKey>(opened);
}

}  // namespace

RegStatus WindowsRegistry::OpenKey(RegKey key, std::string_view subKey, RegKey* result) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyA(ToHkey(key), std::string(subKey).c_str(), &opened);
  if (status == ERROR_SUCCESS) Store(opened, result);
  return status;
}

RegStatus WindowsRegistry::OpenKeyEx(RegKey key, std::string_view subKey, std::uint32_t options, std::uint32_t access,
                                     RegKey* result) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExA(ToHkey(key), std::string(subKey).c_str(), options, access, &opened);
  if (status == ERROR_SUCCESS) Store(opened, result);
  return status;
}

RegStatus WindowsRegistry::CreateKey(RegKey key, std::string_view subKey, RegKey* result) {
  HKEY opened = nullptr;
  const LONG status = RegCreateKeyA(ToHkey(key), std::string(subKey).c_str(), &opened);
  if (status == ERROR_SUCCESS) Store(opened, result);
  return status;
}

RegStatus WindowsRegistry::QueryValueEx(RegKey key, std::string_view valueName, std::uint32_t* type, MutableBytes data,
                                        std::uint32_t* size) {
  if (size == nullptr) return kInvalidParameter;
  DWORD valueType = 0;
  DWORD length = std::min<DWORD>(*size, static_cast<DWORD>(std::min<std::size_t>(data.size(), MAXDWORD)));
  // A null buffer is advapi32's way to ask for the length alone.
  const LONG status = RegQueryValueExA(ToHkey(key), std::string(valueName).c_str(), nullptr, &valueType,
                                       data.empty() ? nullptr : data.data(), &length);
  if (type != nullptr) *type = valueType;
  *size = length;
  return status;
}

RegStatus WindowsRegistry::SetValueEx(RegKey key, std::string_view valueName, std::uint32_t type, Bytes data) {
  if (data.size() >= MAXDWORD) return kInvalidParameter;
  // advapi32 adds a text's missing NUL only when the byte after the data happens to be one; the
  // NUL is added here so that the stored value does not depend on the caller's memory.
  std::vector<std::uint8_t> text;
  if (type == REG_SZ && !data.empty() && data.back() != 0) {
    text.assign(data.begin(), data.end());
    text.push_back(0);
    data = text;
  }
  return RegSetValueExA(ToHkey(key), std::string(valueName).c_str(), 0, type, data.data(),
                        static_cast<DWORD>(data.size()));
}

RegStatus WindowsRegistry::CloseKey(RegKey key) { return RegCloseKey(ToHkey(key)); }

std::string RunningProgramPath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) return {};  // longer than any Windows path
    path.resize(path.size() * 2);
  }
}

}  // namespace selvane::shell
