#include "core/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "core/ascii.h"

namespace selvane {
namespace fs = std::filesystem;
namespace {

fs::path ToPath(std::string_view path) { return fs::path(std::string(path)); }

detail::WriteStepObserver writeStepObserver = nullptr;

void Step(std::string_view step) {
  if (writeStepObserver) writeStepObserver(step);
}

// Forces a file's written data to the disk. The standard library has no call for this, so it is
// the one system call of the writer.
int SystemSync(int descriptor) {
#if defined(_WIN32)
  return _commit(descriptor);
#else
  return fsync(descriptor);
#endif
}

detail::SyncCall syncCall = SystemSync;

// Forces the written data to the disk before the rename makes it the card file.
bool SyncToDisk(std::FILE* file) {
#if defined(_WIN32)
  const bool synced = syncCall(_fileno(file)) == 0;
#else
  const bool synced = syncCall(fileno(file)) == 0;
#endif
  if (synced) Step("sync");
  return synced;
}

std::string SystemReason(int error) { return std::generic_category().message(error); }

constexpr const char* kTooLargeReason = "file is larger than 16 MiB, too large for a memory card";
constexpr const char* kNotRegularReason = "not a regular file";

// A card path that is a symbolic link (a card kept elsewhere and linked into an emulator's folder)
// is saved through the link: the file it points to is replaced and the link stays.
fs::path ThroughLinks(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_symlink(fs::symlink_status(path, ec)) || ec) return path;
  const fs::path resolved = fs::weakly_canonical(path, ec);
  return ec ? path : resolved;
}

// Whether this process may write the existing file itself. The rename would replace a read-only
// file wherever its folder is writable (and the superuser passes every permission check), so a file
// without any write permission bit, or one this user may not write, is refused.
bool MayWrite(const fs::path& path, fs::perms perms, int& error) {
  constexpr fs::perms kAnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  if ((perms & kAnyWrite) == fs::perms::none) {
    error = EACCES;
    return false;
  }
#if !defined(_WIN32)
  if (access(path.c_str(), W_OK) != 0) {
    error = errno;
    return false;
  }
#else
  (void)path;
#endif
  return true;
}

// A temporary name next to the target that no other file has, e.g. ".card.mcr.3f9a1c.tmp". The
// card's own name is cut to kKeptNameBytes (never inside a UTF-8 sequence), so that the temporary
// name fits wherever the card's name does, even one at the file system's 255-byte limit.
constexpr std::size_t kKeptNameBytes = 200;

fs::path TemporaryNameFor(const fs::path& target) {
  static std::mt19937_64 generator{std::random_device{}()};
  char suffix[17];
  std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(generator()));
  std::string kept = target.filename().string();
  if (kept.size() > kKeptNameBytes) {
    std::size_t cut = kKeptNameBytes;
    while (cut > 0 && (static_cast<unsigned char>(kept[cut]) & 0xC0) == 0x80) --cut;
    kept.resize(cut);
  }
  std::string name = ".";
  name += kept;
  name += '.';
  name += suffix;
  name += ".tmp";
  fs::path path = target;
  path.replace_filename(name);
  return path;
}

}  // namespace

void detail::ObserveWriteSteps(WriteStepObserver observer) { writeStepObserver = observer; }
detail::SyncCall detail::SystemSyncCall() { return SystemSync; }
void detail::ReplaceSyncCall(SyncCall call) { syncCall = call ? call : SystemSync; }

bool FileExists(std::string_view path) {
  if (path.empty()) return false;
  std::error_code ec;
  const fs::path p = ToPath(path);
  if (!fs::is_regular_file(p, ec) || ec) return false;
  const auto size = fs::file_size(p, ec);
  return !ec && size >= 1;
}

