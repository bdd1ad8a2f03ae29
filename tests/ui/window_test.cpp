// The main window's wiring: each click, double-click, popup item, Ctrl key and path box reaches
// its routine with the right pane and selection, and shows its questions, messages and lines.
// What the routines do to the bytes is the slot tests' part.
#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>

#include "core/layout.h"
#include "slots/card_file.h"
#include "tests/ui/window_fixture.h"
#include "ui/form_data.h"
#include "ui/qt_user_port.h"
#include "ui/save_hover_card.h"

// A start: the stored "Source" (and "Output" "ddf"; nothing stored when empty), the card written
// and named on the command line, whether it is quoted there, the logos then shown in panes 0 and 1,
// and the "Output" that the next start reads.
using StartCase = std::tuple<QString, QString, bool, int, int, std::string>;
// The identity editor on a save with the region byte `before`: the option clicked (-1 none), the
// text typed, how the dialog is closed (a button, or null: Return in the ID box); then the save's region byte and game
// ID.
using EditCase = std::tuple<char, int, QString, const char*, char, QByteArray>;
// A Ctrl key pressed in path box 0 while ALPHA's line is selected, with the cursor at the start of
// the path or (`selectAll`) the whole path selected: whether the path stays, and a look at what
// shows that the key's command ran.
using PathBoxKey = std::tuple<Qt::Key, bool, bool, std::function<void()>>;
// An operation on two cards: the pane acted on and its line selected (-1 none), with line 7 of the
// other pane clicked last; the control clicked or popup item chosen on `pane`; then the lines that
// changed in each pane and which cards are marked as changed.
struct ShownCase {
  int pane;
  int line;
  const char* control;
  std::vector<std::pair<int, const char*>> changed[2];
  bool modified[2];
};
Q_DECLARE_METATYPE(PathBoxKey)
Q_DECLARE_METATYPE(ShownCase)
Q_DECLARE_METATYPE(StartCase)
Q_DECLARE_METATYPE(EditCase)

namespace selvane {
using testkit::SourceCard;
using testkit::TargetCard;
using testkit::WhenModal;

class WindowTest : public QObject, testkit::WindowFixture {
  Q_OBJECT
  QString editorTitle_;

  // Closes the identity editor with `id` typed over the game ID.
  static void TypeId(const char* id) {
    WhenModal<ui::formData>([id](ui::formData* dialog) {
      auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("txtID"));
      box->selectAll();
      QTest::keyClicks(box, id);
      QTest::mouseClick(dialog->findChild<QWidget*>("btnOK"), Qt::LeftButton);
    });
  }

 private slots:
  void initTestCase() { StartTests(); }
  void init() { StartTest(); }
  void cleanup() { QVERIFY(EndTest()); }

  void startShowsLogosOpensTheCardAndKeepsTheSettings_data() {
    QTest::addColumn<StartCase>("c");
    QTest::newRow("first start") << StartCase{"", "", false, 0, 1, ""};
    QTest::newRow("stored 5: pane 1 wraps to 0") << StartCase{"5", "", false, 5, 0, "ddf"};
    QTest::newRow("stored text") << StartCase{"x", "", false, 0, 1, "ddf"};
    QTest::newRow("epsxe, spaces") << StartCase{"2", "My ePSXe cards/slot one.mcr", false, 3, 3, "mcr"};
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
    int registrations = 0;
    ui::frmSelvane& w = Open(quoted ? QLatin1Char('"') + path + QLatin1Char('"') : path, {}, false,
                             [&registrations] { ++registrations; });
    QCOMPARE(registrations, 1);
    QCOMPARE(w.logoShown(0), logo0);
    QCOMPARE(w.logoShown(1), logo1);
    QCOMPARE(Box(0)->text(), loaded ? path : QString());
    QCOMPARE(List(0)->count(), loaded ? 15 : 0);
    QVERIFY(w.close());
    ui::frmSelvane& next = Open();
    QCOMPARE(next.logoShown(0), logo0);
    QCOMPARE(next.outputExt(), output);
  }

