// Drag and drop on the main window and its Import Save / Export Save items: real drag and drop
// events carrying file URLs or the window's own line data, sent to the lists and path boxes.
#include <filesystem>

#include "core/signing.h"
#include "slots/card_file.h"
#include "slots/save_file_choice.h"
#include "tests/ui/window_fixture.h"
#ifdef SELVANE_HAVE_SIGNING
#include "crypto/signature_primitives.h"
#endif

namespace selvane {
namespace {
using testkit::FilesData;
using testkit::SourceCard;
using testkit::TargetCard;

// A two-block save that is on neither card.
SingleSave EchoSave() {
  const CardImage card = demo::CardBuilder().AddSave(1, 2, "ECHO", "SLUS-00077", 'A', false, 9).RawCard();
  const auto at = card.begin() + static_cast<std::ptrdiff_t>(SaveBlockOffset(1));
  return SingleSave{"BASLUS-00077ECHO", std::vector<std::uint8_t>(at, at + 2 * kBlockSize)};
}

// A save file dropped on pane 1's list (or imported onto its selected line), whether it is a
// wrongly signed .psv, then the Export Save entry picked and the file it writes, of that kind.
using ImportCase = std::tuple<bool, int, bool, int, const char*, SaveFileKind>;
// A card file dropped on a pane's list or path box, the pane holding a changed card or not.
using CardDrop = std::tuple<QString, int, bool, bool>;
}  // namespace
}  // namespace selvane
Q_DECLARE_METATYPE(selvane::ImportCase)
Q_DECLARE_METATYPE(selvane::CardDrop)
namespace selvane {

class DropTest : public QObject, testkit::WindowFixture {
  Q_OBJECT

  // What the user can see of both panes and what they hold.
  std::tuple<CardImage, CardImage, std::string, std::string, bool, bool> State() const {
    return {w_->pane(0).image, w_->pane(1).image,        w_->pane(0).path,
            w_->pane(1).path,  w_->pane(0).cardModified, w_->pane(1).cardModified};
  }

 private slots:
  void initTestCase() {
    StartTests();
#ifdef SELVANE_HAVE_SIGNING
    InstallSignaturePrimitives(&crypto::Primitives());
#endif
  }
  void init() { StartTest(); }
  void cleanup() { QVERIFY(EndTest()); }

  // A save file put on pane 1 (dropped on its list, or through Import Save...) lands on the line
  // the drop or selection names (a .psv with a wrong signature after a warning). Export Save...
  // suggests the name the filter entry's readers expect and writes that entry's kind.
  void importedSaveExportsAsTheEntryPicked_data() {
    QTest::addColumn<ImportCase>("c");
    QTest::newRow(".mcs dropped on line 6, to .mcs")
        << ImportCase{true, 5, false, 1, "SLUS-00077ECHO.mcs", SaveFileKind::Mcs};
    QTest::newRow(".mcs imported onto line 9, to .psv")
        << ImportCase{false, 8, false, 2, "BASLUS-000774543484F.PSV", SaveFileKind::Psv};
    QTest::newRow(".psv wrongly signed on line 3, to raw")
        << ImportCase{true, 2, true, 3, "BASLUS-00077ECHO", SaveFileKind::Raw};
  }
  void importedSaveExportsAsTheEntryPicked() {
    QFETCH(ImportCase, c);
    const auto& [byDrop, line, psv, entry, name, kind] = c;
    std::vector<std::uint8_t> bytes =
        psv ? WritePsv(EchoSave(), std::array<std::uint8_t, psv::kSeedSize>{7}) : WriteMcs(EchoSave());
    if (psv) bytes[psv::kSignature] ^= 1;
    const QString file = Write(psv ? QStringLiteral("echo.psv") : QStringLiteral("echo.mcs"), bytes);
    ui::frmSelvane& w = OpenTwo();
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
    QVERIFY(w.pane(1).cardModified && !w.pane(0).cardModified);
    QVERIFY(List(1)->item(line)->text().contains(QLatin1String("ECHO")));
    // The second block went to the first free line (line 2); selected there, the whole save is
    // exported all the same, under the name shown for the entry picked.
    ClickLine(1, 1);
    port_->choices.push_back(FileChoice{"", entry});
    ChooseFromMenu(1, "mnuExportSave");
    QVERIFY(port_->messages().empty());
    const SaveFileRead read = ReadSaveFileAt(Path(QString::fromLatin1(name)).toStdString());
    QVERIFY(read.save && read.kind == kind);
    QVERIFY(read.save->name == EchoSave().name && read.save->blocks == EchoSave().blocks);
  }

