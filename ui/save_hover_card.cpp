#include "ui/save_hover_card.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

namespace selvane::ui {
namespace {

QString DescriptionOf(const SaveDetails& details) { return QString::fromStdString(DescribeSave(details)); }

class SlotItem : public QListWidgetItem {
 public:
  SlotItem(const QString& text, LineDetails details) : QListWidgetItem(text), details_(std::move(details)) {}

  QVariant data(int role) const override {
    if (role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole) {
      const QListWidget* owner = listWidget();
      if (!owner || !details_) return {};
      const QString text = DescriptionOf(details_(owner->row(this)));
      return text.isEmpty() ? QVariant() : QVariant(text);
    }
    return QListWidgetItem::data(role);
  }

 private:
  LineDetails details_;
};

}  // namespace

QPixmap IconPixmap(const SaveIcon& icon, int frame, int scale) {
  const std::vector<std::uint8_t> rgba = icon.FrameRgba(frame);
  if (rgba.empty()) return {};
  const QImage image(rgba.data(), kIconSide, kIconSide, qsizetype{kIconSide} * 4, QImage::Format_RGBA8888);
  return QPixmap::fromImage(image.scaled(kIconSide * scale, kIconSide * scale, Qt::IgnoreAspectRatio,
                                         Qt::FastTransformation));  // sharp pixels, as on the console
}

QListWidgetItem* NewSlotItem(const QString& text, const LineDetails& details) { return new SlotItem(text, details); }

SaveHoverCard::SaveHoverCard(QListWidget* list, LineDetails details)
    : QObject(list), list_(list), details_(std::move(details)) {
  list_->viewport()->installEventFilter(this);
  list_->installEventFilter(this);
}

void SaveHoverCard::Build() {
  card_ = new QFrame(list_->window(), Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
  card_->setObjectName(QStringLiteral("saveCard") + list_->objectName().right(1));
  card_->setAttribute(Qt::WA_ShowWithoutActivating);
  card_->setFrameShape(QFrame::Box);
  card_->setBackgroundRole(QPalette::ToolTipBase);
  card_->setForegroundRole(QPalette::ToolTipText);
  card_->setAutoFillBackground(true);
  icon_ = new QLabel(card_);
  icon_->setObjectName(QStringLiteral("saveCardIcon"));
  icon_->setFixedSize(kIconSide * kHoverIconScale, kIconSide * kHoverIconScale);
  text_ = new QLabel(card_);
  text_->setObjectName(QStringLiteral("saveCardText"));
  text_->setTextFormat(Qt::PlainText);
  auto* layout = new QHBoxLayout(card_);
  layout->setContentsMargins(6, 6, 8, 6);
  layout->setSpacing(8);
  layout->addWidget(icon_, 0, Qt::AlignTop);
  layout->addWidget(text_, 0, Qt::AlignTop);
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, &SaveHoverCard::NextFrame);
}

void SaveHoverCard::Hide() {
  line_ = -1;
  frame_ = -1;
  if (!card_) return;
  timer_->stop();
  card_->hide();
}

void SaveHoverCard::ShowFor(int line, const QPoint& globalPos) {
  const SaveDetails details = line >= 0 && details_ ? details_(line) : SaveDetails{};
  const QString text = DescriptionOf(details);
  if (text.isEmpty()) return Hide();
  if (!card_) Build();
  if (line == line_ && card_->isVisible()) return;
  line_ = line;
  text_->setText(text);
  frameCount_ = details.icon.frames;
  for (int f = 0; f < kMaxIconFrames; ++f) {
    frames_[static_cast<std::size_t>(f)] = IconPixmap(details.icon, f, kHoverIconScale);
  }
  frame_ = frameCount_ > 0 ? 0 : -1;
  icon_->setVisible(frameCount_ > 0);
  icon_->setPixmap(frameCount_ > 0 ? frames_[0] : QPixmap());
  if (frameCount_ > 1) {
    timer_->start(details.icon.FrameMilliseconds());
  } else {
    timer_->stop();
  }
  card_->adjustSize();
  // Below and right of the pointer, as a tooltip stands, kept on the screen.
  QPoint at = globalPos + QPoint(12, 16);
  if (const QScreen* screen = QGuiApplication::screenAt(globalPos)) {
    const QRect area = screen->availableGeometry();
    at.setX(std::max(area.left(), std::min(at.x(), area.right() - card_->width())));
    if (at.y() + card_->height() > area.bottom()) at.setY(globalPos.y() - card_->height() - 4);
  }
  card_->move(at);
  card_->show();
}

void SaveHoverCard::NextFrame() {
  if (frameCount_ < 2) return;
  frame_ = (frame_ + 1) % frameCount_;
  icon_->setPixmap(frames_[static_cast<std::size_t>(frame_)]);
}

bool SaveHoverCard::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ToolTip:
      if (watched == list_->viewport()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = list_->indexAt(help->pos());
        ShowFor(index.isValid() ? index.row() : -1, help->globalPos());
        return true;  // the card stands in for the plain tooltip
      }
      break;
    case QEvent::MouseMove:
      if (watched == list_->viewport() && line_ >= 0) {
        const QModelIndex index = list_->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        if (!index.isValid() || index.row() != line_) Hide();
      }
      break;
    case QEvent::Leave:
    case QEvent::Hide:
    case QEvent::Wheel:
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::FocusOut:
      Hide();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace selvane::ui
