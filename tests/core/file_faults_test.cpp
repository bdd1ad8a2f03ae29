// Reading and writing card files when the file system works against us: a huge sparse file on the
// way in (pipes, devices, folders and unreadable files are refused through selvane-cli's tests);
// the file size limit, a folder this user may not write, a FIFO and a symbolic link on the way out.
// A failed write leaves the old file byte-identical and no temporary file in the folder.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/card.h"
#include "core/file_io.h"
#include "examples/card_builder.h"

namespace selvane {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

std::vector<std::uint8_t> Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Spit(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::set<std::string> Listing(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

// Runs `work` in a child process and returns its exit status (or 128 + signal). Used for the
// limits that must not touch the test process itself: a file size limit, another user id.
int InChild(const std::function<int()>& work) {
  const pid_t pid = fork();
  if (pid == 0) _exit(work());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class FileFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "selvane-io-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    old_ = demo::CardBuilder().AddSave(1, 2, "Old Save", "SLUS-00011").Build(Format::Mcr);
    new_ = demo::CardBuilder().AddSave(3, 1, "New Save", "SLES-00022").Build(Format::Mcr);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }

  // A card file holding the old card, and the folder listing with it in place.
  fs::path OldCard(const std::string& name = "card.mcr") {
    const fs::path path = dir_ / name;
    Spit(path, old_);
    before_ = Listing(dir_);
    return path;
  }
  void ExpectUntouched(const fs::path& path) {
    EXPECT_EQ(Slurp(path), old_) << path;
    EXPECT_EQ(Listing(dir_), before_) << "a temporary file was left in " << dir_;
  }

  fs::path dir_;
  CardImage old_;
  CardImage new_;
  std::set<std::string> before_;
};

// ---- reading ----

TEST_F(FileFaults, SparseFourGibibyteFileIsRefusedWithoutReadingIt) {
  const fs::path path = dir_ / "huge.mcr";
  { std::ofstream touch(path); }
  fs::resize_file(path, std::uintmax_t{4} << 30);  // sparse: no data blocks are written
  EXPECT_TRUE(FileExists(path.string()));          // it has a length, so loading reaches the reader
  // A reader that allocated the file's size first would need 4 GiB here; this one refuses first.
  const int status = InChild([&] {
    if (!kSanitized) {  // the sanitizers' shadow memory counts against the limit
      rlimit limit{std::uintmax_t{256} << 20, std::uintmax_t{256} << 20};
      if (setrlimit(RLIMIT_DATA, &limit) != 0) return 3;
    }
    const ReadResult read = ReadCardFile(path.string());
    return !read.ok && read.bytes.empty() && read.reason.find("16 MiB") != std::string::npos ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
}

// ---- writing ----

TEST_F(FileFaults, WriteCutShortByTheFileSizeLimitLeavesTheOldFile) {
  const fs::path path = OldCard();
  // The limit lies inside the new content: the write stops part-way with EFBIG. SIGXFSZ is
  // ignored so that the writer sees the error instead of the process being killed.
  const int status = InChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{64 * 1024, 64 * 1024};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
    const WriteResult written = WriteFileAtomic(path.string(), new_);
    return !written.ok && written.reason == std::generic_category().message(EFBIG) ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
  ExpectUntouched(path);
}

TEST_F(FileFaults, WriteIntoAFolderWithoutWritePermissionFails) {
  const fs::path path = OldCard();
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec);
  fs::permissions(path, fs::perms::owner_all | fs::perms::others_all);
  // The superuser writes into any folder, so this runs as an ordinary user id.
  const int status = InChild([&] {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 3;
    const WriteResult written = WriteFileAtomic(path.string(), new_);
    return !written.ok && written.reason == std::generic_category().message(EACCES) ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
  fs::permissions(dir_, fs::perms::owner_all);
  ExpectUntouched(path);
}

TEST_F(FileFaults, WriteOverAFifoIsRefusedAndKeepsTheFifo) {
  const fs::path path = dir_ / "pipe.mcr";
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  before_ = Listing(dir_);
  const WriteResult written = WriteFileAtomic(path.string(), new_);
  EXPECT_FALSE(written.ok);
  EXPECT_FALSE(written.reason.empty());
  EXPECT_TRUE(fs::is_fifo(path));
  EXPECT_EQ(Listing(dir_), before_);
}

TEST_F(FileFaults, WriteThroughASymbolicLinkKeepsTheLink) {
  fs::create_directory(dir_ / "store");
  Spit(dir_ / "store" / "real.mcr", old_);
  fs::create_symlink(fs::path("store") / "real.mcr", dir_ / "linked.mcr");
  const WriteResult written = WriteFileAtomic((dir_ / "linked.mcr").string(), new_);
  ASSERT_TRUE(written.ok) << written.reason;
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir_ / "linked.mcr")));
  EXPECT_EQ(Slurp(dir_ / "store" / "real.mcr"), new_);
  EXPECT_EQ(Listing(dir_ / "store"), std::set<std::string>{"real.mcr"});
}

// ---- the stamp that notices a file changed on disk ----

TEST_F(FileFaults, StampNoticesANewModificationTimeAtTheSameSize) {
  const fs::path path = OldCard();
  const auto first = StampOf(path.string());
  ASSERT_TRUE(first);
  EXPECT_EQ(first->size, old_.size());
  EXPECT_EQ(StampOf(path.string()), first);
  fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(5));
  EXPECT_NE(StampOf(path.string()), first);
  EXPECT_FALSE(StampOf(dir_.string()));
}

}  // namespace
}  // namespace selvane
