// A serial port as a Transport: termios on POSIX (which also opens pseudo-terminals, so the tests
// talk to simulated readers through the very same code), a COM port through Win32 on Windows.
// The line is set raw, 8 data bits, no parity, one stop bit, at the rate asked for.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "device/transport.h"

namespace selvane::device {

// Opens `path` ("/dev/ttyUSB0", "/dev/pts/3", "COM3") at `baud`. nullptr when it cannot be opened
// or set up; `reason` then says why (the system's words).
std::unique_ptr<Transport> OpenSerialPort(std::string_view path, int baud, std::string& reason);

}  // namespace selvane::device
