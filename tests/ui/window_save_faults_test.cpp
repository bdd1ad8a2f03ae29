// The window's Save and Save As when the file system refuses the write (missing folder, a folder
// in the way, the file size limit reached part-way, a read-only card) and when the card file
// changed on disk since it was opened. A refused save shows the path and the reason, keeps
// CardModified, leaves the old file byte-identical and leaves no temporary file in the folder.
#include <signal.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <memory>

#include "core/card.h"
#include "scripted_port.h"
#include "test_cards.h"
#include "ui/frm_selvane.h"

using selvane::Answer;
using selvane::Buttons;
using selvane::CardImage;
using selvane::FileChoice;
using selvane::Format;
using selvane::MessageIcon;
using selvane::test::ScriptedPort;
using selvane::ui::frmSelvane;
using selvane::ui::WindowStart;
namespace fs = std::filesystem;

Q_DECLARE_METATYPE(selvane::Answer)

namespace {

std::string Reason(int error) { return std::generic_category().message(error); }

std::string FailedSave(const std::string& path, const std::string& reason) {
  return path + " could not be saved: " + reason + ".";
}

// Lowers the file size limit of this process for one scope, with SIGXFSZ ignored so that a write
// past the limit fails with EFBIG instead of ending the test program.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = saved_;
    lowered.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, previous_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*previous_)(int) = SIG_DFL;
};

}  // namespace

class WindowSaveFaultsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir settingsDir_;
  std::unique_ptr<QTemporaryDir> cards_;
  ScriptedPort port_;
  std::unique_ptr<frmSelvane> window_;
  CardImage old_;
  std::string path_;

  QString CardPath(const QString& name) const { return cards_->filePath(name); }
  QStringList Folder() const {
    return QDir(cards_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  }
  QListWidget* List(int pane) const { return window_->findChild<QListWidget*>(QStringLiteral("lstSlot%1").arg(pane)); }
  QPushButton* Button(const QString& name) const { return window_->findChild<QPushButton*>(name); }

  // The window with card.mcr in pane 0 and one slot deleted: unsaved work.
  frmSelvane& StartModified() {
    old_ = selvane::test::SourceCard().Build(Format::Mcr);
    path_ = selvane::test::WriteCard(CardPath(QStringLiteral("card.mcr")), old_);
    // A time in the past, so that a rewrite can be dated later without waiting for the clock.
    fs::last_write_time(path_, fs::file_time_type::clock::now() - std::chrono::hours(1));
    WindowStart start;
    start.commandLine = QString::fromStdString(path_);
    start.port = &port_;
    window_ = std::make_unique<frmSelvane>(start);
    QListWidget* list = List(0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QTest::mouseClick(Button(QStringLiteral("btnDelete0")), Qt::LeftButton);
    return *window_;
  }

  void Menu(const QString& item) {
    QListWidget* list = List(0);
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, list->visualItemRect(list->item(0)).center());
    QMenu* menu = window_->popupMenu();
    QAction* action = menu->findChild<QAction*>(item);
    QVERIFY(menu->isVisible() && action);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
  }

  void SaveAs(const std::string& target) {
    port_.saveChoices.push_back(FileChoice{target, 3});  // ePSXe (*.mcr)
    QTest::mouseClick(Button(QStringLiteral("btnConvert0")), Qt::LeftButton);
  }

  // The one message of a refused save, the unsaved work kept, the card file as it was.
  void ExpectRefused(const std::string& message, const QStringList& folder) {
    QCOMPARE(port_.MessageTexts(), std::vector<std::string>{message});
    QCOMPARE(port_.messages[0].icon, MessageIcon::Information);
    QVERIFY(window_->pane(0).cardModified);
    QCOMPARE(selvane::test::ReadBytes(QString::fromStdString(path_)), old_);
    QCOMPARE(Folder(), folder);
  }

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(settingsDir_.isValid());
    QApplication::setQuitOnLastWindowClosed(false);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
  }

  void init() {
    cards_ = std::make_unique<QTemporaryDir>();
    QVERIFY(cards_->isValid());
    port_ = ScriptedPort();
  }

  void cleanup() {
    window_.reset();
    QVERIFY2(port_.unexpected.empty(), port_.unexpected.empty() ? "" : port_.unexpected.front().c_str());
  }

  void saveAsIntoAMissingFolder() {
    StartModified();
    const QStringList before = Folder();
    const std::string target = CardPath(QStringLiteral("missing/out.mcr")).toStdString();
    SaveAs(target);
    ExpectRefused(FailedSave(target, Reason(ENOENT)), before);
  }

  void saveAsOntoAFolder() {
    StartModified();
    QVERIFY(QDir(cards_->path()).mkdir(QStringLiteral("folder.mcr")));
    const QStringList before = Folder();
    const std::string target = CardPath(QStringLiteral("folder.mcr")).toStdString();
    SaveAs(target);
    ExpectRefused(FailedSave(target, Reason(EISDIR)), before);
    QVERIFY(QFileInfo(QString::fromStdString(target)).isDir());
  }

  void saveStoppedPartWayByTheFileSizeLimit() {
    StartModified();
    const QStringList before = Folder();
    {
      FileSizeLimit limit(64 * 1024);
      Menu(QStringLiteral("mnuSave"));
    }
    ExpectRefused(FailedSave(path_, Reason(EFBIG)), before);
  }

  void saveOverAReadOnlyCard() {
    StartModified();
    QVERIFY(QFile::setPermissions(QString::fromStdString(path_), QFile::ReadOwner | QFile::ReadGroup));
    const QStringList before = Folder();
    Menu(QStringLiteral("mnuSave"));
    ExpectRefused(FailedSave(path_, "the file is read-only"), before);
  }

  void saveThatWorksClearsTheModifiedMark() {
    frmSelvane& window = StartModified();
    Menu(QStringLiteral("mnuSave"));
    QVERIFY(port_.messages.empty());
    QVERIFY(!window.pane(0).cardModified);
    QCOMPARE(selvane::test::ReadBytes(QString::fromStdString(path_)), window.pane(0).image);
    QCOMPARE(Folder(), QStringList{QStringLiteral("card.mcr")});
  }

  // --- the card file changed on disk since it was opened ---

  void changedOnDisk_data() {
    QTest::addColumn<Answer>("answer");
    QTest::newRow("Yes writes") << Answer::Yes;
    QTest::newRow("No saves nothing") << Answer::No;
  }

  void changedOnDisk() {
    QFETCH(Answer, answer);
    frmSelvane& window = StartModified();
    const CardImage emulator = selvane::test::TargetCard().Build(Format::Mcr);  // same length
    const auto loadedTime = fs::last_write_time(path_);
    selvane::test::WriteCard(QString::fromStdString(path_), emulator);
    fs::last_write_time(path_, loadedTime + std::chrono::seconds(3));

    port_.answers.push_back(answer);
    Menu(QStringLiteral("mnuSave"));
    QCOMPARE(port_.questions.size(), std::size_t{1});
    QCOMPARE(port_.questions[0].text, path_ + " has changed on disk since it was opened. Overwrite it?");
    QCOMPARE(port_.questions[0].buttons, Buttons::YesNo);
    QCOMPARE(port_.questions[0].defaultAnswer, Answer::No);
    QVERIFY(port_.messages.empty());
    const CardImage onDisk = selvane::test::ReadBytes(QString::fromStdString(path_));
    if (answer == Answer::Yes) {
      QCOMPARE(onDisk, window.pane(0).image);
      QVERIFY(!window.pane(0).cardModified);
    } else {
      QCOMPARE(onDisk, emulator);
      QVERIFY(window.pane(0).cardModified);
    }
    QCOMPARE(Folder(), QStringList{QStringLiteral("card.mcr")});
  }

  void saveAsOntoTheChangedFileAsksToo() {
    frmSelvane& window = StartModified();
    const auto loadedTime = fs::last_write_time(path_);
    fs::last_write_time(path_, loadedTime + std::chrono::seconds(3));  // touched by another program
    port_.answers.push_back(Answer::No);
    SaveAs(path_);
    QCOMPARE(port_.questions.size(), std::size_t{1});
    QCOMPARE(port_.questions[0].text, path_ + " has changed on disk since it was opened. Overwrite it?");
    QCOMPARE(selvane::test::ReadBytes(QString::fromStdString(path_)), old_);
    QVERIFY(window.pane(0).cardModified);
  }
};

QTEST_MAIN(WindowSaveFaultsTest)
#include "window_save_faults_test.moc"
