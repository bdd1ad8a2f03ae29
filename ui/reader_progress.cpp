#include "ui/reader_progress.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

namespace selvane::ui {

ReaderProgress::ReaderProgress(const QString& title, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("dlgReaderProgress"));
  setWindowTitle(title);
  setWindowModality(Qt::WindowModal);

  lblStep_ = new QLabel(this);
  lblStep_->setObjectName(QStringLiteral("lblStep"));
  barFrames_ = new QProgressBar(this);
  barFrames_->setObjectName(QStringLiteral("barFrames"));
  barFrames_->setAccessibleName(QStringLiteral("Frames"));
  barFrames_->setRange(0, static_cast<int>(device::kFrameCount));
  barFrames_->setValue(0);
  barFrames_->setFormat(QStringLiteral("%v of %m frames"));
  barFrames_->setMinimumWidth(320);
  btnCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  btnCancel_->setObjectName(QStringLiteral("btnCancel"));
  connect(btnCancel_, &QPushButton::clicked, this, &ReaderProgress::Stop);
  connect(
      this, &ReaderProgress::progressed, this,
      [this] {
        showPending_ = false;
        const std::uint64_t latest = latest_;
        Show(static_cast<std::size_t>(latest >> 32), static_cast<std::size_t>(latest & 0xFFFFFFFFU));
      },
      Qt::QueuedConnection);
  connect(
      this, &ReaderProgress::stepped, this,
      [this](const QString& step) {
        lblStep_->setText(step);
        Show(0, device::kFrameCount);
      },
      Qt::QueuedConnection);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblStep_);
  layout->addWidget(barFrames_);
  layout->addWidget(btnCancel_, 0, Qt::AlignRight);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ReaderProgress::Run(const QString& firstStep, const Work& work) {
  stop_ = false;
  showPending_ = false;
  running_ = true;
  btnCancel_->setEnabled(true);
  lblStep_->setText(firstStep);
  Show(0, device::kFrameCount);
  // The worker's signals reach this dialog on the window's thread (queued); any still queued when
  // the dialog goes are dropped with it. The worker keeps the latest count and one signal at a
  // time waits to show it, so the bar is drawn once per turn of the event loop however fast the
  // frames come.
  Reporter reporter;
  reporter.progress = [this](std::size_t done, std::size_t total) {
    latest_ = std::uint64_t{done} << 32 | std::uint64_t{total};
    if (!showPending_.exchange(true)) emit progressed();
  };
  reporter.step = [this](const std::string& step) { emit stepped(QString::fromLocal8Bit(step)); };
  reporter.stop = &stop_;

  QEventLoop loop;
  const std::unique_ptr<QThread> thread(QThread::create([&work, &reporter] { work(reporter); }));
  connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
  thread->start();
  show();
  loop.exec();
  thread->wait();
  running_ = false;
  hide();
}

void ReaderProgress::Stop() {
  if (!running_ || stop_) return;
  stop_ = true;
  btnCancel_->setEnabled(false);
  lblStep_->setText(QStringLiteral("Stopping after the frame in flight..."));
}

void ReaderProgress::closeEvent(QCloseEvent* event) {
  // The dialog goes when the work has ended; closing it asks the work to stop.
  if (running_) {
    Stop();
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void ReaderProgress::Show(std::size_t done, std::size_t total) {
  // A write with nothing to write has no frames; the bar shows it full rather than busy.
  barFrames_->setMaximum(static_cast<int>(std::max<std::size_t>(total, 1)));
  barFrames_->setValue(static_cast<int>(done));
}

}  // namespace selvane::ui
