// The card readers Selvane speaks to, and what every reader's protocol offers: asking the reader
// who it is, reading one 128-byte frame of the card and writing one. Each protocol turns these
// into bytes on its transport and checks every answer (checksum, status) before trusting it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/layout.h"
#include "device/transport.h"

namespace selvane::device {

// A whole card is frames 0 to 1023.
inline constexpr std::size_t kFrameCount = kRawCardSize / kFrameSize;
static_assert(kFrameCount == 1024);
using Frame = std::array<std::uint8_t, kFrameSize>;

enum class ReaderKind { MemCarduino, Ps1CardLink, DexDrive, Ps3Mca };
inline constexpr ReaderKind kAllReaderKinds[] = {ReaderKind::MemCarduino, ReaderKind::Ps1CardLink, ReaderKind::DexDrive,
                                                 ReaderKind::Ps3Mca};

// "memcarduino", "ps1cardlink", "dexdrive", "ps3mca": the names --reader takes.
std::string_view KindKey(ReaderKind kind);
// The product's name, for messages.
std::string_view KindName(ReaderKind kind);
std::optional<ReaderKind> KindFromKey(std::string_view key);

// How long each wait on a reader may last. The defaults suit real readers; tests shorten them so
// that a silent reader is given up on quickly.
struct Timing {
  Millis answer{1000};  // one answer (a frame, a status)
  Millis wakeUp{2000};  // a board that resets when its port opens answers within this
  Millis probe{200};    // each "who are you" while waiting for such a board
};
// The same proportions with `answer` as the time-out of one answer.
Timing ScaledTiming(Millis answer);
// The waits both front ends use: the reader's own, or all scaled from SELVANE_READER_TIMEOUT_MS
// (milliseconds for an answer) when it is set, as the tests' silent readers need.
Timing TimingFromEnvironment();

// What became of one frame read or written.
enum class FrameStatus {
  Ok,
  BadChecksum,        // the answer's checksum did not match (or the reader saw a bad one): ask again
  NoAnswer,           // no whole answer in time: ask again
  Garbled,            // an answer that is none of the protocol's: ask again
  WriteError,         // the reader said the write failed: try again
  BadSector,          // the card refused the frame
  NoCard,             // no card in the reader
  NoCardOrBadSector,  // the reader's one status for both
  Gone,               // the reader went away
};
// Whether asking again may help.
bool Retryable(FrameStatus status);
// "bad checksum", "no answer in time", "no card", ...
std::string_view Describe(FrameStatus status);

struct Identity {
  bool ok = false;
  ReaderKind kind = ReaderKind::MemCarduino;
  int version = 0;      // firmware version byte, where the reader tells it
  std::string message;  // why it did not answer as expected, when !ok
};

class Protocol {
 public:
  Protocol(Transport& transport, Timing timing) : transport_(transport), timing_(timing) {}
  virtual ~Protocol() = default;
  Protocol(const Protocol&) = delete;
  Protocol& operator=(const Protocol&) = delete;

  virtual ReaderKind Kind() const = 0;
  // Asks the reader who it is and gets it ready for frames; waits for a board that resets when
  // its port opens. Not ok when the device gave no answer of this reader kind.
  virtual Identity Identify() = 0;
  // Reads frame `frame` (0..1023) into `out`; `out` is only meaningful when Ok.
  virtual FrameStatus ReadFrame(std::uint16_t frame, Frame& out) = 0;
  virtual FrameStatus WriteFrame(std::uint16_t frame, const Frame& data) = 0;
  // Chooses the console's card slot (0 or 1) where the reader has two; false when this reader has
  // only one and `slot` is not 0.
  virtual bool SelectCard(int slot) { return slot == 0; }

 protected:
  Transport& transport_;
  Timing timing_;
};

// The protocol of `kind` over `transport`.
std::unique_ptr<Protocol> MakeProtocol(ReaderKind kind, Transport& transport, Timing timing);

// A byte with its bit order reversed (DexDrive writes carry the frame number twice, once so).
constexpr std::uint8_t ReverseBits(std::uint8_t b) {
  std::uint8_t r = 0;
  for (int i = 0; i < 8; ++i) r = static_cast<std::uint8_t>(r | (((b >> i) & 1) << (7 - i)));
  return r;
}
static_assert(ReverseBits(0x01) == 0x80 && ReverseBits(0x03) == 0xC0);

}  // namespace selvane::device
