// The byte pipe between Selvane and a card reader: a serial port, the PS3 adaptor's USB bulk
// endpoints, or (in tests) a simulated endpoint. Every read waits at most a given time, so no
// conversation with a reader can hang.
#pragma once

#include <chrono>
#include <string>

#include "core/bytes.h"

namespace selvane::device {

using Millis = std::chrono::milliseconds;

enum class IoStatus {
  Ok,
  TimedOut,  // fewer bytes than asked arrived in time
  Gone,      // the device went away (unplugged, port closed) or the system refused the transfer
};

class Transport {
 public:
  virtual ~Transport() = default;
  // Sends all of `data` as one packet (one system write), as the readers expect a command whole.
  virtual IoStatus Write(Bytes data) = 0;
  // Fills all of `out`, waiting at most `timeout` in all; TimedOut when fewer bytes came in time.
  virtual IoStatus ReadExact(MutableBytes out, Millis timeout) = 0;
  // Throws away whatever has arrived and was not read (a late answer to an earlier command).
  virtual void Drain() = 0;
  // Sets the line rate (bits per second) where the transport has one; false when it cannot.
  virtual bool SetRate(int baud) {
    (void)baud;
    return true;
  }
  // The system's reason for the last Gone, for the user's message.
  virtual std::string LastError() const { return {}; }
};

}  // namespace selvane::device
