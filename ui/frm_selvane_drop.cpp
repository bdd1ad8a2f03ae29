// The window's drag and drop and its save-file commands: card files and save files dropped on a
// pane, lines dragged from one list to the other or out of the window, and Import Save / Export
// Save on the popup menu. Each runs the routines the buttons and menu items run, with their
// questions and messages.
#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <filesystem>

#include "core/file_io.h"
#include "slots/card_file.h"
#include "slots/single_save_ops.h"
#include "ui/frm_selvane.h"

namespace selvane::ui {
namespace {

std::string ToStd(const QString& text) { return text.toLocal8Bit().toStdString(); }

// The local files a drag carries, as the file system's bytes; empty when it carries anything else
// as well. A file URL percent-encodes the bytes of its path, which are decoded as they are: a
// name that is not valid UTF-8 would not survive a detour through text.
std::vector<std::string> LocalFiles(const QMimeData& data) {
  std::vector<std::string> files;
  for (const QUrl& url : data.urls()) {
    if (!url.isLocalFile()) return {};
#ifdef Q_OS_WIN
    files.push_back(ToStd(url.toLocalFile()));
#else
    const QString host = url.host();
    if (!host.isEmpty() && host != QStringLiteral("localhost")) {
      files.push_back(ToStd(url.toLocalFile()));  // a path on another machine, "//host/path"
      continue;
    }
    files.push_back(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
#endif
  }
  return files;
}

// A dragged line names the window it comes from (process and window), so that a line of another
// Selvane window is never taken for one of this window's: "process window pane line".
QByteArray WindowTag(const QObject* window) {
  return QByteArray::number(QApplication::applicationPid()) + ' ' +
         QByteArray::number(reinterpret_cast<quintptr>(window));
}

// The pane and line of a line dragged from one of `window`'s lists; nullopt for anything else.
std::optional<std::pair<int, int>> DraggedSlot(const QMimeData& data, const QObject* window) {
  const QByteArray text = data.data(QString::fromLatin1(frmSelvane::kSlotMimeType));
  const QByteArray tag = WindowTag(window) + ' ';
  if (!text.startsWith(tag)) return std::nullopt;
  const QList<QByteArray> fields = text.mid(tag.size()).split(' ');
  if (fields.size() != 2) return std::nullopt;
  bool paneOk = false, lineOk = false;
  const int pane = fields[0].toInt(&paneOk), line = fields[1].toInt(&lineOk);
  if (!paneOk || !lineOk || pane < 0 || pane > 1 || line < 0 || line >= kSlotCount) return std::nullopt;
  return std::pair{pane, line};
}

std::string CardName(int index) { return "Memory Card " + std::to_string(index + 1); }

}  // namespace

QMimeData* frmSelvane::slotDragData(int index, int line) {
  Pane probe = model(index);
  probe.selected = line;
  SilentPort silent;
  const TakenSave taken = TakeSave(probe, silent);
  if (taken.outcome != Outcome::Done) return nullptr;
  auto* carried = new QMimeData;
  carried->setData(QString::fromLatin1(kSlotMimeType),
                   WindowTag(this) + ' ' + QByteArray::number(index) + ' ' + QByteArray::number(line));
  if (!dragFolder_) dragFolder_ = std::make_unique<QTemporaryDir>();
  if (dragFolder_->isValid()) {
    const QString file =
        dragFolder_->filePath(QString::fromLocal8Bit(SaveFileName(taken.save.name, SaveFileKind::Mcs)));
    if (WriteFileAtomic(ToStd(file), WriteMcs(taken.save)).ok) carried->setUrls({QUrl::fromLocalFile(file)});
  }
  return carried;
}

void frmSelvane::StartSlotDrag(int index, int line) {
  QMimeData* carried = slotDragData(index, line);
  if (!carried) return;
  QListWidget* list = view(index).lstSlot;
  auto* drag = new QDrag(list->viewport());
  drag->setMimeData(carried);
  const QRect rect = list->visualItemRect(list->item(line));
  drag->setPixmap(list->viewport()->grab(rect));
  drag->setHotSpot(pressAt_ - rect.topLeft());
  drag->exec(Qt::CopyAction);
}

std::optional<frmSelvane::DropTarget> frmSelvane::DropTargetOf(const QObject* watched) const {
  for (int i = 0; i < 2; ++i) {
    const PaneView* pane = views_[static_cast<std::size_t>(i)].get();
    if (pane && watched == pane->lstSlot->viewport()) return DropTarget{i, true};
    if (pane && watched == pane->txtMemCard) return DropTarget{i, false};
  }
  return std::nullopt;
}

frmSelvane::DropPlan frmSelvane::PlanDrop(DropTarget target, const QMimeData* carried) {
  DropPlan plan;
  plan.pane = target.pane;
  const bool onList = target.onList;
  if (!carried) return plan;

  // A line of this window's lists: copied when it lands on the other list, nothing anywhere else.
  if (carried->hasFormat(QString::fromLatin1(kSlotMimeType))) {
    const auto slot = DraggedSlot(*carried, this);
    if (slot && onList && slot->first != plan.pane) {
      plan.kind = DropKind::Slot;
      std::tie(plan.sourcePane, plan.sourceLine) = *slot;
    }
    return plan;
  }

  const std::vector<std::string> files = LocalFiles(*carried);
  if (files != dragFiles_) {
    dragFiles_ = files;
    dragKinds_.clear();
    for (const std::string& file : files) dragKinds_.push_back(ClassifyDroppedFile(file).kind);
  }
  plan.files = files;
  const auto all = [this](DroppedFileKind kind) {
    return !dragKinds_.empty() &&
           std::all_of(dragKinds_.begin(), dragKinds_.end(), [kind](auto k) { return k == kind; });
  };
  if (all(DroppedFileKind::Card) && files.size() == 1) {
    plan.kind = DropKind::Card;
  } else if (all(DroppedFileKind::Save) && onList && !model(plan.pane).image.empty()) {
    plan.kind = DropKind::Saves;
  }
  return plan;
}

bool frmSelvane::DragEvent(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      break;
    case QEvent::DragLeave:
      if (!DropTargetOf(watched)) return false;
      dragFiles_.clear(), dragKinds_.clear();  // the next drag looks at its files afresh
      return true;
    default:
      return false;
  }
  const auto target = DropTargetOf(watched);
  if (!target) return false;
  auto* drop = static_cast<QDropEvent*>(event);
  const DropPlan plan = PlanDrop(*target, drop->mimeData());
  if (plan.kind == DropKind::None) {
    drop->ignore();
    return true;
  }
  drop->setDropAction(Qt::CopyAction);
  drop->accept();
  if (event->type() != QEvent::Drop) return true;
  dragFiles_.clear(), dragKinds_.clear();
  const int line =
      plan.kind == DropKind::Slot ? view(plan.pane).lstSlot->indexAt(drop->position().toPoint()).row() : -1;
  Handle([this, plan, line] {
    switch (plan.kind) {
      case DropKind::Card:
        AskToSaveModified(plan.pane);
        OpenCardAt(plan.pane, plan.files.front());
        break;
      case DropKind::Saves:
        ImportSaveFiles(plan.pane, plan.files);
        break;
      case DropKind::Slot:
        DropSlot(plan, line);
        break;
      case DropKind::None:
        break;
    }
  });
  return true;
}

void frmSelvane::DropSlot(const DropPlan& plan, int line) {
  model(plan.sourcePane).selected = plan.sourceLine;
  model(plan.pane).selected = line;
  Transfer(plan.sourcePane, false);
}

void frmSelvane::ImportSaveFiles(int index, const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    SaveFileRead save = ReadSaveFileAt(file);
    if (!save.save) {
      const std::string problem = save.unreadable ? "it cannot be read (" + save.problem + ")" : save.problem;
      port_->ShowMessage(text::SaveFileRefused(file, problem), MessageIcon::Information);
      return;
    }
    if (save.signatureValid == false) port_->ShowMessage(text::WrongSaveSignature(file), MessageIcon::Exclamation);
    if (save.firstBlockWithoutSc) port_->ShowMessage(text::FirstBlockWithoutSc(file), MessageIcon::Exclamation);
    if (ImportSave(model(index), *save.save, *port_) != Outcome::Done) return;
  }
}

