#include "ui/pane_view.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPixmapCache>
#include <QPushButton>

#include "ui/fonts.h"
#include "ui/qt_title_decoder.h"
#include "ui/save_hover_card.h"

// The pictures are compiled into the static ui library; registering them here keeps the linker
// from dropping them. Registering twice is harmless.
static void InitSelvanePictures() { Q_INIT_RESOURCE(selvane); }

namespace selvane::ui {

void LoadPictures() { InitSelvanePictures(); }
namespace {

constexpr PaneLayout kPane0{
    {795, 225, 2445, 405},
    {120, 615, 3255, 285},
    {3390, 615, 315, 285},
    {105, 930, 3600, 3405},
    {120, 4440, 1155, 375},
    {1335, 4440, 1155, 375},
    {2565, 4440, 1155, 375},
    {{{90, 0, 645, 660},
      {120, 75, 555, 525},
      {90, 135, 675, 450},
      {60, 150, 1575, 450},
      {135, 45, 585, 540},
      {90, 45, 660, 510}}},
    {390, 915, 15, 3405},
    "&New",
    "&Delete",
    "&Save As...",
};

constexpr PaneLayout kPane1{
    {5025, 240, 2445, 300},
    {4290, 630, 3255, 285},
    {7560, 630, 315, 285},
    {4290, 945, 3600, 3405},
    {4290, 4455, 1155, 375},
    {5505, 4455, 1155, 375},
    {6735, 4455, 1155, 375},
    {{{4320, 30, 645, 660},
      {4350, 105, 555, 525},
      {4320, 165, 675, 450},
      {4290, 180, 1575, 450},
      {4365, 75, 585, 540},
      {4320, 75, 660, 510}}},
    {4575, 945, 15, 3405},
    "Ne&w",
    "D&elete",
    "Save &As...",
};

// The badge pictures of the resources, in logo order, with the product each stands for.
constexpr const char* kLogoFiles[kLogoCount] = {
    ":/selvane/logos/emu0_vgs.png",   ":/selvane/logos/emu1_bleem.png", ":/selvane/logos/emu2_dexdrive.png",
    ":/selvane/logos/emu3_epsxe.png", ":/selvane/logos/emu4_psemu.png", ":/selvane/logos/emu5_datadeck.png"};
constexpr const char* kLogoNames[kLogoCount] = {"Virtual Game Station", "Bleem", "DexDrive", "ePSXe", "PSEmu Pro",
                                                "Mad Katz's Data Deck"};

// Logo k's picture, decoded once and then taken from the pixmap cache.
QPixmap LogoPicture(int k) {
  const QString key = QStringLiteral("selvane-logo-%1").arg(k);
  QPixmap picture;
  if (!QPixmapCache::find(key, &picture)) {
    picture.load(QString::fromLatin1(kLogoFiles[k]));
    QPixmapCache::insert(key, picture);
  }
  return picture;
}

}  // namespace

// The logo control of a pane. Its picture is read from the resources when the control appears on
// the screen, so that a window that is made but not yet shown has decoded no picture.
class LogoLabel : public QLabel {
 public:
  using QLabel::QLabel;

  void SetLogo(int k) {
    logo_ = k;
    if (isVisible()) Load();
  }

 protected:
  void showEvent(QShowEvent* event) override {
    Load();
    QLabel::showEvent(event);
  }

 private:
  void Load() {
    if (loaded_ == logo_) return;
    loaded_ = logo_;
    setPixmap(LogoPicture(logo_));
  }

