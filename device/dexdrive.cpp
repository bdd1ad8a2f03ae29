// DexDrive: every command and answer starts with "IAI". The drive must be woken with INIT and the
// magic handshake before it answers anything but POUT. A read names the frame least significant
// byte first; a write names it most significant byte first and again with each byte's bits
// reversed.
#include <algorithm>
#include <string_view>

#include "device/readers.h"

namespace selvane::device {
namespace {

constexpr std::string_view kPrefix = "IAI";
constexpr std::size_t kCode = kPrefix.size();  // the command or answer code follows the prefix
constexpr std::size_t kBody = kCode + 1;

// STATUS (0x01) is not needed: a read answers "no card" itself. Until the handshake every command
// is answered POUT (0x20), which a frame treats as an answer it should not get.
constexpr std::uint8_t kCmdInit = 0x00;
constexpr std::uint8_t kCmdRead = 0x02;
constexpr std::uint8_t kCmdWrite = 0x04;
constexpr std::uint8_t kCmdMagicHandshake = 0x27;

constexpr std::uint8_t kAnsError = 0x21;
constexpr std::uint8_t kAnsNoCard = 0x22;
constexpr std::uint8_t kAnsWriteOk = 0x28;
constexpr std::uint8_t kAnsWriteSame = 0x29;
constexpr std::uint8_t kAnsId = 0x40;
constexpr std::uint8_t kAnsData = 0x41;

// INIT carries 17 bytes the drive does not interpret.
constexpr std::size_t kInitPayload = 17;
// ID answer: prefix, 0x40, one byte, "PSX", the firmware version.
constexpr std::string_view kIdSystem = "PSX";
constexpr std::size_t kIdSystemAt = kBody + 1;
constexpr std::size_t kIdFirmware = kIdSystemAt + kIdSystem.size();
constexpr std::size_t kIdAnswerSize = kIdFirmware + 1;
// Read: prefix, 0x02, LSB, MSB; answer: prefix, 0x41, 128 data bytes, checksum.
constexpr std::size_t kReadCommandSize = kBody + 2;
constexpr std::size_t kReadChecksum = kBody + kFrameSize;
constexpr std::size_t kReadAnswerSize = kReadChecksum + 1;
// Write: prefix, 0x04, MSB, LSB, reversed MSB, reversed LSB, 128 data bytes, checksum.
constexpr std::size_t kWriteData = kBody + 4;
constexpr std::size_t kWriteChecksum = kWriteData + kFrameSize;
constexpr std::size_t kWriteCommandSize = kWriteChecksum + 1;
static_assert(kIdAnswerSize == 9 && kReadAnswerSize == 133 && kWriteCommandSize == 137);

constexpr int kRate = 38400;

class DexDrive : public Protocol {
 public:
  using Protocol::Protocol;
  ReaderKind Kind() const override { return ReaderKind::DexDrive; }

  Identity Identify() override {
    if (!transport_.SetRate(kRate)) return {false, Kind(), 0, "the port cannot be set to 38400 bits per second"};
    transport_.Drain();
    std::uint8_t init[kBody + kInitPayload] = {};
    Command(init, kCmdInit);
    std::uint8_t id[kIdAnswerSize];
    if (transport_.Write(init) != IoStatus::Ok || transport_.ReadExact(id, timing_.answer) != IoStatus::Ok ||
        !IsAnswer(id, kAnsId) || !std::equal(kIdSystem.begin(), kIdSystem.end(), id + kIdSystemAt))
      return {false, Kind(), 0, "no DexDrive answers"};
    // The drive wants the handshake soon after its ID, or it stays in POUT.
    std::uint8_t handshake[kBody];
    Command(handshake, kCmdMagicHandshake);
    std::uint8_t answer[kBody];
    if (transport_.Write(handshake) != IoStatus::Ok || transport_.ReadExact(answer, timing_.answer) != IoStatus::Ok ||
        !IsAnswer(answer, kAnsError))
      return {false, Kind(), 0, "the DexDrive did not take the handshake"};
    return {true, Kind(), id[kIdFirmware], {}};
  }

  FrameStatus ReadFrame(std::uint16_t frame, Frame& out) override {
    transport_.Drain();
    std::uint8_t command[kReadCommandSize];
    Command(command, kCmdRead);
    const std::uint8_t lsb = static_cast<std::uint8_t>(frame & 0xFF);
    const std::uint8_t msb = static_cast<std::uint8_t>(frame >> 8);
    command[kBody] = lsb;
    command[kBody + 1] = msb;
    if (transport_.Write(command) != IoStatus::Ok) return FrameStatus::Gone;
    std::uint8_t answer[kReadAnswerSize];
    // The answer's head first: "no card" is a short answer.
    if (const IoStatus io = transport_.ReadExact(std::span(answer, kBody), timing_.answer); io != IoStatus::Ok)
      return FromIo(io);
    if (IsAnswer(answer, kAnsNoCard)) return FrameStatus::NoCard;
    if (IsAnswer(answer, kAnsError)) return FrameStatus::BadSector;
    if (!IsAnswer(answer, kAnsData)) return FrameStatus::Garbled;
    if (const IoStatus io = transport_.ReadExact(std::span(answer + kBody, kReadAnswerSize - kBody), timing_.answer);
        io != IoStatus::Ok)
      return FromIo(io);
    const Bytes data(answer + kBody, kFrameSize);
    if (answer[kReadChecksum] != static_cast<std::uint8_t>(XorOf(data) ^ msb ^ lsb)) return FrameStatus::BadChecksum;
    std::copy(data.begin(), data.end(), out.begin());
    return FrameStatus::Ok;
  }

  FrameStatus WriteFrame(std::uint16_t frame, const Frame& data) override {
    transport_.Drain();
    std::uint8_t command[kWriteCommandSize];
    Command(command, kCmdWrite);
    const std::uint8_t msb = static_cast<std::uint8_t>(frame >> 8);
    const std::uint8_t lsb = static_cast<std::uint8_t>(frame & 0xFF);
    command[kBody] = msb;
    command[kBody + 1] = lsb;
    command[kBody + 2] = ReverseBits(msb);
    command[kBody + 3] = ReverseBits(lsb);
    std::copy(data.begin(), data.end(), command + kWriteData);
    command[kWriteChecksum] = XorOf(Bytes(command + kBody, kWriteChecksum - kBody));
    if (transport_.Write(command) != IoStatus::Ok) return FrameStatus::Gone;
    std::uint8_t answer[kBody];
    if (const IoStatus io = transport_.ReadExact(answer, timing_.answer); io != IoStatus::Ok) return FromIo(io);
    if (IsAnswer(answer, kAnsWriteOk) || IsAnswer(answer, kAnsWriteSame)) return FrameStatus::Ok;
    if (IsAnswer(answer, kAnsNoCard)) return FrameStatus::NoCard;
    if (IsAnswer(answer, kAnsError)) return FrameStatus::WriteError;
    return FrameStatus::Garbled;
  }

 private:
  static void Command(std::span<std::uint8_t> out, std::uint8_t code) {
    std::copy(kPrefix.begin(), kPrefix.end(), out.begin());
    out[kCode] = code;
  }
  static bool IsAnswer(Bytes answer, std::uint8_t code) {
    return answer.size() > kCode && std::equal(kPrefix.begin(), kPrefix.end(), answer.begin()) && answer[kCode] == code;
  }
};

}  // namespace

std::unique_ptr<Protocol> MakeDexDrive(Transport& transport, Timing timing) {
  return std::make_unique<DexDrive>(transport, timing);
}

}  // namespace selvane::device
