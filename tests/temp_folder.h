// The fixture of the tests that work on real files: a folder of the test's own in the temporary
// folder, removed after the test, with the whole folder's contents at hand for comparison (a
// refused write leaves every file as it was).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "core/file_io.h"

namespace selvane::testkit {

class TempFolder : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(std::filesystem::create_directories(files_)); }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (files_ / name).string(); }
  std::string Put(const std::string& name, Bytes bytes) const {
    EXPECT_TRUE(WriteFileAtomic(Path(name), bytes).ok) << name;
    return Path(name);
  }
  std::string Put(const std::string& name, const CardImage& bytes) const { return Put(name, Bytes(bytes)); }
  CardImage Get(const std::string& name) const { return ReadCardFile(Path(name)).bytes; }
  // Every name in the folder with its bytes (none for a folder).
  std::map<std::string, CardImage> Folder() const {
    std::map<std::string, CardImage> files;
    for (const auto& entry : std::filesystem::directory_iterator(files_))
      files[entry.path().filename().string()] = ReadCardFile(entry.path().string()).bytes;
    return files;
  }

  const std::filesystem::path dir_ =
      std::filesystem::temp_directory_path() / ("selvane-test-" + std::to_string(std::random_device{}()));
  // The test's files; beside this folder, dir_ has room for what is no part of them.
  const std::filesystem::path files_ = dir_ / "files";
};

}  // namespace selvane::testkit
