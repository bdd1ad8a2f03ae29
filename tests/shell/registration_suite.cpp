#include "registration_suite.h"

#include <iostream>

namespace selvane::shell::testing {
namespace {

Write TextWrite(std::string keyPath, std::string_view text) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  return Write{std::move(keyPath), "", kRegSz, std::move(data)};
}

std::vector<std::uint8_t> Text(std::string_view text, std::size_t nul = 1) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.insert(data.end(), nul, 0);
  return data;
}

}  // namespace

std::vector<Write> ExpectedWrites() {
  const std::string icon = "\"C:\\Program Files\\Selvane\\Selvane.exe,0\"";
  const std::string command = "C:\\Program Files\\Selvane\\Selvane.exe %1";
  return {
      TextWrite(".mem", "VGS Memory Card"),
      TextWrite("VGS Memory Card", "VGS Memory Card"),
      TextWrite("VGS Memory Card\\DefaultIcon", icon),
      TextWrite("VGS Memory Card\\Shell", ""),
      TextWrite("VGS Memory Card\\Shell\\Open", ""),
      TextWrite("VGS Memory Card\\Shell\\Open\\command", command),
      TextWrite(".mcd", "Bleem Memory Card"),
      TextWrite("Bleem Memory Card", "Bleem Memory Card"),
      TextWrite("Bleem Memory Card\\DefaultIcon", icon),
      TextWrite("Bleem Memory Card\\Shell", ""),
      TextWrite("Bleem Memory Card\\Shell\\Open", ""),
      TextWrite("Bleem Memory Card\\Shell\\Open\\command", command),
      TextWrite(".mcr", "PSEmu Memory Card"),
      TextWrite("PSEmu Memory Card", "PSEmu Memory Card"),
      TextWrite("PSEmu Memory Card\\DefaultIcon", icon),
      TextWrite("PSEmu Memory Card\\Shell", ""),
      TextWrite("PSEmu Memory Card\\Shell\\Open", ""),
      TextWrite("PSEmu Memory Card\\Shell\\Open\\command", command),
      TextWrite(".ddf", "Data Deck Memory Card"),
      TextWrite("Data Deck Memory Card", "Data Deck Memory Card"),
      TextWrite("Data Deck Memory Card\\DefaultIcon", icon),
      TextWrite("Data Deck Memory Card\\Shell", ""),
      TextWrite("Data Deck Memory Card\\Shell\\Open", ""),
      TextWrite("Data Deck Memory Card\\Shell\\Open\\command", command),
      TextWrite(".gme", "DexDrive Memory Card"),
      TextWrite("DexDrive Memory Card", "DexDrive Memory Card"),
      TextWrite("DexDrive Memory Card\\DefaultIcon", icon),
      TextWrite("DexDrive Memory Card\\Shell", ""),
      TextWrite("DexDrive Memory Card\\Shell\\Open", ""),
      TextWrite("DexDrive Memory Card\\Shell\\Open\\command", command),
      TextWrite(".psx", "PSM Memory Card"),
      TextWrite("PSM Memory Card", "PSM Memory Card"),
      TextWrite("PSM Memory Card\\DefaultIcon", icon),
      TextWrite("PSM Memory Card\\Shell", ""),
      TextWrite("PSM Memory Card\\Shell\\Open", ""),
      TextWrite("PSM Memory Card\\Shell\\Open\\command", command),
  };
}

