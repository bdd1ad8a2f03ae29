#include "core/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace selvane {
namespace fs = std::filesystem;
namespace {

fs::path ToPath(std::string_view path) { return fs::path(std::string(path)); }

// Forces the written data to the disk before the rename makes it the card file. The standard
// library has no call for this, so it is the one system call of the writer.
bool SyncToDisk(std::FILE* file) {
#if defined(_WIN32)
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

std::string SystemReason(int error) { return std::generic_category().message(error); }

// A temporary name next to the target that no other file has, e.g. ".card.mcr.3f9a1c.tmp".
fs::path TemporaryNameFor(const fs::path& target) {
  static std::mt19937_64 generator{std::random_device{}()};
  char suffix[17];
  std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(generator()));
  std::string name = ".";
  name += target.filename().string();
  name += '.';
  name += suffix;
  name += ".tmp";
  fs::path path = target;
  path.replace_filename(name);
  return path;
}

}  // namespace

bool FileExists(std::string_view path) {
  if (path.empty()) return false;
  std::error_code ec;
  const fs::path p = ToPath(path);
  if (!fs::is_regular_file(p, ec) || ec) return false;
  const auto size = fs::file_size(p, ec);
  return !ec && size >= 1;
}

ReadResult ReadCardFile(std::string_view path) {
  ReadResult result;
  std::error_code ec;
  const fs::path p = ToPath(path);
  const auto st = fs::status(p, ec);
  if (ec || !fs::exists(st)) {
    result.reason = ec ? ec.message() : SystemReason(ENOENT);
    return result;
  }
  if (fs::is_directory(st)) {
    result.reason = SystemReason(EISDIR);
    return result;
  }
  if (!fs::is_regular_file(st)) {
    result.reason = "not a regular file";
    return result;
  }
  const auto size = fs::file_size(p, ec);
  if (ec) {
    result.reason = ec.message();
    return result;
  }
  if (size > kMaxCardFileSize) {
    result.reason = "file is larger than 16 MiB, too large for a memory card";
    return result;
  }
  std::FILE* file = std::fopen(p.string().c_str(), "rb");
  if (!file) {
    result.reason = SystemReason(errno);
    return result;
  }
  // Read up to the limit even if the file grew after its size was taken.
  CardImage bytes(static_cast<std::size_t>(size));
  std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  std::uint8_t extra[4096];
  while (got == bytes.size() && bytes.size() < kMaxCardFileSize) {
    const std::size_t more = std::fread(extra, 1, sizeof extra, file);
    if (more == 0) break;
    const std::size_t room = static_cast<std::size_t>(kMaxCardFileSize) - bytes.size();
    bytes.insert(bytes.end(), extra, extra + std::min(more, room));
    got = bytes.size();
  }
  const bool failed = std::ferror(file) != 0;
  const int error = errno;
  std::fclose(file);
  if (failed) {
    result.reason = SystemReason(error);
    return result;
  }
  bytes.resize(got);
  result.ok = true;
  result.bytes = std::move(bytes);
  return result;
}

WriteResult WriteFileAtomic(std::string_view path, Bytes content) {
  WriteResult result;
  std::error_code ec;
  const fs::path target = ToPath(path);
  if (path.empty()) {
    result.reason = SystemReason(ENOENT);
    return result;
  }
  const auto st = fs::status(target, ec);
  const bool exists = !ec && fs::exists(st);
  if (exists && fs::is_directory(st)) {
    result.reason = SystemReason(EISDIR);
    return result;
  }
  // The rename would replace a read-only file even where the file itself cannot be written, so
  // the file's own write permission is honoured here.
  if (exists && (st.permissions() & fs::perms::owner_write) == fs::perms::none) {
    result.reason = "the file is read-only";
    return result;
  }

  const fs::path temporary = TemporaryNameFor(target);
  // "x" refuses to reuse an existing name; older Windows runtimes lack it, and there the random
  // name alone keeps the temporary file apart.
#if defined(_WIN32)
  std::FILE* file = std::fopen(temporary.string().c_str(), "wb");
#else
  std::FILE* file = std::fopen(temporary.string().c_str(), "wbx");
#endif
  if (!file) {
    result.reason = SystemReason(errno);
    return result;
  }
  const auto fail = [&](int error) {
    if (file) std::fclose(file);
    std::error_code ignored;
    fs::remove(temporary, ignored);
    result.reason = SystemReason(error);
    return result;
  };
  errno = 0;
  if (!content.empty() && std::fwrite(content.data(), 1, content.size(), file) != content.size()) {
    return fail(errno ? errno : EIO);
  }
  if (std::fflush(file) != 0) return fail(errno ? errno : EIO);
  if (!SyncToDisk(file)) return fail(errno ? errno : EIO);
  const int closed = std::fclose(file);
  file = nullptr;
  if (closed != 0) return fail(errno ? errno : EIO);

  if (exists) fs::permissions(temporary, st.permissions(), ec);  // keep the card's own permissions
  fs::rename(temporary, target, ec);
  if (ec) return fail(ec.value());
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
  stamp.size = fs::file_size(p, ec);
  if (ec) return std::nullopt;
  const auto time = fs::last_write_time(p, ec);
  if (ec) return std::nullopt;
  stamp.modified = static_cast<long long>(time.time_since_epoch().count());
  return stamp;
}

}  // namespace selvane
