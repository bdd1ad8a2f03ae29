// The main window driven through its widgets: clicks, double-clicks, the popup menu and Ctrl
// keys, with the user's answers scripted and the card files built in a temporary folder.
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "core/card.h"
#include "scripted_port.h"
#include "slots/card_file.h"
#include "slots/slot_list.h"
#include "test_cards.h"
#include "ui/form_data.h"
#include "ui/frm_selvane.h"
#include "ui/qt_user_port.h"

using selvane::Answer;
using selvane::Buttons;
using selvane::CardImage;
using selvane::FileChoice;
using selvane::Format;
using selvane::MessageIcon;
using selvane::test::ScriptedPort;
using selvane::ui::formData;
using selvane::ui::frmSelvane;
using selvane::ui::WindowStart;

namespace {

constexpr std::size_t kBlock = 8192;
constexpr std::size_t kFrame = 128;

CardImage Slice(const CardImage& image, std::size_t offset, std::size_t size) {
  if (offset + size > image.size()) return {};
  return CardImage(image.begin() + static_cast<std::ptrdiff_t>(offset),
                   image.begin() + static_cast<std::ptrdiff_t>(offset + size));
}

QStringList ListLines(QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

// The x position of a glyph's ink, weighted by its opacity: left of the middle for a shape whose
// mass sits on the left.
double InkCentreX(const QIcon& icon, QSize size) {
  const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
  double sum = 0;
  double weighted = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const int alpha = qAlpha(image.pixel(x, y));
      sum += alpha;
      weighted += alpha * (x + 0.5);
    }
  }
  return sum > 0 ? weighted / sum / image.width() : 0.5;
}

// Runs `act` on the modal dialog of type T once it is shown (polled, as the dialog's own event
// loop is what runs the timer).
template <typename T>
void WhenModal(QObject* context, std::function<void(T*)> act, int triesLeft = 200) {
  QTimer::singleShot(10, context, [context, act, triesLeft] {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
      act(dialog);
    } else if (triesLeft > 0) {
      WhenModal<T>(context, act, triesLeft - 1);
    }
  });
}

