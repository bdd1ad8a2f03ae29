// The window's Save, through the real window with a scripted port, when an emulator rewrote the
// card file since it was opened and when the system refuses the write: the file on disk stays as it
// is, the unsaved work stays marked as modified and the exit prompt still asks about it.
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <filesystem>

#include "scripted_port.h"
#include "test_cards.h"
#include "ui/frm_selvane.h"

namespace fs = std::filesystem;

class WindowSaveFaultsTest : public QObject {
  Q_OBJECT

 private slots:
  void refusedSavesKeepTheWork() {
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());  // the settings stay in here
    const selvane::CardImage emulator = selvane::test::TargetCard().Build();
    const std::string path = selvane::test::WriteCard(dir.filePath("card.mcr"), selvane::test::SourceCard().Build());
    selvane::test::ScriptedPort port;
    selvane::ui::frmSelvane window({QString::fromStdString(path), {}, &port});
    QListWidget* list = window.findChild<QListWidget*>(QStringLiteral("lstSlot0"));
    const QPoint line = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnDelete0")), Qt::LeftButton);  // unsaved work
    const auto save = [&](selvane::Answer answer) {
      port.answers.push_back(answer);
      QTest::mouseClick(list->viewport(), Qt::RightButton, {}, line);
      QMenu* menu = window.popupMenu();
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->findChild<QAction*>("mnuSave")).center());
    };

    // An emulator rewrites the card at the same length, dated later than the load.
    selvane::test::WriteCard(QString::fromStdString(path), emulator);
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(3));
    save(selvane::Answer::No);
    QCOMPARE(port.questions.size(), std::size_t{1});
    QCOMPARE(port.questions[0].text, path + " has changed on disk since it was opened. Overwrite it?");
    fs::permissions(path, fs::perms::owner_read);
    save(selvane::Answer::Yes);  // and the write is refused: the card file is read-only
    QCOMPARE(port.MessageTexts(), std::vector<std::string>{path + " could not be saved: the file is read-only."});
    QCOMPARE(selvane::test::ReadBytes(QString::fromStdString(path)), emulator);
    port.answers.push_back(selvane::Answer::No);
    QVERIFY(window.close());  // after the exit prompt asked about the work, still marked as modified
    QCOMPARE(port.questions.size(), std::size_t{3});
    QCOMPARE(port.questions[2].text,
             std::string("Memory Card 1 has been modified.\r\nDo you want to save the changes?"));
  }
};

QTEST_MAIN(WindowSaveFaultsTest)
#include "window_save_faults_test.moc"
