// The main window driven as the user drives it: clicks, double-clicks, the popup menu and Ctrl
// keys, with the answers and file choices scripted and the card files built in a temporary folder.
#include <signal.h>
#include <sys/resource.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
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
#include "slots/slot_list.h"
#include "tests/slots/test_port.h"
#include "ui/form_data.h"
#include "ui/frm_selvane.h"
#include "ui/qt_user_port.h"
#include "ui/save_card.h"

// A start: the stored "Source" (and "Output" "ddf"; nothing stored when empty), the card written
// and named on the command line, whether it is quoted there, the logos then shown in panes 0 and 1,
// and the "Output" that the next start reads.
using StartCase = std::tuple<QString, QString, bool, int, int, std::string>;
// A popup item chosen after a right-click on line 3 of a pane whose line `line` was selected with
// the left button; then the status byte of `slot`'s directory entry.
using MenuCase = std::tuple<int, int, const char*, int, int>;
// The identity editor on a save with the region byte `before`: the option clicked (-1 none), the
// text typed, how the dialog is closed (a button, or Return in the ID box); then the save's region byte and game ID.
using EditCase = std::tuple<char, int, QString, const char*, char, QByteArray>;
// A Ctrl key pressed in path box 0 while ALPHA's line is selected, with the cursor at the start of
// the path or (`selectAll`) the whole path selected: whether the path stays, and a look at what
// shows that the key's command ran.
struct PathBoxKey {
  Qt::Key key;
  bool selectAll;
  bool pathKept;
  std::function<void()> commandRan;
};
Q_DECLARE_METATYPE(PathBoxKey)
// An operation on two cards: the line selected in pane 0 (-1 none) and the control clicked (or the
// popup item chosen on pane 0); then the lines that changed in each pane, and which cards are
// marked as changed.
struct ShownCase {
  int line0;
  const char* control;
  std::vector<std::pair<int, const char*>> changed0;
  std::vector<std::pair<int, const char*>> changed1;
  bool modified0;
  bool modified1;
};
Q_DECLARE_METATYPE(ShownCase)
Q_DECLARE_METATYPE(StartCase)
Q_DECLARE_METATYPE(MenuCase)
Q_DECLARE_METATYPE(EditCase)