QStringList Expected(const std::string& path, const CardImage& image) {
  QStringList lines;
  const auto listing = selvane::BuildSlotLines(path, image);
  if (listing) {
    for (const auto& line : listing->lines) lines << QString::fromStdString(line);
  }
  return lines;
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir settingsDir_;
  std::unique_ptr<QTemporaryDir> cards_;
  ScriptedPort port_;
  std::unique_ptr<frmSelvane> window_;

  QString CardPath(const QString& name) const { return cards_->filePath(name); }

  std::string Write(const QString& name, const CardImage& bytes) {
    return selvane::test::WriteCard(CardPath(name), bytes);
  }

  frmSelvane& Start(const QString& commandLine = {}, std::function<void()> registration = {}) {
    WindowStart start;
    start.commandLine = commandLine;
    start.registerFileTypes = std::move(registration);
    start.port = &port_;
    window_ = std::make_unique<frmSelvane>(start);
    return *window_;
  }

  void ShowActive() {
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }

  template <typename T>
  T* Child(const QString& name) const {
    return window_->findChild<T*>(name);
  }
  QListWidget* List(int pane) const { return Child<QListWidget>(QStringLiteral("lstSlot%1").arg(pane)); }
  QPushButton* Button(const QString& name) const { return Child<QPushButton>(name); }
  QLabel* Logo(int pane) const { return Child<QLabel>(QStringLiteral("imgEmu%1").arg(pane)); }

  // The layout button, as the user clicks it to reach pane 1 and the middle column, or to leave them.
  void Widen() {
    if (!window_->isWide()) QTest::mouseClick(Button(QStringLiteral("btnResize")), Qt::LeftButton);
    QVERIFY(window_->isWide());
  }
  void Narrow() {
    if (window_->isWide()) QTest::mouseClick(Button(QStringLiteral("btnResize")), Qt::LeftButton);
    QVERIFY(!window_->isWide());
  }

  // The names of the controls that Tab visits, starting from `first` and going round once.
  QStringList TabRound(QWidget* first) {
    QStringList names;
    first->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 40; ++i) {
      QWidget* focused = QApplication::focusWidget();
      if (!focused || names.contains(focused->objectName())) break;
      names << focused->objectName();
      QTest::keyClick(focused, Qt::Key_Tab);
    }
    return names;
  }

  void ClickLine(int pane, int line, Qt::MouseButton button = Qt::LeftButton) {
    QListWidget* list = List(pane);
    QTest::mouseClick(list->viewport(), button, {}, list->visualItemRect(list->item(line)).center());
  }

  // Pane 0 from the command line, pane 1 through its "..." button and the open dialog; the window
  // widens for it and is narrow again afterwards.
  frmSelvane& StartWithTwoCards(const CardImage& card0 = selvane::test::SourceCard().Build(Format::Mcr),
                                const CardImage& card1 = selvane::test::TargetCard().Build(Format::Mcr)) {
    const std::string path0 = Write(QStringLiteral("one.mcr"), card0);
    const std::string path1 = Write(QStringLiteral("two.mcr"), card1);
    frmSelvane& window = Start(QString::fromStdString(path0));
    port_.openChoices.push_back(FileChoice{path1, 1});
    Widen();
    QTest::mouseClick(Button(QStringLiteral("btnBrowse1")), Qt::LeftButton);
    Narrow();
    return window;
  }

  ScriptedPort::Message LastMessage() const {
    return port_.messages.empty() ? ScriptedPort::Message{"(none)", MessageIcon::Question} : port_.messages.back();
  }

  QAction* MenuAction(const QString& name) const { return window_->popupMenu()->findChild<QAction*>(name); }

  // Right-click on a line of the pane's list, then a click on the menu item.
  void ChooseFromMenu(int pane, int line, const QString& item) {
    ClickLine(pane, line, Qt::RightButton);
    QMenu* menu = window_->popupMenu();
    QVERIFY(menu->isVisible());
    QAction* action = MenuAction(item);
    QVERIFY(action);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    QVERIFY(!menu->isVisible());
  }

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(settingsDir_.isValid());
    QApplication::setQuitOnLastWindowClosed(false);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
  }

  void init() {
    QSettings(QStringLiteral("Selvane"), QStringLiteral("Selvane")).clear();
    cards_ = std::make_unique<QTemporaryDir>();
    QVERIFY(cards_->isValid());
    port_ = ScriptedPort();
  }

  void cleanup() {
    if (window_) window_->hide();
    window_.reset();
    QVERIFY2(port_.unexpected.empty(), port_.unexpected.empty() ? "" : port_.unexpected.front().c_str());
  }

  // --- Start-up ---

  void firstStartShowsEmptyNarrowWindow() {
    int registrations = 0;
    frmSelvane& window = Start({}, [&registrations] { ++registrations; });
    QCOMPARE(registrations, 1);
    QCOMPARE(window.windowTitle(), QStringLiteral("Selvane 1.1"));
    QVERIFY(!window.isWide());
    QCOMPARE(window.size(), QSize(249, 351));  // 3735 x 5265 twips
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(window.pane(0).image.empty());
    QVERIFY(window.pane(1).image.empty());
    QCOMPARE(List(0)->count(), 0);
    QCOMPARE(window.outputExt(), std::string());
    // Logo 0 in pane 0; pane 1 shows logo 1, which is logo index 7 of the window.
    QCOMPARE(window.logoShown(0), 0);
    QCOMPARE(window.logoShown(1), 1);
    QVERIFY(!Logo(0)->isHidden());
    QCOMPARE(Logo(0)->accessibleName(), QStringLiteral("Virtual Game Station"));
    Widen();
    QVERIFY(!Logo(1)->isHidden());
    QCOMPARE(Logo(1)->accessibleName(), QStringLiteral("Bleem"));
    QCOMPARE(List(1)->count(), 0);
  }

  void storedSourcePicksBothLogos_data() {
    // The logos as indices of the window's twelve: k of pane 0 is index k, k of pane 1 is 6 + k.
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("logo0");  // -1: none shown in pane 0
    QTest::addColumn<int>("logo1");
    QTest::newRow("first") << "0" << 0 << 7;
    QTest::newRow("middle") << "3" << 3 << 10;
    QTest::newRow("last wraps to the first") << "5" << 5 << 6;
    QTest::newRow("not a number") << "x" << 0 << 7;
    QTest::newRow("no logo index") << "9" << -1 << 6;
  }
  void storedSourcePicksBothLogos() {
    QFETCH(QString, source);
    QFETCH(int, logo0);
    QFETCH(int, logo1);
    QSettings settings(QStringLiteral("Selvane"), QStringLiteral("Selvane"));
    settings.setValue(QStringLiteral("Settings/Source"), source);
    settings.setValue(QStringLiteral("Settings/Output"), QStringLiteral("ddf"));
    settings.sync();
    frmSelvane& window = Start();
    QCOMPARE(window.outputExt(), std::string("ddf"));
    QCOMPARE(window.logoShown(0), logo0);
    QCOMPARE(window.logoShown(1), logo1 - 6);
    Widen();
    QCOMPARE(Logo(0)->isHidden(), logo0 < 0);
    QVERIFY(!Logo(1)->isHidden());
  }

  void commandLineCardOpensInPaneZero() {
    // The whole text is one path, spaces included; "epsxe" in the folder picks the ePSXe logo.
    const CardImage card = selvane::test::SourceCard().Build(Format::Mcr);
    const std::string path = Write(QStringLiteral("My ePSXe cards/slot one.mcr"), card);
    QString pathAtRegistration = QStringLiteral("unset");
    frmSelvane& window = Start(QString::fromStdString(path), [&] {
      for (QWidget* widget : QApplication::allWidgets()) {
        if (widget->objectName() == QStringLiteral("txtMemCard0")) {
          pathAtRegistration = qobject_cast<QLineEdit*>(widget)->text();
        }
      }
    });
    QCOMPARE(pathAtRegistration, QString());  // registration runs before the card is opened
    QCOMPARE(Child<QLineEdit>(QStringLiteral("txtMemCard0"))->text(), QString::fromStdString(path));
    QCOMPARE(window.pane(0).image, card);
    QVERIFY(!window.pane(0).cardModified);
    QCOMPARE(ListLines(List(0)), Expected(path, card));
    QCOMPARE(ListLines(List(0)).size(), 15);
    QCOMPARE(window.outputExt(), std::string("mcr"));
    QCOMPARE(window.sourceEmu(), 3);
    QCOMPARE(window.logoShown(0), 3);
    QCOMPARE(Logo(0)->accessibleName(), QStringLiteral("ePSXe"));
    QVERIFY(window.pane(1).image.empty());
    Widen();
    QCOMPARE(List(1)->count(), 0);
  }

  void commandLineThatNamesNoCardIsIgnored_data() {
    QTest::addColumn<QString>("argument");
    QTest::newRow("missing") << "missing.mcr";
    QTest::newRow("quoted") << "\"one.mcr\"";
    QTest::newRow("empty file") << "empty.mcr";
  }
  void commandLineThatNamesNoCardIsIgnored() {
    QFETCH(QString, argument);
    Write(QStringLiteral("one.mcr"), selvane::test::SourceCard().Build(Format::Mcr));
    Write(QStringLiteral("empty.mcr"), {});
    QDir::setCurrent(cards_->path());
    frmSelvane& window = Start(argument);
    QCOMPARE(Child<QLineEdit>(QStringLiteral("txtMemCard0"))->text(), QString());
    QVERIFY(window.pane(0).image.empty());
    QVERIFY(port_.openRequests.empty());
  }

  void settingsSurviveARestart() {
    const std::string path = Write(QStringLiteral("card.gme"), selvane::test::SourceCard().Build(Format::Gme));
    Start(QString::fromStdString(path));
    QVERIFY(window_->close());
    QSettings settings(QStringLiteral("Selvane"), QStringLiteral("Selvane"));
    QCOMPARE(settings.value(QStringLiteral("Settings/Output")).toString(), QStringLiteral("gme"));
    QCOMPARE(settings.value(QStringLiteral("Settings/Source")).toString(), QStringLiteral("2"));
    frmSelvane& next = Start();
    QCOMPARE(next.outputExt(), std::string("gme"));
    QCOMPARE(next.logoShown(0), 2);
    QCOMPARE(next.logoShown(1), 3);
  }

  // --- Controls ---

  void controlsCarryTheirNamesCaptionsAndPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("pixels");
    QTest::newRow("lblMemCard0") << "lblMemCard0"
                                 << "Memory Card 1:" << QRect(53, 15, 163, 27);
    QTest::newRow("lblMemCard1") << "lblMemCard1"
                                 << "Memory Card 2:" << QRect(335, 16, 163, 20);
    QTest::newRow("btnBrowse0") << "btnBrowse0"
                                << "..." << QRect(226, 41, 21, 19);
    QTest::newRow("btnBrowse1") << "btnBrowse1"
                                << "..." << QRect(504, 42, 21, 19);
    QTest::newRow("btnNew0") << "btnNew0"
                             << "&New" << QRect(8, 296, 77, 25);
    QTest::newRow("btnNew1") << "btnNew1"
                             << "Ne&w" << QRect(286, 297, 77, 25);
    QTest::newRow("btnDelete0") << "btnDelete0"
                                << "&Delete" << QRect(89, 296, 77, 25);
    QTest::newRow("btnDelete1") << "btnDelete1"
                                << "D&elete" << QRect(367, 297, 77, 25);
    QTest::newRow("btnConvert0") << "btnConvert0"
                                 << "&Save As..." << QRect(171, 296, 77, 25);
    QTest::newRow("btnConvert1") << "btnConvert1"
                                 << "Save &As..." << QRect(449, 297, 77, 25);
    QTest::newRow("btnCompare") << "btnCompare"
                                << "=?" << QRect(251, 230, 31, 38);
    QTest::newRow("btnTransfer0") << "btnTransfer0"
                                  << "" << QRect(251, 100, 31, 38);
    QTest::newRow("btnTransfer1") << "btnTransfer1"
                                  << "" << QRect(251, 158, 31, 38);
    QTest::newRow("lstSlot0") << "lstSlot0"
                              << "" << QRect(7, 62, 240, 227);
    QTest::newRow("lstSlot1") << "lstSlot1"
                              << "" << QRect(286, 63, 240, 227);
    QTest::newRow("txtMemCard0") << "txtMemCard0"
                                 << "" << QRect(8, 41, 217, 19);
    QTest::newRow("lblCredits") << "lblCredits"
                                << "About Selvane 1.1" << QRect(10, 333, 112, 13);
  }
  void controlsCarryTheirNamesCaptionsAndPlaces() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, pixels);
    Start();
    Widen();
    QWidget* widget = Child<QWidget>(name);
    QVERIFY2(widget, qPrintable(name));
    QVERIFY(widget->isVisibleTo(window_.get()));
    QCOMPARE(QRect(widget->mapTo(window_.get(), QPoint(0, 0)), widget->size()), pixels);
    QVERIFY(!widget->accessibleName().isEmpty());
    if (auto* button = qobject_cast<QPushButton*>(widget)) QCOMPARE(button->text(), caption);
    if (auto* label = qobject_cast<QLabel*>(widget); label && !caption.isEmpty()) QCOMPARE(label->text(), caption);
  }

  // Each logo stands at its own place in its pane's band above the path box.
  void logosStandAtTheirPlaces_data() {
    QTest::addColumn<int>("pane");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels");
    QTest::newRow("vgs, pane 0") << 0 << "a.mem"
                                 << "Virtual Game Station" << QRect(6, 0, 43, 44);
    QTest::newRow("ePSXe, pane 0") << 0 << "epsxe/a.mcr"
                                   << "ePSXe" << QRect(4, 10, 105, 30);
    QTest::newRow("ePSXe, pane 1") << 1 << "epsxe/a.mcr"
                                   << "ePSXe" << QRect(286, 12, 105, 30);
    QTest::newRow("data deck, pane 1") << 1 << "a.ddf"
                                       << "Mad Katz's Data Deck" << QRect(288, 5, 44, 34);
  }
  void logosStandAtTheirPlaces() {
    QFETCH(int, pane);
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    Start();
    Widen();
    Child<QLineEdit>(QStringLiteral("txtMemCard%1").arg(pane))->setText(path);
    QLabel* logo = Logo(pane);
    QVERIFY(logo->isVisibleTo(window_.get()));
    QCOMPARE(QRect(logo->mapTo(window_.get(), QPoint(0, 0)), logo->size()), pixels);
    QCOMPARE(logo->accessibleName(), name);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QVERIFY(!logo->pixmap().isNull());
  }

  void fontsFollowTheLayout() {
    Start();
    Widen();
    QCOMPARE(Child<QLabel>(QStringLiteral("lblMemCard0"))->font().pointSizeF(), 14.25);
    QCOMPARE(Button(QStringLiteral("btnCompare"))->font().pointSizeF(), 14.25);
    QCOMPARE(List(1)->font().pointSizeF(), 9.0);
    QCOMPARE(List(1)->font().families().value(0), QStringLiteral("Arial"));
    QCOMPARE(Button(QStringLiteral("btnCompare"))->toolTip(), QStringLiteral("Compare Slot"));
    // One typeface for every control and for the message boxes, which take the application's font.
    const QString face = QFontInfo(List(0)->font()).family();
    for (const char* name : {"txtMemCard0", "btnNew0", "lblCredits", "lblMemCard1", "btnTransfer0"}) {
      QCOMPARE(QFontInfo(Child<QWidget>(QString::fromLatin1(name))->font()).family(), face);
    }
    QCOMPARE(QFontInfo(QApplication::font()).family(), face);
    QCOMPARE(QApplication::font().pointSizeF(), 8.25);
  }

  void transferGlyphsPointOppositeWays() {
    Start();
    Widen();
    // A triangle pointing right has its broad side, and so most of its ink, on the left.
    QVERIFY(InkCentreX(Button(QStringLiteral("btnTransfer0"))->icon(), QSize(20, 20)) < 0.45);
    QVERIFY(InkCentreX(Button(QStringLiteral("btnTransfer1"))->icon(), QSize(20, 20)) > 0.55);
  }

  void resizeButtonSwitchesLayouts() {
    frmSelvane& window = Start();
    QPushButton* resize = Button(QStringLiteral("btnResize"));
    QCOMPARE(resize->geometry(), QRect(202, 330, 45, 20));
    const QImage narrowGlyph = resize->icon().pixmap(16, 12).toImage();
    QTest::mouseClick(resize, Qt::LeftButton);
    QVERIFY(window.isWide());
    QCOMPARE(window.size(), QSize(533, 351));  // 8115 - 115 twips of border
    QCOMPARE(resize->x(), 488);
    QVERIFY(resize->icon().pixmap(16, 12).toImage() != narrowGlyph);
    QTest::mouseClick(resize, Qt::LeftButton);
    QVERIFY(!window.isWide());
    QCOMPARE(window.width(), 249);
    QCOMPARE(resize->x(), 202);
    QCOMPARE(resize->icon().pixmap(16, 12).toImage(), narrowGlyph);
  }

  // What lies outside the narrow window cannot be reached from the keyboard: neither Tab nor
  // pane 1's access keys get there until the window is wide again.
  void narrowLayoutKeepsTheWideControlsOutOfReach() {
    frmSelvane& window = StartWithTwoCards();  // pane 1 was opened while wide
    ShowActive();
    QWidget* path0 = Child<QLineEdit>(QStringLiteral("txtMemCard0"));
    const QStringList narrowRound = {"txtMemCard0", "btnBrowse0",  "lstSlot0", "btnNew0",
                                     "btnDelete0",  "btnConvert0", "btnResize"};
    QCOMPARE(TabRound(path0), narrowRound);
    QVERIFY(!List(1)->isVisible());
    QVERIFY(!Button(QStringLiteral("btnTransfer0"))->isVisible());
    // An access key clicks its button a moment later; pane 0's "&New" shows that the keys work.
    port_.saveChoices = {std::nullopt, std::nullopt};
    QTest::keyClick(&window, Qt::Key_W, Qt::AltModifier);  // "Ne&w" of pane 1
    QTest::keyClick(&window, Qt::Key_N, Qt::AltModifier);
    QTRY_COMPARE(port_.saveRequests.size(), std::size_t{1});
    QTest::qWait(200);
    QCOMPARE(port_.saveRequests.size(), std::size_t{1});
    QCOMPARE(port_.saveRequests[0].title, std::string("Save New Memory Card 1 As..."));

    Widen();
    const QStringList wideRound = {"txtMemCard0", "btnBrowse0",  "lstSlot0",     "btnNew0",
                                   "btnDelete0",  "btnConvert0", "btnTransfer0", "btnTransfer1",
                                   "btnCompare",  "txtMemCard1", "btnBrowse1",   "lstSlot1",
                                   "btnNew1",     "btnDelete1",  "btnConvert1",  "btnResize"};
    QCOMPARE(TabRound(path0), wideRound);
    QTest::keyClick(&window, Qt::Key_W, Qt::AltModifier);
    QTRY_COMPARE(port_.saveRequests.size(), std::size_t{2});
    QCOMPARE(port_.saveRequests[1].title, std::string("Save New Memory Card 2 As..."));

    // Narrowed while pane 1's list has the focus (a screen reader presses the button without
    // moving the focus): the focus goes to the layout button, and a Ctrl-key command keeps acting
    // on the pane it acted on before instead of the hidden one.
    List(1)->setFocus();
    Button(QStringLiteral("btnResize"))->click();
    QVERIFY(!window.isWide());
    QCOMPARE(QApplication::focusWidget(), Button(QStringLiteral("btnResize")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_U, Qt::ControlModifier);
    QCOMPARE(window.popupPane(), 0);
    QCOMPARE(port_.MessageTexts(), std::vector<std::string>{"Select a slot"});
  }

  void pathTextPicksTheLogo_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("logo");
    QTest::newRow("mem") << "c/card.mem" << 0;
    QTest::newRow("mcd") << "c/card.mcd" << 1;
    QTest::newRow("gme") << "c/card.gme" << 2;
    QTest::newRow("epsxe folder") << "c/EpSxE/card.mcr" << 3;
    QTest::newRow("other mcr, capitals") << "c/pcsx/card.MCR" << 4;
    QTest::newRow("ddf") << "c/card.ddf" << 5;
    QTest::newRow("psx") << "c/card.psx" << 2;
    QTest::newRow("unknown") << "c/card.bin" << 2;
  }
  void pathTextPicksTheLogo() {
    QFETCH(QString, typed);
    QFETCH(int, logo);
    frmSelvane& window = Start();
    Widen();
    QLineEdit* path = Child<QLineEdit>(QStringLiteral("txtMemCard1"));
    path->setFocus();
    QTest::keyClicks(path, typed);
    QCOMPARE(window.logoShown(1), logo);
    QVERIFY(!Logo(1)->isHidden());
    QCOMPARE(window.sourceEmu(), logo);
    QVERIFY(window.pane(1).image.empty());  // typing loads nothing
    QCOMPARE(List(1)->count(), 0);
  }

  // --- Browsing ---

  void browseOpensTheChosenCard() {
    frmSelvane& window = Start();
    const CardImage card = selvane::test::TargetCard().Build(Format::Mem);
    const std::string path = Write(QStringLiteral("vgs.mem"), card);
    port_.openChoices.push_back(FileChoice{path, 2});
    Widen();
    QTest::mouseClick(Button(QStringLiteral("btnBrowse1")), Qt::LeftButton);
    QCOMPARE(port_.openRequests.size(), std::size_t{1});
    QCOMPARE(port_.openRequests[0].title, std::string("Select the Memory Card 2"));
    QCOMPARE(port_.openRequests[0].filter, std::string(selvane::filters::kOpen));
    QCOMPARE(window.pane(1).image, card);
    QCOMPARE(Child<QLineEdit>(QStringLiteral("txtMemCard1"))->text(), QString::fromStdString(path));
    QCOMPARE(ListLines(List(1)), Expected(path, card));
    QCOMPARE(window.logoShown(1), 0);
  }

  void browseOnAModifiedPaneOffersToSaveFirst() {
    frmSelvane& window = StartWithTwoCards();
    ClickLine(0, 0);
    QTest::mouseClick(Button(QStringLiteral("btnDelete0")), Qt::LeftButton);
    QVERIFY(window.pane(0).cardModified);
    const CardImage before = window.pane(0).image;
    port_.answers.push_back(Answer::No);
    port_.openChoices.push_back(std::nullopt);
    QTest::mouseClick(Button(QStringLiteral("btnBrowse0")), Qt::LeftButton);
    QCOMPARE(port_.questions.size(), std::size_t{1});
    QCOMPARE(port_.questions[0].text, std::string("Memory Card 1 has been modified.\r\nDo you want to save it?"));
    QCOMPARE(port_.questions[0].buttons, Buttons::YesNo);
    QVERIFY(window.pane(0).cardModified);
    QCOMPARE(window.pane(0).image, before);
  }

  // --- Transfers ---

  void transferButtonCopies() {
    frmSelvane& window = StartWithTwoCards();
    Widen();
    ClickLine(0, 4);  // CHARLIE, slot 5
    QTest::mouseClick(Button(QStringLiteral("btnTransfer0")), Qt::LeftButton);
    QCOMPARE(List(1)->item(1)->text().mid(2), List(0)->item(4)->text().mid(2));  // same save, other slot number
    QCOMPARE(Slice(window.pane(1).image, 2 * kBlock, kBlock), Slice(window.pane(0).image, 5 * kBlock, kBlock));
    QVERIFY(window.pane(1).cardModified);
    QVERIFY(!window.pane(0).cardModified);
  }

  void transferLeftButtonCopiesTheOtherWay() {
    frmSelvane& window = StartWithTwoCards();
    QTest::mouseClick(Button(QStringLiteral("btnResize")), Qt::LeftButton);
    ClickLine(1, 0);  // DELTA
    QTest::mouseClick(Button(QStringLiteral("btnTransfer1")), Qt::LeftButton);
    QCOMPARE(List(0)->item(5)->text().mid(2), List(1)->item(0)->text().mid(2));  // same save, other slot number
    QVERIFY(window.pane(0).cardModified);
    QVERIFY(!window.pane(1).cardModified);
  }

  void transferWithoutCardsOpensPaneZerosDialogOnly() {
    Start();
    Widen();
    port_.openChoices.push_back(std::nullopt);
    QTest::mouseClick(Button(QStringLiteral("btnTransfer1")), Qt::LeftButton);
    QCOMPARE(port_.openRequests.size(), std::size_t{1});
    QCOMPARE(port_.openRequests[0].title, std::string("Select the Memory Card 1"));
  }

  void menuCopyFromTheNarrowLayoutWidensTheWindow() {
    frmSelvane& window = Start();
    port_.openChoices.push_back(std::nullopt);
    QTest::mouseClick(List(0)->viewport(), Qt::RightButton);
    QMenu* menu = window.popupMenu();
    QVERIFY(menu->isVisible());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(MenuAction(QStringLiteral("mnuCopy"))).center());
    QVERIFY(window.isWide());
    QVERIFY(List(1)->isVisibleTo(&window));
    QCOMPARE(port_.openRequests.size(), std::size_t{1});
    QCOMPARE(port_.openRequests[0].title, std::string("Select the Memory Card 1"));
  }

  void doubleClickCopiesFromTheNarrowLayout() {
    frmSelvane& window = StartWithTwoCards();
    QListWidget* list = List(0);
    const QPoint at = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QVERIFY(window.isWide());
    QCOMPARE(List(1)->item(1)->text().mid(2), List(0)->item(0)->text().mid(2));  // same save, other slot number
  }

  void replacingAnOccupiedLineAsksFirst_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("landsOn");
    QTest::newRow("yes") << int(Answer::Yes) << 0;
    QTest::newRow("no") << int(Answer::No) << 1;
  }
  void replacingAnOccupiedLineAsksFirst() {
    QFETCH(int, answer);
    QFETCH(int, landsOn);
    frmSelvane& window = StartWithTwoCards();
    Widen();
    ClickLine(0, 0);
    ClickLine(1, 0);
    port_.answers.push_back(static_cast<Answer>(answer));
    QTest::mouseClick(Button(QStringLiteral("btnTransfer0")), Qt::LeftButton);
    QCOMPARE(port_.questions.size(), std::size_t{1});
    QCOMPARE(port_.questions[0].text, std::string("Do you want to replace 'DELTA'?"));
    QCOMPARE(port_.questions[0].defaultAnswer, Answer::No);
    QCOMPARE(Slice(window.pane(1).image, std::size_t(landsOn + 1) * kBlock, kBlock),
             Slice(window.pane(0).image, kBlock, kBlock));
  }

  void ctrlKeysActOnThePaneOfTheFocusedControl() {
    frmSelvane& window = StartWithTwoCards();
    ShowActive();
    ClickLine(0, 0);
    // Ctrl+C in pane 0's path box: the box copies its text, then the window copies the slot.
    QLineEdit* path0 = Child<QLineEdit>(QStringLiteral("txtMemCard0"));
    path0->setFocus();
    QTest::keyClick(path0, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(window.popupPane(), 0);
    QVERIFY(window.isWide());
    QCOMPARE(List(1)->item(1)->text().mid(2), List(0)->item(0)->text().mid(2));  // same save, other slot number

    // The copy walked pane 0's selection on to BRAVO. Ctrl+M with the focus on pane 1's list moves
    // its selected save to pane 0: declining to replace BRAVO sends it to the first free line.
    QCOMPARE(List(0)->currentRow(), 1);
    ClickLine(1, 0);
    List(1)->setFocus();
    const CardImage delta = Slice(window.pane(1).image, kBlock, kBlock);
    port_.answers.push_back(Answer::No);
    QTest::keyClick(List(1), Qt::Key_M, Qt::ControlModifier);
    QCOMPARE(window.popupPane(), 1);
    QCOMPARE(port_.questions.size(), std::size_t{1});
    QCOMPARE(port_.questions[0].text, std::string("Do you want to replace 'BRAVO'?"));
    QCOMPARE(Slice(window.pane(0).image, 6 * kBlock, kBlock), delta);
    QCOMPARE(Slice(window.pane(1).image, kBlock, kBlock), CardImage(kBlock, 0));
    QVERIFY(window.pane(0).cardModified);
  }

  void ctrlKeyOnTransferButtonUsesItsIndexAndCompareKeepsThePane() {
    frmSelvane& window = StartWithTwoCards();
    Widen();
    ShowActive();
    QPushButton* transfer1 = Button(QStringLiteral("btnTransfer1"));
    transfer1->setFocus();
    QTest::keyClick(transfer1, Qt::Key_U, Qt::ControlModifier);  // toggle with nothing selected
    QCOMPARE(window.popupPane(), 1);
    QPushButton* compare = Button(QStringLiteral("btnCompare"));
    compare->setFocus();
    QTest::keyClick(compare, Qt::Key_U, Qt::ControlModifier);
    QCOMPARE(window.popupPane(), 1);
    QCOMPARE(port_.MessageTexts(), (std::vector<std::string>{"Select a slot", "Select a slot"}));
  }

  void ctrlWithShiftDoesNothing() {
    frmSelvane& window = StartWithTwoCards();
    ShowActive();
    ClickLine(0, 0);
    List(0)->setFocus();
    QTest::keyClick(List(0), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(List(0), Qt::Key_D, Qt::AltModifier);
    QVERIFY(!window.isWide());
    QVERIFY(!window.pane(1).cardModified);
    QVERIFY(!window.pane(0).cardModified);
  }

  void ctrlDeleteKeysDeleteTheSelectedSlot_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Ctrl+D") << int(Qt::Key_D);
    QTest::newRow("Ctrl+X") << int(Qt::Key_X);
  }
  void ctrlDeleteKeysDeleteTheSelectedSlot() {
    QFETCH(int, key);
    frmSelvane& window = StartWithTwoCards();
    Widen();
    ShowActive();
    ClickLine(1, 0);
    List(1)->setFocus();
    QTest::keyClick(List(1), static_cast<Qt::Key>(key), Qt::ControlModifier);
    QCOMPARE(List(1)->item(0)->text(), QStringLiteral("01"));
    QVERIFY(window.pane(1).cardModified);
  }

  // --- Popup menu ---

  void popupMenuListsItsItemsInOrder() {
    Start();
    QStringList items;
    for (QAction* action : window_->popupMenu()->actions()) {
      items << (action->isSeparator() ? QStringLiteral("-") : action->objectName() + QLatin1Char('=') + action->text());
    }
    const QStringList expected = {"mnuOpen=&Open...\tCtrl+O",
                                  "mnuNew=&New\tCtrl+N",
                                  "-",
                                  "mnuSave=&Save\tCtrl+S",
                                  "mnuSaveAs=Save &As...\tCtrl+T",
                                  "-",
                                  "mnuEdit=&Edit Slot\tCtrl+E",
                                  "mnuDelete=&Delete Slot\tCtrl+X",
                                  "mnuClearAll=Clear All Slots",
                                  "-",
                                  "mnuToggleDeleted=&Undelete/Mark as Deleted\tCtrl+U",
                                  "-",
                                  "mnuMove=&Move Slot\tCtrl+M",
                                  "mnuCopy=&Copy Slot\tCtrl+C"};
    QCOMPARE(items, expected);
  }

  void rightClickChoosesThePaneAndKeepsTheSelection() {
    frmSelvane& window = StartWithTwoCards();
    QTest::mouseClick(Button(QStringLiteral("btnResize")), Qt::LeftButton);
    ClickLine(1, 0);
    ClickLine(0, 4);  // the last left click is in pane 0
    ChooseFromMenu(1, 3, QStringLiteral("mnuDelete"));
    QCOMPARE(window.popupPane(), 1);
    QCOMPARE(List(1)->item(0)->text(), QStringLiteral("01"));  // the line selected before, not line 3
    QVERIFY(window.pane(1).cardModified);
    QVERIFY(!window.pane(0).cardModified);
    QCOMPARE(List(0)->item(4)->text(), QStringLiteral("05  CHARLIE"));
  }

  void menuCopyWithoutSelectionAsksForASlot() {
    StartWithTwoCards();
    ChooseFromMenu(0, 2, QStringLiteral("mnuCopy"));
    QCOMPARE(port_.MessageTexts(), std::vector<std::string>{"Select the slot to copy."});
    QCOMPARE(List(0)->selectedItems().size(), 0);
  }

  void menuClearAllAndToggle() {
    frmSelvane& window = StartWithTwoCards();
    ClickLine(0, 2);  // a link block of BRAVO
    ChooseFromMenu(0, 2, QStringLiteral("mnuToggleDeleted"));
    QCOMPARE(window.pane(0).image[2 * kFrame], std::uint8_t{0xA1});
    QCOMPARE(window.pane(0).image[4 * kFrame], std::uint8_t{0xA3});
    QVERIFY(List(0)->item(1)->text().contains(QStringLiteral("BRAVO")));
    ChooseFromMenu(0, 0, QStringLiteral("mnuClearAll"));
    for (int line = 0; line < 15; ++line)
      QCOMPARE(List(0)->item(line)->text(), QStringLiteral("%1").arg(line + 1, 2, 10, QLatin1Char('0')));
    QVERIFY(window.pane(0).cardModified);
  }

  // --- Compare ---

  void compareMovesTheFocusToTheListWithoutSelection() {
    StartWithTwoCards();
    Widen();
    ShowActive();
    QPushButton* compare = Button(QStringLiteral("btnCompare"));
    QTest::mouseClick(compare, Qt::LeftButton);
    QCOMPARE(port_.MessageTexts(), std::vector<std::string>{"Select a slot in Memory Card 1"});
    QCOMPARE(QApplication::focusWidget(), List(0));
    ClickLine(0, 0);
    QTest::mouseClick(compare, Qt::LeftButton);
    QCOMPARE(LastMessage().text, std::string("Select a slot in Memory Card 2"));
    QCOMPARE(QApplication::focusWidget(), List(1));
  }

  void compareTellsIdenticalAndDifferentSlots() {
    frmSelvane& window = StartWithTwoCards();
    Widen();
    ClickLine(0, 0);
    QTest::mouseClick(Button(QStringLiteral("btnTransfer0")), Qt::LeftButton);  // ALPHA lands on line 1
    ClickLine(0, 0);
    ClickLine(1, 1);
    QTest::mouseClick(Button(QStringLiteral("btnCompare")), Qt::LeftButton);
    QCOMPARE(LastMessage().text, std::string("Slots are IDENTICAL!"));
    QCOMPARE(LastMessage().icon, MessageIcon::Information);
    ClickLine(1, 0);
    QTest::mouseClick(Button(QStringLiteral("btnCompare")), Qt::LeftButton);
    QCOMPARE(LastMessage().text, std::string("Slots are the DIFFERENT!!"));
    QCOMPARE(LastMessage().icon, MessageIcon::Exclamation);
    QVERIFY(!window.pane(0).cardModified);
  }

  // --- Saving ---

  void saveAsConvertsAndForcesTheExtension() {
    const CardImage card = selvane::test::SourceCard().Build(Format::Mcr);
    const std::string path = Write(QStringLiteral("card1.mcr"), card);
    frmSelvane& window = Start(QString::fromStdString(path));
    const std::string typed = CardPath(QStringLiteral("out.x")).toStdString();
    port_.saveChoices.push_back(FileChoice{typed, 1});  // Virtual Game Station
    QTest::mouseClick(Button(QStringLiteral("btnConvert0")), Qt::LeftButton);
    QCOMPARE(port_.saveRequests.size(), std::size_t{1});
    const auto& request = port_.saveRequests[0];
    QCOMPARE(request.title, std::string("Save Memory Card 1 As..."));
    QCOMPARE(request.filter, std::string(selvane::filters::kSaveAs));
    QCOMPARE(request.defaultName, CardPath(QStringLiteral("card1")).toStdString());
    QCOMPARE(request.filterIndex, 3);
    const CardImage written = selvane::test::ReadBytes(CardPath(QStringLiteral("out.x.mem")));
    QCOMPARE(written.size(), std::size_t{64 + 131072});
    const auto header = selvane::VgsHeader();
    QCOMPARE(Slice(written, 0, 64), CardImage(header.begin(), header.end()));
    QCOMPARE(Slice(written, 64, 131072), card);
    QCOMPARE(window.outputExt(), std::string("mem"));
    QCOMPARE(Child<QLineEdit>(QStringLiteral("txtMemCard0"))->text(), QString::fromStdString(path));
  }

  void menuSaveWritesTheCardBack() {
    frmSelvane& window = StartWithTwoCards();
    Widen();
    ClickLine(1, 0);
    QTest::mouseClick(Button(QStringLiteral("btnDelete1")), Qt::LeftButton);
    ChooseFromMenu(1, 0, QStringLiteral("mnuSave"));
    QVERIFY(!window.pane(1).cardModified);
    QVERIFY(port_.saveRequests.empty());
    QCOMPARE(selvane::test::ReadBytes(CardPath(QStringLiteral("two.mcr"))), window.pane(1).image);
  }

  void saveThatCannotBeWrittenKeepsTheChanges() {
    frmSelvane& window = StartWithTwoCards();
    ClickLine(0, 0);
    QTest::mouseClick(Button(QStringLiteral("btnDelete0")), Qt::LeftButton);
    const std::string target = CardPath(QStringLiteral("no such folder/out.mcr")).toStdString();
    port_.saveChoices.push_back(FileChoice{target, 3});
    QTest::mouseClick(Button(QStringLiteral("btnConvert0")), Qt::LeftButton);
    QCOMPARE(port_.messages.size(), std::size_t{1});
    QVERIFY(port_.messages[0].text.find(target) != std::string::npos);
    QVERIFY(window.pane(0).cardModified);
  }

  void saveAsOnAnEmptyPaneOffersTheOpenDialog() {
    Start();
    port_.openChoices.push_back(std::nullopt);
    QTest::mouseClick(Button(QStringLiteral("btnConvert0")), Qt::LeftButton);
    QVERIFY(port_.saveRequests.empty());
    QCOMPARE(port_.openRequests.size(), std::size_t{1});
    QCOMPARE(port_.openRequests[0].title, std::string("Select the Memory Card 1"));
  }

  void newWritesAnEmptyCardAndOpensIt_data() {
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("logo");
    QTest::newRow("vgs") << 1 << "blank.mem" << 64 + 131072 << 0;
    QTest::newRow("dexdrive") << 6 << "blank.gme" << 3904 + 131072 << 2;
    QTest::newRow("ePSXe") << 3 << "blank.mcr" << 131072 << 4;
  }
  void newWritesAnEmptyCardAndOpensIt() {
    QFETCH(int, filterIndex);
    QFETCH(QString, file);
    QFETCH(int, size);
    QFETCH(int, logo);
    frmSelvane& window = Start();
    port_.saveChoices.push_back(FileChoice{CardPath(QStringLiteral("blank")).toStdString(), filterIndex});
    QTest::mouseClick(Button(QStringLiteral("btnNew0")), Qt::LeftButton);
    QCOMPARE(port_.saveRequests.size(), std::size_t{1});
    QCOMPARE(port_.saveRequests[0].title, std::string("Save New Memory Card 1 As..."));
    QCOMPARE(port_.saveRequests[0].filter, std::string(selvane::filters::kNew));
    const CardImage written = selvane::test::ReadBytes(CardPath(file));
    QCOMPARE(int(written.size()), size);
    QCOMPARE(Slice(written, written.size() - 131072, 131072), selvane::EmptyCard());
    QCOMPARE(window.pane(0).image, written);
    QVERIFY(!window.pane(0).cardModified);
    QCOMPARE(Child<QLineEdit>(QStringLiteral("txtMemCard0"))->text(), CardPath(file));
    QCOMPARE(List(0)->count(), 15);
    QCOMPARE(List(0)->item(14)->text(), QStringLiteral("15"));
    QCOMPARE(window.logoShown(0), logo);
  }

  void newFromAPsmPathStartsOnTheEpsxeEntry_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("format");
    QTest::newRow("psx") << "psm.psx" << int(Format::Psx);
    QTest::newRow("ps") << "winpsm.ps" << int(Format::Ps);
  }
  void newFromAPsmPathStartsOnTheEpsxeEntry() {
    QFETCH(QString, file);
    QFETCH(int, format);
    const std::string path = Write(file, selvane::test::TargetCard().Build(static_cast<Format>(format)));
    frmSelvane& window = Start(QString::fromStdString(path));
    port_.saveChoices.push_back(std::nullopt);
    ChooseFromMenu(0, 0, QStringLiteral("mnuNew"));
    QCOMPARE(port_.saveRequests.size(), std::size_t{1});
    QCOMPARE(port_.saveRequests[0].filterIndex, 3);
    QCOMPARE(port_.saveRequests[0].defaultName, path);
    QCOMPARE(window.pane(0).path, path);  // cancelled: unchanged
  }

  // --- Closing ---

  void closingAsksAboutEachModifiedPane() {
    frmSelvane& window = StartWithTwoCards();
    Widen();
    ClickLine(0, 0);
    QTest::mouseClick(Button(QStringLiteral("btnDelete0")), Qt::LeftButton);
    ClickLine(1, 0);
    QTest::mouseClick(Button(QStringLiteral("btnDelete1")), Qt::LeftButton);
    window.show();

    port_.answers = {Answer::No, Answer::Cancel};
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    QCOMPARE(port_.questions.size(), std::size_t{2});
    QCOMPARE(port_.questions[0].text,
             std::string("Memory Card 1 has been modified.\r\nDo you want to save the changes?"));
    QCOMPARE(port_.questions[1].text,
             std::string("Memory Card 2 has been modified.\r\nDo you want to save the changes?"));
    QCOMPARE(port_.questions[0].buttons, Buttons::YesNoCancel);

    // Yes saves through Save As and keeps the window open; the saved pane asks no more.
    port_.answers = {Answer::Yes, Answer::No};
    port_.saveChoices.push_back(FileChoice{CardPath(QStringLiteral("saved")).toStdString(), 3});
    QVERIFY(!window.close());
    QVERIFY(!window.pane(0).cardModified);
    QVERIFY(QFileInfo::exists(CardPath(QStringLiteral("saved.mcr"))));

    port_.answers = {Answer::No};
    QVERIFY(window.close());
    QCOMPARE(port_.questions.size(), std::size_t{5});
    QVERIFY(!window.isVisible());
  }

  // --- Identity editor and credits ---

  void editSlotThroughTheDialog() {
    frmSelvane& window = StartWithTwoCards();
    ShowActive();
    ClickLine(0, 3);  // the last block of BRAVO: the editor walks back to slot 2
    QString title;
    std::optional<int> presetRegion;
    QString presetId;
    WhenModal<formData>(this, [&](formData* dialog) {
      title = dialog->windowTitle();
      presetRegion = dialog->Region();
      presetId = dialog->GameId();
      QTest::mouseClick(dialog->findChild<QWidget*>(QStringLiteral("optRegion0")), Qt::LeftButton);
      auto* id = dialog->findChild<QLineEdit*>(QStringLiteral("txtID"));
      id->setFocus();
      QTest::keyClicks(id, QStringLiteral("wxyz-00001"));
      QTest::keyClick(id, Qt::Key_Return);
    });
    List(0)->setFocus();
    QTest::keyClick(List(0), Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(title, QStringLiteral("Slot 2 - ") + List(0)->item(1)->text());
    QCOMPARE(presetRegion, std::optional<int>(1));
    QCOMPARE(presetId, QStringLiteral("SLES-00022"));
    QCOMPARE(List(0)->currentRow(), 1);
    const CardImage entry = Slice(window.pane(0).image, 2 * kFrame, kFrame);
    QCOMPARE(entry[11], std::uint8_t('A'));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(entry.data()) + 12, 10), QByteArray("WXYZ-00001"));
    QCOMPARE(entry[127], selvane::FrameChecksum(entry));
    QVERIFY(window.pane(0).cardModified);
    QCOMPARE(window.SlotID, std::string("WXYZ-00001"));
    QCOMPARE(window.SlotRegion, 0);
  }

  void editSlotCancelledChangesNothing() {
    frmSelvane& window = StartWithTwoCards();
    ClickLine(0, 0);
    const CardImage before = window.pane(0).image;
    WhenModal<formData>(this, [](formData* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    ChooseFromMenu(0, 0, QStringLiteral("mnuEdit"));
    QCOMPARE(window.pane(0).image, before);
    QVERIFY(!window.pane(0).cardModified);
    QCOMPARE(window.SlotID, std::string());
  }

  void editSlotWithoutSelectionAsksForASlot() {
    StartWithTwoCards();
    ChooseFromMenu(0, 0, QStringLiteral("mnuEdit"));
    QCOMPARE(port_.MessageTexts(), std::vector<std::string>{"Select a slot"});
  }

  void creditsNameTheProgramAndItsLicence() {
    Start();
    QTest::mouseClick(Child<QLabel>(QStringLiteral("lblCredits")), Qt::LeftButton);
    QCOMPARE(port_.messages.size(), std::size_t{1});
    QVERIFY(port_.messages[0].text.find("Selvane 1.1") != std::string::npos);
    QVERIFY(port_.messages[0].text.find("MIT License") != std::string::npos);
    QCOMPARE(port_.messages[0].icon, MessageIcon::Information);
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