void frmSelvane::mnuImportSave_Click() {
  const int index = PopupPane;
  // As a transfer does, a pane without a card asks for one first.
  if (model(index).image.empty()) {
    btnBrowse_Click(index);
    return;
  }
  const std::string title = "Import Save to " + CardName(index);
  const std::string file = OpenDialog(*port_, filters::kSingleSaves, title, model(index).path);
  if (!file.empty()) ImportSaveFiles(index, {file});
}

void frmSelvane::mnuExportSave_Click() {
  const int index = PopupPane;
  if (model(index).selected < 0) {
    port_->ShowMessage(text::kSelectSlot, MessageIcon::Information);
    return;
  }
  const TakenSave taken = TakeSave(model(index), *port_);
  if (taken.outcome == Outcome::NothingChanged) port_->ShowMessage(text::kWrongFormat, MessageIcon::Information);
  if (taken.outcome != Outcome::Done) return;

  // The card's folder, as the file system's bytes as the path is.
  std::string folder;
  if (!model(index).path.empty()) {
    std::error_code error;
    folder = std::filesystem::absolute(model(index).path, error).parent_path().string();
  }
  // Each entry suggests the name its kind of file is read back by; the dialog starts on .mcs.
  std::vector<std::string> names = SaveFileNamesPerEntry(taken.save.name, folder);
  const FileDialogRequest request{
      "Export Save from " + CardName(index), filters::kSingleSaves, folder, names.front(), 1, std::move(names)};
  const auto choice = port_->ChooseFileToSave(request);
  if (!choice || choice->path.empty()) return;
  const ExportTarget target = ExportTargetFor(choice->path, choice->filterIndex);
  if (target.path != choice->path && FileExists(target.path)) {
    const std::string question = target.path + " already exists. Do you want to replace it?";
    if (port_->Ask(question, Buttons::YesNo, Answer::No) != Answer::Yes) return;
  }
  const WriteResult written = WriteFileAtomic(target.path, SaveFileContent(taken.save, target.kind));
  if (!written.ok) port_->ShowMessage(SaveFailedMessage(target.path, written.reason), MessageIcon::Information);
}

}  // namespace selvane::ui
