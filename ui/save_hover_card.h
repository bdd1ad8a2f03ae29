// The hover card of a slot list: when the pointer rests on a line that belongs to a save, a small
// tooltip window shows the save's icon at three times its size, animated at the game's rate, and
// its details (the title as the game wrote it, product code, identifier, region, blocks, deleted).
// The same text is the tooltip and the accessible description of the list item. Details are read
// when a line is first asked about, never while the list is built.
#pragma once

#include <QFrame>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>

#include "slots/save_details.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QTimer;

namespace selvane::ui {

inline constexpr int kHoverIconScale = 3;

// Frame `frame` of `icon` as a pixmap, each icon pixel scale x scale; a null pixmap when the icon
// has no such frame.
QPixmap IconPixmap(const SaveIcon& icon, int frame, int scale);

// The details of list line `line` (0 to 14), as the pane holds its card at that moment.
using LineDetails = std::function<SaveDetails(int line)>;

// A list line that answers its tooltip and accessible description from the save's details.
QListWidgetItem* NewSlotItem(const QString& text, const LineDetails& details);

// Watches a list's lines for tooltip requests and shows the card, a tooltip window of the list's
// window named "saveCard" + the pane number. The card's widgets are made when it is first shown.
class SaveHoverCard : public QObject {
  Q_OBJECT
 public:
  SaveHoverCard(QListWidget* list, LineDetails details);

  // Shows the card for list line `line` near `globalPos`; hides it when the line has no save.
  void ShowFor(int line, const QPoint& globalPos);
  // The icon frame shown (0-based), -1 when the card shows no icon.
  int frameShown() const { return frame_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void NextFrame();
  void Build();
  void Hide();

  QListWidget* list_;
  LineDetails details_;
  QPointer<QFrame> card_;  // a window of its own, which may go before the list does
  QLabel* icon_ = nullptr;
  QLabel* text_ = nullptr;
  QTimer* timer_ = nullptr;
  std::array<QPixmap, kMaxIconFrames> frames_;
  int frameCount_ = 0;
  int frame_ = -1;
  int line_ = -1;
};

}  // namespace selvane::ui
