// File type registration in the registry: against the in-memory registry, which can refuse writes
// and fail closes and records every call, and on Windows builds against advapi32 under Wine.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "shell/file_types.h"
#include "shell/memory_registry.h"

#if defined(_WIN32)
#include <windows.h>

#include <filesystem>
#include <iostream>

#include "shell/startup_registration.h"
#include "shell/windows_registry.h"
#endif

namespace selvane::shell {
namespace {

using namespace std::string_literals;

constexpr const char* kFolder = "C:\\Program Files\\Selvane";
constexpr const char* kVgsCommand = "VGS Memory Card\\Shell\\Open\\command";

// One default value: its key under HKEY_CLASSES_ROOT and its bytes, terminating NUL included.
using Value = std::pair<std::string, std::string>;

// The 36 values written from `folder` (which ends in a backslash), in order: six per card type.
std::vector<Value> ExpectedValues(const std::string& folder) {
  const std::pair<std::string, std::string> types[] = {
      {".mem", "VGS Memory Card"},       {".mcd", "Bleem Memory Card"},    {".mcr", "PSEmu Memory Card"},
      {".ddf", "Data Deck Memory Card"}, {".gme", "DexDrive Memory Card"}, {".psx", "PSM Memory Card"}};
  std::vector<Value> values;
  for (const auto& [extension, name] : types) {
    values.insert(values.end(), {{extension, name + '\0'},
                                 {name, name + '\0'},
                                 {name + "\\DefaultIcon", '"' + folder + "Selvane.exe,0\"" + '\0'},
                                 {name + "\\Shell", "\0"s},
                                 {name + "\\Shell\\Open", "\0"s},
                                 {name + "\\Shell\\Open\\command", folder + "Selvane.exe %1" + '\0'}});
  }
  return values;
}

struct Messages final : ShellMessages {
  void ShowExclamation(std::string_view title, std::string_view text) override {
    shown.push_back(std::string(title) + " | " + std::string(text));
  }
  std::vector<std::string> shown;
};

struct Registration {
  // Runs one start from `folder` and returns the value writes it tried, refused ones included.
  std::vector<Value> Start(std::string folder = kFolder) {
    registry.ClearCalls();
    RegisterFileTypes(RegistryContext{registry, messages, std::move(folder)});
    std::vector<Value> writes;
    for (const MemoryRegistry::Call& call : registry.Calls()) {
      if (call.function != MemoryRegistry::Function::SetValueEx) continue;
      EXPECT_TRUE(call.type == kRegSz && call.valueName.empty()) << call.keyPath;  // the default text value
      writes.emplace_back(call.keyPath, std::string(call.data.begin(), call.data.end()));
    }
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
    return writes;
  }
  std::string Stored(std::string_view key) const {
    const auto data = registry.Get(key, "");
    return data ? std::string(data->begin(), data->end()) : "(none)";
  }
  void PutCommand(const std::string& bytes) {
    registry.Put(kVgsCommand, "", kRegSz, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
  }

  MemoryRegistry registry;
  Messages messages;
};

TEST(Registration, FirstStartWritesSixValuesPerTypeInOrderAndASecondStartNothing) {
  Registration run;
  const std::vector<Value> expected = ExpectedValues(std::string(kFolder) + "\\");
  EXPECT_EQ(run.Start(), expected);
  EXPECT_EQ(run.Stored(kVgsCommand), "C:\\Program Files\\Selvane\\Selvane.exe %1\0"s);
  EXPECT_EQ(QueryValue({run.registry, run.messages, kFolder}, kClassesRoot, ".mem", ""), "VGS Memory Card");

  EXPECT_TRUE(run.Start().empty());
  EXPECT_TRUE(run.messages.shown.empty());
}

TEST(Registration, VgsCommandDecidesWhetherAStartRegisters) {
  const std::pair<std::string, bool> cases[] = {
      {"D:\\Old\\Selvane.exe %1\0"s, false},  // any text, even another folder's
      {"\0"s, true},                          // only its NUL reads as empty
      {std::string(254, 'x') + '\0', false},  // fills the 255-byte buffer exactly
      {std::string(255, 'x') + '\0', true}    // does not fit and reads as empty
  };
  for (const auto& [command, registers] : cases) {
    Registration run;
    run.PutCommand(command);
    EXPECT_EQ(run.Start().size(), registers ? 36u : 0u) << command.size() << " bytes";
  }
}

TEST(Registration, RefusedWriteGoesOnWithTheNextKeyAndTheNextStartTriesAgain) {
  Registration run;
  run.registry.RefuseWrites("Bleem Memory Card\\DefaultIcon");
  run.registry.RefuseWrites(kVgsCommand);
  run.registry.FailClose(".mcr");  // a failed close after a write is not reported
  EXPECT_EQ(run.Start().size(), 36u);
  EXPECT_EQ(run.registry.ValueCount(), 34u);  // all but the two refused values
  EXPECT_EQ(run.Start().size(), 36u);         // the VGS command is still empty
  EXPECT_TRUE(run.messages.shown.empty());
}

TEST(Registration, ProgramFolderAtADriveRootGetsNoSecondBackslash) {
  EXPECT_EQ(ProgramFolderOf("C:\\Selvane.exe"), "C:\\");
  Registration run;
  run.Start(ProgramFolderOf("C:\\Selvane.exe"));
  EXPECT_EQ(run.Stored("PSM Memory Card\\DefaultIcon"), "\"C:\\Selvane.exe,0\"\0"s);
}

TEST(Registration, FailedCloseAfterReadingTheCommandIsReported) {
  Registration run;
  run.PutCommand("x\0"s);
  run.registry.FailClose(kVgsCommand);
  EXPECT_TRUE(run.Start().empty());  // the value was read before the close failed
  EXPECT_EQ(run.messages.shown,
            std::vector<std::string>{"Selvane | RegCloseKey Failed: VGS Memory Card\\Shell\\Open\\command"});
}

#if defined(_WIN32)
// The start-up registration with advapi32. It writes to HKEY_CLASSES_ROOT, so it runs only under
// Wine, whose registry lives in the build's own prefix. It prints the values for
// scripts/windows-tests to show. When a start writes is told by the tests above: the registry
// contract holds the in-memory registry to advapi32's answers.
void RemoveCardTypes() {
  for (const auto& [key, bytes] : ExpectedValues("")) RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
}

// The text default value of `key` as advapi32 reads it, NUL included; empty when there is none.
std::string Read(const std::string& key) {
  std::string data(1024, '\0');
  DWORD size = 1024;
  if (RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, data.data(), &size)) size = 0;
  return data.substr(0, size);
}

TEST(WineRegistration, StartRegistersTheRunningProgramsFolder) {
  if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr) GTEST_SKIP() << "Wine only";
  RemoveCardTypes();
  Messages messages;
  RegisterFileTypes(messages);

  const std::string command = Read(kVgsCommand), suffix = "\\Selvane.exe %1\0"s;
  ASSERT_TRUE(command.ends_with(suffix)) << command;
  const std::string folder = command.substr(0, command.size() - suffix.size());
  EXPECT_TRUE(std::filesystem::equivalent(folder, std::filesystem::path(RunningProgramPath()).parent_path()));
  const std::vector<Value> expected = ExpectedValues(folder + "\\");
  for (const auto& [key, bytes] : expected) {
    const std::string stored = Read(key);
    EXPECT_EQ(stored, bytes) << key;
    std::cout << "HKEY_CLASSES_ROOT\\" << key << "  REG_SZ  " << stored.substr(0, stored.size() - 1) << "\n";
  }
  EXPECT_TRUE(messages.shown.empty());
  RemoveCardTypes();
}
#endif

}  // namespace
}  // namespace selvane::shell
