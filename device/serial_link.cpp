// MemCARDuino (an Arduino with a card socket) and PS1CardLink (a console running a link program):
// one byte per command, the frame number most significant byte first, and a checksum that is the
// XOR of both frame number bytes and the 128 data bytes.
#include <algorithm>
#include <string_view>
#include <thread>

#include "device/readers.h"

namespace selvane::device {
namespace {

constexpr std::uint8_t kCmdIdentify = 0xA0;
constexpr std::uint8_t kCmdVersion = 0xA1;
constexpr std::uint8_t kCmdRead = 0xA2;
constexpr std::uint8_t kCmdWrite = 0xA3;
constexpr std::uint8_t kCmdSelectSlot = 0xA4;

constexpr std::uint8_t kStatusGood = 0x47;
constexpr std::uint8_t kStatusBadChecksum = 0x4E;
constexpr std::uint8_t kStatusBadSector = 0xFF;

// What a status byte of a read or write answer says about the frame.
FrameStatus StatusOf(std::uint8_t status) {
  switch (status) {
    case kStatusGood:
      return FrameStatus::Ok;
    case kStatusBadChecksum:
      return FrameStatus::BadChecksum;
    case kStatusBadSector:
      return FrameStatus::NoCardOrBadSector;
    default:
      return FrameStatus::Garbled;
  }
}

// Read answer: 128 data bytes, the checksum, the status.
constexpr std::size_t kReadChecksum = kFrameSize;
constexpr std::size_t kReadStatus = kReadChecksum + 1;
constexpr std::size_t kReadAnswerSize = kReadStatus + 1;
// Write command: the command byte, MSB, LSB, 128 data bytes, the checksum; answered by a status.
constexpr std::size_t kWriteMsb = 1;
constexpr std::size_t kWriteLsb = 2;
constexpr std::size_t kWriteData = 3;
constexpr std::size_t kWriteChecksum = kWriteData + kFrameSize;
constexpr std::size_t kWriteCommandSize = kWriteChecksum + 1;
static_assert(kReadAnswerSize == 130 && kWriteCommandSize == 132);

constexpr int kRate = 115200;
constexpr int kOldFirmwareRate = 38400;  // MemCARDuino firmware before version 0x06

constexpr std::string_view kMemCarduinoId = "MCDINO";
constexpr std::string_view kCardLinkId = "PS1CLNK";
static_assert(kCardLinkId.size() == kMemCarduinoId.size() + 1);

std::uint8_t Msb(std::uint16_t frame) { return static_cast<std::uint8_t>(frame >> 8); }
std::uint8_t Lsb(std::uint16_t frame) { return static_cast<std::uint8_t>(frame & 0xFF); }
std::uint8_t FrameChecksumOf(std::uint16_t frame, Bytes data) {
  return static_cast<std::uint8_t>(Msb(frame) ^ Lsb(frame) ^ XorOf(data));
}

bool Same(Bytes bytes, std::string_view text) {
  return std::equal(bytes.begin(), bytes.end(), text.begin(), text.end(),
                    [](std::uint8_t b, char c) { return b == static_cast<std::uint8_t>(c); });
}

class SerialLink : public Protocol {
 public:
  SerialLink(Transport& transport, Timing timing, ReaderKind kind) : Protocol(transport, timing), kind_(kind) {}
  ReaderKind Kind() const override { return kind_; }

  Identity Identify() override {
    // A board that resets when its port opens says nothing until it has started: ask again and
    // again until it answers or the wake-up time is over; then try the old firmware's rate.
    std::optional<ReaderKind> found = AskUntil(timing_.wakeUp);
    if (!found && kind_ == ReaderKind::MemCarduino && transport_.SetRate(kOldFirmwareRate)) {
      found = AskUntil(timing_.answer);
      if (!found) transport_.SetRate(kRate);
    }
    if (!found) return {false, kind_, 0, "no MemCARDuino or PS1CardLink answers"};
    kind_ = *found;
    transport_.Drain();
    const std::uint8_t ask[] = {kCmdVersion};
    std::uint8_t version[1] = {};
    if (transport_.Write(ask) != IoStatus::Ok || transport_.ReadExact(version, timing_.answer) != IoStatus::Ok)
      return {false, kind_, 0, std::string(KindName(kind_)) + " did not tell its version"};
    return {true, kind_, version[0], {}};
  }

