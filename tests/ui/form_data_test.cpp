// The identity editor's dialog on its own: its controls, the region options, the game ID box and
// how it closes.
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "ui/form_data.h"

using selvane::ui::formData;

class FormDataTest : public QObject {
  Q_OBJECT

 private:
  static QLineEdit* Id(formData& dialog) { return dialog.findChild<QLineEdit*>(QStringLiteral("txtID")); }
  static QRadioButton* Option(formData& dialog, int i) {
    return dialog.findChild<QRadioButton*>(QStringLiteral("optRegion%1").arg(i));
  }
  static void ShowActive(formData& dialog) {
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
  }

 private slots:
  void opensInItsDesignState() {
    formData dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Slot"));
    QVERIFY(dialog.isModal());
    QCOMPARE(dialog.size(), QSize(309, 89));  // 4635 x 1335 twips
    QCOMPARE(dialog.findChild<QGroupBox*>(QStringLiteral("Frame1"))->title(), QStringLiteral("Region"));
    QCOMPARE(dialog.findChild<QGroupBox*>(QStringLiteral("Frame2"))->title(), QStringLiteral("Game ID"));
    const QStringList captions = {"&USA/NTSC", "&EUR/PAL", "&JAP/NTSC"};
    for (int i = 0; i < 3; ++i) {
      QCOMPARE(Option(dialog, i)->text(), captions[i]);
      QVERIFY(!Option(dialog, i)->isChecked());
      QVERIFY(!Option(dialog, i)->accessibleName().isEmpty());
    }
    QCOMPARE(dialog.Region(), std::nullopt);
    QCOMPARE(Id(dialog)->text(), QString());
    QCOMPARE(Id(dialog)->maxLength(), 10);
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("btnOK"));
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("btnCancel"));
    QCOMPARE(ok->text(), QStringLiteral("&OK"));
    QCOMPARE(cancel->text(), QStringLiteral("&Cancel"));
    QVERIFY(ok->isDefault());
    // The Region frame on the left, the Game ID frame on the right with OK beside Cancel.
    QVERIFY(dialog.findChild<QGroupBox*>(QStringLiteral("Frame1"))->geometry().right() <
            dialog.findChild<QGroupBox*>(QStringLiteral("Frame2"))->geometry().left());
    QCOMPARE(ok->y(), cancel->y());
    QVERIFY(ok->x() < cancel->x());
    QVERIFY(Id(dialog)->y() < ok->y());
  }

  void regionCanBeChosenAndCleared() {
    formData dialog;
    dialog.SetRegion(2);
    QVERIFY(Option(dialog, 2)->isChecked());
    QCOMPARE(dialog.Region(), std::optional<int>(2));
    dialog.SetRegion(0);
    QVERIFY(!Option(dialog, 2)->isChecked());
    QCOMPARE(dialog.Region(), std::optional<int>(0));
    dialog.SetRegion(std::nullopt);
    for (int i = 0; i < 3; ++i) QVERIFY(!Option(dialog, i)->isChecked());
    QCOMPARE(dialog.Region(), std::nullopt);
    // Clicking an option still chooses exactly one.
    QTest::mouseClick(Option(dialog, 1), Qt::LeftButton);
    QTest::mouseClick(Option(dialog, 2), Qt::LeftButton);
    QVERIFY(!Option(dialog, 1)->isChecked());
    QCOMPARE(dialog.Region(), std::optional<int>(2));
  }

  void typedLettersBecomeUpperCase_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letters and digits") << "wxyz-00001"
                                        << "WXYZ-00001";
    QTest::newRow("mixed case, punctuation, space") << "aBc .z_9"
                                                    << "ABC .Z_9";
    QTest::newRow("eleventh character refused") << "abcdefghijk"
                                                << "ABCDEFGHIJ";
    QTest::newRow("upper case stays") << "SCUS-94163"
                                      << "SCUS-94163";
  }
  void typedLettersBecomeUpperCase() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    formData dialog;
    ShowActive(dialog);
    Id(dialog)->setFocus();
    QTest::keyClicks(Id(dialog), typed);
    QCOMPARE(Id(dialog)->text(), shown);
  }

  void pastedTextIsLeftAsItIs() {
    formData dialog;
    dialog.SetGameId(QStringLiteral("abc"));
    QCOMPARE(dialog.GameId(), QStringLiteral("abc"));
  }

  void focusSelectsTheWholeId() {
    formData dialog;
    dialog.SetGameId(QStringLiteral("ABCD-01234"));
    ShowActive(dialog);
    Option(dialog, 2)->setFocus();
    QTest::keyClick(Option(dialog, 2), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), Id(dialog));
    QCOMPARE(Id(dialog)->selectedText(), QStringLiteral("ABCD-01234"));
    // Any other way of focusing the box selects it all too.
    Id(dialog)->setCursorPosition(3);
    Id(dialog)->clearFocus();
    Id(dialog)->setFocus(Qt::OtherFocusReason);
    QCOMPARE(Id(dialog)->selectedText(), QStringLiteral("ABCD-01234"));
    QTest::keyClicks(Id(dialog), QStringLiteral("q"));
    QCOMPARE(Id(dialog)->text(), QStringLiteral("Q"));
  }

  void tabOrderRunsThroughOptionsBoxAndButtons() {
    formData dialog;
    QStringList chain;
    QWidget* widget = Option(dialog, 0);
    for (int i = 0; i < 6; ++i) {
      chain << widget->objectName();
      widget = widget->nextInFocusChain();
      while (widget->focusPolicy() == Qt::NoFocus) widget = widget->nextInFocusChain();
    }
    QCOMPARE(chain, (QStringList{"optRegion0", "optRegion1", "optRegion2", "txtID", "btnOK", "btnCancel"}));
  }

  void enterConfirmsWithTheChosenRegionAndText() {
    formData dialog;
    dialog.SetRegion(1);
    dialog.SetGameId(QStringLiteral("ABCD-01234"));
    ShowActive(dialog);
    QTest::mouseClick(Option(dialog, 0), Qt::LeftButton);
    Id(dialog)->setFocus();
    QTest::keyClicks(Id(dialog), QStringLiteral("wxyz"));
    QTest::keyClick(Id(dialog), Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(dialog.Confirmed());
    QCOMPARE(dialog.ConfirmedRegion(), std::optional<int>(0));
    QCOMPARE(dialog.ConfirmedId(), QStringLiteral("WXYZ"));
  }

  void okWithoutRegionReportsNone() {
    formData dialog;
    dialog.SetGameId(QStringLiteral("X"));
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("btnOK")), Qt::LeftButton);
    QVERIFY(dialog.Confirmed());
    QCOMPARE(dialog.ConfirmedRegion(), std::nullopt);
    QCOMPARE(dialog.ConfirmedId(), QStringLiteral("X"));
  }

  void escapeAndCancelCloseWithoutAnAnswer_data() {
    QTest::addColumn<bool>("useEscape");
    QTest::newRow("Esc") << true;
    QTest::newRow("Cancel") << false;
  }
  void escapeAndCancelCloseWithoutAnAnswer() {
    QFETCH(bool, useEscape);
    formData dialog;
    dialog.SetRegion(0);
    dialog.SetGameId(QStringLiteral("ABC"));
    ShowActive(dialog);
    if (useEscape) {
      Id(dialog)->setFocus();
      QTest::keyClick(Id(dialog), Qt::Key_Escape);
    } else {
      QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("btnCancel")), Qt::LeftButton);
    }
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.Confirmed());
    QCOMPARE(dialog.ConfirmedId(), QString());
  }
};

QTEST_MAIN(FormDataTest)
#include "form_data_test.moc"
