// A simulated serial card reader on a pseudo-terminal: a thread answers on the master side as the
// model says, and the host opens the slave's path as it would open /dev/ttyUSB0. Hanging up (a
// goneAt fault) closes the master, as unplugging a USB serial adaptor ends the port.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "tests/device/reader_model.h"

namespace selvane::testkit {

class PtySimulator {
 public:
  explicit PtySimulator(ReaderKind kind) : model_(kind) {
    termios raw{};
    cfmakeraw(&raw);
    char name[128] = {};
    if (openpty(&master_, &slave_, name, &raw, nullptr) != 0) return;
    path_ = name;
    // A selvane-cli started by a test must not inherit the master: closing it is the hang-up.
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    thread_ = std::thread([this] { Serve(); });
  }
  ~PtySimulator() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
  }
  PtySimulator(const PtySimulator&) = delete;
  PtySimulator& operator=(const PtySimulator&) = delete;

  // The path a host opens; empty when no pseudo-terminal could be made.
  const std::string& Path() const { return path_; }
  // Runs `f` on the model while the reader is not answering.
  template <typename F>
  auto With(F f) {
    std::lock_guard lock(mutex_);
    return f(model_);
  }

 private:
  void Serve() {
    std::uint8_t buffer[4096];
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 5) <= 0 || (p.revents & POLLIN) == 0) continue;
      const ssize_t n = read(master_, buffer, sizeof buffer);
      if (n <= 0) continue;
      std::vector<std::uint8_t> answer;
      bool gone = false;
      {
        std::lock_guard lock(mutex_);
        model_.Feed(Bytes(buffer, static_cast<std::size_t>(n)), answer);
        gone = model_.gone;
      }
      if (gone) {
        close(master_);
        master_ = -1;
        return;
      }
      for (std::size_t sent = 0; sent < answer.size();) {
        const ssize_t w = write(master_, answer.data() + sent, answer.size() - sent);
        if (w <= 0) break;
        sent += static_cast<std::size_t>(w);
      }
    }
  }

  ReaderModel model_;
  std::mutex mutex_;
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace selvane::testkit
