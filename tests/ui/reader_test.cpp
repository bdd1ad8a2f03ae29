// The slot menu's card reader items against simulated readers on pseudo-terminals: the reader
// dialog as a screen reader finds it, the progress and its Cancel, the card opened in the pane or
// written onto the reader's card, and what each failure says and leaves.
#include <QComboBox>
#include <QPointer>
#include <QPushButton>

#include "device/sim/pty_simulator.h"
#include "slots/card_file.h"
#include "tests/ui/window_fixture.h"
#include "ui/reader_dialog.h"
#include "ui/reader_progress.h"

using selvane::device::ReaderKind;
using selvane::sim::ReaderFaults;

// A read into `pane` (its card changed first when `changed`) from a simulated `kind` chosen in the
// dialog as `chosen`, with the reader's `faults` (Cancel is clicked while a holdRead fault holds
// the reader's answer); then the message shown, empty when the card opened in the pane.
struct ReadCase {
  int pane;
  ReaderKind kind;
  const char* chosen;
  bool changed;
  ReaderFaults faults;
  const char* message;
};
// A write of pane 0's card onto a simulated reader's card that differs from it in frames 70 and
// 200: the answers to the questions (the write's, then the close's when the window is closed while
// the reader holds back its answer to the write of frame 70), the reader's faults; then the frames
// written and what the message says.
struct WriteCase {
  std::vector<selvane::Answer> answers;
  ReaderFaults faults;
  bool closeWhileWriting;
  std::vector<int> written;
  QStringList said;
};
Q_DECLARE_METATYPE(ReadCase)
Q_DECLARE_METATYPE(WriteCase)

namespace selvane {
using sim::PtySimulator;
using testkit::SourceCard;
using testkit::WhenModal;

class ReaderTest : public QObject, testkit::WindowFixture {
  Q_OBJECT

