#include "device/serial_port.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace selvane::device {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kDrainReads = 16;

// What the ports of both systems share: the handle they own, closed with `Close`, and the system's
// reason for the last failure, which makes the transfer end as Gone.
template <typename Handle, auto Close>
class OwnedPort : public Transport {
 public:
  explicit OwnedPort(Handle handle) : handle_(handle) {}
  ~OwnedPort() override { Close(handle_); }
  OwnedPort(const OwnedPort&) = delete;
  OwnedPort& operator=(const OwnedPort&) = delete;
  std::string LastError() const override { return error_; }

 protected:
  IoStatus Failed(std::string reason) {
    error_ = std::move(reason);
    return IoStatus::Gone;
  }
  Handle handle_;

 private:
  std::string error_;
};

#if defined(_WIN32)

std::string SystemMessage(DWORD error) {
  char text[256] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                      text, sizeof text, nullptr);
  std::string message(text, length);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
    message.pop_back();
  return message;
}

class ComPort : public OwnedPort<HANDLE, CloseHandle> {
 public:
  using OwnedPort::OwnedPort;

  IoStatus Write(Bytes data) override {
    DWORD written = 0;
    if (!WriteFile(handle_, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) || written != data.size())
      return Fail();
    return IoStatus::Ok;
  }

  IoStatus ReadExact(MutableBytes out, Millis timeout) override {
    const auto deadline = Clock::now() + timeout;
    std::size_t got = 0;
    while (got < out.size()) {
      const auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now()).count();
      if (left <= 0) return IoStatus::TimedOut;
      COMMTIMEOUTS timeouts{};
      timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(left);
      SetCommTimeouts(handle_, &timeouts);
      DWORD read = 0;
      if (!ReadFile(handle_, out.data() + got, static_cast<DWORD>(out.size() - got), &read, nullptr)) return Fail();
      got += read;
    }
    return IoStatus::Ok;
  }

  void Drain() override { PurgeComm(handle_, PURGE_RXCLEAR); }

  bool SetRate(int baud) override {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle_, &dcb)) return false;
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    return SetCommState(handle_, &dcb) != 0;
  }

 private:
  IoStatus Fail() { return Failed(SystemMessage(GetLastError())); }
};

}  // namespace

std::unique_ptr<Transport> OpenSerialPort(std::string_view path, int baud, std::string& reason) {
  // COM10 and above are reached only through the device namespace; it works for COM1-9 as well.
  std::string name(path);
  if (name.rfind("\\\\.\\", 0) != 0) name = "\\\\.\\" + name;
  HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    reason = SystemMessage(GetLastError());
    return nullptr;
  }
  auto port = std::make_unique<ComPort>(handle);
  if (!port->SetRate(baud)) {
    reason = "not a serial port: " + SystemMessage(GetLastError());
    return nullptr;
  }
  port->Drain();
  return port;
}

#else

speed_t SpeedOf(int baud) {
  switch (baud) {
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return B0;
  }
}

class TermiosPort : public OwnedPort<int, close> {
 public:
  using OwnedPort::OwnedPort;

  IoStatus Write(Bytes data) override {
    std::size_t sent = 0;
    const auto deadline = Clock::now() + Millis(1000);
    while (sent < data.size()) {
      const ssize_t n = write(handle_, data.data() + sent, data.size() - sent);
      if (n > 0) {
        sent += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN) return Fail(errno);
      // The output buffer is full: wait until the line takes more, but not for ever.
      if (Clock::now() >= deadline) return Fail(ETIMEDOUT);
      pollfd p{handle_, POLLOUT, 0};
      poll(&p, 1, 10);
    }
    return IoStatus::Ok;
  }

  IoStatus ReadExact(MutableBytes out, Millis timeout) override {
    const auto deadline = Clock::now() + timeout;
    std::size_t got = 0;
    while (got < out.size()) {
      const auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now()).count();
      if (left <= 0) return IoStatus::TimedOut;
      pollfd p{handle_, POLLIN, 0};
      const int ready = poll(&p, 1, static_cast<int>(left));
      if (ready < 0) {
        if (errno == EINTR) continue;  // Ctrl+C: the frame in flight is finished first
        return Fail(errno);
      }
      if (ready == 0) continue;
      const ssize_t n = read(handle_, out.data() + got, out.size() - got);
      if (n > 0) {
        got += static_cast<std::size_t>(n);
      } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        // End of input or an I/O error: the adaptor was unplugged or the other end closed.
        return Fail(n == 0 ? EIO : errno);
      } else if ((p.revents & (POLLHUP | POLLERR)) != 0) {
        return Fail(EIO);
      }
    }
    return IoStatus::Ok;
  }

  void Drain() override {
    tcflush(handle_, TCIFLUSH);
    // A pseudo-terminal may keep bytes tcflush does not reach; read them away without waiting, but
    // only so many: a device that never stops sending must not keep Selvane here.
    std::uint8_t scratch[256];
    for (int i = 0; i < kDrainReads && read(handle_, scratch, sizeof scratch) > 0; ++i) {
    }
  }

  bool SetRate(int baud) override {
    termios tio{};
    if (tcgetattr(handle_, &tio) != 0) return false;
    cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CSIZE | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = SpeedOf(baud);
    if (speed == B0 || cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0) return false;
    return tcsetattr(handle_, TCSANOW, &tio) == 0;
  }

 private:
  IoStatus Fail(int error) { return Failed(std::strerror(error)); }
};

}  // namespace

std::unique_ptr<Transport> OpenSerialPort(std::string_view path, int baud, std::string& reason) {
  const int fd = open(std::string(path).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    reason = std::strerror(errno);
    return nullptr;
  }
  auto port = std::make_unique<TermiosPort>(fd);
  if (!isatty(fd) || !port->SetRate(baud)) {
    reason = "not a serial port";
    return nullptr;
  }
  port->Drain();
  return port;
}

#endif

}  // namespace selvane::device
