// Drag and drop on the main window and its Import Save / Export Save items, as user journeys: real
// drag and drop events carrying file URLs or the window's own line data, sent to the lists and path
// boxes, with the answers and file choices scripted and every file built in a temporary folder.
#include <QApplication>
#include <QDragEnterEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <memory>

#include "core/file_io.h"
#include "core/signing.h"
#include "examples/card_builder.h"
#include "slots/card_file.h"
#include "slots/save_file_choice.h"
#include "tests/slots/test_port.h"
#include "ui/frm_selvane.h"
#ifdef SELVANE_HAVE_SIGNING
#include "crypto/signature_primitives.h"
#endif

namespace selvane {
namespace {

using Port = testkit::DialogPort;

// "ALPHA" in slot 1, the three blocks of "BRAVO" in slots 2-4, "CHARLIE" in slot 5; and "DELTA".
demo::CardBuilder SourceCard() {
  demo::CardBuilder card;
  card.AddSave(1, 1, "ALPHA", "SLUS-00011", 'A').AddSave(2, 3, "BRAVO", "SLES-00022", 'E').AddSave(5, 1, "CHARLIE");
  return card;
}
demo::CardBuilder TargetCard() { return demo::CardBuilder().AddSave(1, 1, "DELTA", "SLUS-00044", 'A'); }

// A two-block save that is on neither card, as a file of `kind`.
SingleSave EchoSave() {
  const CardImage card = demo::CardBuilder().AddSave(1, 2, "ECHO", "SLUS-00077", 'A', false, 9).RawCard();
  const auto at = card.begin() + static_cast<std::ptrdiff_t>(SaveBlockOffset(1));
  return SingleSave{"BASLUS-00077ECHO", std::vector<std::uint8_t>(at, at + 2 * kBlockSize)};
}

QMimeData* FilesData(const QStringList& paths) {
  auto* data = new QMimeData;
  QList<QUrl> urls;
  for (const QString& path : paths)
    urls << (path.contains(QLatin1String("://")) ? QUrl(path) : QUrl::fromLocalFile(path));
  data->setUrls(urls);
  return data;
}

}  // namespace

class DropTest : public QObject {
  Q_OBJECT

  QTemporaryDir settingsDir_;
  std::unique_ptr<QTemporaryDir> dir_;
  int portFailures_ = 0;
  std::unique_ptr<Port> port_;
  std::unique_ptr<ui::frmSelvane> w_;

  QString Path(const QString& name) const { return dir_->filePath(name); }
  QString Write(const QString& name, const std::vector<std::uint8_t>& bytes) {
    WriteFileAtomic(Path(name).toStdString(), bytes);
    return Path(name);
  }
  QString WriteCard(const QString& name, const demo::CardBuilder& card = SourceCard()) {
    return Write(name, card.Build(*FormatFromPath(name.toStdString())));
  }
  // The window, wide, with SourceCard in pane 0 and TargetCard in pane 1 (each optional).
  ui::frmSelvane& Open(bool card0 = true, bool card1 = true) {
    w_ = std::make_unique<ui::frmSelvane>(
        ui::WindowStart{card0 ? WriteCard("one.mcr").toStdString() : std::string(), {}, port_.get()});
    Click("btnResize");
    if (card1) {
      port_->choices.push_back(FileChoice{WriteCard("two.mcr", TargetCard()).toStdString(), 1});
      Click("btnBrowse1");
    }
    w_->show();
    return *w_;
  }
  QListWidget* List(int pane) const { return w_->findChild<QListWidget*>(QStringLiteral("lstSlot%1").arg(pane)); }
  QLineEdit* Box(int pane) const { return w_->findChild<QLineEdit*>(QStringLiteral("txtMemCard%1").arg(pane)); }
  void Click(const char* name) { QTest::mouseClick(w_->findChild<QWidget*>(name), Qt::LeftButton); }
  QPoint At(int pane, int line) const { return List(pane)->visualItemRect(List(pane)->item(line)).center(); }
  void ClickLine(int pane, int line) { QTest::mouseClick(List(pane)->viewport(), Qt::LeftButton, {}, At(pane, line)); }
  void ChooseFromMenu(int pane, const char* item) {
    QTest::mouseClick(List(pane)->viewport(), Qt::RightButton, {}, At(pane, 3));
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
  // What the user can see of both panes and what they hold.
  std::tuple<CardImage, CardImage, std::string, std::string, bool, bool> State() const {
    return {w_->pane(0).image, w_->pane(1).image,        w_->pane(0).path,
            w_->pane(1).path,  w_->pane(0).cardModified, w_->pane(1).cardModified};
  }

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setQuitOnLastWindowClosed(false);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
#ifdef SELVANE_HAVE_SIGNING
    InstallSignaturePrimitives(&crypto::Primitives());
#endif
  }
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    portFailures_ = testing::UnitTest::GetInstance()->ad_hoc_test_result().total_part_count();
    port_ = std::make_unique<Port>();
  }
  void cleanup() {
    w_.reset();
    QCOMPARE(testing::UnitTest::GetInstance()->ad_hoc_test_result().total_part_count(), portFailures_);
  }

