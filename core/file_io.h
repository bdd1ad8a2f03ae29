// Whole-file reading of card files and the atomic writer that replaces them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "core/card.h"

namespace selvane {

// True when `path` names a file whose length is at least one byte. Any failure to get the length
// (no such file, an empty or invalid path, a folder, a pipe or device) gives false.
bool FileExists(std::string_view path);

struct ReadResult {
  bool ok = false;
  CardImage bytes;     // the whole file when ok; empty otherwise
  std::string reason;  // why the file could not be read, when !ok
};

// Reads a whole card file. Anything but a regular file, and any file over kMaxCardFileSize
// (16 MiB), is refused without reading it; the result is then empty with a reason.
ReadResult ReadCardFile(std::string_view path);

struct WriteResult {
  bool ok = false;
  std::string reason;  // the system's reason, when !ok
};

// Replaces the file at `path` with exactly `content`: a temporary file is written next to it,
// flushed to disk and renamed over the target. On failure the old file is byte-identical and no
// temporary file is left behind. A read-only target or a folder is refused.
WriteResult WriteFileAtomic(std::string_view path, Bytes content);

}  // namespace selvane

namespace selvane {

// Size and modification time of a file, to notice when another program rewrote it.
struct FileStamp {
  std::uintmax_t size = 0;
  long long modified = 0;  // file clock ticks
  bool operator==(const FileStamp&) const = default;
};

// The stamp of a regular file, or nullopt when it cannot be read.
std::optional<FileStamp> StampOf(std::string_view path);

}  // namespace selvane
