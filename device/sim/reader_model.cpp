#include "device/sim/reader_model.h"

#include <algorithm>
#include <string_view>

namespace selvane::sim {
namespace {

std::uint8_t Xor(Bytes data) {
  std::uint8_t x = 0;
  for (const std::uint8_t b : data) x ^= b;
  return x;
}
std::uint8_t Flip(std::uint8_t b) {
  std::uint8_t r = 0;
  for (int i = 0; i < 8; ++i)
    if ((b >> i) & 1) r = static_cast<std::uint8_t>(r | (0x80 >> i));
  return r;
}
void Append(std::vector<std::uint8_t>& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }
void Append(std::vector<std::uint8_t>& out, Bytes bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

constexpr int kFrames = 1024;

}  // namespace

ReaderModel::ReaderModel(ReaderKind k) : kind(k), card(kRawCardSize, 0) {}

void ReaderModel::Feed(Bytes in, std::vector<std::uint8_t>& answer) {
  if (gone) return;
  pending_.insert(pending_.end(), in.begin(), in.end());
  std::vector<std::uint8_t> out;
  bool more = true;
  while (more && !pending_.empty() && !gone) {
    switch (kind) {
      case ReaderKind::MemCarduino:
      case ReaderKind::Ps1CardLink:
        more = StepLink(out);
        break;
      case ReaderKind::DexDrive:
        more = StepDexDrive(out);
        break;
      case ReaderKind::Ps3Mca:
        more = StepAdaptor(out);
        break;
    }
  }
  if (!faults.silent && !mute && !gone) Append(answer, out);
}

bool ReaderModel::Asked(int frame) {
  if (frame == faults.frame && faults.goneAt) gone = true;
  if (frame == faults.frame && faults.silentAt) mute = true;
  return !gone;
}

// A read of `frame`: false for a bad sector; a spoilt checksum while badChecksums lasts.
bool ReaderModel::ReadFault(int frame, std::uint8_t& checksum) {
  ++framesRead;
  if (frame < 0 || frame >= kFrames || (frame == faults.frame && faults.badSector)) return false;
  if (frame == faults.frame && faults.holdRead) {
    faults.holdRead = false;
    holding = true;
  }
  if (frame == faults.frame && faults.badChecksums > 0) {
    --faults.badChecksums;
    checksum ^= 0x5A;
  }
  return true;
}

Bytes ReaderModel::FrameOnCard(int frame) const {
  return Bytes(card.data() + static_cast<std::size_t>(frame) * kFrameSize, kFrameSize);
}

void ReaderModel::Store(int frame, Bytes data) {
  const std::size_t at = static_cast<std::size_t>(frame) * kFrameSize;
  std::copy(data.begin(), data.end(), card.begin() + static_cast<std::ptrdiff_t>(at));
  if (frame == faults.frame && faults.wrongWrites > 0) {
    --faults.wrongWrites;
    card[at + 77] ^= 0x10;
  }
  if (frame == faults.frame && faults.holdWrite) holding = true;
  framesWritten.push_back(frame);
}

// MemCARDuino and PS1CardLink: A0 who, A1 version, A2 read, A3 write, A4 slot (PS1CardLink).
bool ReaderModel::StepLink(std::vector<std::uint8_t>& out) {
  const std::vector<std::uint8_t>& p = pending_;
  const bool link = kind == ReaderKind::Ps1CardLink;
  std::size_t used = 1;
  switch (p[0]) {
    case 0xA0:
      Append(out, link ? "PS1CLNK" : "MCDINO");
      break;
    case 0xA1:
      out.push_back(link ? 0x11 : 0x08);
      break;
    case 0xA2: {
      if (p.size() < 3) return false;
      used = 3;
      const int frame = p[1] << 8 | p[2];
      if (!Asked(frame)) break;
      std::uint8_t checksum = static_cast<std::uint8_t>(p[1] ^ p[2]);
      if (faults.noCard || !ReadFault(frame, checksum)) {
        out.insert(out.end(), 129, 0xFF);
        out.push_back(0xFF);
        break;
      }
      const Bytes data = FrameOnCard(frame);
      Append(out, data);
      out.push_back(static_cast<std::uint8_t>(checksum ^ Xor(data)));
      out.push_back(0x47);
      break;
    }
    case 0xA3: {
      if (p.size() < 132) return false;
      used = 132;
      const int frame = p[1] << 8 | p[2];
      if (!Asked(frame)) break;
      const Bytes data(p.data() + 3, 128);
      if (static_cast<std::uint8_t>(p[1] ^ p[2] ^ Xor(data)) != p[131]) {
        out.push_back(0x4E);
      } else if (faults.noCard || frame >= kFrames || (frame == faults.frame && faults.badSector)) {
        out.push_back(0xFF);
      } else {
        Store(frame, data);
        out.push_back(0x47);
      }
      break;
    }
    case 0xA4:
      if (!link) {
        out.push_back(0xE0);
        break;
      }
      if (p.size() < 2) return false;
      used = 2;
      selectedSlot = p[1];
      break;
    default:
      out.push_back(0xE0);
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(used));
  return true;
}

// DexDrive: "IAI" and a code; INIT and the 0x27 handshake first, POUT (0x20) until then.
bool ReaderModel::StepDexDrive(std::vector<std::uint8_t>& out) {
  std::vector<std::uint8_t>& p = pending_;
  const std::string_view prefix = "IAI";
  for (std::size_t i = 0; i < std::min(p.size(), prefix.size()); ++i) {
    if (p[i] != static_cast<std::uint8_t>(prefix[i])) {
      p.erase(p.begin());  // not a command: skip to the next "IAI"
      return true;
    }
  }
  if (p.size() < 4) return false;
  std::size_t length = 4;
  switch (p[3]) {
    case 0x00:
      length = 4 + 17;
      break;
    case 0x02:
      length = 6;
      break;
    case 0x04:
      length = 4 + 4 + 128 + 1;
      break;
    default:
      break;
  }
  if (p.size() < length) return false;
  const std::vector<std::uint8_t> command(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(length));
  p.erase(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(length));
  Append(out, prefix);
  const std::uint8_t code = command[3];
  if (code == 0x00) {
    dexIdentified_ = true;
    dexReady_ = false;
    out.push_back(0x40);
    out.push_back(0x00);
    Append(out, "PSX");
    out.push_back(0x1B);
    return true;
  }
  if (code == 0x27 && dexIdentified_) {
    dexReady_ = true;
    out.push_back(0x21);
    return true;
  }
  if (!dexReady_) {
    out.push_back(0x20);
    return true;
  }
  if (code == 0x01) {
    out.push_back(faults.noCard ? 0x22 : 0x23);
    if (!faults.noCard) out.push_back(0x10);
    return true;
  }
  if (code == 0x02) {
    DexRead(command, out);
  } else if (code == 0x04) {
    DexWrite(command, out);
  } else {
    out.push_back(0x21);
  }
  return true;
}

// DexDrive's read (0x02): the frame number low byte first; 0x41, the frame and its checksum.
void ReaderModel::DexRead(const std::vector<std::uint8_t>& command, std::vector<std::uint8_t>& out) {
  const int frame = command[5] << 8 | command[4];
  if (!Asked(frame)) return;
  std::uint8_t checksum = static_cast<std::uint8_t>(command[4] ^ command[5]);
  if (faults.noCard) {
    out.push_back(0x22);
  } else if (!ReadFault(frame, checksum)) {
    out.push_back(0x21);
  } else {
    const Bytes data = FrameOnCard(frame);
    out.push_back(0x41);
    Append(out, data);
    out.push_back(static_cast<std::uint8_t>(checksum ^ Xor(data)));
  }
}

// DexDrive's write (0x04): the frame number high byte first, then both bytes bit-reversed, the
// frame and a checksum; 0x29 when the card held those bytes already, 0x28 when they changed it.
void ReaderModel::DexWrite(const std::vector<std::uint8_t>& command, std::vector<std::uint8_t>& out) {
  const int frame = command[4] << 8 | command[5];
  if (!Asked(frame)) return;
  const Bytes data(command.data() + 8, 128);
  const bool intact = command[6] == Flip(command[4]) && command[7] == Flip(command[5]) &&
                      Xor(Bytes(command.data() + 4, 4 + 128)) == command[136];
  if (faults.noCard) {
    out.push_back(0x22);
  } else if (!intact || frame >= kFrames || (frame == faults.frame && faults.badSector)) {
    out.push_back(0x21);
  } else {
    const Bytes before = FrameOnCard(frame);
    const bool same = std::equal(data.begin(), data.end(), before.begin());
    Store(frame, data);
    out.push_back(same ? 0x29 : 0x28);
  }
}

// The PS3 adaptor: AA 40 asks the card type; AA 42, a length and the bytes to clock to the card,
// answered by 55 5A, the length and the bytes the card sent back meanwhile.
bool ReaderModel::StepAdaptor(std::vector<std::uint8_t>& out) {
  std::vector<std::uint8_t>& p = pending_;
  if (p[0] != 0xAA) {
    p.erase(p.begin());
    return true;
  }
  if (p.size() < 2) return false;
  if (p[1] == 0x40) {
    p.erase(p.begin(), p.begin() + 2);
    out.push_back(0x55);
    out.push_back(faults.noCard ? 0x00 : 0x01);
    return true;
  }
  if (p[1] != 0x42) {
    p.erase(p.begin());
    return true;
  }
  if (p.size() < 4) return false;
  const std::size_t length = static_cast<std::size_t>(p[2] | p[3] << 8);
  if (p.size() < 4 + length) return false;
  const std::vector<std::uint8_t> sent(p.begin() + 4, p.begin() + 4 + static_cast<std::ptrdiff_t>(length));
  p.erase(p.begin(), p.begin() + 4 + static_cast<std::ptrdiff_t>(length));
  std::vector<std::uint8_t> back(length, 0);
  const bool read = length == 0x8C && sent[0] == 0x81 && sent[1] == 0x52;
  const bool write = length == 0x8A && sent[0] == 0x81 && sent[1] == 0x57;
  const int frame = length >= 6 ? sent[4] << 8 | sent[5] : -1;
  if ((read || write) && !Asked(frame)) return true;
  out.push_back(0x55);
  out.push_back(faults.noCard ? 0xAF : 0x5A);
  out.push_back(static_cast<std::uint8_t>(length & 0xFF));
  out.push_back(static_cast<std::uint8_t>(length >> 8));
  if (faults.noCard) {
    Append(out, back);
    return true;
  }
  if (read || write) CardExchange(sent, read, back);
  Append(out, back);
  return true;
}

// What the card sends back while the adaptor clocks a read (81 52) or write (81 57) command of
// `sent` to it: the card's acknowledgements, and the frame with its checksum or the write's status.
void ReaderModel::CardExchange(const std::vector<std::uint8_t>& sent, bool read, std::vector<std::uint8_t>& back) {
  const int frame = sent[4] << 8 | sent[5];
  if (read) {
    back[6] = 0x5C;
    back[7] = 0x5D;
    back[8] = sent[4];
    back[9] = sent[5];
    std::uint8_t checksum = static_cast<std::uint8_t>(sent[4] ^ sent[5]);
    if (!ReadFault(frame, checksum)) {
      back[139] = 0xFF;
    } else {
      const Bytes data = FrameOnCard(frame);
      std::copy(data.begin(), data.end(), back.begin() + 10);
      back[138] = static_cast<std::uint8_t>(checksum ^ Xor(data));
      back[139] = 0x47;
    }
  } else {
    const Bytes data(sent.data() + 6, 128);
    back[135] = 0x5C;
    back[136] = 0x5D;
    if (static_cast<std::uint8_t>(sent[4] ^ sent[5] ^ Xor(data)) != sent[134]) {
      back[137] = 0x4E;
    } else if (frame >= kFrames || (frame == faults.frame && faults.badSector)) {
      back[137] = 0xFF;
    } else {
      Store(frame, data);
      back[137] = 0x47;
    }
  }
}

device::IoStatus ModelTransport::Write(Bytes data) {
  if (model_.gone) return device::IoStatus::Gone;
  std::vector<std::uint8_t> answer;
  model_.Feed(data, answer);
  queue_.insert(queue_.end(), answer.begin(), answer.end());
  return device::IoStatus::Ok;
}

device::IoStatus ModelTransport::ReadExact(MutableBytes out, device::Millis) {
  if (model_.gone) return device::IoStatus::Gone;
  if (queue_.size() < out.size()) {
    queue_.clear();
    return device::IoStatus::TimedOut;
  }
  std::copy_n(queue_.begin(), out.size(), out.begin());
  queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(out.size()));
  return device::IoStatus::Ok;
}

}  // namespace selvane::sim
