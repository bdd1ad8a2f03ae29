// The PS3 Memory Card Adaptor on USB: each request is AA 42, a 16-bit length (least significant
// byte first) and the bytes to clock to the card; the answer is 55 5A, the same length and the
// bytes that came back from the card. The card's own read and write commands travel inside.
#include <algorithm>

#include "device/readers.h"

namespace selvane::device {
namespace {

constexpr std::uint8_t kRequest = 0xAA;
constexpr std::uint8_t kClockBytes = 0x42;
constexpr std::uint8_t kCardType = 0x40;
constexpr std::uint8_t kAnswer = 0x55;
constexpr std::uint8_t kAnswerGood = 0x5A;
constexpr std::uint8_t kPs1Card = 0x01;
constexpr std::size_t kRequestHead = 4;  // AA 42 and the length
constexpr std::size_t kAnswerHead = 4;   // 55 5A and the length

// The card's commands: 81 52 (read) or 81 57 (write), two zeros, MSB, LSB.
constexpr std::uint8_t kCardSelect = 0x81;
constexpr std::uint8_t kCardRead = 0x52;
constexpr std::uint8_t kCardWrite = 0x57;
constexpr std::size_t kCardMsb = 4;
constexpr std::size_t kCardLsb = 5;
constexpr std::size_t kCardCommandHead = 6;
constexpr std::uint8_t kEndGood = 0x47;
constexpr std::uint8_t kEndBadChecksum = 0x4E;
constexpr std::uint8_t kEndBadSector = 0xFF;

// Read: 140 bytes clocked; the answer holds the data at 14, its checksum and the end byte after it.
constexpr std::size_t kReadLength = 0x8C;
constexpr std::size_t kReadData = 14;
constexpr std::size_t kReadChecksum = kReadData + kFrameSize;
constexpr std::size_t kReadEnd = kReadChecksum + 1;
static_assert(kReadEnd + 1 == kAnswerHead + kReadLength);
// Write: the card command, the data, its checksum and three bytes that clock out the acknowledge
// and the end byte, which is the last byte of the answer.
constexpr std::size_t kWriteLength = 0x8A;
constexpr std::size_t kWriteChecksum = kCardCommandHead + kFrameSize;
static_assert(kWriteChecksum + 1 + 3 == kWriteLength);

std::uint8_t Msb(std::uint16_t frame) { return static_cast<std::uint8_t>(frame >> 8); }
std::uint8_t Lsb(std::uint16_t frame) { return static_cast<std::uint8_t>(frame & 0xFF); }

class Ps3Mca : public Protocol {
 public:
  using Protocol::Protocol;
  ReaderKind Kind() const override { return ReaderKind::Ps3Mca; }

  Identity Identify() override {
    transport_.Drain();
    const std::uint8_t ask[] = {kRequest, kCardType};
    std::uint8_t answer[2] = {};
    if (transport_.Write(ask) != IoStatus::Ok || transport_.ReadExact(answer, timing_.answer) != IoStatus::Ok ||
        answer[0] != kAnswer)
      return {false, Kind(), 0, "the PS3 Memory Card Adaptor does not answer"};
    if (answer[1] != kPs1Card) return {false, Kind(), 0, "no PlayStation card in the PS3 Memory Card Adaptor"};
    return {true, Kind(), 0, {}};
  }

  FrameStatus ReadFrame(std::uint16_t frame, Frame& out) override {
    std::uint8_t request[kRequestHead + kReadLength] = {};
    Request(request, kReadLength, kCardRead, frame);
    std::uint8_t answer[kAnswerHead + kReadLength];
    if (const FrameStatus status = Exchange(request, answer); status != FrameStatus::Ok) return status;
    const Bytes data(answer + kReadData, kFrameSize);
    if (const FrameStatus end = EndStatus(answer[kReadEnd]); end != FrameStatus::Ok) return end;
    if (answer[kReadChecksum] != static_cast<std::uint8_t>(Msb(frame) ^ Lsb(frame) ^ XorOf(data)))
      return FrameStatus::BadChecksum;
    std::copy(data.begin(), data.end(), out.begin());
    return FrameStatus::Ok;
  }

  FrameStatus WriteFrame(std::uint16_t frame, const Frame& data) override {
    std::uint8_t request[kRequestHead + kWriteLength] = {};
    Request(request, kWriteLength, kCardWrite, frame);
    std::copy(data.begin(), data.end(), request + kRequestHead + kCardCommandHead);
    request[kRequestHead + kWriteChecksum] = static_cast<std::uint8_t>(Msb(frame) ^ Lsb(frame) ^ XorOf(data));
    std::uint8_t answer[kAnswerHead + kWriteLength];
    if (const FrameStatus status = Exchange(request, answer); status != FrameStatus::Ok) return status;
    return EndStatus(answer[sizeof answer - 1]);
  }

 private:
  static void Request(std::span<std::uint8_t> request, std::size_t length, std::uint8_t command, std::uint16_t frame) {
    request[0] = kRequest;
    request[1] = kClockBytes;
    WriteLe16(request, 2, static_cast<std::uint16_t>(length));
    request[kRequestHead] = kCardSelect;
    request[kRequestHead + 1] = command;
    request[kRequestHead + kCardMsb] = Msb(frame);
    request[kRequestHead + kCardLsb] = Lsb(frame);
  }

  FrameStatus Exchange(Bytes request, MutableBytes answer) {
    transport_.Drain();
    if (transport_.Write(request) != IoStatus::Ok) return FrameStatus::Gone;
    if (const IoStatus io = transport_.ReadExact(answer, timing_.answer); io != IoStatus::Ok) return FromIo(io);
    if (answer[0] != kAnswer) return FrameStatus::Garbled;
    // The adaptor could not talk to a card: none is in its slot.
    if (answer[1] != kAnswerGood) return FrameStatus::NoCard;
    if (ReadLe16(answer, 2) != request.size() - kRequestHead) return FrameStatus::Garbled;
    return FrameStatus::Ok;
  }

  static FrameStatus EndStatus(std::uint8_t end) {
    switch (end) {
      case kEndGood:
        return FrameStatus::Ok;
      case kEndBadChecksum:
        return FrameStatus::BadChecksum;
      case kEndBadSector:
        return FrameStatus::BadSector;
      default:
        return FrameStatus::Garbled;
    }
  }
};

}  // namespace

std::unique_ptr<Protocol> MakePs3Mca(Transport& transport, Timing timing) {
  return std::make_unique<Ps3Mca>(transport, timing);
}

}  // namespace selvane::device
