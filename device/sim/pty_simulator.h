// A simulated serial card reader on a pseudo-terminal: a thread answers on the master side as the
// model says, and the host opens the slave's path as it would open /dev/ttyUSB0. Hanging up (a
// goneAt fault) closes the master, as unplugging a USB serial adaptor ends the port.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "device/sim/reader_model.h"

namespace selvane::sim {

class PtySimulator {
 public:
  explicit PtySimulator(ReaderKind kind);
  ~PtySimulator();
  PtySimulator(const PtySimulator&) = delete;
  PtySimulator& operator=(const PtySimulator&) = delete;

  // The path a host opens; empty when no pseudo-terminal could be made (Reason() says why).
  const std::string& Path() const { return path_; }
  const std::string& Reason() const { return reason_; }
  // Runs `f` on the model while the reader is not answering.
  template <typename F>
  auto With(F f) {
    std::lock_guard lock(mutex_);
    return f(model_);
  }
  // Whether a hold fault keeps the reader's answer back (until the model's `holding` is cleared).
  bool Holding();

 private:
  void Serve();

  ReaderModel model_;
  std::mutex mutex_;
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  std::string reason_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace selvane::sim
