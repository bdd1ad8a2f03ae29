// Whole-file reading and the atomic writer, on real files in a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "core/file_io.h"

namespace selvane {
namespace {
namespace fs = std::filesystem;

class FileIo : public ::testing::Test {
 protected:
  void SetUp() override {
    // A folder of this run's own: other builds on the machine run the same tests at the same time.
    dir_ = fs::temp_directory_path() / ("selvane-fileio-" + std::to_string(std::random_device{}()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, ec);
    fs::remove_all(dir_, ec);
  }
  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
  void Put(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream(PathOf(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<std::uint8_t> Get(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path dir_;
};

TEST_F(FileIo, FileExistsNeedsAtLeastOneByte) {
  Put("empty.mcr", {});
  Put("one.mcr", {7});
  EXPECT_FALSE(FileExists(PathOf("empty.mcr")));
  EXPECT_TRUE(FileExists(PathOf("one.mcr")));
  EXPECT_FALSE(FileExists(PathOf("missing.mcr")));
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(FileExists(dir_.string()));
  EXPECT_FALSE(FileExists("\"" + PathOf("one.mcr") + "\""));  // a quoted path names no file
}

TEST_F(FileIo, ReadsWholeFileOfAnyLength) {
  const std::vector<std::uint8_t> bytes = {1, 2, 3, 0, 5};
  Put("odd.gme", bytes);
  const ReadResult read = ReadCardFile(PathOf("odd.gme"));
  ASSERT_TRUE(read.ok) << read.reason;
  EXPECT_EQ(read.bytes, bytes);
}

TEST_F(FileIo, ReadRefusesFoldersAndMissingFiles) {
  ReadResult read = ReadCardFile(dir_.string());
  EXPECT_FALSE(read.ok);
  EXPECT_TRUE(read.bytes.empty());
  EXPECT_FALSE(read.reason.empty());
  read = ReadCardFile(PathOf("missing.mcr"));
  EXPECT_FALSE(read.ok);
  EXPECT_FALSE(read.reason.empty());
}

TEST_F(FileIo, ReadRefusesFilesOverSixteenMebibytesWithoutReadingThem) {
  { std::ofstream(PathOf("huge.mcr"), std::ios::binary); }
  fs::resize_file(PathOf("huge.mcr"), kMaxCardFileSize + 1);  // sparse: no data is stored
  const ReadResult read = ReadCardFile(PathOf("huge.mcr"));
  EXPECT_FALSE(read.ok);
  EXPECT_TRUE(read.bytes.empty());
  EXPECT_NE(read.reason.find("16 MiB"), std::string::npos);
}

TEST_F(FileIo, AtomicWriteReplacesWholeFileAndLeavesNoTemporary) {
  Put("card.mcr", std::vector<std::uint8_t>(1000, 0xEE));
  const std::vector<std::uint8_t> content = {'M', 'C', 1, 2, 3};
  const WriteResult written = WriteFileAtomic(PathOf("card.mcr"), content);
  ASSERT_TRUE(written.ok) << written.reason;
  EXPECT_EQ(Get("card.mcr"), content);  // no byte of the longer old file survives
  EXPECT_EQ(Names(), std::vector<std::string>{"card.mcr"});

  ASSERT_TRUE(WriteFileAtomic(PathOf("new.mem"), content).ok);
  EXPECT_EQ(Get("new.mem"), content);
}

TEST_F(FileIo, FailedWritesChangeNothing) {
  const std::vector<std::uint8_t> old = {1, 2, 3};
  const std::vector<std::uint8_t> content = {4, 5, 6, 7};

  WriteResult written = WriteFileAtomic(PathOf("no/such/folder/card.mcr"), content);
  EXPECT_FALSE(written.ok);
  EXPECT_FALSE(written.reason.empty());

  fs::create_directory(dir_ / "folder.mcr");
  written = WriteFileAtomic(PathOf("folder.mcr"), content);
  EXPECT_FALSE(written.ok);
  EXPECT_TRUE(fs::is_directory(dir_ / "folder.mcr"));

  Put("locked.mcr", old);
  fs::permissions(PathOf("locked.mcr"), fs::perms::owner_read | fs::perms::group_read);
  written = WriteFileAtomic(PathOf("locked.mcr"), content);
  EXPECT_FALSE(written.ok);
  EXPECT_EQ(written.reason, "the file is read-only");
  EXPECT_EQ(Get("locked.mcr"), old);

  EXPECT_EQ(Names(), (std::vector<std::string>{"folder.mcr", "locked.mcr"}));
}

TEST_F(FileIo, AtomicWriteKeepsTheCardsPermissions) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows files have a read-only flag, not permission bits";
#endif
  Put("private.mcr", {1});
  fs::permissions(PathOf("private.mcr"), fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(WriteFileAtomic(PathOf("private.mcr"), std::vector<std::uint8_t>{2, 3}).ok);
  EXPECT_EQ(fs::status(PathOf("private.mcr")).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(FileIo, StampNoticesARewrite) {
  Put("card.mcr", {1, 2});
  const auto before = StampOf(PathOf("card.mcr"));
  ASSERT_TRUE(before);
  Put("card.mcr", {1, 2, 3});
  EXPECT_NE(StampOf(PathOf("card.mcr")), before);
  EXPECT_FALSE(StampOf(PathOf("missing.mcr")));
}

}  // namespace
}  // namespace selvane