RegStatus WriteRecorder::Opened(RegStatus status, RegKey key, std::string_view subKey, RegKey* result) {
  if (status == kSuccess) {
    const std::string base = key == kClassesRoot ? "" : paths_[key] + "\\";
    paths_[*result] = base + std::string(subKey);
  }
  return status;
}
RegStatus WriteRecorder::OpenKey(RegKey key, std::string_view subKey, RegKey* result) {
  return Opened(inner_.OpenKey(key, subKey, result), key, subKey, result);
}
RegStatus WriteRecorder::OpenKeyEx(RegKey key, std::string_view subKey, std::uint32_t options, std::uint32_t access,
                                   RegKey* result) {
  return Opened(inner_.OpenKeyEx(key, subKey, options, access, result), key, subKey, result);
}
RegStatus WriteRecorder::CreateKey(RegKey key, std::string_view subKey, RegKey* result) {
  return Opened(inner_.CreateKey(key, subKey, result), key, subKey, result);
}
RegStatus WriteRecorder::QueryValueEx(RegKey key, std::string_view valueName, std::uint32_t* type, MutableBytes data,
                                      std::uint32_t* size) {
  return inner_.QueryValueEx(key, valueName, type, data, size);
}
RegStatus WriteRecorder::SetValueEx(RegKey key, std::string_view valueName, std::uint32_t type, Bytes data) {
  writes.push_back({paths_[key], std::string(valueName), type, {data.begin(), data.end()}});
  return inner_.SetValueEx(key, valueName, type, data);
}
RegStatus WriteRecorder::CloseKey(RegKey key) {
  paths_.erase(key);
  return inner_.CloseKey(key);
}

void RegistrationSuite::SetUp() {
  registry_ = GetParam().make();
  if (!registry_) GTEST_SKIP() << GetParam().name << " cannot be used here";
}

std::vector<Write> RegistrationSuite::Start() {
  WriteRecorder recorder(*registry_);
  RegisterFileTypes(RegistryContext{recorder, messages_, std::string(kFolder)});
  return recorder.writes;
}

void RegistrationSuite::PutDefault(std::string_view keyPath, std::vector<std::uint8_t> data) {
  RegKey key = 0;
  ASSERT_EQ(registry_->CreateKey(kClassesRoot, keyPath, &key), kSuccess);
  ASSERT_EQ(registry_->SetValueEx(key, "", kRegSz, data), kSuccess);
  ASSERT_EQ(registry_->CloseKey(key), kSuccess);
}

