// The main window driven as the user drives it: clicks, double-clicks, the popup menu and Ctrl
// keys, with the answers and file choices scripted and the card files built in a temporary folder.
#include <signal.h>
#include <sys/resource.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include "core/file_io.h"
#include "core/layout.h"
#include "examples/card_builder.h"
#include "slots/card_file.h"
#include "tests/slots/test_port.h"
#include "ui/form_data.h"
#include "ui/frm_selvane.h"
#include "ui/qt_user_port.h"

// A start: the stored "Source" (and "Output" "ddf"; nothing stored when empty), the card written
// and named on the command line, whether it is quoted there, the logos then shown in panes 0 and 1,
// and the "Output" that the next start reads.
using StartCase = std::tuple<QString, QString, bool, int, int, std::string>;
// A popup item chosen after a right-click on line 3 of a pane whose line `line` was selected with
// the left button; then the status byte of `slot`'s directory entry.
using MenuCase = std::tuple<int, int, const char*, int, int>;
// The identity editor on a save with the region byte `before`: the option clicked (-1 none), the
// text typed, OK or Cancel; then the save's region byte and game ID.
using EditCase = std::tuple<char, int, QString, bool, char, QByteArray>;
Q_DECLARE_METATYPE(StartCase)
Q_DECLARE_METATYPE(MenuCase)
Q_DECLARE_METATYPE(EditCase)

namespace selvane {
namespace {

// The slot tests' scripted port, with the n-th file dialog answered by choices[n] too. Its
// failures (a question or dialog without an answer) land in GoogleTest's results outside a test.
struct Port : testkit::TestPort {
  std::vector<std::optional<FileChoice>> choices;
  std::vector<FileDialogRequest> requests;
  std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest& request) override { return Next(request); }
  std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest& request) override { return Next(request); }
  std::optional<FileChoice> Next(const FileDialogRequest& request) {
    requests.push_back(request);
    if (requests.size() > choices.size()) ADD_FAILURE() << "unexpected file dialog: " << request.title;
    return requests.size() > choices.size() ? std::nullopt : choices[requests.size() - 1];
  }
};

// "ALPHA" in slot 1, the three blocks of "BRAVO" in slots 2-4, "CHARLIE" in slot 5.
demo::CardBuilder SourceCard() {
  demo::CardBuilder card;
  card.AddSave(1, 1, "ALPHA", "SLUS-00011", 'A').AddSave(2, 3, "BRAVO", "SLES-00022", 'E').AddSave(5, 1, "CHARLIE");
  return card;
}
// "DELTA" in slot 1.
demo::CardBuilder TargetCard() { return demo::CardBuilder().AddSave(1, 1, "DELTA", "SLUS-00044", 'A'); }

std::string Reason(int error) { return std::generic_category().message(error); }

CardImage Block(const CardImage& image, int slot) {
  const auto at = image.begin() + static_cast<std::ptrdiff_t>(SaveBlockOffset(slot));
  return CardImage(at, at + kBlockSize);
}

// Runs `act` on the modal dialog of type T once its own event loop shows it.
template <typename T>
void WhenModal(QObject* context, std::function<void(T*)> act, int triesLeft = 300) {
  QTimer::singleShot(10, context, [=] {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) return act(dialog);
    if (triesLeft > 0) WhenModal<T>(context, act, triesLeft - 1);
  });
}

