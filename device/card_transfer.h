// Reading and writing a whole card over any reader's protocol: every frame checked, a frame that
// fails in a way that asking again may mend tried three times, progress reported after each frame,
// and a stop flag honoured after the frame in flight.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/card.h"
#include "device/protocol.h"

namespace selvane::device {

// A frame is tried this many times in all before the operation gives up.
inline constexpr int kTries = 3;

// Called after each frame: frames done so far and the frames this step handles.
using ProgressFn = std::function<void(std::size_t done, std::size_t total)>;

struct CardResult {
  bool ok = false;
  bool stopped = false;                // the stop flag ended it (ok is then false)
  CardImage card;                      // ReadCard: the raw card, only when ok
  std::vector<std::uint16_t> written;  // WriteCard: frames written and read back right, in order
  std::size_t toWrite = 0;             // WriteCard: frames that differed (all with `all`)
  std::optional<std::uint16_t> failedFrame;
  std::string message;  // "frame 17: bad checksum after 3 tries", when !ok
};

// Reads frames 0..1023. ok only when every frame came with a good checksum and status; on any
// failure `card` is empty and `message` names the frame and the reason.
CardResult ReadCard(Protocol& protocol, const ProgressFn& progress, const std::atomic<bool>* stop);

// Writes `target` (a raw card of 131072 bytes) over the physical card whose frames `current` holds
// (read just before): only the frames that differ, or every frame with `all`. Each written frame
// is read back and compared; one that does not read back right is written again (three tries in
// all). A wrong-sized `target` or `current` is refused before anything is written.
CardResult WriteCard(Protocol& protocol, Bytes target, Bytes current, bool all, const ProgressFn& progress,
                     const std::atomic<bool>* stop);

// "0-3, 17, 64-127": frame numbers (ascending) as ranges, for messages; "none" when empty.
std::string FrameRanges(const std::vector<std::uint16_t>& frames);

}  // namespace selvane::device
