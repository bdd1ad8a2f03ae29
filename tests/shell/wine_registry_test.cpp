// The registration against the real advapi32 registry. It writes to HKEY_CLASSES_ROOT, so it runs
// only under Wine (whose registry lives in the build's own prefix) and skips on a real Windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "registration_suite.h"
#include "shell/startup_registration.h"
#include "shell/windows_registry.h"

namespace selvane::shell::testing {
namespace {

bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void RemoveCardTypes() {
  for (const FileType& type : kFileTypes) {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, std::string(type.extension).c_str());
    RegDeleteTreeA(HKEY_CLASSES_ROOT, std::string(type.typeName).c_str());
  }
}

std::unique_ptr<Registry> CleanWineRegistry() {
  if (!UnderWine()) return nullptr;
  RemoveCardTypes();
  return std::make_unique<WindowsRegistry>();
}

INSTANTIATE_TEST_SUITE_P(Wine, RegistrationSuite,
                         ::testing::Values(RegistryUnderTest{"the Windows registry under Wine", CleanWineRegistry,
                                                             true}));

TEST(WineStartUp, RegistersTheRunningProgramsFolderOnce) {
  if (!UnderWine()) GTEST_SKIP() << "writes to HKEY_CLASSES_ROOT only under Wine";
  RemoveCardTypes();
  RecordingMessages messages;
  WindowsRegistry registry;
  const RegistryContext reader{registry, messages, ""};

  RegisterFileTypes(messages);
  const std::string command = QueryValue(reader, kClassesRoot, "DexDrive Memory Card\\Shell\\Open\\command", "");
  const std::string suffix = "\\Selvane.exe %1";
  ASSERT_TRUE(command.ends_with(suffix)) << command;
  const std::filesystem::path folder = command.substr(0, command.size() - suffix.size());
  EXPECT_TRUE(std::filesystem::equivalent(folder, std::filesystem::path(RunningProgramPath()).parent_path()));
  std::string icon = folder.string();  // built in steps: GCC 12 warns wrongly about "..." + string
  icon.insert(0, 1, '"');
  icon += "\\Selvane.exe,0\"";
  EXPECT_EQ(QueryValue(reader, kClassesRoot, "DexDrive Memory Card\\DefaultIcon", ""), icon);

  // A second start leaves even a changed value alone.
  ASSERT_TRUE(SetKeyValue(registry, kClassesRoot, ".psx", kRegSz, "", "changed"));
  RegisterFileTypes(messages);
  EXPECT_EQ(QueryValue(reader, kClassesRoot, ".psx", ""), "changed");
  EXPECT_TRUE(messages.shown.empty());
  RemoveCardTypes();
}

}  // namespace
}  // namespace selvane::shell::testing
