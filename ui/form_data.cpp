#include "ui/form_data.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>

#include "slots/operations.h"
#include "ui/fonts.h"
#include "ui/twips.h"

namespace selvane::ui {

GameIdEdit::GameIdEdit(QWidget* parent) : QLineEdit(parent) {}

void GameIdEdit::keyPressEvent(QKeyEvent* event) {
  // The key filter of the game ID box (lower-case letters become upper case) works on the typed
  // character; other keys and characters outside ASCII pass as they are.
  const QString typed = event->text();
  if (typed.size() == 1 && typed[0].unicode() < 0x80) {
    const char original = static_cast<char>(typed[0].unicode());
    const char filtered = GameIdKey(original);
    if (filtered != original) {
      QKeyEvent replaced(event->type(), event->key(), event->modifiers(), QString(QLatin1Char(filtered)),
                         event->isAutoRepeat(), static_cast<ushort>(event->count()));
      QLineEdit::keyPressEvent(&replaced);
      event->setAccepted(replaced.isAccepted());
      return;
    }
  }
  QLineEdit::keyPressEvent(event);
}

void GameIdEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  selectAll();
  // A click places the cursor after the focus arrived; select again once the click is handled.
  if (event->reason() == Qt::MouseFocusReason) QMetaObject::invokeMethod(this, "selectAll", Qt::QueuedConnection);
}

formData::formData(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("formData"));
  setWindowTitle(QStringLiteral("Slot"));
  setModal(true);
  setFont(ArialFont(kControlPointSize));
  setFixedSize(Px(4635), Px(1335));

  Frame1_ = new QGroupBox(QStringLiteral("Region"), this);
  Frame1_->setObjectName(QStringLiteral("Frame1"));
  Frame1_->setGeometry(ToPixels({120, 45, 1695, 1215}));
  static constexpr const char* kRegionCaptions[] = {"&USA/NTSC", "&EUR/PAL", "&JAP/NTSC"};
  static constexpr const char* kRegionNames[] = {"USA/NTSC", "EUR/PAL", "JAP/NTSC"};
  regionGroup_ = new QButtonGroup(this);
  for (int i = 0; i < 3; ++i) {
    auto* option = new QRadioButton(QString::fromLatin1(kRegionCaptions[i]), Frame1_);
    option->setObjectName(QStringLiteral("optRegion%1").arg(i));
    option->setAccessibleName(QString::fromLatin1(kRegionNames[i]));
    option->setGeometry(ToPixels({150, 270 + i * 300, 1455, 270}));
    // The group alone keeps one option chosen, so that "none chosen" can be restored.
    option->setAutoExclusive(false);
    regionGroup_->addButton(option, i);
    optRegion_[static_cast<std::size_t>(i)] = option;
  }

  Frame2_ = new QGroupBox(QStringLiteral("Game ID"), this);
  Frame2_->setObjectName(QStringLiteral("Frame2"));
  Frame2_->setGeometry(ToPixels({1935, 45, 2580, 1215}));
  txtID_ = new GameIdEdit(Frame2_);
  txtID_->setObjectName(QStringLiteral("txtID"));
  txtID_->setAccessibleName(QStringLiteral("Game ID"));
  txtID_->setMaxLength(kIdLength);
  txtID_->setGeometry(ToPixels({150, 270, 2280, 315}));

  btnOK_ = new QPushButton(QStringLiteral("&OK"), Frame2_);
  btnOK_->setObjectName(QStringLiteral("btnOK"));
  btnOK_->setAccessibleName(QStringLiteral("OK"));
  btnOK_->setGeometry(ToPixels({150, 720, 1095, 375}));
  btnOK_->setDefault(true);
  btnOK_->setAutoDefault(true);

  btnCancel_ = new QPushButton(QStringLiteral("&Cancel"), Frame2_);
  btnCancel_->setObjectName(QStringLiteral("btnCancel"));
  btnCancel_->setAccessibleName(QStringLiteral("Cancel"));
  btnCancel_->setGeometry(ToPixels({1335, 720, 1095, 375}));
  btnCancel_->setAutoDefault(false);

  setTabOrder(optRegion_[0], optRegion_[1]);
  setTabOrder(optRegion_[1], optRegion_[2]);
  setTabOrder(optRegion_[2], txtID_);
  setTabOrder(txtID_, btnOK_);
  setTabOrder(btnOK_, btnCancel_);

  connect(btnOK_, &QPushButton::clicked, this, &formData::btnOK_Click);
  // btnCancel_Click and Esc: close without an answer.
  connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void formData::SetRegion(std::optional<int> region) {
  // An exclusive group refuses to uncheck its last checked button; lift the rule meanwhile.
  regionGroup_->setExclusive(false);
  for (int i = 0; i < 3; ++i) optRegion_[static_cast<std::size_t>(i)]->setChecked(region && *region == i);
  regionGroup_->setExclusive(true);
}

std::optional<int> formData::Region() const {
  const int checked = regionGroup_->checkedId();
  if (checked < 0) return std::nullopt;
  return checked;
}

void formData::SetGameId(const QString& id) { txtID_->setText(id); }

QString formData::GameId() const { return txtID_->text(); }

void formData::btnOK_Click() {
  confirmed_ = true;
  confirmedRegion_ = Region();
  confirmedId_ = txtID_->text();
  accept();
}

}  // namespace selvane::ui
