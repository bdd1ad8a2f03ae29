// What every Registry does, whichever registry is behind it: one typed suite that runs against the
// in-memory registry everywhere and, on Windows builds, against advapi32 (under Wine in
// scripts/windows-tests). The in-memory registry stands in for advapi32 in the registration
// tests, so a difference found here is a fault of the in-memory registry.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "shell/memory_registry.h"
#include "shell/registry.h"

#if defined(_WIN32)
#include <windows.h>

#include "shell/windows_registry.h"
#endif

namespace selvane::shell {
namespace {

using namespace std::string_literals;

constexpr std::uint32_t kRegBinary = 3;
constexpr RegKey kUntouched = 0xDEAD;

// Each backend opens a private, empty key to work under and removes it again.
struct InMemory {
  RegStatus OpenTestKey(RegKey* key) { return registry.CreateKey(kClassesRoot, "SelvaneContractTest", key); }
  MemoryRegistry registry;
};

#if defined(_WIN32)
// Each test process works under a key of its own: CTest runs the tests side by side.
struct Advapi32 {
  static constexpr const char* kParent = "Software\\SelvaneContractTest";
  const std::string path = std::string(kParent) + "\\" + std::to_string(GetCurrentProcessId());
  Advapi32() { RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str()); }
  ~Advapi32() {
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kParent);  // refused while another test's key is still below it
  }
  Advapi32(const Advapi32&) = delete;
  Advapi32& operator=(const Advapi32&) = delete;
  RegStatus OpenTestKey(RegKey* key) {
    HKEY opened = nullptr;
    const LONG status = RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &opened);
    *key = reinterpret_cast<RegKey>(opened);
    return status;
  }
  WindowsRegistry registry;
};
#endif

// A value as QueryValueEx reports it.
struct Read {
  RegStatus status = kSuccess;
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  std::string data;  // the bytes filled in, on success
};

template <typename Backend>
class RegistryContract : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(backend_.OpenTestKey(&root_), kSuccess); }
  void TearDown() override { EXPECT_EQ(Reg().CloseKey(root_), kSuccess); }

  Registry& Reg() { return backend_.registry; }

  RegKey Create(const std::string& subKey) {
    RegKey key = kUntouched;
    EXPECT_EQ(Reg().CreateKey(root_, subKey, &key), kSuccess) << subKey;
    return key;
  }
  // The bytes are followed by one that is not a NUL, so that nothing after them passes for one.
  RegStatus Set(RegKey key, const std::string& name, std::uint32_t type, const std::string& bytes) {
    std::vector<std::uint8_t> buffer(bytes.begin(), bytes.end());
    buffer.push_back('#');
    return Reg().SetValueEx(key, name, type, Bytes(buffer).first(bytes.size()));
  }
  // Reads into a buffer of `room` bytes, offering `offered` of them (room when not given).
  Read Query(RegKey key, const std::string& name, std::uint32_t room = 512, std::int64_t offered = -1) {
    std::vector<std::uint8_t> buffer(room, 0xEE);
    Read read;
    read.size = offered < 0 ? room : static_cast<std::uint32_t>(offered);
    read.status = Reg().QueryValueEx(key, name, &read.type, buffer, &read.size);
    if (read.status == kSuccess && read.size <= room) read.data.assign(buffer.begin(), buffer.begin() + read.size);
    return read;
  }

  Backend backend_;
  RegKey root_ = 0;
};

#if defined(_WIN32)
using Backends = testing::Types<InMemory, Advapi32>;
#else
using Backends = testing::Types<InMemory>;
#endif
TYPED_TEST_SUITE(RegistryContract, Backends);

TYPED_TEST(RegistryContract, KeysComeWithTheKeysAboveThemAndOpenWithoutRegardToCase) {
  this->Reg().CloseKey(this->Create("Alpha\\Beta\\Gamma"));
  const struct {
    const char* subKey;
    RegStatus status;
  } cases[] = {{"Alpha", kSuccess},
               {"ALPHA\\beta", kSuccess},
               {"alpha\\BETA\\gAmMa", kSuccess},
               {"Alpha\\Gamma", kFileNotFound},
               {"Alpha\\Beta\\Gamma\\Delta", kFileNotFound}};
  for (const auto& [subKey, status] : cases) {
    RegKey key = kUntouched, keyEx = kUntouched;
    EXPECT_EQ(this->Reg().OpenKey(this->root_, subKey, &key), status) << subKey;
    EXPECT_EQ(this->Reg().OpenKeyEx(this->root_, subKey, 0, kKeyQueryValue, &keyEx), status) << subKey;
    // The result is set only on success.
    EXPECT_EQ(std::pair(key == kUntouched, keyEx == kUntouched), std::pair(status != kSuccess, status != kSuccess));
    if (status == kSuccess) this->Reg().CloseKey(key), this->Reg().CloseKey(keyEx);
  }
}

