#include "shell/memory_registry.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "core/ascii.h"

namespace selvane::shell {
namespace {

// Rights that a key opened with RegOpenKeyA or RegCreateKeyA gets: all that the caller may have.
constexpr std::uint32_t kAllAccess =
    kKeyQueryValue | kKeySetValue | kKeyCreateSubKey | kKeyEnumerateSubKeys | kKeyNotify | kKeyCreateLink;
constexpr std::uint32_t kWritingAccess = kKeySetValue | kKeyCreateSubKey | kKeyCreateLink;

}  // namespace

std::string MemoryRegistry::Fold(std::string_view text) { return AsciiLower(text); }

std::string MemoryRegistry::Join(std::string_view base, std::string_view subKey) {
  if (base.empty()) return std::string(subKey);
  if (subKey.empty()) return std::string(base);
  return std::string(base) + "\\" + std::string(subKey);
}

std::optional<std::string> MemoryRegistry::PathOf(RegKey key) const {
  if (key == kClassesRoot) return std::string();
  const auto it = handles_.find(key);
  if (it == handles_.end()) return std::nullopt;
  return it->second.path;
}

bool MemoryRegistry::IsRefused(std::string_view path) const { return refuseAll_ || refused_.contains(Fold(path)); }

bool MemoryRegistry::Exists(std::string_view path) const { return path.empty() || keys_.contains(Fold(path)); }

void MemoryRegistry::Create(std::string_view path) {
  // Every key above the new one comes into being with it.
  for (std::size_t end = 0; end != std::string_view::npos;) {
    end = path.find('\\', end + 1);
    const std::string_view prefix = path.substr(0, end);
    keys_.try_emplace(Fold(prefix), Key{std::string(prefix), {}});
  }
}

RegKey MemoryRegistry::NewHandle(std::string path, std::uint32_t access) {
  const RegKey handle = nextHandle_;
  nextHandle_ += 4;
  handles_.emplace(handle, Handle{std::move(path), access});
  return handle;
}

MemoryRegistry::Call MemoryRegistry::Begin(Function function, std::string_view valueName) {
  Call call;
  call.function = function;
  call.valueName = valueName;
  return call;
}

bool MemoryRegistry::ResolveSubKey(Call& call, RegKey key, std::string_view subKey) const {
  const auto base = PathOf(key);
  if (!base) {
    call.status = kInvalidHandle;
    return false;
  }
  call.keyPath = Join(*base, subKey);
  return true;
}

RegStatus MemoryRegistry::Record(Call call) {
  const RegStatus status = call.status;
  calls_.push_back(std::move(call));
  return status;
}

void MemoryRegistry::Put(std::string_view keyPath, std::string_view valueName, std::uint32_t type, Bytes data) {
  Create(keyPath);
  keys_[Fold(keyPath)].values[Fold(valueName)] = Value{type, {data.begin(), data.end()}};
}

const MemoryRegistry::Value* MemoryRegistry::Find(std::string_view keyPath, std::string_view valueName) const {
  const auto key = keys_.find(Fold(keyPath));
  if (key == keys_.end()) return nullptr;
  const auto value = key->second.values.find(Fold(valueName));
  return value == key->second.values.end() ? nullptr : &value->second;
}

std::optional<std::vector<std::uint8_t>> MemoryRegistry::Get(std::string_view keyPath,
                                                             std::string_view valueName) const {
  const Value* value = Find(keyPath, valueName);
  if (value == nullptr) return std::nullopt;
  return value->data;
}

bool MemoryRegistry::HasKey(std::string_view keyPath) const { return keys_.contains(Fold(keyPath)); }

std::size_t MemoryRegistry::ValueCount() const {
  std::size_t count = 0;
  for (const auto& [name, key] : keys_) count += key.values.size();
  return count;
}

void MemoryRegistry::RefuseWrites(std::string_view keyPath) { refused_.insert(Fold(keyPath)); }
void MemoryRegistry::RefuseAllWrites(bool refuse) { refuseAll_ = refuse; }
void MemoryRegistry::FailClose(std::string_view keyPath) { failingClose_.insert(Fold(keyPath)); }

RegStatus MemoryRegistry::OpenKey(RegKey key, std::string_view subKey, RegKey* result) {
  Call call = Begin(Function::OpenKey);
  if (!ResolveSubKey(call, key, subKey)) return Record(std::move(call));
  if (!Exists(call.keyPath)) {
    call.status = kFileNotFound;
  } else {
    *result = NewHandle(call.keyPath, IsRefused(call.keyPath) ? kAllAccess & ~kWritingAccess : kAllAccess);
  }
  return Record(std::move(call));
}

RegStatus MemoryRegistry::OpenKeyEx(RegKey key, std::string_view subKey, std::uint32_t options, std::uint32_t access,
                                    RegKey* result) {
  Call call = Begin(Function::OpenKeyEx);
  call.options = options;
  call.access = access;
  if (!ResolveSubKey(call, key, subKey)) return Record(std::move(call));
  if (!Exists(call.keyPath)) {
    call.status = kFileNotFound;
  } else if ((access & kWritingAccess) != 0 && IsRefused(call.keyPath)) {
    call.status = kAccessDenied;
  } else {
    *result = NewHandle(call.keyPath, access);
  }
  return Record(std::move(call));
}

RegStatus MemoryRegistry::CreateKey(RegKey key, std::string_view subKey, RegKey* result) {
  Call call = Begin(Function::CreateKey);
  if (!ResolveSubKey(call, key, subKey)) return Record(std::move(call));
  const bool refused = IsRefused(call.keyPath);
  if (Exists(call.keyPath)) {
    *result = NewHandle(call.keyPath, refused ? kAllAccess & ~kWritingAccess : kAllAccess);
  } else if (refused) {
    call.status = kAccessDenied;
  } else {
    Create(call.keyPath);
    *result = NewHandle(call.keyPath, kAllAccess);
  }
  return Record(std::move(call));
}

RegStatus MemoryRegistry::QueryValueEx(RegKey key, std::string_view valueName, std::uint32_t* type, MutableBytes data,
                                       std::uint32_t* size) {
  Call call = Begin(Function::QueryValueEx, valueName);
  const auto handle = handles_.find(key);
  if (handle == handles_.end()) {
    call.status = kInvalidHandle;
    return Record(std::move(call));
  }
  call.keyPath = handle->second.path;
  if (size == nullptr) {
    call.status = kInvalidParameter;
    return Record(std::move(call));
  }
  if ((handle->second.access & kKeyQueryValue) == 0) {
    call.status = kAccessDenied;
    return Record(std::move(call));
  }
  const Value* value = Find(call.keyPath, valueName);
  if (value == nullptr) {
    call.status = kFileNotFound;
    return Record(std::move(call));
  }
  const std::vector<std::uint8_t>& bytes = value->data;
  if (type != nullptr) *type = value->type;
  const std::size_t room = std::min<std::size_t>(*size, data.size());
  *size = static_cast<std::uint32_t>(bytes.size());
  // An empty buffer asks for the length alone.
  if (data.empty()) return Record(std::move(call));
  if (bytes.size() > room) {
    call.status = kMoreData;
  } else {
    std::copy(bytes.begin(), bytes.end(), data.begin());
  }
  return Record(std::move(call));
}

RegStatus MemoryRegistry::SetValueEx(RegKey key, std::string_view valueName, std::uint32_t type, Bytes data) {
  Call call = Begin(Function::SetValueEx, valueName);
  call.type = type;
  call.data.assign(data.begin(), data.end());
  const auto handle = handles_.find(key);
  if (handle == handles_.end()) {
    call.status = kInvalidHandle;
    return Record(std::move(call));
  }
  call.keyPath = handle->second.path;
  if ((handle->second.access & kKeySetValue) == 0 || IsRefused(call.keyPath)) {
    call.status = kAccessDenied;
  } else {
    // A text is stored with its NUL, as advapi32 stores it.
    std::vector<std::uint8_t> bytes(data.begin(), data.end());
    if (type == kRegSz && !bytes.empty() && bytes.back() != 0) bytes.push_back(0);
    Put(call.keyPath, valueName, type, bytes);
  }
  return Record(std::move(call));
}

RegStatus MemoryRegistry::CloseKey(RegKey key) {
  Call call = Begin(Function::CloseKey);
  if (key == kClassesRoot) return Record(std::move(call));
  const auto handle = handles_.find(key);
  if (handle == handles_.end()) {
    call.status = kInvalidHandle;
    return Record(std::move(call));
  }
  call.keyPath = handle->second.path;
  handles_.erase(handle);
  if (failingClose_.contains(Fold(call.keyPath))) call.status = kInvalidHandle;
  return Record(std::move(call));
}

}  // namespace selvane::shell
