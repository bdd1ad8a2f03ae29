// The window's typeface: Arial, or the metric-compatible Liberation Sans where Arial is missing,
// so that captions fit the controls they were sized for.
#pragma once

#include <QFont>
#include <QStringList>

namespace selvane::ui {

inline constexpr qreal kControlPointSize = 8.25;   // buttons, path boxes, dialogs
inline constexpr qreal kCaptionPointSize = 14.25;  // "Memory Card 1:", "=?"
inline constexpr qreal kListPointSize = 9.0;       // the slot lists

inline QFont ArialFont(qreal pointSize) {
  QFont font;
  font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
  font.setPointSizeF(pointSize);
  return font;
}

}  // namespace selvane::ui