  // Several saves dropped at once are all read and checked first: when one is refused, declined,
  // or does not fit beside the ones before it, none lands.
  void severalSavesLandAllOrNone_data() {
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("blocks");       // the second save's; 0 for a cut .mcs
    QTest::addColumn<QString>("message");  // after the second's path; none: the same-name question
    QTest::newRow("a cut .mcs") << QStringLiteral("cut.mcs") << 0
                                << QStringLiteral(" cannot be imported: it is no single save");
    QTest::newRow("a save named as one on the card, declined") << QStringLiteral("BASLUS-00044") << 2 << QString();
    QTest::newRow("13 blocks after 2, 14 free lines")
        << QStringLiteral("BASLUS-00055") << 13 << QStringLiteral(" cannot be imported: The memory card is full.");
  }
  void severalSavesLandAllOrNone() {
    QFETCH(QString, second);
    QFETCH(int, blocks);
    QFETCH(QString, message);
    const QString first = Write(QStringLiteral("echo.mcs"), WriteMcs(EchoSave()));
    std::vector<std::uint8_t> bytes = {'Q', 'x'};  // a cut .mcs, or a raw save starting with "SC"
    if (blocks > 0) bytes.assign(static_cast<std::size_t>(blocks) * kBlockSize, 'C'), bytes[0] = 'S';
    const QString refused = Write(second, bytes);
    ui::frmSelvane& w = OpenTwo();
    const QStringList before = Shown(1);
    if (message.isEmpty()) port_->Answering({Answer::No});
    QCOMPARE(Drop(List(1)->viewport(), FilesData({first, refused})).second, true);
    QCOMPARE(port_->questions().size(), std::size_t{message.isEmpty()});
    QCOMPARE(port_->messages().size(), std::size_t{!message.isEmpty()});
    if (!message.isEmpty()) QVERIFY(port_->messages()[0].text.starts_with((refused + message).toStdString()));
    QCOMPARE(Shown(1), before);
    QVERIFY(!w.pane(1).cardModified);
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
    OpenTwo();        // by the button first, to see what the drop must do
    ClickLine(0, 2);  // the middle block of BRAVO
    ClickLine(1, 0);  // DELTA
    port_->Answering({answer});
    Click("btnTransfer0");
    const auto byButton = State();
    const auto asked = port_->questions();
    port_ = std::make_unique<testkit::WindowPort>();
    ui::frmSelvane& w = OpenTwo();
    port_->Answering({answer});
    QCOMPARE(Drop(List(1)->viewport(), w.slotDragData(0, 2), At(1, 0)), std::pair(true, true));
    QCOMPARE(State(), byButton);
    QCOMPARE(port_->questions().size(), std::size_t{1});
    QCOMPARE(port_->questions()[0].text, asked.at(0).text);
    QCOMPARE(List(1)->item(0)->text().contains(QLatin1String("DELTA")), answer == Answer::No);
  }

  // A line dragged out of the window offers the file manager its save as a .mcs file named after
  // the save's product code; a free line drags nothing.
  void slotDraggedOutIsAnMcsFile() {
    ui::frmSelvane& w = OpenTwo();
    const std::unique_ptr<QMimeData> data(w.slotDragData(0, 3));  // BRAVO's last block
    QVERIFY(data && data->urls().size() == 1 && data->urls()[0].fileName() == QLatin1String("SLES-00022.mcs"));
    const SaveFileRead save = ReadSaveFileAt(data->urls()[0].toLocalFile().toStdString());
    const auto at = w.pane(0).image.begin() + static_cast<std::ptrdiff_t>(SaveBlockOffset(2));
    QVERIFY(save.save && save.kind == SaveFileKind::Mcs && save.save->blocks == CardImage(at, at + 3 * kBlockSize));
    QVERIFY(!w.slotDragData(0, 6));
  }

  // A card file dropped on a pane's list or path box opens there (after the modified question)
  // as the open dialog would open it.
  void cardDroppedOpensInThePane_data() {
    QTest::addColumn<CardDrop>("c");
    QTest::newRow("vmp on list 2") << CardDrop{"card.vmp", 1, true, false};
    QTest::newRow("srm on path box 1") << CardDrop{"card.srm", 0, false, false};
    QTest::newRow("vm1 on modified list 1") << CardDrop{"card.vm1", 0, true, true};
    QTest::newRow("gme on modified path box 2") << CardDrop{"card.gme", 1, false, true};
  }
  void cardDroppedOpensInThePane() {
    QFETCH(CardDrop, c);
    const auto& [name, pane, onList, modified] = c;
    const QString card = Write(name);
    ui::frmSelvane& w = OpenTwo();
    if (modified) {
      ClickLine(pane, 0);
      Click(pane == 0 ? "btnDelete0" : "btnDelete1");
      port_->Answering({Answer::No});
    }
    QWidget* target = onList ? List(pane)->viewport() : static_cast<QWidget*>(Box(pane));
    QCOMPARE(Drop(target, FilesData({card})), std::pair(true, true));
    QCOMPARE(port_->questions().size(), std::size_t{modified});
    if (modified)
      QCOMPARE(port_->questions()[0].text,
               "Memory Card " + std::to_string(pane + 1) + " has been modified.\r\nDo you want to save it?");
    QCOMPARE(Box(pane)->text(), card);
    QCOMPARE(Box(1 - pane)->text(), Path(pane ? "one.mcr" : "two.mcr"));
    QCOMPARE(w.pane(pane).image, SourceCard().Build(*FormatFromPath(name.toStdString())));
    QVERIFY(port_->messages().empty());
  }