  FrameStatus ReadFrame(std::uint16_t frame, Frame& out) override {
    transport_.Drain();
    const std::uint8_t command[] = {kCmdRead, Msb(frame), Lsb(frame)};
    if (transport_.Write(command) != IoStatus::Ok) return FrameStatus::Gone;
    std::uint8_t answer[kReadAnswerSize];
    if (const IoStatus io = transport_.ReadExact(answer, timing_.answer); io != IoStatus::Ok) return FromIo(io);
    const Bytes data(answer, kFrameSize);
    if (const FrameStatus status = StatusOf(answer[kReadStatus]); status != FrameStatus::Ok) return status;
    if (answer[kReadChecksum] != FrameChecksumOf(frame, data)) return FrameStatus::BadChecksum;
    std::copy(data.begin(), data.end(), out.begin());
    return FrameStatus::Ok;
  }

  FrameStatus WriteFrame(std::uint16_t frame, const Frame& data) override {
    transport_.Drain();
    std::uint8_t command[kWriteCommandSize];
    command[0] = kCmdWrite;
    command[kWriteMsb] = Msb(frame);
    command[kWriteLsb] = Lsb(frame);
    std::copy(data.begin(), data.end(), command + kWriteData);
    command[kWriteChecksum] = FrameChecksumOf(frame, data);
    // The firmware gives the data a short time to arrive: the command goes as one packet.
    if (transport_.Write(command) != IoStatus::Ok) return FrameStatus::Gone;
    std::uint8_t status[1];
    if (const IoStatus io = transport_.ReadExact(status, timing_.answer); io != IoStatus::Ok) return FromIo(io);
    return StatusOf(status[0]);
  }

  bool SelectCard(int slot) override {
    if (kind_ != ReaderKind::Ps1CardLink) return slot == 0;
    if (slot != 0 && slot != 1) return false;
    const std::uint8_t command[] = {kCmdSelectSlot, static_cast<std::uint8_t>(slot)};
    return transport_.Write(command) == IoStatus::Ok;
  }

 private:
  // One "who are you" after another until `span` is over; which of the two answered, if any.
  std::optional<ReaderKind> AskUntil(Millis span) {
    const auto deadline = std::chrono::steady_clock::now() + span;
    do {
      transport_.Drain();
      const std::uint8_t ask[] = {kCmdIdentify};
      if (transport_.Write(ask) != IoStatus::Ok) return std::nullopt;
      std::uint8_t id[kCardLinkId.size()] = {};
      const IoStatus io = transport_.ReadExact(std::span(id, kMemCarduinoId.size()), timing_.probe);
      if (io == IoStatus::Gone) return std::nullopt;
      if (io == IoStatus::Ok && Same(std::span(id, kMemCarduinoId.size()), kMemCarduinoId))
        return ReaderKind::MemCarduino;
      if (io == IoStatus::Ok && Same(std::span(id, kMemCarduinoId.size()), kCardLinkId.substr(0, 6)) &&
          transport_.ReadExact(std::span(id + kMemCarduinoId.size(), 1), timing_.probe) == IoStatus::Ok &&
          Same(id, kCardLinkId))
        return ReaderKind::Ps1CardLink;
      // Not an answer of ours: let a resetting board finish its start before asking again.
      if (io == IoStatus::Ok) std::this_thread::sleep_for(timing_.probe);
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
  }

  ReaderKind kind_;
};

}  // namespace

std::unique_ptr<Protocol> MakeMemCarduino(Transport& transport, Timing timing) {
  return std::make_unique<SerialLink>(transport, timing, ReaderKind::MemCarduino);
}
std::unique_ptr<Protocol> MakePs1CardLink(Transport& transport, Timing timing) {
  return std::make_unique<SerialLink>(transport, timing, ReaderKind::Ps1CardLink);
}

}  // namespace selvane::device