namespace {

// The default value of `keyPath` as the registry holds it: its type and bytes.
std::pair<std::uint32_t, std::vector<std::uint8_t>> ReadDefault(Registry& registry, std::string_view keyPath) {
  RegKey key = 0;
  if (registry.OpenKey(kClassesRoot, keyPath, &key) != kSuccess) return {};
  std::vector<std::uint8_t> data(1024);
  std::uint32_t size = static_cast<std::uint32_t>(data.size());
  std::uint32_t type = 0;
  const RegStatus status = registry.QueryValueEx(key, "", &type, data, &size);
  registry.CloseKey(key);
  if (status != kSuccess) return {};
  data.resize(size);
  return {type, data};
}

TEST_P(RegistrationSuite, FirstStartWritesSixValuesPerTypeInOrder) {
  const std::vector<Write> expected = ExpectedWrites();
  ASSERT_EQ(expected.size(), 36u);
  EXPECT_EQ(Start(), expected);

  // What the registry holds afterwards, read back without the registration's own reader.
  for (const Write& write : expected) {
    const auto [type, data] = ReadDefault(*registry_, write.keyPath);
    EXPECT_EQ(type, kRegSz) << write.keyPath;
    EXPECT_EQ(data, write.data) << write.keyPath;
    if (GetParam().printValues) {
      const std::string text(data.begin(), data.end() - (data.empty() ? 0 : 1));
      std::cout << "HKEY_CLASSES_ROOT\\" << write.keyPath << "  REG_SZ  " << text << "\n";
    }
  }
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_P(RegistrationSuite, SecondStartWritesNothing) {
  ASSERT_EQ(Start().size(), 36u);
  EXPECT_TRUE(Start().empty());
  EXPECT_EQ(ReadDefault(*registry_, "PSM Memory Card\\Shell\\Open\\command").second,
            Text("C:\\Program Files\\Selvane\\Selvane.exe %1"));
}

TEST_P(RegistrationSuite, AnyTextInTheVgsCommandCountsAsRegistered) {
  // Another folder's command, the other five types missing: still nothing is written.
  PutDefault("vgs memory card\\shell\\open\\COMMAND", Text("D:\\Old\\Selvane.exe %1"));
  EXPECT_TRUE(Start().empty());
  EXPECT_EQ(ReadDefault(*registry_, ".mcd").second, std::vector<std::uint8_t>{});
  EXPECT_EQ(ReadDefault(*registry_, std::string(kRegisteredMarkKey)).second, Text("D:\\Old\\Selvane.exe %1"));
}

TEST_P(RegistrationSuite, CommandHoldingOnlyItsNulRegistersAgain) {
  PutDefault(kRegisteredMarkKey, {0});
  EXPECT_EQ(Start(), ExpectedWrites());
}

TEST_P(RegistrationSuite, CommandMustFitTheQueryBuffer) {
  // 254 characters and the NUL fill the 255-byte buffer exactly and count as registered.
  PutDefault(kRegisteredMarkKey, Text(std::string(254, 'x')));
  EXPECT_TRUE(Start().empty());
  // One more does not fit, reads as empty, and the types are registered over it.
  PutDefault(kRegisteredMarkKey, Text(std::string(255, 'x')));
  EXPECT_EQ(Start(), ExpectedWrites());
}

TEST_P(RegistrationSuite, QueryValueReadsTheTextWithoutItsNul) {
  const RegistryContext context{*registry_, messages_, std::string(kFolder)};
  PutDefault(".mcr", Text("PSEmu Memory Card"));
  EXPECT_EQ(QueryValue(context, kClassesRoot, ".MCR", ""), "PSEmu Memory Card");
  EXPECT_EQ(QueryValue(context, kClassesRoot, ".mcr", "no such value"), "");
  EXPECT_EQ(QueryValue(context, kClassesRoot, "DexDrive Memory Card", ""), "");
  PutDefault(".mcr", Text("two", 2));  // the size decides, not the first NUL
  EXPECT_EQ(QueryValue(context, kClassesRoot, ".mcr", ""), std::string("two\0", 4));
}

TEST_P(RegistrationSuite, ValueLargerThanTheBufferGivesMoreDataAndItsSize) {
  PutDefault(".gme", Text("DexDrive Memory Card"));
  RegKey key = 0;
  ASSERT_EQ(registry_->OpenKey(kClassesRoot, ".gme", &key), kSuccess);
  std::vector<std::uint8_t> data(32);
  std::uint32_t size = 5;
  EXPECT_EQ(registry_->QueryValueEx(key, "", nullptr, data, &size), kMoreData);
  EXPECT_EQ(size, 21u);
  size = 21;
  std::uint32_t type = 0;
  EXPECT_EQ(registry_->QueryValueEx(key, "", &type, data, &size), kSuccess);
  EXPECT_EQ(std::vector<std::uint8_t>(data.begin(), data.begin() + size), Text("DexDrive Memory Card"));
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(registry_->CloseKey(key), kSuccess);
}

TEST_P(RegistrationSuite, OpeningAMissingKeyFailsAndCreatingMakesItsParents) {
  RegKey key = 0;
  EXPECT_EQ(registry_->OpenKey(kClassesRoot, "Bleem Memory Card", &key), kFileNotFound);
  EXPECT_EQ(registry_->OpenKeyEx(kClassesRoot, "Bleem Memory Card", 0, kWriteAccess, &key), kFileNotFound);
  ASSERT_EQ(registry_->CreateKey(kClassesRoot, "Bleem Memory Card\\Shell\\Open", &key), kSuccess);
  EXPECT_EQ(registry_->CloseKey(key), kSuccess);
  ASSERT_EQ(registry_->OpenKeyEx(kClassesRoot, "BLEEM MEMORY CARD", 0, kWriteAccess, &key), kSuccess);
  // A new key has no default value yet.
  std::vector<std::uint8_t> data(8);
  std::uint32_t size = 8;
  EXPECT_EQ(registry_->QueryValueEx(key, "", nullptr, data, &size), kFileNotFound);
  EXPECT_EQ(registry_->CloseKey(key), kSuccess);
}

}  // namespace
}  // namespace selvane::shell::testing
