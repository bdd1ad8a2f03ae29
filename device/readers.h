// The protocol of each reader kind (one file each); MakeProtocol chooses among them.
#pragma once

#include <memory>

#include "device/protocol.h"

namespace selvane::device {

// MemCARDuino and PS1CardLink speak one command set (0xA0-0xA3); PS1CardLink adds 0xA4 to choose
// the console's card slot. Each Identify also recognises the other, reporting its kind.
std::unique_ptr<Protocol> MakeMemCarduino(Transport& transport, Timing timing);
std::unique_ptr<Protocol> MakePs1CardLink(Transport& transport, Timing timing);
std::unique_ptr<Protocol> MakeDexDrive(Transport& transport, Timing timing);
std::unique_ptr<Protocol> MakePs3Mca(Transport& transport, Timing timing);

// What a transport's status means for a frame.
inline FrameStatus FromIo(IoStatus io) {
  return io == IoStatus::Gone ? FrameStatus::Gone : io == IoStatus::TimedOut ? FrameStatus::NoAnswer : FrameStatus::Ok;
}

}  // namespace selvane::device
