// The registration cases that hold for every registry: run against the in-memory registry on every
// build, and against the real advapi32 registry when the Windows build runs under Wine.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "shell/file_types.h"
#include "shell/registry.h"

namespace selvane::shell::testing {

// A registry with none of the card types in it, or null when it cannot be had here.
struct RegistryUnderTest {
  std::string name;
  std::function<std::unique_ptr<Registry>()> make;
  bool printValues = false;  // print the 36 values as the registry holds them
};
inline void PrintTo(const RegistryUnderTest& registry, std::ostream* out) { *out << registry.name; }

class RecordingMessages final : public ShellMessages {
 public:
  struct Shown {
    std::string title;
    std::string text;
  };
  void ShowExclamation(std::string_view title, std::string_view text) override {
    shown.push_back({std::string(title), std::string(text)});
  }
  std::vector<Shown> shown;
};

// One value write as it reached the registry.
struct Write {
  std::string keyPath;
  std::string valueName;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  bool operator==(const Write&) const = default;
};

// Passes every call on and notes the writes with the path of the key they went to.
class WriteRecorder final : public Registry {
 public:
  explicit WriteRecorder(Registry& inner) : inner_(inner) {}
  RegStatus OpenKey(RegKey key, std::string_view subKey, RegKey* result) override;
  RegStatus OpenKeyEx(RegKey key, std::string_view subKey, std::uint32_t options, std::uint32_t access,
                      RegKey* result) override;
  RegStatus CreateKey(RegKey key, std::string_view subKey, RegKey* result) override;
  RegStatus QueryValueEx(RegKey key, std::string_view valueName, std::uint32_t* type, MutableBytes data,
                         std::uint32_t* size) override;
  RegStatus SetValueEx(RegKey key, std::string_view valueName, std::uint32_t type, Bytes data) override;
  RegStatus CloseKey(RegKey key) override;

  std::vector<Write> writes;

 private:
  RegStatus Opened(RegStatus status, RegKey key, std::string_view subKey, RegKey* result);
  Registry& inner_;
  std::map<RegKey, std::string> paths_;
};

// The folder the cases register from, and the 36 writes that a first start makes from it.
inline constexpr std::string_view kFolder = "C:\\Program Files\\Selvane";
std::vector<Write> ExpectedWrites();

class RegistrationSuite : public ::testing::TestWithParam<RegistryUnderTest> {
 protected:
  void SetUp() override;
  // Runs the registration from kFolder and returns the writes it made.
  std::vector<Write> Start();
  // Stores raw bytes as the default value of `keyPath`, through the registry itself.
  void PutDefault(std::string_view keyPath, std::vector<std::uint8_t> data);

  std::unique_ptr<Registry> registry_;
  RecordingMessages messages_;
};

}  // namespace selvane::shell::testing