  template <typename T>
  static T* ByAccessibleName(QWidget* parent, const char* name) {
    for (T* child : parent->findChildren<T*>()) {
      if (child->accessibleName() == QLatin1String(name)) return child;
    }
    return nullptr;
  }
  inline static bool cardSlotShown_ = false;  // the last reader dialog's card slot box was enabled
  // Once the reader dialog shows: `reader` chosen, `port` typed, and its default button pressed.
  static void ChooseReader(const QString& reader, const QString& port) {
    WhenModal<ui::ReaderDialog>([=](ui::ReaderDialog* dialog) {
      auto* kinds = ByAccessibleName<QComboBox>(dialog, "Reader");
      kinds->setCurrentIndex(kinds->findText(reader));
      ByAccessibleName<QComboBox>(dialog, "Port")->setEditText(port);
      cardSlotShown_ = ByAccessibleName<QComboBox>(dialog, "Card slot")->isEnabled();
      for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->isDefault()) return QTest::mouseClick(button, Qt::LeftButton);
      }
      dialog->reject();
    });
  }
  // Once `ready` holds while the progress shows, runs `act` on it.
  using OnProgress = std::function<void(ui::ReaderProgress*)>;
  static void WhenProgress(const std::function<bool(ui::ReaderProgress*)>& ready, const OnProgress& act) {
    WhenModal<ui::ReaderProgress>([=](ui::ReaderProgress* progress) { Poll(progress, ready, act); });
  }
  static void Poll(QPointer<ui::ReaderProgress> progress, const std::function<bool(ui::ReaderProgress*)>& ready,
                   const OnProgress& act) {
    QTimer::singleShot(2, qApp, [=] {
      if (progress) ready(progress) ? act(progress) : Poll(progress, ready, act);
    });
  }
  static CardImage Changed(CardImage card) {
    card[70 * kFrameSize + 5] ^= 0xFF;
    card[200 * kFrameSize + 127] ^= 0x01;
    return card;
  }

  // A row that holds the reader's answer back waits long, so that a busy machine's late click is
  // not taken for a reader gone silent.
  static void WaitLong() { qputenv("SELVANE_READER_TIMEOUT_MS", "10000"); }

 private slots:
  void initTestCase() { StartTests(); }
  void init() {
    StartTest();
    qputenv("XDG_DATA_HOME", dir_->path().toLocal8Bit());
    // Short waits keep the silent reader's rows quick.
    qputenv("SELVANE_READER_TIMEOUT_MS", "40");
  }
  void cleanup() { QVERIFY(EndTest()); }

  void readOpensTheCardInThePane_data() {
    QTest::addColumn<ReadCase>("c");
    ReaderFaults none, noCard, badSector, silent, held;
    noCard.noCard = true;
    badSector.frame = 17, badSector.badSector = true;
    silent.frame = 5, silent.silentAt = true;
    held.frame = 50, held.holdRead = true;
    const auto row = [](const char* name, ReadCase c) { QTest::newRow(name) << c; };
    row("MemCARDuino into pane 0", {0, ReaderKind::MemCarduino, "MemCARDuino", false, none, ""});
    row("found out: DexDrive into a changed pane 1", {1, ReaderKind::DexDrive, "Find out", true, none, ""});
    row("cancelled", {0, ReaderKind::MemCarduino, "Find out", false, held, ""});
    row("no card",
        {0, ReaderKind::Ps1CardLink, "PS1CardLink", false, noCard, "frame 0: no card in the reader, or a bad sector"});
    row("bad sector", {1, ReaderKind::DexDrive, "DexDrive", false, badSector, "frame 17: bad sector"});
    row("silent", {0, ReaderKind::MemCarduino, "MemCARDuino", false, silent, "frame 5: no answer in time"});
  }
  void readOpensTheCardInThePane() {
    QFETCH(ReadCase, c);
    PtySimulator reader(c.kind);
    const CardImage card = SourceCard().AddSave(8, 2, "READ", "SLUS-00800").Build();
    reader.With([&](sim::ReaderModel& model) { model.card = card, model.faults = c.faults; });
    OpenTwo();
    if (c.changed) {
      ClickLine(c.pane, 0);
      ChooseFromMenu(c.pane, "mnuDelete");
      port_->Answering({Answer::No});
    }
    const Pane before = w_->pane(c.pane);
    ChooseReader(QString::fromLatin1(c.chosen), QString::fromStdString(reader.Path()));
    if (c.faults.holdRead) {
      WaitLong();
      WhenProgress([&reader](ui::ReaderProgress*) { return reader.Holding(); },
                   [&reader](ui::ReaderProgress* progress) {
                     QTest::mouseClick(progress->findChild<QPushButton*>(QStringLiteral("btnCancel")), Qt::LeftButton);
                     reader.With([](sim::ReaderModel& m) { return m.holding = false; });
                   });
    }
    ChooseFromMenu(c.pane, "mnuReadCard");

    const Pane& pane = w_->pane(c.pane);
    QCOMPARE(port_->questions().size(), c.changed ? 1U : 0U);
    const std::vector<std::string> said = port_->MessageTexts();
    QCOMPARE(said.size(), *c.message ? 1U : 0U);
    if (*c.message) QVERIFY2(said[0].find(c.message) != std::string::npos, said[0].c_str());
    QCOMPARE(cardSlotShown_, c.kind == ReaderKind::Ps1CardLink);
    if (*c.message || c.faults.holdRead) {
      QCOMPARE(pane.image, before.image);
      QCOMPARE(pane.path, before.path);
      QCOMPARE(pane.cardModified, before.cardModified);
      QVERIFY(reader.With([](sim::ReaderModel& model) { return model.framesRead <= 52; }));
      return;
    }
    QCOMPARE(pane.image, card);
    QVERIFY(pane.cardModified);
    QVERIFY(Box(c.pane)->text().endsWith(QLatin1String("-card.mcr")) && !QFileInfo::exists(Box(c.pane)->text()));
    QCOMPARE(Shown(c.pane), Listed("card.mcr", card));
    // The dialog offers the last choice again.
    const ui::ReaderChoice again = ui::ReaderDialog(ui::ReaderDialog::Direction::Write, 0, nullptr).Choice();
    QCOMPARE(again.port, reader.Path());
    QCOMPARE(again.kind, c.chosen == QLatin1String("Find out") ? std::nullopt : std::optional(c.kind));
    // Save asks for the path and format.
    port_->choices.push_back(FileChoice{Path("read.mcr").toStdString(), SaveDialogStartIndex("read.mcr", "")});
    ChooseFromMenu(c.pane, "mnuSave");
    QCOMPARE(ReadCardFile(Path("read.mcr").toStdString()).bytes, card);
    QVERIFY(!pane.cardModified);
  }

  void writeKeepsABackupAndWritesTheFramesThatDiffer_data() {
    QTest::addColumn<WriteCase>("c");
    ReaderFaults none, wrongWrite, held;
    wrongWrite.frame = 200, wrongWrite.wrongWrites = 3;
    held.frame = 70, held.holdWrite = true;
    QTest::newRow("answered No") << WriteCase{{Answer::No}, none, false, {}, {}};
    const QStringList wrote = {"Wrote 2 frames (70, 200) to the card in the MemCARDuino on ", "verified"};
    QTest::newRow("written") << WriteCase{{Answer::Yes}, none, false, {70, 200}, wrote};
    const QStringList failed = {"Writing failed: frame 200: does not read back as written", "Frames written: 70."};
    QTest::newRow("frame 200 does not read back")
        << WriteCase{{Answer::Yes}, wrongWrite, false, {70, 200, 200, 200}, failed};
    QTest::newRow("window closed during the write")
        << WriteCase{{Answer::Yes, Answer::Yes}, held, true, {70}, {"Stopped.", "Frames written: 70."}};
  }
  void writeKeepsABackupAndWritesTheFramesThatDiffer() {
    QFETCH(WriteCase, c);
    PtySimulator reader(ReaderKind::MemCarduino);
    const CardImage onReader = Changed(SourceCard().Build());
    reader.With([&](sim::ReaderModel& model) { model.card = onReader, model.faults = c.faults; });
    Open(Write("one.mcr"));
    for (const Answer answer : c.answers) port_->Answering({answer});
    ChooseReader(QStringLiteral("Find out"), QString::fromStdString(reader.Path()));
    if (c.closeWhileWriting) {
      WaitLong();
      WhenProgress([&reader](ui::ReaderProgress*) { return reader.Holding(); },
                   [this, &reader](ui::ReaderProgress*) {
                     w_->close();
                     reader.With([](sim::ReaderModel& m) { return m.holding = false; });
                   });
    }
    ChooseFromMenu(0, "mnuWriteCard");

    const auto& questions = port_->questions();
    QCOMPARE(questions.size(), c.answers.size());
    QCOMPARE(questions[0].defaultAnswer, Answer::No);
    const QString question = QString::fromStdString(questions[0].text);
    QVERIFY2(
        question.contains(
            QStringLiteral("the MemCARDuino on %1 will be overwritten").arg(QString::fromStdString(reader.Path()))),
        qPrintable(question));
    QCOMPARE(w_->isVisible(), !c.closeWhileWriting);
    const auto [written, card] =
        reader.With([](sim::ReaderModel& model) { return std::pair(model.framesWritten, model.card); });
    QCOMPARE(written, c.written);
    const QStringList backups = QDir(Path("Selvane/backups")).entryList(QDir::Files);
    QCOMPARE(backups.size(), c.said.isEmpty() ? 0 : 1);
    QCOMPARE(port_->messages().size(), c.said.isEmpty() ? 0U : 1U);
    if (c.said.isEmpty()) return;
    const QString said = QString::fromStdString(port_->messages()[0].text);
    for (const QString& part : c.said) QVERIFY2(said.contains(part), qPrintable(said));
    if (backups.isEmpty()) return;
    QVERIFY2(said.contains(QLatin1String("The card as it was is kept in ") + Path("Selvane/backups/") + backups[0]),
             qPrintable(said));
    QCOMPARE(ReadCardFile(Path("Selvane/backups/" + backups[0]).toStdString()).bytes, onReader);
    if (c.said[0].startsWith(QLatin1String("Wrote"))) QCOMPARE(card, w_->pane(0).image);
  }
};

}  // namespace selvane

QTEST_MAIN(selvane::ReaderTest)
#include "reader_test.moc"
