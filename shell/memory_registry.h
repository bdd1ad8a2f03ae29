// A registry held in memory, for tests of the registration: it behaves like HKEY_CLASSES_ROOT as
// far as the registration can tell (keys and value names without regard to case, intermediate keys
// created with a key, kMoreData for a value that does not fit), records every call in order, and
// can be told to refuse writes or to fail closing a key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "shell/registry.h"

namespace selvane::shell {

class MemoryRegistry final : public Registry {
 public:
  enum class Function { OpenKey, OpenKeyEx, CreateKey, QueryValueEx, SetValueEx, CloseKey };

  // One call as it was made. Key paths are below HKEY_CLASSES_ROOT, spelt as the caller spelt
  // them; a call on an unknown handle has an empty keyPath.
  struct Call {
    Function function = Function::OpenKey;
    std::string keyPath;
    std::string valueName;           // QueryValueEx, SetValueEx
    std::uint32_t options = 0;       // OpenKeyEx
    std::uint32_t access = 0;        // OpenKeyEx
    std::uint32_t type = 0;          // SetValueEx
    std::vector<std::uint8_t> data;  // SetValueEx
    RegStatus status = kSuccess;
  };

  // Stores a value of any type and size, creating its key and the keys above it.
  void Put(std::string_view keyPath, std::string_view valueName, std::uint32_t type, Bytes data);
  // The value's bytes, or nullopt when the key or the value does not exist.
  std::optional<std::vector<std::uint8_t>> Get(std::string_view keyPath, std::string_view valueName) const;
  bool HasKey(std::string_view keyPath) const;
  std::size_t ValueCount() const;

  // Writes to this key (opening it for writing, creating it, setting its values) fail with
  // kAccessDenied; keys below it are not affected. Reading still works.
  void RefuseWrites(std::string_view keyPath);
  // The same for every key, until called with false.
  void RefuseAllWrites(bool refuse);
  // Closing a handle of this key fails with kInvalidHandle (the handle is gone all the same).
  void FailClose(std::string_view keyPath);

  const std::vector<Call>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  // Handles opened and not closed yet.
  std::size_t OpenHandleCount() const { return handles_.size(); }

  RegStatus OpenKey(RegKey key, std::string_view subKey, RegKey* result) override;
  RegStatus OpenKeyEx(RegKey key, std::string_view subKey, std::uint32_t options, std::uint32_t access,
                      RegKey* result) override;
  RegStatus CreateKey(RegKey key, std::string_view subKey, RegKey* result) override;
  RegStatus QueryValueEx(RegKey key, std::string_view valueName, std::uint32_t* type, MutableBytes data,
                         std::uint32_t* size) override;
  RegStatus SetValueEx(RegKey key, std::string_view valueName, std::uint32_t type, Bytes data) override;
  RegStatus CloseKey(RegKey key) override;

 private:
  struct Value {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
  };
  struct Key {
    std::string path;                     // as first spelt
    std::map<std::string, Value> values;  // by folded name
  };
  struct Handle {
    std::string path;
    std::uint32_t access = 0;
  };

  static std::string Fold(std::string_view text);
  static std::string Join(std::string_view base, std::string_view subKey);
  std::optional<std::string> PathOf(RegKey key) const;
  const Value* Find(std::string_view keyPath, std::string_view valueName) const;
  bool IsRefused(std::string_view path) const;
  bool Exists(std::string_view path) const;
  void Create(std::string_view path);
  RegKey NewHandle(std::string path, std::uint32_t access);
  static Call Begin(Function function, std::string_view valueName = {});
  RegStatus Record(Call call);
  // The path of `subKey` under an open key into `call`; false (invalid handle) when `key` is not open.
  bool ResolveSubKey(Call& call, RegKey key, std::string_view subKey) const;

  std::map<std::string, Key> keys_;  // by folded path; the root "" always exists
  std::map<RegKey, Handle> handles_;
  std::set<std::string> refused_;
  std::set<std::string> failingClose_;
  bool refuseAll_ = false;
  RegKey nextHandle_ = 0x1000;
  std::vector<Call> calls_;
};

}  // namespace selvane::shell