  int logo_ = -1;
  int loaded_ = -1;
};

const PaneLayout& PaneLayoutOf(int index) { return index == 0 ? kPane0 : kPane1; }

PaneView::PaneView(int index, QWidget* parent, QPoint origin) : index_(index), origin_(origin) {
  LoadPictures();
  const PaneLayout& layout = PaneLayoutOf(index);
  const QString card = QStringLiteral("Memory Card %1").arg(index + 1);
  auto place = [this, index](auto* widget, const QString& name, const TwipsRect& rect) {
    widget->setObjectName(name + QString::number(index));
    widget->setGeometry(ToPixels(rect).translated(-origin_));
    widget->setProperty(kPaneProperty, index);
    return widget;
  };

  imgEmu = logo_ = place(new LogoLabel(parent), QStringLiteral("imgEmu"), layout.imgEmu[0]);
  imgEmu->setScaledContents(true);
  imgEmu->setAccessibleDescription(card + QStringLiteral(" format"));
  imgEmu->hide();

  lblMemCard = place(new QLabel(card + QStringLiteral(":"), parent), QStringLiteral("lblMemCard"), layout.lblMemCard);
  lblMemCard->setFont(ArialFont(kCaptionPointSize));
  lblMemCard->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblMemCard->setAccessibleName(card);

  txtMemCard = place(new QLineEdit(parent), QStringLiteral("txtMemCard"), layout.txtMemCard);
  txtMemCard->setAccessibleName(card + QStringLiteral(" file"));

  btnBrowse = place(new QPushButton(QStringLiteral("..."), parent), QStringLiteral("btnBrowse"), layout.btnBrowse);
  btnBrowse->setAccessibleName(QStringLiteral("Open ") + card);
  btnBrowse->setToolTip(QStringLiteral("Open ") + card);

  lstSlot = place(new QListWidget(parent), QStringLiteral("lstSlot"), layout.lstSlot);
  lstSlot->setFont(ArialFont(kListPointSize));
  lstSlot->setAccessibleName(card + QStringLiteral(" slots"));
  lstSlot->setSelectionMode(QAbstractItemView::SingleSelection);
  lstSlot->setUniformItemSizes(true);
  lstSlot->setContextMenuPolicy(Qt::PreventContextMenu);
  hoverCard_ = new SaveHoverCard(lstSlot, [this](int line) { return LineDetails(line); });

  slotNumberLine = place(new QFrame(parent), QStringLiteral("linSlotNumbers"), layout.slotNumberLine);
  slotNumberLine->setFrameShape(QFrame::VLine);
  slotNumberLine->setFrameShadow(QFrame::Plain);
  slotNumberLine->setAttribute(Qt::WA_TransparentForMouseEvents);
  slotNumberLine->raise();

  btnNew =
      place(new QPushButton(QString::fromLatin1(layout.newCaption), parent), QStringLiteral("btnNew"), layout.btnNew);
  btnNew->setAccessibleName(QStringLiteral("New ") + card);
  btnDelete = place(new QPushButton(QString::fromLatin1(layout.deleteCaption), parent), QStringLiteral("btnDelete"),
                    layout.btnDelete);
  btnDelete->setAccessibleName(QStringLiteral("Delete slot of ") + card);
  btnConvert = place(new QPushButton(QString::fromLatin1(layout.convertCaption), parent), QStringLiteral("btnConvert"),
                     layout.btnConvert);
  btnConvert->setAccessibleName(QStringLiteral("Save ") + card + QStringLiteral(" as"));
  for (QPushButton* button : {btnBrowse, btnNew, btnDelete, btnConvert}) button->setAutoDefault(false);
}

SaveDetails PaneView::LineDetails(int line) const {
  const auto offset = pane_ ? PaneDataOffset(*pane_) : std::nullopt;
  if (!offset) return {};
  return ReadSaveDetails(pane_->image, *offset, line + 1, WindowTitleDecoder());
}

void PaneView::ShowLines(const Pane& pane) {
  pane_ = &pane;
  const auto count = static_cast<int>(pane.lines.size());
  if (lstSlot->count() != count) {
    lstSlot->clear();
    const auto details = [this](int line) { return LineDetails(line); };
    for (const std::string& line : pane.lines) lstSlot->addItem(NewSlotItem(QString::fromLocal8Bit(line), details));
  } else {
    for (int i = 0; i < count; ++i) {
      const QString text = QString::fromLocal8Bit(pane.lines[static_cast<std::size_t>(i)]);
      if (lstSlot->item(i)->text() != text) lstSlot->item(i)->setText(text);
    }
  }
  if (pane.selected >= 0 && pane.selected < count) {
    lstSlot->setCurrentRow(pane.selected, QItemSelectionModel::ClearAndSelect);
  } else {
    lstSlot->selectionModel()->clear();
  }
}

int PaneView::SelectedLine() const {
  const QModelIndexList rows = lstSlot->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void PaneView::ShowLogo(int k) {
  if (k == logoShown_) return;
  logoShown_ = k >= 0 && k < kLogoCount ? k : -1;
  if (logoShown_ < 0) {
    imgEmu->hide();
    imgEmu->setAccessibleName(QString());
    return;
  }
  const auto at = static_cast<std::size_t>(logoShown_);
  logo_->SetLogo(logoShown_);
  imgEmu->setGeometry(ToPixels(PaneLayoutOf(index_).imgEmu[at]).translated(-origin_));
  imgEmu->setAccessibleName(QString::fromLatin1(kLogoNames[at]));
  imgEmu->show();
}

}  // namespace selvane::ui