  // What each control or popup item leaves in the lists, acting on its own pane's selected line
  // even when the last click was in the other pane.
  void operationsShowTheirResultInTheLists_data() {
    QTest::addColumn<ShownCase>("c");
    QTest::newRow("copy onto the selected free line")
        << ShownCase{0, 0, "btnTransfer0", {{}, {{6, "07  ALPHA"}}}, {false, true}};
    QTest::newRow("copy from pane 1") << ShownCase{1, 0, "btnTransfer1", {{{6, "07  DELTA"}}, {}}, {true, false}};
    QTest::newRow("move") << ShownCase{0, 4, "mnuMove", {{{4, "05"}}, {{6, "07  CHARLIE"}}}, {true, true}};
    QTest::newRow("delete") << ShownCase{0, 0, "btnDelete0", {{{0, "01"}}, {}}, {true, false}};
    QTest::newRow("delete in pane 1") << ShownCase{1, 0, "btnDelete1", {{}, {{0, "01"}}}, {false, true}};
    QTest::newRow("menu delete in pane 1") << ShownCase{1, 0, "mnuDelete", {{}, {{0, "01"}}}, {false, true}};
    QTest::newRow("delete, no selection") << ShownCase{0, -1, "btnDelete0", {}, {false, false}};
    QTest::newRow("clear") << ShownCase{
        0, -1, "mnuClearAll", {{{0, "01"}, {1, "02"}, {2, "03"}, {3, "04"}, {4, "05"}, {5, "06"}}, {}}, {true, false}};
    QTest::newRow("toggle a link line") << ShownCase{
        0,
        2,
        "mnuToggleDeleted",
        {{{1, "02 -del- BRAVO"}, {2, "03 -del- Linked Slot 2"}, {3, "04 -del- Linked Slot 3"}}, {}},
        {true, false}};
    QTest::newRow("undelete") << ShownCase{0, 5, "mnuToggleDeleted", {{{5, "06  ECHO"}}, {}}, {true, false}};
    QTest::newRow("edit changes the card, not the list") << ShownCase{0, 5, "mnuEdit", {}, {true, false}};
  }
  void operationsShowTheirResultInTheLists() {
    QFETCH(ShownCase, c);
    ui::frmSelvane& w = Open(Write("one.mcr", SourceCard().AddSave(6, 1, "ECHO", "SLES-00066", 'E', true)),
                             Write("two.mcr", TargetCard()), true);
    if (c.line >= 0) ClickLine(c.pane, c.line);
    ClickLine(1 - c.pane, 6);
    const QStringList before[2] = {Shown(0), Shown(1)};
    if (QLatin1String(c.control) == QLatin1String("mnuEdit")) TypeId("ABCDEFGHIJ");  // no digits
    QLatin1String(c.control).startsWith(QLatin1String("mnu")) ? ChooseFromMenu(c.pane, c.control) : Click(c.control);
    for (int pane : {0, 1}) {
      QStringList expected = before[pane];
      for (const auto& [line, text] : c.changed[pane]) expected[line] = QString::fromLatin1(text);
      QCOMPARE(Shown(pane), expected);
      QCOMPARE(w.pane(pane).cardModified, c.modified[pane]);
    }
  }

