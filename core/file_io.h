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

namespace detail {
// Tells `observer` each step of WriteFileAtomic that succeeded ("write", "flush", "sync",
// "rename"), in order: tests check that the new card is on the disk before the rename makes it
// the card file. nullptr, the default, observes nothing.
using WriteStepObserver = void (*)(std::string_view step);
void ObserveWriteSteps(WriteStepObserver observer);
// The call that forces a file descriptor's data to the disk (fsync; _commit on Windows). A test
// puts its own in front of it to see that the writer really makes it, on the temporary file and
// with the whole content written; nullptr puts the system's back.
using SyncCall = int (*)(int descriptor);
SyncCall SystemSyncCall();
void ReplaceSyncCall(SyncCall call);
}  // namespace detail

}  // namespace selvane

namespace selvane {

// Which file a path names, its size and its modification time: to tell whether a save is about to
// replace the very file that was loaded, and whether another program rewrote it meanwhile.
struct FileStamp {
  // The file itself, not the path's text, so that "./card.mcr" and a link to the card name the same
  // file: device and inode on POSIX (empty elsewhere), and the absolute path with links resolved
  // and "." and ".." removed (case folded on Windows).
  std::string identity;
  std::string location;
  std::uintmax_t size = 0;
  long long modified = 0;  // file clock ticks
  bool operator==(const FileStamp&) const = default;
};

// True when two stamps name one file: the same device and inode, or the same resolved location (a
// program that saves by writing a new file and renaming it over the card leaves a new inode there).
bool SameFile(const FileStamp& a, const FileStamp& b);

// The stamp of the regular file `path` names (through links), or nullopt when there is none.
std::optional<FileStamp> StampOf(std::string_view path);

}  // namespace selvane
