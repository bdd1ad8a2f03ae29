// The window's UserPort on real Qt widgets: the filter conversion, and message boxes and file
// dialogs that are really shown and then closed from a timer.
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "slots/card_file.h"
#include "ui/qt_user_port.h"

using selvane::Answer;
using selvane::Buttons;
using selvane::FileDialogRequest;
using selvane::MessageIcon;
using selvane::ui::QtUserPort;

namespace {

template <typename T>
void WhenModal(QObject* context, std::function<void(T*)> act, int triesLeft = 300) {
  QTimer::singleShot(10, context, [context, act, triesLeft] {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
      act(dialog);
    } else if (triesLeft > 0) {
      WhenModal<T>(context, act, triesLeft - 1);
    }
  });
}

}  // namespace

class QtDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void filterTextBecomesNameFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("description naming its pattern") << "DexDrive (*.gme)|*.gme" << QStringList{"DexDrive (*.gme)"};
    QTest::newRow("trailing bar adds nothing") << "DexDrive (*.gme)|*.gme|" << QStringList{"DexDrive (*.gme)"};
    QTest::newRow("several patterns") << "All Memory Cards|*.mcd;*.mcr"
                                      << QStringList{"All Memory Cards (*.mcd *.mcr)"};
    QTest::newRow("all files") << "All files (*.*)|*.*" << QStringList{"All files (*)"};
    QTest::newRow("odd part dropped") << "A (*.a)|*.a|B" << QStringList{"A (*.a)"};
  }
  void filterTextBecomesNameFilters() {
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(selvane::ui::NameFiltersFromFilterText(filter.toStdString()), expected);
  }

  void theThreeFilterListsKeepTheirEntries() {
    QCOMPARE(selvane::ui::NameFiltersFromFilterText(selvane::filters::kOpen).size(), 11);
    QCOMPARE(selvane::ui::NameFiltersFromFilterText(selvane::filters::kSaveAs).size(), 9);
    const QStringList entries = selvane::ui::NameFiltersFromFilterText(selvane::filters::kNew);
    QCOMPARE(entries.size(), 7);
    QCOMPARE(entries[4], QStringLiteral("Other - AdriPSX, FPSE, pcsx (*.mcr)"));
    QCOMPARE(selvane::ui::SuffixOfNameFilter(entries[6]), QStringLiteral("ddf"));
    QCOMPARE(selvane::ui::SuffixOfNameFilter(QStringLiteral("All files (*)")), QString());
  }

  void messageBoxCarriesCaptionIconAndText() {
    QtUserPort port(nullptr);
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    WhenModal<QMessageBox>(this, [&](QMessageBox* box) {
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      buttons = int(box->buttons().size());
      box->button(QMessageBox::Ok)->click();
    });
    port.ShowMessage("Memory Card 1 has been modified.\r\nline two", MessageIcon::Exclamation);
    QCOMPARE(title, QStringLiteral("Selvane 1.1"));
    QCOMPARE(text, QStringLiteral("Memory Card 1 has been modified.\nline two"));
    QCOMPARE(icon, QMessageBox::Warning);
    QCOMPARE(buttons, 1);
  }

  void questionHasItsButtonsAndDefault_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("defaultAnswer");
    QTest::addColumn<int>("press");  // a QMessageBox::StandardButton, or 0 for Esc
    QTest::addColumn<int>("expected");
    QTest::newRow("replace: No is the default, Yes pressed")
        << int(Buttons::YesNo) << int(Answer::No) << int(QMessageBox::Yes) << int(Answer::Yes);
    QTest::newRow("Esc on Yes/No answers No") << int(Buttons::YesNo) << int(Answer::Yes) << 0 << int(Answer::No);
    QTest::newRow("Esc on Yes/No/Cancel answers Cancel")
        << int(Buttons::YesNoCancel) << int(Answer::Yes) << 0 << int(Answer::Cancel);
    QTest::newRow("No pressed") << int(Buttons::YesNoCancel) << int(Answer::Yes) << int(QMessageBox::No)
                                << int(Answer::No);
  }
  void questionHasItsButtonsAndDefault() {
    QFETCH(int, buttons);
    QFETCH(int, defaultAnswer);
    QFETCH(int, press);
    QFETCH(int, expected);
    QtUserPort port(nullptr);
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int shown = 0;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    WhenModal<QMessageBox>(this, [&](QMessageBox* box) {
      icon = box->icon();
      shown = int(box->buttons().size());
      defaultButton = box->standardButton(box->defaultButton());
      if (press == 0) {
        QTest::keyClick(box, Qt::Key_Escape);
      } else {
        box->button(QMessageBox::StandardButton(press))->click();
      }
    });
    const Answer answer = port.Ask("Replace?", Buttons(buttons), Answer(defaultAnswer));
    QCOMPARE(int(answer), expected);
    QCOMPARE(icon, QMessageBox::Question);
    QCOMPARE(shown, Buttons(buttons) == Buttons::YesNo ? 2 : 3);
    QCOMPARE(defaultButton, Answer(defaultAnswer) == Answer::No ? QMessageBox::No : QMessageBox::Yes);
  }

  void saveDialogStartsOnTheRequestedFormatAndReportsTheChosenOne() {
    QTemporaryDir dir;
    QtUserPort port(nullptr);
    FileDialogRequest request{"Save Memory Card 1 As...", std::string(selvane::filters::kSaveAs),
                              dir.filePath(QStringLiteral("card1")).toStdString(),
                              dir.filePath(QStringLiteral("card1")).toStdString(), 6};
    QStringList filters;
    QString startFilter;
    QString title;
    QString folder;
    QString suffix;
    WhenModal<QFileDialog>(this, [&](QFileDialog* dialog) {
      filters = dialog->nameFilters();
      startFilter = dialog->selectedNameFilter();
      title = dialog->windowTitle();
      folder = dialog->directory().absolutePath();
      suffix = dialog->defaultSuffix();
      dialog->selectNameFilter(filters[0]);
      dialog->selectFile(dir.filePath(QStringLiteral("typed.mem")));
      QMetaObject::invokeMethod(dialog, "accept");
    });
    const auto choice = port.ChooseFileToSave(request);
    QCOMPARE(title, QStringLiteral("Save Memory Card 1 As..."));
    QCOMPARE(filters.size(), 9);
    QCOMPARE(startFilter, QStringLiteral("DexDrive (*.gme)"));
    QCOMPARE(suffix, QStringLiteral("gme"));
    QCOMPARE(folder, QDir(dir.path()).absolutePath());
    QVERIFY(choice.has_value());
    QCOMPARE(choice->filterIndex, 1);
    QCOMPARE(QString::fromStdString(choice->path), dir.filePath(QStringLiteral("typed.mem")));
  }

  void cancelledOpenDialogGivesNothing() {
    QtUserPort port(nullptr);
    FileDialogRequest request{"Select the Memory Card 2", std::string(selvane::filters::kOpen), "", "", 1};
    QString startFilter;
    WhenModal<QFileDialog>(this, [&](QFileDialog* dialog) {
      startFilter = dialog->selectedNameFilter();
      dialog->reject();
    });
    QCOMPARE(port.ChooseFileToOpen(request), std::nullopt);
    QCOMPARE(startFilter, QStringLiteral("All Memory Cards (*.mcd *.mcr *.mem *.gme *.ddf *.psx *.ps)"));
  }
};

QTEST_MAIN(QtDialogsTest)
#include "qt_dialogs_test.moc"