  // A double-click copies and Ctrl+M moves, widening the window first; the walk back to a save's
  // first block shows in the list by the time the replace question is asked, and when declined
  // the save lands on the first free line. Ctrl+Shift+C does nothing.
  void transferWidensAndAsksBeforeReplacing_data() {
    QTest::addColumn<int>("how");  // 0 double-click, 1 Ctrl+M, 2 Ctrl+Shift+C
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("landed");
    QTest::newRow("double-click copies ALPHA") << 0 << 0 << "02  ALPHA";
    QTest::newRow("Ctrl+M moves BRAVO from its last block") << 1 << 3 << "02  BRAVO";
    QTest::newRow("Ctrl+Shift+C does nothing") << 2 << 0 << "02";
  }
  void transferWidensAndAsksBeforeReplacing() {
    QFETCH(int, how);
    QFETCH(int, line);
    QFETCH(QString, landed);
    ui::frmSelvane& w = OpenTwo(false);
    List(1)->setCurrentRow(0);  // DELTA is the target line
    ClickLine(0, line);
    std::vector<int> shownAtPrompt;
    port_->onPrompt = [&] { shownAtPrompt.push_back(List(0)->selectionModel()->selectedRows().value(0).row()); };
    if (how < 2) port_->Answering({Answer::No});
    if (how == 0) QTest::mouseDClick(List(0)->viewport(), Qt::LeftButton, {}, At(0, line));
    if (how == 1) Ctrl(List(0), Qt::Key_M);
    if (how == 2) QTest::keyClick(List(0), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(w.isWide(), how < 2);
    QCOMPARE(w.pane(1).cardModified, how < 2);
    QCOMPARE(Shown(1).value(1), landed);
    QCOMPARE(w.pane(0).cardModified, how == 1);
    if (how == 2) return;
    QCOMPARE(shownAtPrompt, std::vector<int>{how ? 1 : 0});
    QCOMPARE(port_->questions().at(0).text, "Do you want to replace 'DELTA'?");
    QCOMPARE(port_->questions()[0].buttons, Buttons::YesNo);
    QCOMPARE(port_->questions()[0].defaultAnswer, Answer::No);
  }

  void compareMovesTheFocusToTheListWithoutSelection() {
    OpenTwo();
    Click("btnCompare");
    QCOMPARE(port_->MessageTexts(), std::vector<std::string>{"Select a slot in Memory Card 1"});
    QCOMPARE(QApplication::focusWidget(), List(0));
    ClickLine(0, 0);
    Click("btnCompare");
    QCOMPARE(port_->MessageTexts().back(), "Select a slot in Memory Card 2");
    QCOMPARE(QApplication::focusWidget(), List(1));
  }

  void closingAsksForEachModifiedPane() {
    ui::frmSelvane& w = OpenTwo();
    for (int pane : {0, 1}) ClickLine(pane, 0);
    for (const char* name : {"btnDelete0", "btnDelete1"}) Click(name);
    port_->Answering({Answer::No, Answer::Cancel});
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    for (int pane : {0, 1})
      QCOMPARE(port_->questions().at(std::size_t(pane)).text,
               "Memory Card " + std::to_string(pane + 1) + " has been modified.\r\nDo you want to save the changes?");
    QVERIFY(port_->questions()[1].buttons == Buttons::YesNoCancel &&
            port_->questions()[1].defaultAnswer == Answer::Yes);
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
    QTest::newRow("Return confirms") << EditCase{'A', 2, "yy", nullptr, 'I', "YYUS-00011"};
    QTest::newRow("Cancel") << EditCase{'A', 2, "zz", "btnCancel", 'A', "SLUS-00011"};
  }
  void editSlotThroughFormData() {
    QFETCH(EditCase, c);
    const auto& [before, option, typed, close, region, id] = c;
    ui::frmSelvane& w = Open(Write("edit.mcr", demo::CardBuilder().AddSave(1, 1, "ECHO", "SLUS-00011", before)));
    ClickLine(0, 0);
    WhenModal<ui::formData>([&](ui::formData* dialog) {
      QVERIFY(QTest::qWaitForWindowActive(dialog));  // the ID box then selects its text as it gets the focus
      if (option >= 0)
        QTest::mouseClick(dialog->findChild<QWidget*>(QStringLiteral("optRegion%1").arg(option)), Qt::LeftButton);
      auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("txtID"));
      box->setFocus();
      QTRY_VERIFY(box->hasFocus() && box->selectedText() == box->text());  // a busy machine is slow to focus
      QTest::keyClicks(box, typed);
      close ? QTest::mouseClick(dialog->findChild<QWidget*>(close), Qt::LeftButton)
            : QTest::keyClick(box, Qt::Key_Return);
      if (dialog->isVisible()) dialog->reject();  // the key confirmed nothing: the card shows it
    });
    QTest::keyClick(List(0), Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(char(w.pane(0).image[SlotEntryOffset(1) + kEntryRegion]), region);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(&w.pane(0).image[SlotEntryOffset(1) + kEntryGameId]), 10), id);
    QCOMPARE(w.pane(0).cardModified, region != before || id != "SLUS-00011");
  }

  // Only Ctrl+X, C, V, Z and A edit a path box; the other command keys reach their command with
  // the text (and the cursor) untouched (Ctrl+S: the journey below).
  void ctrlKeysInThePathBoxRunTheirCommandWithoutEditing_data() {
    QTest::addColumn<PathBoxKey>("c");
    auto dialog = [this](const char* title) { return [this, title] { QCOMPARE(port_->requests.at(0).title, title); }; };
    auto shown = [this](int pane, int line, const char* text) {
      return [=, this] { QCOMPARE(List(pane)->item(line)->text(), QString::fromLatin1(text)); };
    };
    auto status = [this](std::uint8_t value) {
      return [=, this] { QCOMPARE(int(w_->pane(0).image[SlotEntryOffset(1)]), int(value)); };
    };
    QTest::newRow("O") << PathBoxKey{Qt::Key_O, false, true, dialog("Select the Memory Card 1")};
    QTest::newRow("N") << PathBoxKey{Qt::Key_N, false, true, dialog("Save New Memory Card 1 As...")};
    QTest::newRow("T") << PathBoxKey{Qt::Key_T, false, true, dialog("Save Memory Card 1 As...")};
    QTest::newRow("E") << PathBoxKey{Qt::Key_E, false, true, [this] { QCOMPARE(editorTitle_, "Slot 1 - 01  ALPHA"); }};
    QTest::newRow("X") << PathBoxKey{Qt::Key_X, false, true, status(0xA0)};
    QTest::newRow("D") << PathBoxKey{Qt::Key_D, false, true, status(0xA0)};
    QTest::newRow("U") << PathBoxKey{Qt::Key_U, false, true, status(0xA1)};
    QTest::newRow("M") << PathBoxKey{Qt::Key_M, false, true, shown(0, 0, "01")};
    QTest::newRow("C") << PathBoxKey{Qt::Key_C, false, true, shown(1, 1, "02  ALPHA")};
    QTest::newRow("X cuts the selected path") << PathBoxKey{Qt::Key_X, true, false, status(0xA0)};
    QTest::newRow("D keeps the selected path") << PathBoxKey{Qt::Key_D, true, true, status(0xA0)};
    QTest::newRow("C copies the selected path")
        << PathBoxKey{Qt::Key_C, true, true, [this] {
                        QCOMPARE(QApplication::clipboard()->text(), Path("one.mcr"));
                        QCOMPARE(List(1)->item(1)->text(), "02  ALPHA");
                      }};
  }
  void ctrlKeysInThePathBoxRunTheirCommandWithoutEditing() {
    QFETCH(PathBoxKey, c);
    const auto& [key, selectAll, pathKept, commandRan] = c;
    OpenTwo(false);
    ClickLine(0, 0);
    port_->requests.clear();
    port_->choices = {std::nullopt};  // a file dialog is cancelled
    if (key == Qt::Key_E) {
      WhenModal<ui::formData>([this](ui::formData* dialog) {
        editorTitle_ = dialog->windowTitle();
        dialog->reject();
      });
    }
    QApplication::clipboard()->clear();
    selectAll ? Box(0)->selectAll() : Box(0)->setCursorPosition(0);
    Ctrl(Box(0), key);
    QCOMPARE(Box(0)->text(), pathKept ? Path("one.mcr") : QString());
    if (!selectAll) QCOMPARE(Box(0)->cursorPosition(), 0);
    commandRan();
  }

  // --- Journeys: a user's story from start to end ---

  void newCardAfterAnOpenOneAsksNothing() {
    ui::frmSelvane& w = Open(Write("one.mcr"));
    port_->choices.push_back(FileChoice{Path("fresh").toStdString(), 6});  // DexDrive
    Click("btnNew0");
    QCOMPARE(port_->requests.at(0).title, "Save New Memory Card 1 As...");
    QCOMPARE(ReadCardFile(Path("fresh.gme").toStdString()).bytes, demo::CardBuilder().Build(Format::Gme));
    QCOMPARE(Box(0)->text(), Path("fresh.gme"));
    QCOMPARE(Shown(0).join(QLatin1Char(' ')), "01 02 03 04 05 06 07 08 09 10 11 12 13 14 15");
    QVERIFY(port_->questions().empty() && !w.pane(0).cardModified);
  }

  // A save moved by Ctrl+M, an identity edited, the other card's path typed over; Ctrl+S saves
  // both cards where their boxes say, without a question, and they read back as listed.
  void moveEditTypeAPathSaveBothAndReadThemBack() {
    ui::frmSelvane& w = OpenTwo();
    ClickLine(0, 2);  // BRAVO's middle block
    Ctrl(List(0), Qt::Key_M);
    QCOMPARE(Shown(1).mid(0, 5),
             QStringList({"01  DELTA", "02  BRAVO", "03  Linked Slot 2", "04  Linked Slot 3", "05"}));
    QCOMPARE(Shown(0).mid(0, 5), QStringList({"01  ALPHA", "02", "03", "04", "05  CHARLIE"}));
    ClickLine(1, 0);
    TypeId("ABCDEFGHIJ");
    Ctrl(List(1), Qt::Key_E);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(&w.pane(1).image[SlotEntryOffset(1) + kEntryGameId]), 10),
             "ABCDEFGHIJ");
    Ctrl(Box(1), Qt::Key_A);
    QTest::keyClicks(Box(1), Write("three.mcr", demo::CardBuilder()));
    Ctrl(List(0), Qt::Key_S);
    Ctrl(Box(1), Qt::Key_S);
    QVERIFY(port_->questions().empty() && !w.pane(0).cardModified && !w.pane(1).cardModified);
    QCOMPARE(ReadCardFile(Path("two.mcr").toStdString()).bytes, TargetCard().Build());
    for (int pane : {0, 1}) {
      const std::string path = Box(pane)->text().toStdString();
      QCOMPARE(Listed(path, ReadCardFile(path).bytes), Shown(pane));
    }
  }

  // The popup menu as the user reads it: captions, the keys it shows, separators, in order; the
  // card reader items come last and have no keys.
  void popupMenuItemsAndTheirKeys() {
    QStringList items;
    for (QAction* action : Open().popupMenu()->actions()) items << (action->isSeparator() ? "-" : action->text());
    QCOMPARE(items, QStringList({"&Open...\tCtrl+O", "&New\tCtrl+N", "-", "&Save\tCtrl+S", "Save &As...\tCtrl+T", "-",
                                 "&Edit Slot\tCtrl+E", "&Delete Slot\tCtrl+X", "Clear All Slots", "-",
                                 "&Undelete/Mark as Deleted\tCtrl+U", "-", "&Move Slot\tCtrl+M", "&Copy Slot\tCtrl+C",
                                 "-", "&Import Save...", "E&xport Save..."})
                        << "-"
                        << "&Read from Card Reader..."
                        << "&Write to Card Reader...");
  }

  // The window's own port shows real message boxes and file dialogs; each is closed from a timer.
  // A save dialog shows the entry asked for first; the name shown follows the entry picked until
  // the user types one of their own, and the choice names the entry picked.
  void realDialogsAreWired() {
    ui::QtUserPort port(nullptr);
    QMessageBox::StandardButtons seen;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
      seen = box->standardButtons();
      QTest::keyClick(box, Qt::Key_Return);
    });
    QCOMPARE(port.Ask("Do you want to replace 'DELTA'?", Buttons::YesNoCancel, Answer::No), Answer::No);
    QCOMPARE(seen, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QStringList shownNames;
    WhenModal<QFileDialog>([&](QFileDialog* dialog) {
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      auto* entries = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
      shownNames << QString::number(entries->currentIndex()) << name->text();
      entries->setFocus();
      QTest::keyClick(entries, Qt::Key_End);
      shownNames << name->text();
      name->setText(QStringLiteral("mine"));
      QTest::keyClick(entries, Qt::Key_Home);
      shownNames << name->text();
      QMetaObject::invokeMethod(dialog, "accept");
    });
    const std::string folder = dir_->path().toStdString();
    const auto exported = port.ChooseFileToSave({"Export Save from Memory Card 1",
                                                 filters::kSingleSaves,
                                                 folder,
                                                 folder + "/B.psv",
                                                 2,
                                                 {folder + "/A.mcs", folder + "/B.psv", folder + "/C"}});
    QCOMPARE(shownNames, QStringList({"1", "B.psv", "C", "mine"}));
    QCOMPARE(exported.value_or(FileChoice{}).path, Path("mine.mcs").toStdString());
    QCOMPARE(exported.value_or(FileChoice{}).filterIndex, 1);
  }

  // Resting the pointer on a line shows the save's card, a link line's names its save, a free
  // line shows none; the text is the line's accessible description too. The icon changes at the
  // game's rate (16 PAL frames for two frames); the timer's tick is sent instead of waited for.
  void hoveringALineShowsItsSaveCard() {
    demo::CardBuilder card = SourceCard();
    demo::CardBuilder::IconFrame black{}, white{};
    black.fill(1);
    white.fill(2);
    Open(Write("titles.mcr", card.SetIcon(1, {0, 0x8000, 0x7FFF}, {black, white})));
    const std::pair<int, QString> cases[] = {
        {2, "Block 2 of the save in slot 2\nＢＲＡＶＯ\nProduct code: SLES-00022\nRegion: Europe\nBlocks: 3"},
        {6, ""},
        {0, "ＡＬＰＨＡ\nProduct code: SLUS-00011\nRegion: America\nBlocks: 1"}};
    for (const auto& [line, text] : cases) {
      QHelpEvent hover(QEvent::ToolTip, At(0, line), List(0)->viewport()->mapToGlobal(At(0, line)));
      QApplication::sendEvent(List(0)->viewport(), &hover);
      auto* shown = w_->findChild<QFrame*>(QStringLiteral("saveCard0"));
      QCOMPARE(shown && shown->isVisible(), !text.isEmpty());
      if (!text.isEmpty()) QCOMPARE(shown->findChild<QLabel*>(QStringLiteral("saveCardText"))->text(), text);
      QCOMPARE(QAccessible::queryAccessibleInterface(List(0))->child(line)->text(QAccessible::Description), text);
    }
    auto* saveCard = List(0)->findChild<ui::SaveHoverCard*>();
    auto* icon = w_->findChild<QLabel*>(QStringLiteral("saveCardIcon"));
    auto* timer = saveCard->findChild<QTimer*>();
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 320);
    for (const QRgb colour : {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(0, 0, 0)}) {
      QCOMPARE(icon->pixmap().toImage().pixel(24, 24), colour);
      QMetaObject::invokeMethod(timer, "timeout");
    }
  }
};

}  // namespace selvane

QTEST_MAIN(selvane::WindowTest)
#include "window_test.moc"