namespace selvane {
namespace {

// The slot tests' scripted port, with the n-th file dialog answered by choices[n] too. Its
// failures (a question or dialog without an answer) land in GoogleTest's results outside a test.
// `onPrompt`, when set, runs as each message or question appears, to look at the window then.
struct Port : testkit::DialogPort {
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

// "ALPHA" in slot 1, the three blocks of "BRAVO" in slots 2-4, "CHARLIE" in slot 5.
demo::CardBuilder SourceCard() {
  demo::CardBuilder card;
  card.AddSave(1, 1, "ALPHA", "SLUS-00011", 'A').AddSave(2, 3, "BRAVO", "SLES-00022", 'E').AddSave(5, 1, "CHARLIE");
  return card;
}
// "DELTA" in slot 1.
demo::CardBuilder TargetCard() { return demo::CardBuilder().AddSave(1, 1, "DELTA", "SLUS-00044", 'A'); }

std::string CardName(int pane) { return "Memory Card " + std::to_string(pane + 1); }

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

// Counts the presses of one key that reach the object it filters.
struct KeyPresses : QObject {
  explicit KeyPresses(int pressed) : key(pressed) {}
  int key;
  int count = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == key) ++count;
    return false;
  }
};

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
  QString editorTitle_;

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
    w_ = std::make_unique<ui::frmSelvane>(
        ui::WindowStart{commandLine.toStdString(), [this] { ++registrations_; }, port_.get()});
    if (!card1.isEmpty()) {
      port_->choices.push_back(FileChoice{card1.toStdString(), 1});
      for (const char* name : {"btnResize", "btnBrowse1", "btnResize"}) Click(name);
    }
    w_->show();
    // Without a window manager (Xvfb) nothing activates a new window; it asks for the focus itself.
    if (QTest::qWaitForWindowExposed(w_.get())) w_->activateWindow();
    if (!QTest::qWaitForWindowActive(w_.get())) qWarning("the window did not become active");
    return *w_;
  }
  ui::frmSelvane& OpenTwo() { return Open(Write("one.mcr"), Write("two.mcr", TargetCard())); }

  QListWidget* List(int pane) const { return w_->findChild<QListWidget*>(QStringLiteral("lstSlot%1").arg(pane)); }
  void Click(const char* name) { QTest::mouseClick(w_->findChild<QWidget*>(name), Qt::LeftButton); }
  QPoint At(int pane, int line) const { return List(pane)->visualItemRect(List(pane)->item(line)).center(); }
  void ClickLine(int pane, int line, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers keys = {}) {
    QTest::mouseClick(List(pane)->viewport(), button, keys, At(pane, line));
  }
  QLineEdit* Box(int pane) const { return w_->findChild<QLineEdit*>(QStringLiteral("txtMemCard%1").arg(pane)); }
  // The lines that a pane's list shows.
  QStringList Shown(int pane) const {
    QStringList lines;
    for (int i = 0; i < List(pane)->count(); ++i) lines << List(pane)->item(i)->text();
    return lines;
  }
  void Ctrl(QWidget* focus, Qt::Key key) {
    focus->setFocus();
    QTest::keyClick(focus, key, Qt::ControlModifier);
  }
  void ChooseFromMenu(int pane, const char* item) {
    ClickLine(pane, 3, Qt::RightButton);
    QMenu* menu = w_->popupMenu();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->findChild<QAction*>(item)).center());
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

  // Every control where the layout tables put it, in pixels of the window (15 twips a pixel).
  void layoutsSwitchWidthAndShowTheWideControls() {
    ui::frmSelvane& w = Open();
    QCOMPARE(w.size(), QSize(249, 351));  // 3850 twips less the border, 5265 high
    auto place = [&w](const char* name) {
      auto* control = w.findChild<QWidget*>(name);
      return control ? QRect(control->mapTo(&w, QPoint()), control->size()) : QRect();
    };
    QCOMPARE(place("btnResize"), QRect(202, 330, 45, 20));
    Click("btnResize");
    QCOMPARE(w.size(), QSize(533, 351));  // 8115 twips less the border
    const std::pair<const char*, QRect> controls[] = {
        {"lblMemCard0", {53, 15, 163, 27}},   {"txtMemCard0", {8, 41, 217, 19}},
        {"btnBrowse0", {226, 41, 21, 19}},    {"lstSlot0", {7, 62, 240, 227}},
        {"btnNew0", {8, 296, 77, 25}},        {"btnDelete0", {89, 296, 77, 25}},
        {"btnConvert0", {171, 296, 77, 25}},  {"linSlotNumbers0", {26, 61, 1, 227}},
        {"lblMemCard1", {335, 16, 163, 20}},  {"txtMemCard1", {286, 42, 217, 19}},
        {"btnBrowse1", {504, 42, 21, 19}},    {"lstSlot1", {286, 63, 240, 227}},
        {"btnNew1", {286, 297, 77, 25}},      {"btnDelete1", {367, 297, 77, 25}},
        {"btnConvert1", {449, 297, 77, 25}},  {"linSlotNumbers1", {305, 63, 1, 227}},
        {"btnTransfer0", {251, 100, 31, 38}}, {"btnTransfer1", {251, 158, 31, 38}},
        {"btnCompare", {251, 230, 31, 38}},   {"btnResize", {488, 330, 45, 20}},
        {"lblCredits", {10, 333, 112, 13}},   {"linButtons", {0, 320, 536, 8}}};
    for (const auto& [name, rect] : controls) QCOMPARE(place(name), rect);
    // Each logo has a place of its own in each pane.
    const char* logoPaths[] = {"a.mem", "a.mcd", "a.gme", "epsxe.mcr", "a.mcr", "a.ddf"};
    const QRect logoPlaces[2][6] = {
        {{6, 0, 43, 44}, {8, 5, 37, 35}, {6, 9, 45, 30}, {4, 10, 105, 30}, {9, 3, 39, 36}, {6, 3, 44, 34}},
        {{288, 2, 43, 44},
         {290, 7, 37, 35},
         {288, 11, 45, 30},
         {286, 12, 105, 30},
         {291, 5, 39, 36},
         {288, 5, 44, 34}}};
    for (int pane : {0, 1}) {
      for (int k = 0; k < 6; ++k) {
        Box(pane)->setText(QString::fromLatin1(logoPaths[k]));
        QCOMPARE(w.logoShown(pane), k);
        QCOMPARE(place(pane == 0 ? "imgEmu0" : "imgEmu1"), logoPlaces[pane][k]);
      }
    }
    const std::pair<const char*, const char*> captions[] = {
        {"lblMemCard1", "Memory Card 2:"}, {"btnConvert0", "&Save As..."}, {"btnCompare", "=?"}};
    for (const auto& [name, caption] : captions) {
      QCOMPARE(w.findChild<QWidget*>(name)->property("text").toString(), QString::fromLatin1(caption));
    }
    Click("btnResize");
    QCOMPARE(w.width(), 249);
  }

  // What each operation leaves in the lists: the lines that changed, every other line as before,
  // and which cards are marked as changed. An identity edit changes the card, not the list.
  void operationsShowTheirResultInTheLists_data() {
    QTest::addColumn<ShownCase>("c");
    QTest::newRow("copy") << ShownCase{0, "btnTransfer0", {}, {{1, "02  ALPHA"}}, false, true};
    QTest::newRow("move") << ShownCase{4, "mnuMove", {{4, "05"}}, {{1, "02  CHARLIE"}}, true, true};
    QTest::newRow("delete") << ShownCase{0, "btnDelete0", {{0, "01"}}, {}, true, false};
    QTest::newRow("delete, no selection") << ShownCase{-1, "btnDelete0", {}, {}, false, false};
    QTest::newRow("clear") << ShownCase{
        -1, "mnuClearAll", {{0, "01"}, {1, "02"}, {2, "03"}, {3, "04"}, {4, "05"}, {5, "06"}}, {}, true, false};
    QTest::newRow("toggle a link line") << ShownCase{
        2,
        "mnuToggleDeleted",
        {{1, "02 -del- BRAVO"}, {2, "03 -del- Linked Slot 2"}, {3, "04 -del- Linked Slot 3"}},
        {},
        true,
        false};
    QTest::newRow("undelete") << ShownCase{5, "mnuToggleDeleted", {{5, "06  ECHO"}}, {}, true, false};
    QTest::newRow("edit") << ShownCase{5, "mnuEdit", {}, {}, true, false};
  }
  void operationsShowTheirResultInTheLists() {
    QFETCH(ShownCase, c);
    ui::frmSelvane& w = Open(Write("one.mcr", SourceCard().AddSave(6, 1, "ECHO", "SLES-00066", 'E', true)),
                             Write("two.mcr", TargetCard()));
    Click("btnResize");
    if (c.line0 >= 0) ClickLine(0, c.line0);
    const QStringList before[2] = {Shown(0), Shown(1)};
    if (QLatin1String(c.control) == QLatin1String("mnuEdit")) {
      WhenModal<ui::formData>(this, [](ui::formData* dialog) {
        auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("txtID"));
        box->selectAll();
        QTest::keyClicks(box, "ABCDEFGHIJ");  // no digits
        QTest::mouseClick(dialog->findChild<QWidget*>("btnOK"), Qt::LeftButton);
      });
    }
    QLatin1String(c.control).startsWith(QLatin1String("mnu")) ? ChooseFromMenu(0, c.control) : Click(c.control);
    for (int pane : {0, 1}) {
      QStringList expected = before[pane];
      for (const auto& [line, text] : pane == 0 ? c.changed0 : c.changed1) expected[line] = QString::fromLatin1(text);
      QCOMPARE(Shown(pane), expected);
    }
    QCOMPARE(w.pane(0).cardModified, c.modified0);
    QCOMPARE(w.pane(1).cardModified, c.modified1);
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
    QCOMPARE(port_->questions()[0].buttons, Buttons::YesNo);
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

  void closingAsksForEachModifiedPane() {
    ui::frmSelvane& w = OpenTwo();
    Click("btnResize");
    for (int pane : {0, 1}) ClickLine(pane, 0);
    for (const char* name : {"btnDelete0", "btnDelete1"}) Click(name);
    port_->Answering({Answer::No, Answer::Cancel});
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    for (int pane : {0, 1}) {
      const auto& question = port_->questions().at(std::size_t(pane));
      QCOMPARE(question.text, CardName(pane) + " has been modified.\r\nDo you want to save the changes?");
      QCOMPARE(question.buttons, Buttons::YesNoCancel);
      QCOMPARE(question.defaultAnswer, Answer::Yes);
    }
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
    QTest::newRow("upper case, EUR") << EditCase{'A', 1, "wxyz-00001", "btnOK", 'E', "WXYZ-00001"};
    QTest::newRow("ten characters") << EditCase{'I', -1, "abcdefghijk", "btnOK", 'I', "ABCDEFGHIJ"};
    QTest::newRow("no region chosen") << EditCase{'Z', -1, "ab", "btnOK", 'Z', "ABUS-00011"};
    QTest::newRow("Return confirms") << EditCase{'A', 2, "yy", "Return", 'I', "YYUS-00011"};
    QTest::newRow("Cancel") << EditCase{'A', 2, "zz", "btnCancel", 'A', "SLUS-00011"};
  }
  void editSlotThroughFormData() {
    QFETCH(EditCase, c);
    const auto& [before, option, typed, close, region, id] = c;
    const bool ok = QLatin1String(close) != QLatin1String("btnCancel");
    ui::frmSelvane& w = Open(Write("edit.mcr", demo::CardBuilder().AddSave(1, 1, "ECHO", "SLUS-00011", before)));
    ClickLine(0, 0);
    WhenModal<ui::formData>(this, [&](ui::formData* dialog) {
      QVERIFY(QTest::qWaitForWindowActive(dialog));  // the ID box then selects its text as it gets the focus
      if (option >= 0)
        QTest::mouseClick(dialog->findChild<QWidget*>(QStringLiteral("optRegion%1").arg(option)), Qt::LeftButton);
      auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("txtID"));
      box->setFocus();
      QTRY_VERIFY(box->hasFocus() && box->selectedText() == box->text());  // a busy machine is slow to focus
      QTest::keyClicks(box, typed);
      QLatin1String(close) == QLatin1String("Return")
          ? QTest::keyClick(box, Qt::Key_Return)
          : QTest::mouseClick(dialog->findChild<QWidget*>(close), Qt::LeftButton);
      if (dialog->isVisible()) dialog->reject();  // the key confirmed nothing: the card shows it
    });
    QTest::keyClick(List(0), Qt::Key_E, Qt::ControlModifier);
    const auto entry = w.pane(0).image.begin() + static_cast<std::ptrdiff_t>(SlotEntryOffset(1));
    QCOMPARE(char(entry[kEntryRegion]), region);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(&entry[kEntryGameId]), kGameIdLength), id);
    QCOMPARE(w.pane(0).cardModified, ok);
  }

  // Only Ctrl+X, C, V, Z and A edit a path box; the other command keys reach their command with
  // the text (and the cursor) untouched.
  void ctrlKeysInThePathBoxRunTheirCommandWithoutEditing_data() {
    QTest::addColumn<PathBoxKey>("c");
    auto dialog = [this](const char* title) {
      return [this, title] {
        QCOMPARE(port_->requests.size(), std::size_t{1});
        QCOMPARE(port_->requests[0].title, title);
      };
    };
    auto shown = [this](int pane, int line, const char* text) {
      return [=, this] { QCOMPARE(List(pane)->item(line)->text(), QString::fromLatin1(text)); };
    };
    auto saved = [this] {
      const auto age = std::filesystem::file_time_type::clock::now() -
                       std::filesystem::last_write_time(Path("one.mcr").toStdString());
      QVERIFY(age < std::chrono::minutes(30));  // the file was made an hour old before the key
    };
    auto status = [this](std::uint8_t value) {
      return [=, this] { QCOMPARE(int(w_->pane(0).image[SlotEntryOffset(1)]), int(value)); };
    };
    QTest::newRow("O") << PathBoxKey{Qt::Key_O, false, true, dialog("Select the Memory Card 1")};
    QTest::newRow("N") << PathBoxKey{Qt::Key_N, false, true, dialog("Save New Memory Card 1 As...")};
    QTest::newRow("S") << PathBoxKey{Qt::Key_S, false, true, saved};
    QTest::newRow("T") << PathBoxKey{Qt::Key_T, false, true, dialog("Save Memory Card 1 As...")};
    QTest::newRow("E") << PathBoxKey{Qt::Key_E, false, true, [this] { QCOMPARE(editorTitle_, "Slot 1 - 01  ALPHA"); }};
    QTest::newRow("X") << PathBoxKey{Qt::Key_X, false, true, status(0xA0)};
    QTest::newRow("D") << PathBoxKey{Qt::Key_D, false, true, status(0xA0)};
    QTest::newRow("U") << PathBoxKey{Qt::Key_U, false, true, status(0xA1)};
    QTest::newRow("M") << PathBoxKey{Qt::Key_M, false, true, shown(0, 0, "01")};
    QTest::newRow("C") << PathBoxKey{Qt::Key_C, false, true, shown(1, 1, "02  ALPHA")};
    QTest::newRow("X cuts the selected path") << PathBoxKey{Qt::Key_X, true, false, status(0xA0)};
    QTest::newRow("D keeps the selected path") << PathBoxKey{Qt::Key_D, true, true, status(0xA0)};
    QTest::newRow("U keeps the selected path") << PathBoxKey{Qt::Key_U, true, true, status(0xA1)};
    QTest::newRow("C copies the selected path")
        << PathBoxKey{Qt::Key_C, true, true, [this] {
                        QCOMPARE(QApplication::clipboard()->text(), Path("one.mcr"));
                        QCOMPARE(List(1)->item(1)->text(), "02  ALPHA");
                      }};
  }
  void ctrlKeysInThePathBoxRunTheirCommandWithoutEditing() {
    QFETCH(PathBoxKey, c);
    const std::filesystem::path card = Write("one.mcr").toStdString();
    std::filesystem::last_write_time(card, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    Open(QString::fromStdString(card.string()), Write("two.mcr", TargetCard()));
    ClickLine(0, 0);
    port_->requests.clear();
    port_->choices = {std::nullopt};  // a file dialog is cancelled
    editorTitle_.clear();
    if (c.key == Qt::Key_E) {
      WhenModal<ui::formData>(this, [this](ui::formData* dialog) {
        editorTitle_ = dialog->windowTitle();
        dialog->reject();
      });
    }
    QApplication::clipboard()->clear();
    QLineEdit* box = Box(0);
    box->setFocus();
    c.selectAll ? box->selectAll() : box->setCursorPosition(0);
    KeyPresses presses(c.key);  // the platform's line-editing keys differ: see whether the box had the key at all
    box->installEventFilter(&presses);
    Ctrl(box, c.key);
    QCOMPARE(presses.count > 0, c.key == Qt::Key_X || c.key == Qt::Key_C);
    QCOMPARE(box->text(), c.pathKept ? Path("one.mcr") : QString());
    if (!c.selectAll) QCOMPARE(box->cursorPosition(), 0);
    c.commandRan();
  }

  // The walk back to a save's first block moves the source selection; the list shows it by the
  // time the replace question or the full-card message is on the screen.
  void transferShowsTheWalkBackBeforeItAsks_data() {
    QTest::addColumn<bool>("targetFull");
    QTest::newRow("replace question") << false;
    QTest::newRow("card full") << true;
  }
  void transferShowsTheWalkBackBeforeItAsks() {
    QFETCH(bool, targetFull);
    Open(Write("one.mcr"), Write("two.mcr", targetFull ? demo::CardBuilder().AddSave(1, 15, "FULL") : TargetCard()));
    Click("btnResize");
    if (!targetFull) ClickLine(1, 0);
    ClickLine(0, 3);                                 // BRAVO's last block
    std::vector<std::pair<int, int>> shownAtPrompt;  // current and selected line
    port_->onPrompt = [&] {
      const QModelIndexList selected = List(0)->selectionModel()->selectedRows();
      shownAtPrompt.emplace_back(List(0)->currentRow(), selected.size() == 1 ? selected[0].row() : -1);
    };
    if (!targetFull) port_->Answering({Answer::No});
    Ctrl(List(0), Qt::Key_C);
    QCOMPARE(shownAtPrompt, (std::vector<std::pair<int, int>>{{1, 1}}));
    QCOMPARE(port_->MessageTexts(),
             targetFull ? std::vector<std::string>{"The memory card is full."} : std::vector<std::string>{});
  }

  // --- Journeys: a user's story from start to end ---

  void newCardAfterAnOpenOneAsksNothing() {
    ui::frmSelvane& w = Open(Write("one.mcr"));
    port_->choices.push_back(FileChoice{Path("fresh").toStdString(), 6});  // DexDrive
    Click("btnNew0");
    QCOMPARE(port_->requests.at(0).title, "Save New Memory Card 1 As...");
    QCOMPARE(ReadCardFile(Path("fresh.gme").toStdString()).bytes, demo::CardBuilder().Build(Format::Gme));
    QCOMPARE(Box(0)->text(), Path("fresh.gme"));
    QStringList bare;
    for (int slot = 1; slot <= 15; ++slot) bare << QStringLiteral("%1").arg(slot, 2, 10, QLatin1Char('0'));
    QCOMPARE(Shown(0), bare);
    QCOMPARE(port_->questions().size(), std::size_t{0});
    QVERIFY(!w.pane(0).cardModified);
  }

  void moveALinkedSaveSaveBothAndReadThemBack() {
    OpenTwo();
    Click("btnResize");
    ClickLine(0, 2);  // BRAVO's middle block
    Ctrl(List(0), Qt::Key_M);
    QCOMPARE(Shown(1).mid(0, 5),
             (QStringList{"01  DELTA", "02  BRAVO", "03  Linked Slot 2", "04  Linked Slot 3", "05"}));
    QCOMPARE(Shown(0).mid(0, 5), (QStringList{"01  ALPHA", "02", "03", "04", "05  CHARLIE"}));
    Ctrl(List(0), Qt::Key_S);
    Ctrl(List(1), Qt::Key_S);
    QCOMPARE(port_->questions().size(), std::size_t{0});
    for (int pane : {0, 1}) {
      const std::string path = Box(pane)->text().toStdString();
      const auto listing = BuildSlotLines(path, ReadCardFile(path).bytes);
      QVERIFY(listing.has_value());
      QStringList onDisk;
      for (const std::string& line : listing->lines) onDisk << QString::fromStdString(line);
      QCOMPARE(onDisk, Shown(pane));
    }
  }

  // The edited entry of a deleted save no longer has a game ID's digits: its line would be bare
  // once rebuilt, but Edit leaves the list as shown. A two-block save copied in then lands on the
  // first line free as shown, and its second block on the first line free once the list is
  // rebuilt after the first block: the edited one.
  void editThenCopyLandsOnTheLinesAsRebuilt() {
    const CardImage golf = demo::CardBuilder().AddSave(1, 2, "GOLF", "SLUS-00077").Build();
    ui::frmSelvane& w = Open(Write("one.mcr", demo::CardBuilder().AddSave(1, 2, "GOLF", "SLUS-00077")),
                             Write("two.mcr", TargetCard().AddSave(2, 1, "ECHO", "SLES-00055", 'E', true)));
    Click("btnResize");
    QCOMPARE(Shown(1).mid(0, 3), (QStringList{"01  DELTA", "02 -del- ECHO", "03"}));
    ClickLine(1, 1);
    WhenModal<ui::formData>(this, [&](ui::formData* dialog) {
      auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("txtID"));
      box->selectAll();
      QTest::keyClicks(box, "ABCDEFGHIJ");
      QTest::mouseClick(dialog->findChild<QWidget*>("btnOK"), Qt::LeftButton);
    });
    Ctrl(List(1), Qt::Key_E);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(&w.pane(1).image[SlotEntryOffset(2) + kEntryGameId]), 10),
             "ABCDEFGHIJ");
    QCOMPARE(Shown(1).mid(0, 3), (QStringList{"01  DELTA", "02 -del- ECHO", "03"}));
    ClickLine(1, 1, Qt::LeftButton, Qt::ControlModifier);  // no target line
    QCOMPARE(List(1)->selectionModel()->selectedRows().size(), 0);
    ClickLine(0, 0);
    Ctrl(List(0), Qt::Key_C);
    QCOMPARE(Block(w.pane(1).image, 3), Block(golf, 1));
    QCOMPARE(Block(w.pane(1).image, 2), Block(golf, 2));
    QCOMPARE(ReadLe16(w.pane(1).image, SlotEntryOffset(3) + kEntryNextSlot), 1);
    QCOMPARE(Shown(1).mid(0, 4), (QStringList{"01  DELTA", "02  Linked Slot 1", "03  GOLF", "04"}));
  }

  void typedPathThenCtrlSSavesThereWithoutAsking() {
    ui::frmSelvane& w = Open(Write("one.mcr"));
    const QString other = Write("two.mcr", TargetCard());
    ClickLine(0, 0);
    Click("btnDelete0");
    Ctrl(Box(0), Qt::Key_A);
    QTest::keyClicks(Box(0), other);
    QCOMPARE(Box(0)->text(), other);
    Ctrl(Box(0), Qt::Key_S);
    QCOMPARE(port_->questions().size(), std::size_t{0});
    QCOMPARE(ReadCardFile(other.toStdString()).bytes, w.pane(0).image);
    QCOMPARE(ReadCardFile(Path("one.mcr").toStdString()).bytes, SourceCard().Build());
    QVERIFY(!w.pane(0).cardModified);
  }

  void savesAskOnlyWhenAnotherProgramChangedTheFile() {
    const std::filesystem::path card = Write("card.mcr").toStdString();
    std::filesystem::last_write_time(card, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    ui::frmSelvane& w = Open(QString::fromStdString(card.string()));
    for (int line : {0, 4}) {  // two saves in a row, of a file nobody else touched
      ClickLine(0, line);
      Click("btnDelete0");
      Ctrl(List(0), Qt::Key_S);
      QCOMPARE(port_->questions().size(), std::size_t{0});
      QCOMPARE(ReadCardFile(card.string()).bytes, w.pane(0).image);
    }
    const auto saved = std::filesystem::last_write_time(card);
    WriteFileAtomic(card.string(), TargetCard().Build(Format::Mcr));  // an emulator writes to it
    std::filesystem::last_write_time(card, saved + std::chrono::seconds(3));
    ClickLine(0, 1);
    Click("btnDelete0");
    port_->Answering({Answer::Yes});
    Ctrl(List(0), Qt::Key_S);
    QCOMPARE(port_->questions().size(), std::size_t{1});
    QCOMPARE(port_->questions()[0].text, card.string() + " has changed on disk since it was opened. Overwrite it?");
    QCOMPARE(ReadCardFile(card.string()).bytes, w.pane(0).image);
  }

  // The popup menu as the user reads it: captions, the keys it shows, separators, in order.
  void popupMenuItemsAndTheirKeys() {
    QStringList items;
    for (QAction* action : Open().popupMenu()->actions()) items << (action->isSeparator() ? "-" : action->text());
    QCOMPARE(items, QStringList({"&Open...\tCtrl+O", "&New\tCtrl+N", "-", "&Save\tCtrl+S", "Save &As...\tCtrl+T", "-",
                                 "&Edit Slot\tCtrl+E", "&Delete Slot\tCtrl+X", "Clear All Slots", "-",
                                 "&Undelete/Mark as Deleted\tCtrl+U", "-", "&Move Slot\tCtrl+M", "&Copy Slot\tCtrl+C",
                                 "-", "&Import Save...", "E&xport Save..."}));
  }

  // The window's own port shows real message boxes and file dialogs; each is closed from a timer.
  void realDialogsAreWired() {
    ui::QtUserPort port(nullptr);
    // The buttons shown and the one Return presses.
    for (const auto& [buttons, preset, shown] :
         {std::tuple{Buttons::YesNo, Answer::No, QMessageBox::Yes | QMessageBox::No},
          std::tuple{Buttons::YesNoCancel, Answer::Yes, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel}}) {
      QMessageBox::StandardButtons seen;
      WhenModal<QMessageBox>(this, [&](QMessageBox* box) {
        seen = box->standardButtons();
        QTest::keyClick(box, Qt::Key_Return);
      });
      QCOMPARE(port.Ask("Do you want to replace 'DELTA'?", buttons, preset), preset);
      QCOMPARE(seen, shown);
    }
    QString startFilter;
    WhenModal<QFileDialog>(this, [&](QFileDialog* dialog) {
      startFilter = dialog->selectedNameFilter();
      dialog->selectNameFilter(dialog->nameFilters().at(0));
      dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("typed.mem"));
      QMetaObject::invokeMethod(dialog, "accept");
    });
    const auto choice = port.ChooseFileToSave(
        {"Save Memory Card 1 As...", std::string(filters::kSaveAs), dir_->path().toStdString(), "", 6, {}});
    QCOMPARE(startFilter, "DexDrive (*.gme)");
    QCOMPARE(choice.value_or(FileChoice{}).path, Path("typed.mem").toStdString());
    QCOMPARE(choice.value_or(FileChoice{}).filterIndex, 1);
    // With a name suggested for each entry, the name shown follows the entry picked until the user
    // types one of their own.
    QStringList shownNames;
    WhenModal<QFileDialog>(this, [&](QFileDialog* dialog) {
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      auto* entries = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
      entries->setFocus();  // the user goes to the list of entries
      for (Qt::Key key : {Qt::Key_unknown, Qt::Key_End, Qt::Key_Up}) {
        if (key != Qt::Key_unknown) QTest::keyClick(entries, key);
        shownNames << name->text();
      }
      name->setText(QStringLiteral("mine"));
      QTest::keyClick(entries, Qt::Key_Home);
      shownNames << name->text();
      QMetaObject::invokeMethod(dialog, "accept");
    });
    const std::string folder = dir_->path().toStdString();
    const auto exported = port.ChooseFileToSave({"Export Save from Memory Card 1",
                                                 filters::kSingleSaves,
                                                 folder,
                                                 folder + "/A.mcs",
                                                 1,
                                                 {folder + "/A.mcs", folder + "/B.PSV", folder + "/C"}});
    QCOMPARE(shownNames, QStringList({"A.mcs", "C", "B.PSV", "mine"}));
    QCOMPARE(exported.value_or(FileChoice{}).path, Path("mine.mcs").toStdString());
    QCOMPARE(exported.value_or(FileChoice{}).filterIndex, 1);
  }

  // Resting the pointer on a line shows the save's card: the title as the game wrote it (code page
  // 932), codes, region, blocks; a link line names its save, a free line shows no card. The text is
  // the line's accessible description too, the icon animates, and the lines stay as they were.
  void hoveringALineShowsItsSaveCard() {
    demo::CardBuilder card = SourceCard();
    card.SetTitleBytes(1, "\x83\x81\x83\x5E\x83\x8B\x83\x58\x83\x89\x83\x62\x83\x4F 2");
    demo::CardBuilder::IconFrame black{}, white{}, red{};
    black.fill(1);
    white.fill(2);
    red.fill(3);
    card.SetIcon(1, {0, 0x8000, 0x7FFF}, {black, white});
    card.SetIcon(2, {0, 0x8000, 0x7FFF, 0x001F}, {black, white, red});
    card.SetTitleBytes(5, "C\xFFHARLIE\x82");  // a byte that starts nothing; a lead byte cut off
    Open(Write("titles.mcr", card));
    const QStringList lines = Shown(0);
    const std::pair<int, QString> cases[] = {
        {0, "メタルスラッグ 2\nProduct code: SLUS-00011\nRegion: America\nBlocks: 1"},
        {2, "Block 2 of the save in slot 2\nＢＲＡＶＯ\nProduct code: SLES-00022\nRegion: Europe\nBlocks: 3"},
        {4, "C\uFFFDHARLIE\uFFFD\nProduct code: SLUS-00001\nRegion: America\nBlocks: 1"},
        {6, ""}};
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(List(0));
    for (const auto& [line, text] : cases) {
      QHelpEvent hover(QEvent::ToolTip, At(0, line), List(0)->viewport()->mapToGlobal(At(0, line)));
      QApplication::sendEvent(List(0)->viewport(), &hover);
      auto* shown = w_->findChild<QFrame*>(QStringLiteral("saveCard0"));
      QCOMPARE(shown && shown->isVisible(), !text.isEmpty());
      if (!text.isEmpty()) QCOMPARE(shown->findChild<QLabel*>(QStringLiteral("saveCardText"))->text(), text);
      QCOMPARE(list->child(line)->text(QAccessible::Description), text);
      QCOMPARE(list->child(line)->text(QAccessible::Name), lines[line]);
    }
    // The icon changes at the game's rate (16 PAL frames for two frames, 11 for three) and shows
    // each of its frames in turn; the timer's ticks are sent at once instead of waited for.
    const QRgb blackPixel = qRgb(0, 0, 0), whitePixel = qRgb(255, 255, 255), redPixel = qRgb(255, 0, 0);
    const std::tuple<int, int, std::vector<QRgb>> animations[] = {{0, 320, {blackPixel, whitePixel}},
                                                                  {1, 220, {blackPixel, whitePixel, redPixel}}};
    auto* saveCard = List(0)->findChild<ui::SaveCard*>();
    for (const auto& [line, milliseconds, colours] : animations) {
      QHelpEvent hover(QEvent::ToolTip, At(0, line), List(0)->viewport()->mapToGlobal(At(0, line)));
      QApplication::sendEvent(List(0)->viewport(), &hover);
      auto* icon = w_->findChild<QLabel*>(QStringLiteral("saveCardIcon"));
      auto* timer = saveCard->findChild<QTimer*>();
      QVERIFY(timer && timer->isActive());
      QCOMPARE(timer->interval(), milliseconds);
      QCOMPARE(icon->pixmap().size(), QSize(48, 48));
      for (int tick = 0; tick < 7; ++tick) {
        const auto frame = static_cast<std::size_t>(tick) % colours.size();
        QCOMPARE(saveCard->frameShown(), static_cast<int>(frame));
        QCOMPARE(icon->pixmap().toImage().pixel(24, 24), colours[frame]);
        QMetaObject::invokeMethod(timer, "timeout");
      }
    }
    QCOMPARE(Shown(0), lines);
  }
};

}  // namespace selvane

QTEST_MAIN(selvane::WindowTest)
#include "window_test.moc"
