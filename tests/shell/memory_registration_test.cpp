// The registration against the in-memory registry: the shared cases, then what only a registry
// that can be told to fail shows: refused writes, failed closes, the exact calls made.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "registration_suite.h"
#include "shell/memory_registry.h"

namespace selvane::shell::testing {
namespace {

using Function = MemoryRegistry::Function;

INSTANTIATE_TEST_SUITE_P(InMemory, RegistrationSuite,
                         ::testing::Values(RegistryUnderTest{"the in-memory registry",
                                                             [] { return std::make_unique<MemoryRegistry>(); }}));

class MemoryRegistration : public ::testing::Test {
 protected:
  void Start(std::string folder = "C:\\Program Files\\Selvane") {
    RegisterFileTypes(RegistryContext{registry_, messages_, std::move(folder)});
  }
  std::string DefaultText(std::string_view keyPath) const {
    const auto data = registry_.Get(keyPath, "");
    return data ? std::string(data->begin(), data->end()) : "(none)";
  }
  std::size_t WriteAttempts() const {
    std::size_t count = 0;
    for (const auto& call : registry_.Calls()) count += call.function == Function::SetValueEx ? 1 : 0;
    return count;
  }

  MemoryRegistry registry_;
  RecordingMessages messages_;
};

TEST_F(MemoryRegistration, EachValueIsOpenedForWritingOrCreatedThenWrittenAndClosed) {
  Start();
  const auto& calls = registry_.Calls();
  // The mark is looked for first; its key is not there, so there is nothing to query or close.
  ASSERT_EQ(calls.size(), 1u + 36u * 4u);
  EXPECT_EQ(calls[0].function, Function::OpenKey);
  EXPECT_EQ(calls[0].keyPath, "VGS Memory Card\\Shell\\Open\\command");
  EXPECT_EQ(calls[0].status, kFileNotFound);

  const std::vector<Write> expected = ExpectedWrites();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto* call = &calls[1 + i * 4];
    EXPECT_EQ(call[0].function, Function::OpenKeyEx);
    EXPECT_EQ(call[0].keyPath, expected[i].keyPath);
    EXPECT_EQ(call[0].options, 0u);
    EXPECT_EQ(call[0].access, 0x3Fu);
    EXPECT_EQ(call[0].status, kFileNotFound);
    EXPECT_EQ(call[1].function, Function::CreateKey);
    EXPECT_EQ(call[1].keyPath, expected[i].keyPath);
    EXPECT_EQ(call[2].function, Function::SetValueEx);
    EXPECT_EQ(call[2].data, expected[i].data);
    EXPECT_EQ(call[2].status, kSuccess);
    EXPECT_EQ(call[3].function, Function::CloseKey);
    EXPECT_EQ(call[3].keyPath, expected[i].keyPath);
    EXPECT_EQ(call[3].status, kSuccess);
  }
  EXPECT_EQ(registry_.OpenHandleCount(), 0u);
  EXPECT_EQ(registry_.ValueCount(), 36u);
}

TEST_F(MemoryRegistration, SetKeyValueOpensAnExistingKeyAndStoresOnlyText) {
  registry_.Put(".mem", "", kRegSz, std::vector<std::uint8_t>{'x', 0});
  EXPECT_TRUE(SetKeyValue(registry_, kClassesRoot, ".MEM", kRegSz, "", "VGS Memory Card"));
  ASSERT_EQ(registry_.Calls().size(), 3u);  // opened, written, closed: nothing created
  EXPECT_EQ(registry_.Calls()[1].function, Function::SetValueEx);
  EXPECT_EQ(DefaultText(".mem"), std::string("VGS Memory Card\0", 16));

  // Another value type stores nothing; the open decides the result, and a missing key is created.
  registry_.ClearCalls();
  EXPECT_FALSE(SetKeyValue(registry_, kClassesRoot, ".mcd", 4, "", "x"));
  EXPECT_TRUE(registry_.HasKey(".mcd"));
  EXPECT_TRUE(SetKeyValue(registry_, kClassesRoot, ".mcd", 4, "", "x"));
  EXPECT_EQ(WriteAttempts(), 0u);
  EXPECT_EQ(registry_.ValueCount(), 1u);
}

TEST_F(MemoryRegistration, RefusedWriteIsSkippedAndTheNextKeyWritten) {
  registry_.RefuseWrites("Bleem Memory Card\\DefaultIcon");
  EXPECT_FALSE(SetKeyValue(registry_, kClassesRoot, "Bleem Memory Card\\DefaultIcon", kRegSz, "", "x"));
  registry_.ClearCalls();
  Start();
  EXPECT_EQ(WriteAttempts(), 36u);
  EXPECT_EQ(registry_.ValueCount(), 35u);
  EXPECT_EQ(DefaultText("Bleem Memory Card\\DefaultIcon"), "(none)");
  EXPECT_EQ(DefaultText("Bleem Memory Card\\Shell"), std::string(1, '\0'));
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(registry_.OpenHandleCount(), 0u);
}

TEST_F(MemoryRegistration, RefusedRegistrationIsTriedAgainAtTheNextStart) {
  registry_.RefuseAllWrites(true);
  Start();
  EXPECT_EQ(WriteAttempts(), 36u);
  EXPECT_EQ(registry_.ValueCount(), 0u);
  registry_.ClearCalls();
  Start();
  EXPECT_EQ(WriteAttempts(), 36u);
  EXPECT_TRUE(messages_.shown.empty());

  registry_.RefuseAllWrites(false);
  Start();
  EXPECT_EQ(registry_.ValueCount(), 36u);
  registry_.ClearCalls();
  Start();
  EXPECT_EQ(WriteAttempts(), 0u);
}

TEST_F(MemoryRegistration, DriveRootGetsNoSecondBackslash) {
  Start(ProgramFolderOf("C:\\Selvane.exe"));
  EXPECT_EQ(DefaultText("VGS Memory Card\\Shell\\Open\\command"), std::string("C:\\Selvane.exe %1\0", 18));
  EXPECT_EQ(DefaultText("PSM Memory Card\\DefaultIcon"), std::string("\"C:\\Selvane.exe,0\"\0", 19));
}

TEST_F(MemoryRegistration, ProgramFolderComesFromThePathAndTheFileIsAlwaysSelvaneExe) {
  EXPECT_EQ(ProgramFolderOf("C:\\Tools\\Selvane.exe"), "C:\\Tools");
  EXPECT_EQ(ProgramFolderOf("\\\\server\\share\\Selvane.exe"), "\\\\server\\share");
  EXPECT_EQ(ProgramFolderOf("Selvane.exe"), "");
  Start(ProgramFolderOf("D:\\Games\\Selvane 1.1\\selvane-portable.exe"));
  EXPECT_EQ(DefaultText("DexDrive Memory Card\\Shell\\Open\\command"),
            std::string("D:\\Games\\Selvane 1.1\\Selvane.exe %1\0", 36));
}

TEST_F(MemoryRegistration, FailedCloseAfterReadingIsReported) {
  registry_.Put("VGS Memory Card\\Shell\\Open\\command", "", kRegSz, std::vector<std::uint8_t>{'x', 0});
  registry_.FailClose("VGS Memory Card\\Shell\\Open\\command");
  Start();
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].title, "Selvane");
  EXPECT_EQ(messages_.shown[0].text, "RegCloseKey Failed: VGS Memory Card\\Shell\\Open\\command");
  EXPECT_EQ(WriteAttempts(), 0u);  // the value was read before the close failed

  // The key path is named as the caller gave it, under the title the caller gave.
  const RegistryContext context{registry_, messages_, "C:\\", "Card Tool"};
  EXPECT_EQ(QueryValue(context, kClassesRoot, "vgs memory card\\shell\\open\\command", ""), "x");
  ASSERT_EQ(messages_.shown.size(), 2u);
  EXPECT_EQ(messages_.shown[1].title, "Card Tool");
  EXPECT_EQ(messages_.shown[1].text, "RegCloseKey Failed: vgs memory card\\shell\\open\\command");
}

TEST_F(MemoryRegistration, FailedCloseAfterWritingIsSilent) {
  registry_.FailClose(".mem");
  registry_.FailClose("PSM Memory Card\\Shell\\Open\\command");
  Start();
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(registry_.ValueCount(), 36u);
}

}  // namespace
}  // namespace selvane::shell::testing
