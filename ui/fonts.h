// The window's typeface: Arial, or the metric-compatible Liberation Sans where Arial is missing,
// so that captions fit the controls they were sized for. It is the one typeface of the program.
#pragma once

#include <QApplication>
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

// Makes the window's typeface the application's font, so that every control, message box and
// dialog takes it without a font of its own. A path box lays out its text with the application's
// font while it is made, before it takes its parent's; with the system font beside the window's
// the program would load two typefaces where one does.
inline void UseWindowTypeface() {
  const QFont font = ArialFont(kControlPointSize);
  if (QApplication::font() != font) QApplication::setFont(font);
}

}  // namespace selvane::ui