namespace {

ReadResult Unreadable(std::string reason) {
  ReadResult result;
  result.reason = std::move(reason);
  return result;
}

// Why the file at `p` is not read as a card (empty when it is read), with its size.
std::string ReadProblem(const fs::path& p, std::uintmax_t& size) {
  std::error_code ec;
  const auto st = fs::status(p, ec);
  if (ec || !fs::exists(st)) return ec ? ec.message() : SystemReason(ENOENT);
  if (fs::is_directory(st)) return SystemReason(EISDIR);
  if (!fs::is_regular_file(st)) return kNotRegularReason;
  size = fs::file_size(p, ec);
  if (ec) return ec.message();
  if (size > kMaxCardFileSize) return kTooLargeReason;
  return {};
}

// Reads the open `file` whose size was `size` when it was looked at.
ReadResult ReadOpenFile(std::FILE* file, std::uintmax_t size) {
  CardImage bytes(static_cast<std::size_t>(size));
  std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  // The file may have grown after its size was taken (an emulator writing it): take the rest too,
  // but never hold more than the limit, and refuse the file once it passes it.
  std::uint8_t extra[4096];
  while (got == bytes.size()) {
    const std::size_t more = std::fread(extra, 1, sizeof extra, file);
    if (more == 0) break;
    if (bytes.size() + more > kMaxCardFileSize) return Unreadable(kTooLargeReason);
    if (bytes.size() + more > bytes.capacity()) {
      bytes.reserve(std::min<std::size_t>(kMaxCardFileSize, std::max(bytes.capacity() * 2, bytes.size() + more)));
    }
    bytes.insert(bytes.end(), extra, extra + more);
    got = bytes.size();
  }
  if (std::ferror(file) != 0) return Unreadable(SystemReason(errno));
  bytes.resize(got);
  ReadResult result;
  result.ok = true;
  result.bytes = std::move(bytes);
  return result;
}

// Why `target` may not be replaced (empty when it may); `exists` tells whether it is there now.
std::string WriteProblem(const fs::path& target, const fs::file_status& st, bool exists) {
  if (!exists) return {};
  if (fs::is_directory(st)) return SystemReason(EISDIR);
  // A pipe, device or socket is no card file; renaming over it would replace it with one.
  if (!fs::is_regular_file(st)) return kNotRegularReason;
  if (int error = 0; !MayWrite(target, st.permissions(), error))
    return error == EACCES ? "the file is read-only" : SystemReason(error);
  return {};
}

// Writes `content` to the new file `temporary`, flushed and synced to the disk and closed; the
// system's error number on failure (the file is then removed), 0 when done.
int WriteTemporary(const fs::path& temporary, Bytes content) {
  // "x" refuses to reuse an existing name; older Windows runtimes lack it, and there the random
  // name alone keeps the temporary file apart.
#if defined(_WIN32)
  std::FILE* file = std::fopen(temporary.string().c_str(), "wb");
#else
  std::FILE* file = std::fopen(temporary.string().c_str(), "wbx");
#endif
  if (!file) return errno ? errno : EIO;
  const auto fail = [&](int error) {
    if (file) std::fclose(file);
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return error ? error : EIO;
  };
  errno = 0;
  if (!content.empty() && std::fwrite(content.data(), 1, content.size(), file) != content.size()) return fail(errno);
  Step("write");
  if (std::fflush(file) != 0) return fail(errno);
  Step("flush");
  if (!SyncToDisk(file)) return fail(errno);
  const int closed = std::fclose(file);
  file = nullptr;
  return closed != 0 ? fail(errno) : 0;
}

}  // namespace

ReadResult ReadCardFile(std::string_view path) {
  const fs::path p = ToPath(path);
  std::uintmax_t size = 0;
  if (std::string problem = ReadProblem(p, size); !problem.empty()) return Unreadable(std::move(problem));
  std::FILE* file = std::fopen(p.string().c_str(), "rb");
  if (!file) return Unreadable(SystemReason(errno));
  ReadResult result = ReadOpenFile(file, size);
  std::fclose(file);
  return result;
}

WriteResult WriteFileAtomic(std::string_view path, Bytes content) {
  WriteResult result;
  if (path.empty()) {
    result.reason = SystemReason(ENOENT);
    return result;
  }
  std::error_code ec;
  const fs::path target = ThroughLinks(ToPath(path));
  const auto st = fs::status(target, ec);
  const bool exists = !ec && fs::exists(st);
  result.reason = WriteProblem(target, st, exists);
  if (!result.reason.empty()) return result;

  const fs::path temporary = TemporaryNameFor(target);
  if (const int error = WriteTemporary(temporary, content); error != 0) {
    result.reason = SystemReason(error);
    return result;
  }
  if (exists) fs::permissions(temporary, st.permissions(), ec);  // keep the card's own permissions
  fs::rename(temporary, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    result.reason = SystemReason(ec.value());
    return result;
  }
  Step("rename");
  result.ok = true;
  return result;
}

}  // namespace selvane

namespace selvane {

std::optional<FileStamp> StampOf(std::string_view path) {
  std::error_code ec;
  const fs::path p = ToPath(path);
  if (!fs::is_regular_file(p, ec) || ec) return std::nullopt;
  FileStamp stamp;
  const fs::path absolute = fs::absolute(p, ec);
  if (ec) return std::nullopt;
  const fs::path resolved = fs::weakly_canonical(absolute, ec);
  stamp.location = (ec ? absolute.lexically_normal() : resolved).generic_string();
#if defined(_WIN32)
  stamp.location = AsciiLower(stamp.location);
#else
  struct stat info {};
  if (stat(p.c_str(), &info) != 0) return std::nullopt;
  stamp.identity = std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
#endif
  stamp.size = fs::file_size(p, ec);
  if (ec) return std::nullopt;
  const auto time = fs::last_write_time(p, ec);
  if (ec) return std::nullopt;
  stamp.modified = static_cast<long long>(time.time_since_epoch().count());
  return stamp;
}

bool SameFile(const FileStamp& a, const FileStamp& b) {
  return (!a.identity.empty() && a.identity == b.identity) || a.location == b.location;
}

}  // namespace selvane
