// The progress of a card reader's work: a window-modal dialog with the step under way, the frames
// done and Cancel. The work runs on a worker thread so that the window keeps drawing and answering;
// its progress reaches the dialog as events posted to the window's thread, and Cancel sets the stop
// flag that the work honours after the frame in flight.
#pragma once

#include <QDialog>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "device/card_transfer.h"
#include "device/protocol.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace selvane::ui {

class ReaderProgress : public QDialog {
  Q_OBJECT
 public:
  // What the work is handed: the frames' progress, a new step's text, and the stop flag.
  struct Reporter {
    device::ProgressFn progress;
    std::function<void(const std::string& step)> step;
    const std::atomic<bool>* stop = nullptr;
  };
  using Work = std::function<void(const Reporter&)>;

  ReaderProgress(const QString& title, QWidget* parent);

  // Runs `work` on a worker thread with the dialog shown; returns once the work has ended.
  void Run(const QString& firstStep, const Work& work);
  // As Cancel: the work stops after the frame in flight.
  void Stop();
  bool Stopped() const { return stop_; }

 signals:
  // Sent from the worker's thread: a new count in `latest_`, a new step.
  void progressed();
  void stepped(const QString& step);

 protected:
  void reject() override { Stop(); }
  void closeEvent(QCloseEvent* event) override;

 private:
  void Show(std::size_t done, std::size_t total);

  QLabel* lblStep_ = nullptr;
  QProgressBar* barFrames_ = nullptr;
  QPushButton* btnCancel_ = nullptr;
  // The frames done and the frames in all, as the worker last said: done in the high half.
  std::atomic<std::uint64_t> latest_{0};
  std::atomic<bool> showPending_{false};  // a call to show `latest_` is on its way
  std::atomic<bool> stop_{false};
  bool running_ = false;
};

}  // namespace selvane::ui