  // A save file put on pane 1 (dropped on its list, or through Import Save...) lands on the line
  // the drop or selection names, and Export Save... writes it as the very .mcs it came from (or
  // would have come from: a .psv with a wrong signature is imported after a warning).
  void importedSaveExportsToTheSameBytes_data() {
    QTest::addColumn<bool>("byDrop");
    QTest::addColumn<int>("line");
    QTest::addColumn<bool>("psv");
    QTest::newRow(".mcs dropped on free line 6") << true << 5 << false;
    QTest::newRow(".mcs imported onto selected free line 9") << false << 8 << false;
    QTest::newRow(".psv wrongly signed, dropped on line 3") << true << 2 << true;
  }
  void importedSaveExportsToTheSameBytes() {
    QFETCH(bool, byDrop);
    QFETCH(int, line);
    QFETCH(bool, psv);
    const std::vector<std::uint8_t> mcs = WriteMcs(EchoSave());
    std::vector<std::uint8_t> bytes = mcs;
    if (psv) {
      bytes = WritePsv(EchoSave(), std::array<std::uint8_t, psv::kSeedSize>{7});
      bytes[psv::kSignature] ^= 1;
    }
    const QString file = Write(psv ? QStringLiteral("echo.psv") : QStringLiteral("echo.mcs"), bytes);
    ui::frmSelvane& w = Open();
    ClickLine(1, line);
    if (byDrop) {
      QCOMPARE(Drop(List(1)->viewport(), FilesData({file}), At(1, line)), std::pair(true, true));
    } else {
      port_->choices.push_back(FileChoice{file.toStdString(), 1});
      ChooseFromMenu(1, "mnuImportSave");
      QCOMPARE(port_->requests.back().filter, filters::kSingleSaves);
    }
    std::vector<std::string> warned;
    if (psv && SigningAvailable()) warned.push_back(text::WrongSaveSignature(file.toStdString()));
    QCOMPARE(port_->MessageTexts(), warned);
    port_->Clear();
    QVERIFY(w.pane(1).cardModified);
    QVERIFY(List(1)->item(line)->text().contains(QLatin1String("ECHO")));
    const QString out = Path(QStringLiteral("exported"));
    // The second block went to the first free line (line 2); selected there, the whole save is
    // exported all the same.
    ClickLine(1, 1);
    port_->choices.push_back(FileChoice{out.toStdString(), 1});
    ChooseFromMenu(1, "mnuExportSave");
    QCOMPARE(port_->MessageTexts(), std::vector<std::string>{});
    QCOMPARE(ReadCardFile((out + QStringLiteral(".mcs")).toStdString()).bytes, mcs);
    QCOMPARE(port_->requests.back().defaultName.substr(port_->requests.back().defaultName.rfind('/') + 1),
             std::string("SLUS-00077ECHO.mcs"));
  }

