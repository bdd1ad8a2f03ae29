// The window's geometry is given in twips, as its layout was designed; Qt places widgets in
// device-independent pixels. At 96 dpi one pixel is 15 twips (1440 twips to the inch).
#pragma once

#include <QRect>
#include <QtGlobal>

namespace selvane::ui {

inline constexpr int kTwipsPerPixel = 15;

constexpr int Px(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

// A rectangle given as left, top, width, height in twips.
struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
};

inline QRect ToPixels(const TwipsRect& r) { return QRect(Px(r.left), Px(r.top), Px(r.width), Px(r.height)); }

}  // namespace selvane::ui
