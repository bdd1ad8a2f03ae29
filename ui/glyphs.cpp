#include "ui/glyphs.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <QPixmapCache>

namespace selvane::ui {
namespace {

// Draws at twice and once the size, so the symbol stays sharp on high-density screens. The
// pictures are drawn once and kept in the pixmap cache under `key`.
template <typename Draw>
QIcon MakeIcon(const QString& key, QSize size, Draw draw) {
  QIcon icon;
  for (const qreal ratio : {1.0, 2.0}) {
    const QString cacheKey = key + QLatin1Char('@') + QString::number(ratio);
    QPixmap pixmap;
    if (QPixmapCache::find(cacheKey, &pixmap)) {
      icon.addPixmap(pixmap);
      continue;
    }
    pixmap = QPixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink = QGuiApplication::palette().color(QPalette::ButtonText);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    draw(painter, ink);
    painter.end();
    QPixmapCache::insert(cacheKey, pixmap);
    icon.addPixmap(pixmap);
  }
  return icon;
}

QPointF Mirror(QPointF p, qreal width, Direction direction) {
  return direction == Direction::Right ? p : QPointF(width - p.x(), p.y());
}

}  // namespace

QIcon TransferGlyph(Direction direction) {
  constexpr qreal kSize = 20;
  const QString key = QStringLiteral("selvane-transfer-%1").arg(direction == Direction::Right ? 'r' : 'l');
  return MakeIcon(key, QSize(20, 20), [direction](QPainter& painter, const QColor&) {
    QPainterPath path;
    path.moveTo(Mirror({5, 2}, kSize, direction));
    path.lineTo(Mirror({16, 10}, kSize, direction));
    path.lineTo(Mirror({5, 18}, kSize, direction));
    path.closeSubpath();
    painter.drawPath(path);
  });
}

QIcon ResizeGlyph(Direction direction) {
  constexpr qreal kWidth = 16;
  const QString key = QStringLiteral("selvane-resize-%1").arg(direction == Direction::Right ? 'r' : 'l');
  return MakeIcon(key, QSize(16, 12), [direction](QPainter& painter, const QColor& ink) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const qreal x : {2.0, 8.0}) {
      painter.drawPolyline(QList<QPointF>{Mirror({x, 2}, kWidth, direction), Mirror({x + 5, 6}, kWidth, direction),
                                          Mirror({x, 10}, kWidth, direction)});
    }
  });
}

}  // namespace selvane::ui