  // Export Save... suggests the name each filter entry's readers expect, and the name changes with
  // the entry picked: a .mcs by product code and identifier, a .psv as a PS3 names it, a raw save
  // by its whole name, which brings the name back when the file is imported.
  void exportSuggestsTheNameOfTheEntryPicked() {
    const SingleSave echo = EchoSave();
    ui::frmSelvane& w = Open();
    ClickLine(1, 5);
    QCOMPARE(Drop(List(1)->viewport(), FilesData({Write(QStringLiteral("echo.mcs"), WriteMcs(echo))}), At(1, 5)),
             std::pair(true, true));
    const std::tuple<int, QString, SaveFileKind> entries[] = {
        {1, QStringLiteral("SLUS-00077ECHO.mcs"), SaveFileKind::Mcs},
        {2, QStringLiteral("BASLUS-000774543484F.PSV"), SaveFileKind::Psv},
        {3, QStringLiteral("BASLUS-00077ECHO"), SaveFileKind::Raw},
    };
    for (const auto& [entry, name, kind] : entries) {
      ClickLine(1, 5);
      port_->choices.push_back(FileChoice{"", entry});  // the name shown is confirmed
      ChooseFromMenu(1, "mnuExportSave");
      const SaveFileRead read = ReadSaveFileAt(Path(name).toStdString());
      QVERIFY2(read.save, qPrintable(name));
      QCOMPARE(read.kind, kind);
      QCOMPARE(read.save->name, echo.name);
      QVERIFY(read.save->blocks == echo.blocks);
    }
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files).size(), 6);  // two cards, the dropped save, three exports
    ClickLine(0, 5);
    QCOMPARE(Drop(List(0)->viewport(), FilesData({Path(QStringLiteral("BASLUS-00077ECHO"))}), At(0, 5)),
             std::pair(true, true));
    const CardImage& card = w.pane(0).image;
    const auto name = card.begin() + static_cast<std::ptrdiff_t>(SlotEntryOffset(6) + kEntrySaveName);
    QCOMPARE(std::string(name, name + static_cast<std::ptrdiff_t>(echo.name.size())), echo.name);
    QVERIFY(port_->messages().empty());
  }

  // Several saves dropped at once land one after another; the first that is refused or declined
  // stops the rest with its message or question.
  void severalSavesStopAtTheFirstRefusal_data() {
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("asked");
    QTest::newRow("a cut .mcs") << QStringLiteral("cut.mcs") << false;
    QTest::newRow("a save named as one on the card, declined") << QStringLiteral("BASLUS-00044") << true;
  }
  void severalSavesStopAtTheFirstRefusal() {
    QFETCH(QString, second);
    QFETCH(bool, asked);
    const QString first = Write(QStringLiteral("echo.mcs"), WriteMcs(EchoSave()));
    SingleSave named = EchoSave();
    std::vector<std::uint8_t> bytes = WriteRawSave(named);
    if (!asked) bytes = {'Q', 'x'};
    const QString refused = Write(second, bytes);
    const QString third = Write(QStringLiteral("third.mcs"), WriteMcs(SingleSave{"BASLUS-00099", named.blocks}));
    ui::frmSelvane& w = Open();
    if (asked) port_->Answering({Answer::No});
    QCOMPARE(Drop(List(1)->viewport(), FilesData({first, refused, third})).second, true);
    QCOMPARE(port_->questions().size(), std::size_t{asked});
    QCOMPARE(port_->messages().size(), std::size_t{!asked});
    if (!asked) QVERIFY(port_->messages()[0].text.starts_with(refused.toStdString() + " cannot be imported: "));
    // Only the first save landed: DELTA, ECHO's two blocks, then free lines.
    QVERIFY(List(1)->item(1)->text().contains(QLatin1String("ECHO")));
    for (int line = 3; line < 15; ++line)
      QCOMPARE(List(1)->item(line)->text(), QStringLiteral("%1").arg(line + 1, 2, 10, QLatin1Char('0')));
    QVERIFY(w.pane(1).cardModified);
  }

  // A line dragged onto an occupied line of the other list does what the transfer button does
  // with those two lines selected: the replace question, then the copy or nothing.
  void slotDroppedOnTheOtherListTransfersAsTheButtonDoes_data() {
    QTest::addColumn<Answer>("answer");
    QTest::newRow("replace: yes") << Answer::Yes;
    QTest::newRow("replace: no") << Answer::No;
  }
  void slotDroppedOnTheOtherListTransfersAsTheButtonDoes() {
    QFETCH(Answer, answer);
    // By the button first, to see what the drop must do.
    Open();
    ClickLine(0, 2);  // the middle block of BRAVO
    ClickLine(1, 0);  // DELTA
    port_->Answering({answer});
    Click("btnTransfer0");
    const auto byButton = State();
    const auto asked = port_->questions();
    QCOMPARE(asked.size(), std::size_t{1});

    port_ = std::make_unique<Port>();
    ui::frmSelvane& w = Open();
    port_->Answering({answer});
    QCOMPARE(Drop(List(1)->viewport(), w.slotDragData(0, 2), At(1, 0)), std::pair(true, true));
    QCOMPARE(State(), byButton);
    QCOMPARE(port_->questions().size(), asked.size());
    QCOMPARE(port_->questions()[0].text, asked[0].text);
    // Yes replaces DELTA; No keeps it and the save lands on a free line.
    QCOMPARE(List(1)->item(0)->text().contains(QLatin1String("DELTA")), answer == Answer::No);
    QVERIFY(w.pane(1).image != TargetCard().Build(Format::Mcr));
  }

  // A line dragged out of the window offers the file manager its save as a .mcs file named after
  // the save's product code.
  void slotDraggedOutIsAnMcsFile() {
    ui::frmSelvane& w = Open();
    const std::unique_ptr<QMimeData> data(w.slotDragData(0, 3));  // BRAVO's last block
    QVERIFY(data && data->urls().size() == 1);
    const std::string file = data->urls()[0].toLocalFile().toStdString();
    QVERIFY(file.ends_with("/SLES-00022.mcs"));
    const ReadResult read = ReadCardFile(file);
    const SaveFileRead save = ReadSaveFile(file, read.bytes);
    QVERIFY(save.save && save.kind == SaveFileKind::Mcs);
    const CardImage& image = w.pane(0).image;
    const auto at = image.begin() + static_cast<std::ptrdiff_t>(SaveBlockOffset(2));
    QVERIFY(save.save->blocks == std::vector<std::uint8_t>(at, at + 3 * kBlockSize));
    QVERIFY(!w.slotDragData(0, 6));  // a free line drags nothing
  }

  // A card file dropped on a pane opens there as the open dialog would open it; the newer
  // containers too. Changed, it is saved in its own format (a .vmp signed anew), then converted
  // with Save As to the format of a filter entry, and that file opens with the same lines.
  void cardDroppedOpensInThePane_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("pane");
    QTest::addColumn<bool>("onList");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("convertTo");  // a Save As entry
    QTest::newRow("vmp on list 2, to srm") << QStringLiteral("card.vmp") << 1 << true << false << 10;
    QTest::newRow("srm on path box 1, to vmp") << QStringLiteral("card.srm") << 0 << false << false << 12;
    QTest::newRow("vm1 on modified list 1, to mcd") << QStringLiteral("card.vm1") << 0 << true << true << 2;
    QTest::newRow("gme on path box 2, to vm1") << QStringLiteral("card.gme") << 1 << false << false << 11;
  }
  void cardDroppedOpensInThePane() {
    QFETCH(QString, name);
    QFETCH(int, pane);
    QFETCH(bool, onList);
    QFETCH(bool, modified);
    QFETCH(int, convertTo);
    const QString card = WriteCard(name);
    ui::frmSelvane& w = Open();
    const char* deleteButton = pane == 0 ? "btnDelete0" : "btnDelete1";
    if (modified) {
      ClickLine(pane, 0);
      Click(deleteButton);
      port_->Answering({Answer::No});
    }
    QWidget* target = onList ? List(pane)->viewport() : static_cast<QWidget*>(Box(pane));
    QCOMPARE(Drop(target, FilesData({card})), std::pair(true, true));
    QCOMPARE(port_->questions().size(), std::size_t{modified});
    if (modified)
      QCOMPARE(port_->questions()[0].text,
               "Memory Card " + std::to_string(pane + 1) + " has been modified.\r\nDo you want to save it?");
    QCOMPARE(Box(pane)->text(), card);
    QCOMPARE(w.pane(pane).image, SourceCard().Build(*FormatFromPath(name.toStdString())));
    QVERIFY(List(pane)->item(1)->text().contains(QLatin1String("BRAVO")));
    QVERIFY(port_->messages().empty());

    ClickLine(pane, 0);
    Click(deleteButton);
    ChooseFromMenu(pane, "mnuSave");
    const auto signatureOf = [](const QString& file) {
      return CheckSignature(ReadCardFile(file.toStdString()).bytes, kVmpLayout);
    };
    // The file is the listed card (a signed one with its signature field as the save wrote it).
    CardImage saved = ReadCardFile(card.toStdString()).bytes;
    if (name.endsWith(QLatin1String(".vmp"))) {
      QCOMPARE(signatureOf(card), SigningAvailable() ? SignatureCheck::Valid : SignatureCheck::Unchecked);
      std::copy_n(w.pane(pane).image.begin() + kVmpLayout.signature, kSignatureSize,
                  saved.begin() + kVmpLayout.signature);
    }
    QCOMPARE(saved, w.pane(pane).image);
    QVERIFY(!w.pane(pane).cardModified);

    const std::vector<std::string> lines = w.pane(pane).lines;
    port_->choices.push_back(FileChoice{Path(QStringLiteral("converted")).toStdString(), convertTo});
    ChooseFromMenu(pane, "mnuSaveAs");
    const QString converted =
        Path(QStringLiteral("converted.")) + QString::fromStdString(*OutputExtForFilterIndex(convertTo));
    QCOMPARE(Drop(List(pane)->viewport(), FilesData({converted})), std::pair(true, true));
    QCOMPARE(w.pane(pane).lines, lines);
    QCOMPARE(FormatFromPath(w.pane(pane).path), FormatFromExtension(*OutputExtForFilterIndex(convertTo)));
    if (converted.endsWith(QLatin1String(".vmp")))
      QCOMPARE(signatureOf(converted), SigningAvailable() ? SignatureCheck::Valid : SignatureCheck::Unchecked);
    QVERIFY(port_->messages().empty());
  }

  // A card whose file name is not valid UTF-8 opens from a drop (its URL percent-encodes the
  // name's bytes) and from the command line, and Save writes back to that very name.
  void cardNamedWithBytesThatAreNotUtf8Opens() {
    const std::string card = Path(QStringLiteral("card")).toStdString() + "\xFF\xFE.mcr";
    struct RemovedAtEnd {  // the temporary folder, which goes by its name as text, cannot
      std::string path;
      ~RemovedAtEnd() { std::filesystem::remove(path); }
    } removed{card};
    WriteFileAtomic(card, SourceCard().Build(Format::Mcr));
    w_ = std::make_unique<ui::frmSelvane>(ui::WindowStart{card, {}, port_.get()});
    QCOMPARE(w_->pane(0).path, card);
    QCOMPARE(w_->pane(0).image, SourceCard().Build(Format::Mcr));
    QCOMPARE(List(0)->item(1)->text(), QStringLiteral("02  BRAVO"));

    ui::frmSelvane& w = Open();
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromEncoded("file://" + QByteArray::fromStdString(card).toPercentEncoding("/"))});
    QCOMPARE(Drop(List(1)->viewport(), data), std::pair(true, true));
    QCOMPARE(w.pane(1).path, card);
    QCOMPARE(w.pane(1).image, SourceCard().Build(Format::Mcr));
    ClickLine(1, 0);
    Click("btnDelete1");
    ChooseFromMenu(1, "mnuSave");
    QCOMPARE(ReadCardFile(card).bytes, w.pane(1).image);
    QVERIFY(!w.pane(1).cardModified);
    const std::filesystem::directory_iterator files(dir_->path().toStdString());
    QCOMPARE(std::distance(begin(files), end(files)), 3);  // one.mcr, two.mcr and the card
    QVERIFY(port_->messages().empty());
  }

  // Anything else dropped changes nothing and shows nothing, and the drag is refused as it moves.
  void otherDropsAreRefusedAndChangeNothing_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("target");  // 0, 1: a list; 2, 3: a path box
    QTest::newRow("folder") << QStringLiteral("folder") << 1;
    QTest::newRow("folder named as a card") << QStringLiteral("folder.mcr") << 2;
    QTest::newRow("text") << QStringLiteral("text") << 0;
    QTest::newRow("text on a path box") << QStringLiteral("text") << 3;
    QTest::newRow("unknown file") << QStringLiteral("notes.txt") << 1;
    QTest::newRow("whole card of no card extension") << QStringLiteral("card.bin") << 0;
    QTest::newRow("web address") << QStringLiteral("https://example.org/a.mcs") << 1;
    QTest::newRow("save on a path box") << QStringLiteral("echo.mcs") << 2;
    QTest::newRow("card and save together") << QStringLiteral("card.mcd echo.mcs") << 1;
    QTest::newRow("two cards") << QStringLiteral("card.mcd card.gme") << 0;
    QTest::newRow("line on its own list") << QStringLiteral("line 0") << 0;
    QTest::newRow("line on the other path box") << QStringLiteral("line 0") << 3;
    QTest::newRow("line of another window") << QStringLiteral("foreign line") << 1;
  }
  void otherDropsAreRefusedAndChangeNothing() {
    QFETCH(QString, what);
    QFETCH(int, target);
    QDir(dir_->path()).mkpath(QStringLiteral("folder"));
    QDir(dir_->path()).mkpath(QStringLiteral("folder.mcr"));
    Write(QStringLiteral("notes.txt"), {'h', 'i'});
    Write(QStringLiteral("card.bin"), SourceCard().Build(Format::Mcr));
    Write(QStringLiteral("echo.mcs"), WriteMcs(EchoSave()));
    WriteCard(QStringLiteral("card.mcd"));
    WriteCard(QStringLiteral("card.gme"));
    ui::frmSelvane& w = Open();
    QMimeData* data = nullptr;
    if (what == QLatin1String("text")) {
      data = new QMimeData;
      data->setText(Path(QStringLiteral("card.mcd")));
    } else if (what == QLatin1String("line 0")) {
      data = w.slotDragData(0, 0);
    } else if (what == QLatin1String("foreign line")) {
      data = new QMimeData;
      data->setData(QString::fromLatin1(ui::frmSelvane::kSlotMimeType), "1 2 0 0");
    } else {
      QStringList paths;
      for (const QString& name : what.split(QLatin1Char(' ')))
        paths << (name.contains(QLatin1Char(':')) ? name : Path(name));
      data = FilesData(paths);
    }
    // A drag of a save that came over a list and went leaves nothing behind for the next one.
    const std::unique_ptr<QMimeData> earlier(FilesData({Path(QStringLiteral("echo.mcs"))}));
    QDragEnterEvent enter({5, 5}, Qt::CopyAction, earlier.get(), Qt::LeftButton, {});
    QApplication::sendEvent(List(0)->viewport(), &enter);
    QDragLeaveEvent leave;
    QApplication::sendEvent(List(0)->viewport(), &leave);
    QVERIFY(enter.isAccepted());
    const auto before = State();
    const QStringList shown0 = {List(0)->item(0)->text(), List(1)->item(0)->text()};
    QWidget* widget = target < 2 ? List(target)->viewport() : static_cast<QWidget*>(Box(target - 2));
    QCOMPARE(Drop(widget, data), std::pair(false, false));
    QCOMPARE(State(), before);
    QCOMPARE(Box(0)->text().toStdString(), std::get<2>(before));
    QCOMPARE(QStringList({List(0)->item(0)->text(), List(1)->item(0)->text()}), shown0);
    QVERIFY(port_->messages().empty() && port_->questions().empty() && port_->requests.size() == 1);
  }

  // Export Save... without a selected line asks for one; Import Save... onto a pane without a
  // card asks for the card first, as a transfer does; saves dropped there are refused.
  void saveItemsNeedACardAndALine() {
    ui::frmSelvane& w = Open(true, false);
    ChooseFromMenu(0, "mnuExportSave");
    QCOMPARE(port_->MessageTexts(), std::vector<std::string>{std::string(text::kSelectSlot)});
    QCOMPARE(Drop(List(1)->viewport(), FilesData({Write(QStringLiteral("echo.mcs"), WriteMcs(EchoSave()))})),
             std::pair(false, false));
    port_->choices.push_back(std::nullopt);
    QTest::mouseClick(List(1)->viewport(), Qt::RightButton);
    QMenu* menu = w.popupMenu();
    QTest::mouseClick(menu, Qt::LeftButton, {},
                      menu->actionGeometry(menu->findChild<QAction*>("mnuImportSave")).center());
    QCOMPARE(port_->requests.back().title, std::string("Select the Memory Card 2"));
    QVERIFY(w.pane(1).image.empty());
  }
};

}  // namespace selvane

QTEST_MAIN(selvane::DropTest)
#include "drop_test.moc"