// Lowers this process's file size limit for one scope, with SIGXFSZ ignored, so that a write past
// the limit fails part-way with EFBIG instead of ending the test program.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : previous_(signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &saved_);
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
  void (*previous_)(int);
};

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir settingsDir_;
  std::unique_ptr<QTemporaryDir> dir_;
  int portFailures_ = 0;
  std::unique_ptr<Port> port_;
  std::unique_ptr<ui::frmSelvane> w_;
  int registrations_ = 0;

  QString Path(const QString& name) const { return dir_->filePath(name); }
  // Writes `card` in the format that the file name gives.
  QString Write(const QString& name, const demo::CardBuilder& card = SourceCard()) {
    QDir().mkpath(QFileInfo(Path(name)).path());
    WriteFileAtomic(Path(name).toStdString(), card.Build(*FormatFromPath(name.toStdString())));
    return Path(name);
  }
  // The window started with `commandLine`; `card1`, when given, is opened in pane 1 through its
  // "..." button while the window is wide, and the window is narrow again afterwards.
  ui::frmSelvane& Open(const QString& commandLine = {}, const QString& card1 = {}) {
    w_ = std::make_unique<ui::frmSelvane>(ui::WindowStart{commandLine, [this] { ++registrations_; }, port_.get()});
    if (!card1.isEmpty()) {
      port_->choices.push_back(FileChoice{card1.toStdString(), 1});
      for (const char* name : {"btnResize", "btnBrowse1", "btnResize"}) Click(name);
    }
    w_->show();
    if (!QTest::qWaitForWindowActive(w_.get())) qWarning("the window did not become active");
    return *w_;
  }
  ui::frmSelvane& OpenTwo() { return Open(Write("one.mcr"), Write("two.mcr", TargetCard())); }

  QListWidget* List(int pane) const { return w_->findChild<QListWidget*>(QStringLiteral("lstSlot%1").arg(pane)); }
  void Click(const char* name) { QTest::mouseClick(w_->findChild<QWidget*>(name), Qt::LeftButton); }
  QPoint At(int pane, int line) const { return List(pane)->visualItemRect(List(pane)->item(line)).center(); }
  void ClickLine(int pane, int line, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(List(pane)->viewport(), button, {}, At(pane, line));
  }

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setQuitOnLastWindowClosed(false);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
  }
  void init() {
    QSettings(QStringLiteral("Selvane"), QStringLiteral("Selvane")).clear();
    dir_ = std::make_unique<QTemporaryDir>();
    portFailures_ = testing::UnitTest::GetInstance()->ad_hoc_test_result().total_part_count();
    port_ = std::make_unique<Port>();
    registrations_ = 0;
  }
  void cleanup() {
    w_.reset();
    QCOMPARE(testing::UnitTest::GetInstance()->ad_hoc_test_result().total_part_count(), portFailures_);
  }

  void startShowsLogosOpensTheCardAndKeepsTheSettings_data() {
    QTest::addColumn<StartCase>("c");
    QTest::newRow("first start") << StartCase{"", "", false, 0, 1, ""};
    QTest::newRow("stored 5: pane 1 wraps to 0") << StartCase{"5", "", false, 5, 0, "ddf"};
    QTest::newRow("stored text") << StartCase{"x", "", false, 0, 1, "ddf"};
    QTest::newRow("mem") << StartCase{"", "a.mem", false, 0, 1, "mem"};
    QTest::newRow("epsxe, spaces") << StartCase{"2", "My ePSXe cards/slot one.mcr", false, 3, 3, "mcr"};
    QTest::newRow("other mcr") << StartCase{"", "pcsx/b.mcr", false, 4, 1, "mcr"};
    QTest::newRow("gme") << StartCase{"", "c.gme", false, 2, 1, "gme"};
    QTest::newRow("quoted") << StartCase{"", "d.ddf", true, 0, 1, ""};
  }
  void startShowsLogosOpensTheCardAndKeepsTheSettings() {
    QFETCH(StartCase, c);
    const auto& [source, card, quoted, logo0, logo1, output] = c;
    QSettings settings(QStringLiteral("Selvane"), QStringLiteral("Selvane"));
    if (!source.isEmpty()) settings.setValue(QStringLiteral("Settings/Source"), source);
    if (!source.isEmpty()) settings.setValue(QStringLiteral("Settings/Output"), QStringLiteral("ddf"));
    const QString path = card.isEmpty() ? QString() : Write(card);
    const bool loaded = !card.isEmpty() && !quoted;
    ui::frmSelvane& w = Open(quoted ? QLatin1Char('"') + path + QLatin1Char('"') : path);
    QCOMPARE(registrations_, 1);
    QCOMPARE(w.logoShown(0), logo0);
    QCOMPARE(w.logoShown(1), logo1);
    QCOMPARE(w.findChild<QLineEdit*>(QStringLiteral("txtMemCard0"))->text(), loaded ? path : QString());
    QCOMPARE(w.pane(0).image, loaded ? SourceCard().Build(*FormatFromPath(card.toStdString())) : CardImage());
    QCOMPARE(List(0)->count(), loaded ? 15 : 0);
    QVERIFY(w.close());
    ui::frmSelvane& next = Open();
    QCOMPARE(next.logoShown(0), logo0);
    QCOMPARE(next.outputExt(), output);
  }

  void layoutsSwitchWidthAndShowTheWideControls() {
    ui::frmSelvane& w = Open();
    QCOMPARE(w.size(), QSize(249, 351));  // 3850 twips less the border, 5265 high
    Click("btnResize");
    QCOMPARE(w.size(), QSize(533, 351));  // 8115 twips less the border
    QCOMPARE(w.findChild<QWidget*>("btnResize")->x(), 488);
    const std::tuple<const char*, const char*, QRect> controls[] = {
        {"lblMemCard1", "Memory Card 2:", {335, 16, 163, 20}},
        {"btnConvert0", "&Save As...", {171, 296, 77, 25}},
        {"btnCompare", "=?", {251, 230, 31, 38}}};
    for (const auto& [name, caption, place] : controls) {
      auto* control = w.findChild<QWidget*>(name);
      QCOMPARE(QRect(control->mapTo(&w, QPoint()), control->size()), place);
      QCOMPARE(control->property("text").toString(), QString::fromLatin1(caption));
    }
    Click("btnResize");
    QCOMPARE(w.width(), 249);
  }

  void transferWidensAndAsksBeforeReplacing_data() {
    QTest::addColumn<bool>("byKey");  // Ctrl+M moves; a double-click copies
    QTest::addColumn<int>("line");
    QTest::newRow("double-click copies ALPHA") << false << 0;
    QTest::newRow("Ctrl+M moves CHARLIE") << true << 4;
  }
  void transferWidensAndAsksBeforeReplacing() {
    QFETCH(bool, byKey);
    QFETCH(int, line);
    ui::frmSelvane& w = OpenTwo();
    const CardImage source = SourceCard().Build(Format::Mcr);
    List(1)->setCurrentRow(0);  // DELTA is the target line
    ClickLine(0, line);
    port_->Answering({Answer::No});
    byKey ? QTest::keyClick(List(0), Qt::Key_M, Qt::ControlModifier)
          : QTest::mouseDClick(List(0)->viewport(), Qt::LeftButton, {}, At(0, line));
    QVERIFY(w.isWide());
    QCOMPARE(port_->questions()[0].text, "Do you want to replace 'DELTA'?");
    QCOMPARE(port_->questions()[0].defaultAnswer, Answer::No);
    // Declined: DELTA stays and the save lands on the first free line.
    QCOMPARE(Block(w.pane(1).image, 1), Block(TargetCard().Build(), 1));
    QCOMPARE(Block(w.pane(1).image, 2), Block(source, line + 1));
    QCOMPARE(Block(w.pane(0).image, line + 1), byKey ? CardImage(kBlockSize, 0) : Block(source, line + 1));
  }

  void ctrlShiftCDoesNothing() {
    ui::frmSelvane& w = OpenTwo();
    ClickLine(0, 0);
    QTest::keyClick(List(0), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!w.isWide());
    QVERIFY(!w.pane(1).cardModified);
  }

  void menuActsOnTheRightClickedPaneAndItsSelectedLine_data() {
    QTest::addColumn<MenuCase>("c");
    QTest::newRow("delete in pane 1") << MenuCase{1, 0, "mnuDelete", 1, 0xA0};
    QTest::newRow("toggle a BRAVO link in pane 0") << MenuCase{0, 2, "mnuToggleDeleted", 2, 0xA1};
  }
  void menuActsOnTheRightClickedPaneAndItsSelectedLine() {
    QFETCH(MenuCase, c);
    const auto& [pane, line, item, slot, status] = c;
    ui::frmSelvane& w = OpenTwo();
    Click("btnResize");
    ClickLine(pane, line);
    ClickLine(1 - pane, 4);  // the last left click is in the other pane
    ClickLine(pane, 3, Qt::RightButton);
    QMenu* menu = w.popupMenu();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->findChild<QAction*>(item)).center());
    QCOMPARE(int(w.pane(pane).image[SlotEntryOffset(slot)]), status);
    QVERIFY(w.pane(pane).cardModified);
    QVERIFY(!w.pane(1 - pane).cardModified);
  }

  void compareMovesTheFocusToTheListWithoutSelection() {
    OpenTwo();
    Click("btnResize");
    Click("btnCompare");
    QCOMPARE(port_->MessageTexts(), std::vector<std::string>{"Select a slot in Memory Card 1"});
    QCOMPARE(QApplication::focusWidget(), List(0));
    ClickLine(0, 0);
    Click("btnCompare");
    QCOMPARE(port_->MessageTexts().back(), "Select a slot in Memory Card 2");
    QCOMPARE(QApplication::focusWidget(), List(1));
  }

  void saveAsConvertsAndForcesTheExtension() {
    ui::frmSelvane& w = Open(Write("card1.mcr"));
    port_->choices.push_back(FileChoice{Path("out.gme").toStdString(), 1});  // Virtual Game Station
    Click("btnConvert0");
    QCOMPARE(ReadCardFile(Path("out.mem").toStdString()).bytes, SourceCard().Build(Format::Mem));
    QVERIFY(!QFileInfo::exists(Path("out.gme")));
    QCOMPARE(w.outputExt(), "mem");
  }

  // A save that the file system refuses names the path and the reason and keeps the unsaved
  // work: CardModified stays, the card file is byte-identical, no temporary file is left.
  void refusedSaveKeepsTheWork_data() {
    QTest::addColumn<QString>("target");  // the Save As choice; "card.mcr" is the card itself
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing folder") << "missing/out.mcr" << QString::fromStdString(Reason(ENOENT));
    QTest::newRow("folder") << "folder.mcr" << QString::fromStdString(Reason(EISDIR));
    QTest::newRow("size limit part-way") << "card.mcr" << QString::fromStdString(Reason(EFBIG));
    QTest::newRow("read-only card") << "card.mcr"
                                    << "the file is read-only";
  }
  void refusedSaveKeepsTheWork() {
    QFETCH(QString, target);
    QFETCH(QString, reason);
    ui::frmSelvane& w = Open(Write("card.mcr"));
    ClickLine(0, 0);
    Click("btnDelete0");
    QDir(dir_->path()).mkdir("folder.mcr");
    if (QTest::currentDataTag() == QStringLiteral("read-only card"))
      QFile::setPermissions(Path("card.mcr"), QFile::ReadOwner);
    const QStringList before = QDir(dir_->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    port_->choices.push_back(FileChoice{Path(target).toStdString(), 3});  // ePSXe (*.mcr)
    {
      FileSizeLimit limit(QTest::currentDataTag() == QStringLiteral("size limit part-way") ? 64 * 1024 : RLIM_INFINITY);
      Click("btnConvert0");
    }
    QCOMPARE(port_->MessageTexts(), std::vector<std::string>{Path(target).toStdString() +
                                                             " could not be saved: " + reason.toStdString() + "."});
    QCOMPARE(port_->messages().at(0).icon, MessageIcon::Information);
    QVERIFY(w.pane(0).cardModified);
    QCOMPARE(ReadCardFile(Path("card.mcr").toStdString()).bytes, SourceCard().Build(Format::Mcr));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
  }

  // Another program rewrote the card file since it was opened: Save asks first; Yes writes, No
  // writes nothing and keeps the unsaved work.
  void cardChangedOnDiskAsksBeforeSaving_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes writes") << true;
    QTest::newRow("No saves nothing") << false;
  }
  void cardChangedOnDiskAsksBeforeSaving() {
    QFETCH(bool, yes);
    const std::filesystem::path card = Write("card.mcr").toStdString();
    std::filesystem::last_write_time(card, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    ui::frmSelvane& w = Open(QString::fromStdString(card.string()));
    ClickLine(0, 0);
    Click("btnDelete0");
    const auto loaded = std::filesystem::last_write_time(card);
    WriteFileAtomic(card.string(), TargetCard().Build(Format::Mcr));  // same length, a later time
    std::filesystem::last_write_time(card, loaded + std::chrono::seconds(3));
    port_->Answering({yes ? Answer::Yes : Answer::No});
    ClickLine(0, 3, Qt::RightButton);
    QMenu* menu = w.popupMenu();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->findChild<QAction*>("mnuSave")).center());
    QCOMPARE(port_->questions().size(), std::size_t{1});
    QCOMPARE(port_->questions()[0].text, card.string() + " has changed on disk since it was opened. Overwrite it?");
    QCOMPARE(port_->questions()[0].buttons, Buttons::YesNo);
    QCOMPARE(port_->questions()[0].defaultAnswer, Answer::No);
    QCOMPARE(ReadCardFile(card.string()).bytes, yes ? w.pane(0).image : TargetCard().Build(Format::Mcr));
    QCOMPARE(w.pane(0).cardModified, !yes);
  }

  void newWritesAnEmptyCardAndOpensIt() {
    ui::frmSelvane& w = Open();
    port_->choices.push_back(FileChoice{Path("blank").toStdString(), 6});  // DexDrive
    Click("btnNew0");
    QCOMPARE(port_->requests.at(0).title, "Save New Memory Card 1 As...");
    QCOMPARE(ReadCardFile(Path("blank.gme").toStdString()).bytes, demo::CardBuilder().Build(Format::Gme));
    QCOMPARE(w.findChild<QLineEdit*>(QStringLiteral("txtMemCard0"))->text(), Path("blank.gme"));
    QCOMPARE(List(0)->count(), 15);
  }

  void closingAsksForEachModifiedPane() {
    ui::frmSelvane& w = OpenTwo();
    Click("btnResize");
    for (int pane : {0, 1}) ClickLine(pane, 0);
    for (const char* name : {"btnDelete0", "btnDelete1"}) Click(name);
    port_->Answering({Answer::No, Answer::Cancel});
    QVERIFY(!w.close());
    QCOMPARE(port_->questions().at(0).text, "Memory Card 1 has been modified.\r\nDo you want to save the changes?");
    QCOMPARE(port_->questions().at(1).text, "Memory Card 2 has been modified.\r\nDo you want to save the changes?");
    // Yes saves through Save As and keeps the window open; the saved pane asks no more.
    port_->Answering({Answer::Yes, Answer::No});
    port_->choices.push_back(FileChoice{Path("saved").toStdString(), 3});
    QVERIFY(!w.close());
    QCOMPARE(ReadCardFile(Path("saved.mcr").toStdString()).bytes, w.pane(0).image);
    port_->Answering({Answer::No});
    QVERIFY(w.close());
    QCOMPARE(port_->questions().size(), std::size_t{5});
  }

  void editSlotThroughFormData_data() {
    QTest::addColumn<EditCase>("c");
    QTest::newRow("upper case, EUR") << EditCase{'A', 1, "wxyz-00001", true, 'E', "WXYZ-00001"};
    QTest::newRow("ten characters") << EditCase{'I', -1, "abcdefghijk", true, 'I', "ABCDEFGHIJ"};
    QTest::newRow("no region chosen") << EditCase{'Z', -1, "ab", true, 'Z', "ABUS-00011"};
    QTest::newRow("Cancel") << EditCase{'A', 2, "zz", false, 'A', "SLUS-00011"};
  }
  void editSlotThroughFormData() {
    QFETCH(EditCase, c);
    const auto& [before, option, typed, ok, region, id] = c;
    ui::frmSelvane& w = Open(Write("edit.mcr", demo::CardBuilder().AddSave(1, 1, "ECHO", "SLUS-00011", before)));
    ClickLine(0, 0);
    WhenModal<ui::formData>(this, [&](ui::formData* dialog) {
      QVERIFY(QTest::qWaitForWindowActive(dialog));  // the ID box then selects its text as it gets the focus
      if (option >= 0)
        QTest::mouseClick(dialog->findChild<QWidget*>(QStringLiteral("optRegion%1").arg(option)), Qt::LeftButton);
      auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("txtID"));
      box->setFocus();
      QTest::keyClicks(box, typed);
      QTest::mouseClick(dialog->findChild<QWidget*>(ok ? "btnOK" : "btnCancel"), Qt::LeftButton);
    });
    QTest::keyClick(List(0), Qt::Key_E, Qt::ControlModifier);
    const auto entry = w.pane(0).image.begin() + static_cast<std::ptrdiff_t>(SlotEntryOffset(1));
    QCOMPARE(char(entry[kEntryRegion]), region);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(&entry[kEntryGameId]), kGameIdLength), id);
    QCOMPARE(w.pane(0).cardModified, ok);
  }

  // The window's own port shows real message boxes and file dialogs; each is closed from a timer.
  void realDialogsAreWired() {
    ui::QtUserPort port(nullptr);
    QMessageBox::StandardButton preset = QMessageBox::NoButton;
    WhenModal<QMessageBox>(this, [&](QMessageBox* box) {
      preset = box->standardButton(box->defaultButton());
      box->button(QMessageBox::Yes)->click();
    });
    QCOMPARE(port.Ask("Do you want to replace 'DELTA'?", Buttons::YesNo, Answer::No), Answer::Yes);
    QCOMPARE(preset, QMessageBox::No);
    QString startFilter;
    WhenModal<QFileDialog>(this, [&](QFileDialog* dialog) {
      startFilter = dialog->selectedNameFilter();
      dialog->selectNameFilter(dialog->nameFilters().at(0));
      dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("typed.mem"));
      QMetaObject::invokeMethod(dialog, "accept");
    });
    const auto choice = port.ChooseFileToSave(
        {"Save Memory Card 1 As...", std::string(filters::kSaveAs), dir_->path().toStdString(), "", 6});
    QCOMPARE(startFilter, "DexDrive (*.gme)");
    QCOMPARE(choice.value_or(FileChoice{}).path, Path("typed.mem").toStdString());
    QCOMPARE(choice.value_or(FileChoice{}).filterIndex, 1);
  }
};

}  // namespace selvane

QTEST_MAIN(selvane::WindowTest)
#include "window_test.moc"
