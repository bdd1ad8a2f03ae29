// The symbols of the transfer buttons and of the layout button, drawn rather than taken from a
// symbol font: a filled triangle pointing to the card a save goes to, and a double chevron that
// points the way the window will change.
#pragma once

#include <QIcon>

namespace selvane::ui {

enum class Direction { Left, Right };

// A filled triangle pointing left or right.
QIcon TransferGlyph(Direction direction);
// A double chevron: Right (widen, shown in the narrow layout) or Left (narrow, shown when wide).
QIcon ResizeGlyph(Direction direction);

}  // namespace selvane::ui
