// The six registry calls that file type registration needs, as an interface: the Windows registry
// implements it over advapi32's ANSI functions, an in-memory registry implements it for tests.
// Each call keeps the parameters and the status results of its advapi32 counterpart, so the
// registration reads the same whichever registry is behind it.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/bytes.h"

namespace selvane::shell {

// An open key, or one of the predefined root keys.
using RegKey = std::uintptr_t;
// A Win32 status code: 0 is success.
using RegStatus = long;

// The root of the file type associations. The Windows registry maps it onto its own
// HKEY_CLASSES_ROOT handle.
inline constexpr RegKey kClassesRoot = 0x80000000u;

// Status codes, with the values of winerror.h.
inline constexpr RegStatus kSuccess = 0;
inline constexpr RegStatus kFileNotFound = 2;
inline constexpr RegStatus kAccessDenied = 5;
inline constexpr RegStatus kInvalidHandle = 6;
inline constexpr RegStatus kInvalidParameter = 87;
inline constexpr RegStatus kMoreData = 234;

// Value type of a text value that ends in its NUL.
inline constexpr std::uint32_t kRegSz = 1;

// Access rights of RegOpenKeyExA, with the values of winnt.h.
inline constexpr std::uint32_t kKeyQueryValue = 0x01;
inline constexpr std::uint32_t kKeySetValue = 0x02;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x04;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x08;
inline constexpr std::uint32_t kKeyNotify = 0x10;
inline constexpr std::uint32_t kKeyCreateLink = 0x20;

class Registry {
 public:
  virtual ~Registry() = default;

  // RegOpenKeyA: opens `subKey` under `key` for reading and writing as far as the caller may.
  // Sets *result only on success.
  virtual RegStatus OpenKey(RegKey key, std::string_view subKey, RegKey* result) = 0;
  // RegOpenKeyExA: opens `subKey` under `key` with the `access` rights asked for; fails with
  // kAccessDenied when they are not granted and kFileNotFound when the key does not exist.
  virtual RegStatus OpenKeyEx(RegKey key, std::string_view subKey, std::uint32_t options, std::uint32_t access,
                              RegKey* result) = 0;
  // RegCreateKeyA: creates `subKey` and the keys above it that are missing, and opens it; an
  // existing key is just opened.
  virtual RegStatus CreateKey(RegKey key, std::string_view subKey, RegKey* result) = 0;
  // RegQueryValueExA: reads the value `valueName` (empty: the key's default value). On entry *size
  // is how many bytes of `data` may be filled; on return it is the value's length, also when the
  // value does not fit (kMoreData, `data` then holds nothing useful). An empty `data` asks for the
  // length alone and succeeds. `type` may be null; `size` may not (kInvalidParameter).
  virtual RegStatus QueryValueEx(RegKey key, std::string_view valueName, std::uint32_t* type, MutableBytes data,
                                 std::uint32_t* size) = 0;
  // RegSetValueExA: stores `data` as the value `valueName` with the given type. A kRegSz text that
  // does not end in its NUL is stored with one added.
  virtual RegStatus SetValueEx(RegKey key, std::string_view valueName, std::uint32_t type, Bytes data) = 0;
  // RegCloseKey.
  virtual RegStatus CloseKey(RegKey key) = 0;
};

}  // namespace selvane::shell
