// The window's drag and drop: card files and save files dropped on a pane, lines dragged from one
// list to the other or out of the window. Each runs the routines the buttons and menu items run,
// with their questions and messages.
#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include "core/file_io.h"
#include "slots/card_file.h"
#include "slots/file_actions.h"
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
        ImportSaveFiles(model(plan.pane), plan.files, *port_);
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

}  // namespace selvane::ui
