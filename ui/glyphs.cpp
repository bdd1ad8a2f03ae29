#include "ui/glyphs.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

namespace selvane::ui {
namespace {

enum class Shape { Triangle, Chevrons };

// Draws the symbol whenever a button asks for its picture, at the size and pixel density asked
// for, in the palette's button text colour (greyed when the button is disabled). Nothing is drawn
// before the button is first painted.
class GlyphEngine : public QIconEngine {
 public:
  GlyphEngine(Shape shape, Direction direction) : shape_(shape), direction_(direction) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    const QPalette::ColorGroup group = mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active;
    const QColor ink = QGuiApplication::palette().color(group, QPalette::ButtonText);
    const QSizeF design = shape_ == Shape::Triangle ? QSizeF(20, 20) : QSizeF(16, 12);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(rect.topLeft());
    painter->scale(rect.width() / design.width(), rect.height() / design.height());
    if (shape_ == Shape::Triangle) {
      QPainterPath path;
      path.moveTo(At({5, 2}, design.width()));
      path.lineTo(At({16, 10}, design.width()));
      path.lineTo(At({5, 18}, design.width()));
      path.closeSubpath();
      painter->setPen(Qt::NoPen);
      painter->setBrush(ink);
      painter->drawPath(path);
    } else {
      painter->setBrush(Qt::NoBrush);
      painter->setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      for (const qreal x : {2.0, 8.0}) {
        const QPointF chevron[] = {At({x, 2}, design.width()), At({x + 5, 6}, design.width()),
                                   At({x, 10}, design.width())};
        painter->drawPolyline(chevron, 3);
      }
    }
    painter->restore();
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return picture;
  }

  QIconEngine* clone() const override { return new GlyphEngine(shape_, direction_); }
  QString key() const override { return QStringLiteral("selvane-glyph"); }

 private:
  // A point of the right-pointing design, mirrored for the left-pointing one.
  QPointF At(QPointF p, qreal width) const {
    return direction_ == Direction::Right ? p : QPointF(width - p.x(), p.y());
  }

  Shape shape_;
  Direction direction_;
};

}  // namespace

QIcon TransferGlyph(Direction direction) { return QIcon(new GlyphEngine(Shape::Triangle, direction)); }

QIcon ResizeGlyph(Direction direction) { return QIcon(new GlyphEngine(Shape::Chevrons, direction)); }

}  // namespace selvane::ui