  // A card whose file name is not valid UTF-8 opens from a drop (its URL percent-encodes the
  // name's bytes), and Save writes back to that very name.
  void cardNamedWithBytesThatAreNotUtf8Opens() {
    const std::string card = Path(QStringLiteral("card")).toStdString() + "\xFF\xFE.mcr";
    struct RemovedAtEnd {  // the temporary folder, which goes by its name as text, cannot
      std::string path;
      ~RemovedAtEnd() { std::filesystem::remove(path); }
    } removed{card};
    WriteFileAtomic(card, SourceCard().Build(Format::Mcr));
    ui::frmSelvane& w = OpenTwo();
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromEncoded("file://" + QByteArray::fromStdString(card).toPercentEncoding("/"))});
    QCOMPARE(Drop(List(1)->viewport(), data), std::pair(true, true));
    QCOMPARE(w.pane(1).path, card);
    ClickLine(1, 0);
    Click("btnDelete1");
    ChooseFromMenu(1, "mnuSave");
    QCOMPARE(ReadCardFile(card).bytes, w.pane(1).image);
    QVERIFY(!w.pane(1).cardModified && port_->messages().empty());
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
    Write(QStringLiteral("notes.txt"), std::vector<std::uint8_t>{'h', 'i'});
    Write(QStringLiteral("card.bin"), SourceCard().Build(Format::Mcr));
    Write(QStringLiteral("echo.mcs"), WriteMcs(EchoSave()));
    Write(QStringLiteral("card.mcd"));
    Write(QStringLiteral("card.gme"));
    ui::frmSelvane& w = OpenTwo();
    QStringList paths;
    for (const QString& name : what.split(QLatin1Char(' ')))
      paths << (name.contains(QLatin1Char(':')) ? name : Path(name));
    QMimeData* data = what == QLatin1String("line 0") ? w.slotDragData(0, 0) : testkit::FilesData(paths);
    if (what == QLatin1String("text") || what == QLatin1String("foreign line")) data->setUrls({});
    if (what == QLatin1String("text")) data->setText(Path(QStringLiteral("card.mcd")));
    if (what == QLatin1String("foreign line"))
      data->setData(QString::fromLatin1(ui::frmSelvane::kSlotMimeType), "1 2 0 0");
    // A drag of a save that came over a list and went leaves nothing behind for the next one.
    const std::unique_ptr<QMimeData> earlier(FilesData({Path(QStringLiteral("echo.mcs"))}));
    QDragEnterEvent enter({5, 5}, Qt::CopyAction, earlier.get(), Qt::LeftButton, {});
    QApplication::sendEvent(List(0)->viewport(), &enter);
    QDragLeaveEvent leave;
    QApplication::sendEvent(List(0)->viewport(), &leave);
    QVERIFY(enter.isAccepted());
    const auto before = State();
    const QStringList shown[2] = {Shown(0), Shown(1)};
    QWidget* widget = target < 2 ? List(target)->viewport() : static_cast<QWidget*>(Box(target - 2));
    QCOMPARE(Drop(widget, data), std::pair(false, false));
    QCOMPARE(State(), before);
    QCOMPARE(Box(0)->text().toStdString(), std::get<2>(before));
    QVERIFY(Shown(0) == shown[0] && Shown(1) == shown[1]);
    QVERIFY(port_->messages().empty() && port_->questions().empty() && port_->requests.size() == 1);
  }

  // Export Save... without a selected line asks for one; Import Save... onto a pane without a
  // card asks for the card first, as a transfer does; saves dropped there are refused.
  void saveItemsNeedACardAndALine() {
    ui::frmSelvane& w = Open(Write("one.mcr"), {}, true);
    ChooseFromMenu(0, "mnuExportSave");
    QCOMPARE(port_->MessageTexts(), std::vector<std::string>{std::string(text::kSelectSlot)});
    QCOMPARE(Drop(List(1)->viewport(), FilesData({Write(QStringLiteral("echo.mcs"), WriteMcs(EchoSave()))})),
             std::pair(false, false));
    port_->choices.push_back(std::nullopt);
    ChooseFromMenu(1, "mnuImportSave");  // a right-click on the empty list
    QCOMPARE(port_->requests.back().title, std::string("Select the Memory Card 2"));
    QVERIFY(w.pane(1).image.empty());
  }
};

}  // namespace selvane

QTEST_MAIN(selvane::DropTest)
#include "drop_test.moc"
