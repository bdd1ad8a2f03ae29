// The slot menu's card reader items: a card read from a reader opens in the pane the menu was
// opened on as a new card not saved yet, and a pane's card is written onto the card in a reader,
// only the frames that differ, after the card as it was is kept as a backup. The reader's work runs
// on a worker thread behind ReaderProgress; the window only asks, shows and puts the card in place.
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <ctime>
#include <utility>

#include "core/card.h"
#include "device/card_transfer.h"
#include "device/reader.h"
#include "slots/card_file.h"
#include "ui/frm_selvane.h"
#include "ui/reader_dialog.h"
#include "ui/reader_progress.h"

namespace selvane::ui {
namespace {

using device::CardResult;
using device::OpenedReader;

std::string CardName(int index) { return "Memory Card " + std::to_string(index + 1); }

// "the MemCARDuino on /dev/ttyUSB0"
std::string ReaderOn(const OpenedReader& reader, const ReaderChoice& choice) {
  return "the " + std::string(device::KindName(reader.identity.kind)) + " on " + choice.port;
}

// Where a card read into a pane would be saved: beside the pane's card file (else in the home
// folder), named after the reader, under a name no file has yet, so that Save asks for the path.
std::string ProposedPath(const std::string& current, std::string_view readerKey) {
  const QFileInfo now(QString::fromLocal8Bit(current));
  const QDir folder(now.exists() ? now.absolutePath() : QDir::homePath());
  const QString stem = QString::fromLatin1(readerKey.data(), static_cast<qsizetype>(readerKey.size()));
  QString name = stem + QStringLiteral("-card.mcr");
  for (int n = 2; folder.exists(name); ++n) name = stem + QStringLiteral("-card-%1.mcr").arg(n);
  return folder.filePath(name).toLocal8Bit().toStdString();
}

// What a write came to, for its closing message.
struct WriteRun {
  CardResult before;  // the card as it was, read for the backup
  std::string backup;
  WriteResult kept;
  CardResult write;
};

WriteRun WriteWithBackup(OpenedReader& reader, const std::vector<std::uint8_t>& target,
                         const ReaderProgress::Reporter& report) {
  WriteRun run;
  report.step("Reading the card for its backup...");
  run.before = device::ReadCard(*reader.protocol, report.progress, report.stop);
  if (!run.before.ok) return run;
  run.backup = device::BackupPath(device::BackupFolder(), reader.identity.kind, std::time(nullptr));
  run.kept = device::WriteCardFile(run.backup, run.before.card, true);
  if (!run.kept.ok) return run;
  report.step("Writing the frames that differ...");
  run.write = device::WriteCard(*reader.protocol, target, run.before.card, false, report.progress, report.stop);
  return run;
}

std::string WriteMessage(const WriteRun& run, const std::string& on, int index) {
  if (!run.before.ok) {
    const std::string why = run.before.stopped ? "Stopped" : "Reading the card failed: " + run.before.message;
    return why + ".\r\nNothing was written to the card in " + on + ".";
  }
  if (!run.kept.ok) return run.backup + ": " + run.kept.reason + ".\r\nNothing was written to the card in " + on + ".";
  const std::string kept = "\r\nThe card as it was is kept in " + run.backup + ".";
  if (!run.write.ok) {
    const std::string why = run.write.stopped ? "Stopped" : "Writing failed: " + run.write.message;
    return why + ".\r\nFrames written: " + device::FrameRanges(run.write.written) + "." + kept;
  }
  if (run.write.written.empty()) return "The card in " + on + " already holds " + CardName(index) + "." + kept;
  return "Wrote " + std::to_string(run.write.written.size()) + " frames (" + device::FrameRanges(run.write.written) +
         ") to the card in " + on + ", each read back and verified." + kept;
}

}  // namespace

void frmSelvane::mnuReadCard_Click() { ReadFromReader(PopupPane); }
void frmSelvane::mnuWriteCard_Click() { WriteToReader(PopupPane); }

void frmSelvane::ReadFromReader(int index) {
  AskToSaveModified(index);
  ReaderDialog dialog(ReaderDialog::Direction::Read, index, this);
  if (dialog.exec() != QDialog::Accepted) return;
  dialog.Remember();
  const ReaderChoice choice = dialog.Choice();

  ReaderProgress progress(QStringLiteral("Read %1").arg(QString::fromStdString(CardName(index))), this);
  readerWork_ = &progress;
  readerWrites_ = false;
  OpenedReader reader;
  CardResult read;
  progress.Run(QStringLiteral("Asking the reader on %1...").arg(QString::fromLocal8Bit(choice.port)),
               [&](const ReaderProgress::Reporter& report) {
                 reader =
                     device::OpenReader(choice.port, choice.kind, choice.cardSlot, device::TimingFromEnvironment());
                 if (!reader.protocol || *report.stop) return;
                 report.step("Reading the card in " + ReaderOn(reader, choice) + "...");
                 read = device::ReadCard(*reader.protocol, report.progress, report.stop);
               });
  readerWork_ = nullptr;
  if (!reader.protocol) {
    port_->ShowMessage(choice.port + ": " + reader.message, MessageIcon::Exclamation);
  } else if (!read.ok && !read.stopped && !progress.Stopped()) {
    port_->ShowMessage(choice.port + ": " + read.message + "\r\n" + CardName(index) + " was left as it was.",
                       MessageIcon::Exclamation);
  } else if (read.ok && !progress.Stopped()) {
    // A Cancel that came as the last frame arrived still leaves the pane as it was.
    ShowReadCard(index, std::move(read.card), device::KindKey(reader.identity.kind));
  }
  // Once only: a close that the modified question then cancels leaves the window open for good.
  if (std::exchange(closeAfterReaderWork_, false)) close();
}

void frmSelvane::ShowReadCard(int index, CardImage card, std::string_view readerKey) {
  SetPathText(index, ProposedPath(model(index).path, readerKey));
  Pane& pane = model(index);
  pane.image = std::move(card);
  pane.loadedStamp.reset();
  RefreshSlots(pane, *port_);
  pane.cardModified = true;
}

void frmSelvane::WriteToReader(int index) {
  const Pane& pane = model(index);
  if (pane.image.empty()) {
    btnBrowse_Click(index);
    return;
  }
  const auto format = PaneFormat(pane);
  const auto target = format ? ExtractRawCard(pane.image, *format) : std::nullopt;
  if (!target) {
    port_->ShowMessage(format ? CheckForSave(pane.image, *format).problem : std::string(text::kWrongFormat),
                       MessageIcon::Exclamation);
    return;
  }
  if (device::BackupFolder().empty()) {
    port_->ShowMessage("There is no folder for the backup of the card (HOME is not set): nothing was written.",
                       MessageIcon::Exclamation);
    return;
  }
  ReaderDialog dialog(ReaderDialog::Direction::Write, index, this);
  if (dialog.exec() != QDialog::Accepted) return;
  dialog.Remember();
  const ReaderChoice choice = dialog.Choice();

  ReaderProgress progress(QStringLiteral("Write %1").arg(QString::fromStdString(CardName(index))), this);
  readerWork_ = &progress;
  readerWrites_ = true;
  OpenedReader reader;
  progress.Run(QStringLiteral("Asking the reader on %1...").arg(QString::fromLocal8Bit(choice.port)),
               [&](const ReaderProgress::Reporter&) {
                 reader =
                     device::OpenReader(choice.port, choice.kind, choice.cardSlot, device::TimingFromEnvironment());
               });
  const std::string on = reader.protocol ? ReaderOn(reader, choice) : std::string();
  const std::string question = "The card in " + on + " will be overwritten with " + CardName(index) +
                               ".\r\nThe card as it is now is read first and kept as a backup." +
                               "\r\nDo you want to write to the card?";
  if (!reader.protocol) {
    port_->ShowMessage(choice.port + ": " + reader.message, MessageIcon::Exclamation);
  } else if (!progress.Stopped() && port_->Ask(question, Buttons::YesNo, Answer::No) == Answer::Yes) {
    WriteRun run;
    progress.Run(QString::fromStdString("Writing to the card in " + on),
                 [&](const ReaderProgress::Reporter& report) { run = WriteWithBackup(reader, *target, report); });
    const bool done = run.before.ok && run.kept.ok && run.write.ok;
    port_->ShowMessage(WriteMessage(run, on, index), done ? MessageIcon::Information : MessageIcon::Exclamation);
  }
  readerWork_ = nullptr;
  // Once only: a close that the modified question then cancels leaves the window open for good.
  if (std::exchange(closeAfterReaderWork_, false)) close();
}

bool frmSelvane::MayCloseDuringReaderWork() {
  if (!readerWork_) return true;
  if (readerWrites_) {
    const std::string question =
        "The card in the reader is being written.\r\nStop after the frame in flight and close Selvane?";
    if (port_->Ask(question, Buttons::YesNo, Answer::No) != Answer::Yes) return false;
  }
  closeAfterReaderWork_ = true;
  readerWork_->Stop();
  return false;
}

}  // namespace selvane::ui
