// What the window tests and the drop tests share: the main window driven as the user drives it
// (clicks, the popup menu, Ctrl keys, drops), with the answers and file choices scripted, the
// card files built in a temporary folder and the settings kept in a folder of their own.
#pragma once

#include <QApplication>
#include <QDragEnterEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>

#include "core/file_io.h"
#include "examples/card_builder.h"
#include "slots/slot_list.h"
#include "tests/slots/test_port.h"
#include "ui/frm_selvane.h"

namespace selvane::testkit {

// "ALPHA" in slot 1, the three blocks of "BRAVO" in slots 2-4, "CHARLIE" in slot 5; and "DELTA".
inline demo::CardBuilder SourceCard() {
  demo::CardBuilder card;
  card.AddSave(1, 1, "ALPHA", "SLUS-00011", 'A').AddSave(2, 3, "BRAVO", "SLES-00022", 'E').AddSave(5, 1, "CHARLIE");
  return card;
}
inline demo::CardBuilder TargetCard() { return demo::CardBuilder().AddSave(1, 1, "DELTA", "SLUS-00044", 'A'); }

// The slot tests' scripted port; `onPrompt`, when set, runs as each message or question appears.
// Its failures (a question or dialog without an answer) land in GoogleTest's results outside a test.
struct WindowPort : DialogPort {
  std::function<void()> onPrompt;
  void ShowMessage(std::string_view text, MessageIcon icon) override {
    if (onPrompt) onPrompt();
    TestPort::ShowMessage(text, icon);
  }
  Answer Ask(std::string_view text, Buttons buttons, Answer defaultAnswer) override {
    if (onPrompt) onPrompt();
    return TestPort::Ask(text, buttons, defaultAnswer);
  }
};

// Runs `act` on the modal dialog of type T once its own event loop shows it.
template <typename T>
void WhenModal(std::function<void(T*)> act, int triesLeft = 300) {
  QTimer::singleShot(10, qApp, [=] {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) return act(dialog);
    if (triesLeft > 0) WhenModal<T>(act, triesLeft - 1);
  });
}

inline QMimeData* FilesData(const QStringList& paths) {
  auto* data = new QMimeData;
  QList<QUrl> urls;
  for (const QString& path : paths)
    urls << (path.contains(QLatin1String("://")) ? QUrl(path) : QUrl::fromLocalFile(path));
  data->setUrls(urls);
  return data;
}

class WindowFixture {
 protected:
  QTemporaryDir settingsDir_;
  std::unique_ptr<QTemporaryDir> dir_;
  int portFailures_ = 0;
  std::unique_ptr<WindowPort> port_;
  std::unique_ptr<ui::frmSelvane> w_;

  void StartTests() {
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setQuitOnLastWindowClosed(false);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
  }
  void StartTest() {
    QSettings(QStringLiteral("Selvane"), QStringLiteral("Selvane")).clear();
    dir_ = std::make_unique<QTemporaryDir>();
    portFailures_ = testing::UnitTest::GetInstance()->ad_hoc_test_result().total_part_count();
    port_ = std::make_unique<WindowPort>();
  }
  // Closes the window; a question or file dialog that the script did not expect fails the test.
  bool EndTest() {
    w_.reset();
    return testing::UnitTest::GetInstance()->ad_hoc_test_result().total_part_count() == portFailures_;
  }

  QString Path(const QString& name) const { return dir_->filePath(name); }
  QString Write(const QString& name, const std::vector<std::uint8_t>& bytes) {
    QDir().mkpath(QFileInfo(Path(name)).path());
    return WriteFileAtomic(Path(name).toStdString(), bytes), Path(name);
  }
  // Writes `card` in the format that the file name gives.
  QString Write(const QString& name, const demo::CardBuilder& card = SourceCard()) {
    return Write(name, card.Build(*FormatFromPath(name.toStdString())));
  }
  // The window started with `commandLine`; `card1`, when given, is opened in pane 1 through its
  // "..." button; the window is wide when `wide`.
  ui::frmSelvane& Open(const QString& commandLine = {}, const QString& card1 = {}, bool wide = false,
                       std::function<void()> registerFileTypes = {}) {
    w_ = std::make_unique<ui::frmSelvane>(ui::WindowStart{commandLine.toStdString(), registerFileTypes, port_.get()});
    if (!card1.isEmpty()) port_->choices.push_back(FileChoice{card1.toStdString(), 1});
    if (wide || !card1.isEmpty()) Click("btnResize");
    if (!card1.isEmpty()) Click("btnBrowse1");
    if (!wide && !card1.isEmpty()) Click("btnResize");
    w_->show();
    // Without a window manager (Xvfb) nothing activates a new window; it asks for the focus itself.
    if (QTest::qWaitForWindowExposed(w_.get())) w_->activateWindow();
    if (!QTest::qWaitForWindowActive(w_.get())) qWarning("the window did not become active");
    return *w_;
  }
  // SourceCard in pane 0 and TargetCard in pane 1.
  ui::frmSelvane& OpenTwo(bool wide = true) { return Open(Write("one.mcr"), Write("two.mcr", TargetCard()), wide); }

  QListWidget* List(int pane) const { return w_->findChild<QListWidget*>(QStringLiteral("lstSlot%1").arg(pane)); }
  QLineEdit* Box(int pane) const { return w_->findChild<QLineEdit*>(QStringLiteral("txtMemCard%1").arg(pane)); }
  void Click(const char* name) { QTest::mouseClick(w_->findChild<QWidget*>(name), Qt::LeftButton); }
  QPoint At(int pane, int line) const { return List(pane)->visualItemRect(List(pane)->item(line)).center(); }
  void ClickLine(int pane, int line, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers keys = {}) {
    QTest::mouseClick(List(pane)->viewport(), button, keys, At(pane, line));
  }
  QStringList Shown(int pane) const {
    QStringList lines;
    for (const QListWidgetItem* item : List(pane)->findItems(QStringLiteral("*"), Qt::MatchWildcard))
      lines << item->text();
    return lines;
  }
  // The lines the slot list gives for `card` read from `path`; none when it is no card.
  static QStringList Listed(const std::string& path, const CardImage& card) {
    QStringList lines;
    if (const auto listing = BuildSlotLines(path, card))
      for (const std::string& line : listing->lines) lines << QString::fromStdString(line);
    return lines;
  }
  void Ctrl(QWidget* focus, Qt::Key key) {
    focus->setFocus();
    QTest::keyClick(focus, key, Qt::ControlModifier);
  }
  // A popup item chosen after a right-click on line 3 of `pane`.
  void ChooseFromMenu(int pane, const char* item) {
    ClickLine(pane, 3, Qt::RightButton);
    QMenu* menu = w_->popupMenu();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->findChild<QAction*>(item)).center());
  }
  // Drags `data` over `target` (a list's viewport or a path box) and drops it at `at`: whether
  // the drag was accepted while it moved and whether the drop was.
  std::pair<bool, bool> Drop(QWidget* target, QMimeData* data, QPoint at = {5, 5}) {
    const std::unique_ptr<QMimeData> owned(data);
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, actions, data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &move);
    QDropEvent drop(at, actions, data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
    return {enter.isAccepted() && move.isAccepted(), drop.isAccepted()};
  }
};

}  // namespace selvane::testkit
