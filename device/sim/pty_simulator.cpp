#include "device/sim/pty_simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace selvane::sim {

PtySimulator::PtySimulator(ReaderKind kind) : model_(kind) {
  termios raw{};
  cfmakeraw(&raw);
  char name[128] = {};
  if (openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
    reason_ = std::strerror(errno);
    return;
  }
  path_ = name;
  // A program started meanwhile must not inherit the master: closing it is the hang-up. The slave
  // stays open here, so that the host may close and open the path again without a hang-up.
  fcntl(master_, F_SETFD, FD_CLOEXEC);
  fcntl(slave_, F_SETFD, FD_CLOEXEC);
  thread_ = std::thread([this] { Serve(); });
}

PtySimulator::~PtySimulator() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (master_ >= 0) close(master_);
  if (slave_ >= 0) close(slave_);
}

bool PtySimulator::Holding() {
  return With([](const ReaderModel& m) { return m.holding; });
}

void PtySimulator::Serve() {
  std::uint8_t buffer[4096];
  while (!stop_) {
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, 5) <= 0 || (p.revents & POLLIN) == 0) continue;
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) continue;
    std::vector<std::uint8_t> answer;
    const bool gone = With([&](ReaderModel& m) {
      m.Feed(Bytes(buffer, static_cast<std::size_t>(n)), answer);
      return m.gone;
    });
    if (gone) {
      close(master_);
      master_ = -1;
      return;
    }
    while (!stop_ && Holding()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    for (std::size_t sent = 0; sent < answer.size();) {
      const ssize_t w = write(master_, answer.data() + sent, answer.size() - sent);
      if (w <= 0) break;
      sent += static_cast<std::size_t>(w);
    }
  }
}

}  // namespace selvane::sim