TYPED_TEST(RegistryContract, ValuesComeBackWithTheirTypeAndEveryByte) {
  const struct {
    const char* name;
    const char* readAs;
    std::uint32_t type;
    std::string bytes;
    std::string stored;
  } cases[] = {{"", "", kRegSz, "default text\0"s, "default text\0"s},          // the key's default value
               {"Text", "TEXT", kRegSz, "C:\\x.exe %1\0"s, "C:\\x.exe %1\0"s},  // value names without regard to case
               {"Empty", "empty", kRegSz, "\0"s, "\0"s},                        // an empty text is its NUL
               {"Bare", "bare", kRegSz, "abc"s, "abc\0"s},                      // a text gets the NUL it lacks
               {"Binary", "BINARY", kRegBinary, "\0\1\0\xFF\3"s, "\0\1\0\xFF\3"s},  // other types stay as they are
               {"Nothing", "nothing", kRegBinary, ""s, ""s}};
  const RegKey key = this->Create("Values");
  EXPECT_EQ(this->Query(key, "").status, kFileNotFound);  // a new key has no default value
  for (const auto& [name, readAs, type, bytes, stored] : cases) {
    ASSERT_EQ(this->Set(key, name, type, bytes), kSuccess) << name;
    const Read read = this->Query(key, readAs);
    EXPECT_EQ(std::tuple(read.status, read.type, read.size, read.data),
              std::tuple(kSuccess, type, stored.size(), stored))
        << name;
  }
  // Creating the key again, spelt differently, opens it: that handle sees the values, and a new
  // value replaces type and bytes.
  const RegKey other = this->Create("VALUES");
  ASSERT_EQ(this->Set(other, "TEXT", kRegBinary, "\7"s), kSuccess);
  const Read replaced = this->Query(key, "text");
  EXPECT_EQ(replaced.type, kRegBinary);
  EXPECT_EQ(replaced.data, "\7"s);
  EXPECT_EQ(this->Query(key, "absent").status, kFileNotFound);
  EXPECT_EQ(this->Query(key, "Tex").status, kFileNotFound);  // a name is matched whole
  this->Reg().CloseKey(other);
  this->Reg().CloseKey(key);
}

TYPED_TEST(RegistryContract, AValueLongerThanTheBufferGivesMoreDataAndItsLength) {
  const std::string text = "0123456789\0"s;  // 11 bytes
  const RegKey key = this->Create("Long");
  ASSERT_EQ(this->Set(key, "v", kRegSz, text), kSuccess);
  const struct {
    std::uint32_t room;
    std::int64_t offered;
    RegStatus status;
  } cases[] = {
      {1, -1, kMoreData},  {10, -1, kMoreData}, {11, -1, kSuccess},  {64, -1, kSuccess},
      {64, 10, kMoreData}, {64, 0, kMoreData},  {10, 64, kMoreData},  // the smaller limit counts
      {0, -1, kSuccess},   {0, 64, kSuccess}                          // no buffer: the length alone
  };
  for (const auto& [room, offered, status] : cases) {
    const Read read = this->Query(key, "v", room, offered);
    EXPECT_EQ(std::tuple(read.status, read.size, read.type, read.data),
              std::tuple(status, text.size(), kRegSz, status == kSuccess && room > 0 ? text : ""))
        << room << " bytes, " << offered << " offered";
  }
  this->Reg().CloseKey(key);
}

TYPED_TEST(RegistryContract, AHandleAllowsOnlyTheRightsItWasOpenedWith) {
  this->Reg().CloseKey(this->Create("Rights"));
  const struct {
    std::uint32_t access;
    RegStatus query;
    RegStatus set;
  } cases[] = {{kKeyQueryValue, kSuccess, kAccessDenied},
               {kKeySetValue, kAccessDenied, kSuccess},
               {kKeyEnumerateSubKeys | kKeyNotify, kAccessDenied, kAccessDenied}};
  RegKey writer = kUntouched;
  ASSERT_EQ(this->Reg().OpenKey(this->root_, "Rights", &writer), kSuccess);
  for (const auto& [access, query, set] : cases) {
    ASSERT_EQ(this->Set(writer, "v", kRegSz, "before\0"s), kSuccess);
    RegKey key = kUntouched;
    ASSERT_EQ(this->Reg().OpenKeyEx(this->root_, "rights", 0, access, &key), kSuccess) << access;
    EXPECT_EQ(this->Query(key, "v").status, query) << access;
    EXPECT_EQ(this->Set(key, "v", kRegSz, "after\0"s), set) << access;
    EXPECT_EQ(this->Query(writer, "v").data, set == kSuccess ? "after\0"s : "before\0"s) << access;
    EXPECT_EQ(this->Reg().CloseKey(key), kSuccess) << access;
  }
  this->Reg().CloseKey(writer);
}

TYPED_TEST(RegistryContract, ClosedAndUnknownHandlesAreInvalid) {
  const RegKey key = this->Create("Closed");
  ASSERT_EQ(this->Set(key, "v", kRegSz, "v\0"s), kSuccess);
  ASSERT_EQ(this->Reg().CloseKey(key), kSuccess);
  RegKey result = kUntouched;
  EXPECT_EQ(this->Reg().CloseKey(key), kInvalidHandle);
  EXPECT_EQ(this->Query(key, "v").status, kInvalidHandle);
  EXPECT_EQ(this->Set(key, "v", kRegSz, "w\0"s), kInvalidHandle);
  EXPECT_EQ(this->Reg().OpenKeyEx(key, "x", 0, kKeyQueryValue, &result), kInvalidHandle);
  EXPECT_EQ(this->Reg().CreateKey(key, "x", &result), kInvalidHandle);
  EXPECT_EQ(result, kUntouched);
  EXPECT_EQ(this->Reg().CloseKey(0), kInvalidHandle);
  // The key and its value outlive the handle; the predefined root closes without harm.
  const RegKey reopened = this->Create("closed");
  EXPECT_EQ(this->Query(reopened, "V").data, "v\0"s);
  EXPECT_EQ(this->Reg().CloseKey(reopened), kSuccess);
  EXPECT_EQ(this->Reg().CloseKey(kClassesRoot), kSuccess);
}

}  // namespace
}  // namespace selvane::shell
