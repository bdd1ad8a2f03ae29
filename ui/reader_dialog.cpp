#include "ui/reader_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>
#include <algorithm>

#include "device/reader.h"

namespace selvane::ui {
namespace {

constexpr char kGroup[] = "Reader";

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The ports to offer: the serial adaptors by their names, and the PS3 adaptor whenever this build
// can reach it (plugged in later, it is still found under "usb").
std::vector<device::PortInfo> PortsToOffer() {
  std::vector<device::PortInfo> ports = device::ListPorts();
  const bool usbListed = std::any_of(ports.begin(), ports.end(),
                                     [](const device::PortInfo& port) { return port.path == device::kUsbDevice; });
  if (!usbListed && device::UsbAvailable()) {
    ports.push_back({std::string(device::kUsbDevice), std::string(device::KindName(device::ReaderKind::Ps3Mca))});
  }
  return ports;
}

}  // namespace

ReaderDialog::ReaderDialog(Direction direction, int paneIndex, QWidget* parent) : QDialog(parent) {
  const bool reading = direction == Direction::Read;
  const QString card = QStringLiteral("Memory Card %1").arg(paneIndex + 1);
  setObjectName(QStringLiteral("dlgReader"));
  setWindowTitle(reading ? QStringLiteral("Read %1 from a Card Reader").arg(card)
                         : QStringLiteral("Write %1 to a Card Reader").arg(card));

  cboReader_ = new QComboBox(this);
  cboReader_->setObjectName(QStringLiteral("cboReader"));
  cboReader_->setAccessibleName(QStringLiteral("Reader"));
  cboReader_->addItem(QStringLiteral("Find out"), QString());
  for (const device::ReaderKind kind : device::kAllReaderKinds) {
    cboReader_->addItem(Text(device::KindName(kind)), Text(device::KindKey(kind)));
  }

  cboPort_ = new QComboBox(this);
  cboPort_->setObjectName(QStringLiteral("cboPort"));
  cboPort_->setAccessibleName(QStringLiteral("Port"));
  cboPort_->setEditable(true);
  cboPort_->setInsertPolicy(QComboBox::NoInsert);
  cboPort_->setMinimumContentsLength(28);
  cboPort_->lineEdit()->setPlaceholderText(QStringLiteral("/dev/ttyUSB0, COM3 or usb"));
  for (const device::PortInfo& port : PortsToOffer()) {
    const QString path = QString::fromLocal8Bit(port.path);
    const QString name = QString::fromLocal8Bit(port.name);
    cboPort_->addItem(name == path ? path : QStringLiteral("%1 (%2)").arg(name, path), path);
  }

  cboCard_ = new QComboBox(this);
  cboCard_->setObjectName(QStringLiteral("cboCard"));
  cboCard_->setAccessibleName(QStringLiteral("Card slot"));
  cboCard_->addItems({QStringLiteral("Slot 1"), QStringLiteral("Slot 2")});

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Reader:"), cboReader_);
  form->addRow(QStringLiteral("&Port:"), cboPort_);
  form->addRow(QStringLiteral("&Console card slot:"), cboCard_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  btnStart_ =
      buttons->addButton(reading ? QStringLiteral("&Read") : QStringLiteral("&Write"), QDialogButtonBox::AcceptRole);
  btnStart_->setObjectName(QStringLiteral("btnStart"));
  btnStart_->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  Recall();
  connect(cboReader_, &QComboBox::currentIndexChanged, this, &ReaderDialog::UpdateControls);
  connect(cboPort_, &QComboBox::editTextChanged, this, &ReaderDialog::UpdateControls);
  UpdateControls();
}

// The console's card slot matters to PS1CardLink alone; the work cannot start without a port.
void ReaderDialog::UpdateControls() {
  cboCard_->setEnabled(cboReader_->currentData().toString() == Text(device::KindKey(device::ReaderKind::Ps1CardLink)));
  btnStart_->setEnabled(!cboPort_->currentText().trimmed().isEmpty());
}

ReaderChoice ReaderDialog::Choice() const {
  ReaderChoice choice;
  choice.kind = device::KindFromKey(cboReader_->currentData().toString().toStdString());
  const QString text = cboPort_->currentText().trimmed();
  const int listed = cboPort_->findText(text);
  choice.port = (listed >= 0 ? cboPort_->itemData(listed).toString() : text).toLocal8Bit().toStdString();
  choice.cardSlot = cboCard_->isEnabled() ? cboCard_->currentIndex() : 0;
  return choice;
}

void ReaderDialog::Remember() const {
  QSettings settings(QStringLiteral("Selvane"), QStringLiteral("Selvane"));
  settings.beginGroup(QString::fromLatin1(kGroup));
  settings.setValue(QStringLiteral("Kind"), cboReader_->currentData().toString());
  settings.setValue(QStringLiteral("Port"), QString::fromLocal8Bit(Choice().port));
  settings.setValue(QStringLiteral("CardSlot"), cboCard_->currentIndex());
}

void ReaderDialog::Recall() {
  QSettings settings(QStringLiteral("Selvane"), QStringLiteral("Selvane"));
  settings.beginGroup(QString::fromLatin1(kGroup));
  cboReader_->setCurrentIndex(std::max(0, cboReader_->findData(settings.value(QStringLiteral("Kind")).toString())));
  const QString port = settings.value(QStringLiteral("Port")).toString();
  const int listed = cboPort_->findData(port);
  if (listed >= 0) {
    cboPort_->setCurrentIndex(listed);
  } else if (!port.isEmpty() || cboPort_->count() == 0) {
    cboPort_->setEditText(port);
  }
  cboCard_->setCurrentIndex(std::clamp(settings.value(QStringLiteral("CardSlot"), 0).toInt(), 0, 1));
}

}  // namespace selvane::ui
