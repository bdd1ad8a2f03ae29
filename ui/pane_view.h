// The controls of one pane ("Memory Card 1" or "Memory Card 2"): caption, path box, browse
// button, slot list, the three pane buttons, the logo and the line beside the slot numbers.
// The window makes two of them from the layout table of each pane.
#pragma once

#include <QObject>
#include <QPoint>
#include <array>

#include "slots/pane.h"
#include "slots/save_details.h"
#include "ui/twips.h"

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace selvane::ui {

class LogoLabel;
class SaveHoverCard;

inline constexpr int kLogoCount = 6;

// Makes the logos and the program icon (resource prefix ":/selvane") available.
void LoadPictures();

// Where a pane's controls stand, in twips, and the captions that differ between the panes
// (their access keys must not collide).
struct PaneLayout {
  TwipsRect lblMemCard;
  TwipsRect txtMemCard;
  TwipsRect btnBrowse;
  TwipsRect lstSlot;
  TwipsRect btnNew;
  TwipsRect btnDelete;
  TwipsRect btnConvert;
  std::array<TwipsRect, kLogoCount> imgEmu;  // where logo k stands
  TwipsRect slotNumberLine;                  // the thin line that sets the slot numbers off the titles
  const char* newCaption;
  const char* deleteCaption;
  const char* convertCaption;
};

// The layout of pane 0 and of pane 1.
const PaneLayout& PaneLayoutOf(int index);

// The dynamic property that names the pane a control belongs to (for the Ctrl-key commands).
inline constexpr char kPaneProperty[] = "selvanePane";

class PaneView {
 public:
  // Creates the controls as children of `parent`, named with the pane index (`lstSlot0`, ...).
  // `origin` is where the parent's top left corner stands in the window's client area, whose
  // coordinates the layout table gives.
  PaneView(int index, QWidget* parent, QPoint origin = {});

  int index() const { return index_; }

  // The list as the pane's model holds it: its lines and its selection. Each line's tooltip and
  // accessible description (the save's details) are read from `pane` when asked for.
  void ShowLines(const Pane& pane);
  // The details of the save on list line `line` (0 to 14) of the card the list shows.
  SaveDetails LineDetails(int line) const;
  // The selected line of the list, -1 when none.
  int SelectedLine() const;
  // Shows logo k (0..5) in the pane's logo control, at logo k's place; any other k hides it.
  // The picture is read from the resources when the control first appears on the screen.
  void ShowLogo(int k);
  // The logo shown, -1 for none.
  int logo() const { return logoShown_; }

  QLabel* lblMemCard;
  QLineEdit* txtMemCard;
  QPushButton* btnBrowse;
  QListWidget* lstSlot;
  QPushButton* btnNew;
  QPushButton* btnDelete;
  QPushButton* btnConvert;
  QLabel* imgEmu;
  QFrame* slotNumberLine;

 private:
  int index_;
  QPoint origin_;
  const Pane* pane_ = nullptr;  // the pane whose lines the list shows
  SaveHoverCard* hoverCard_;
  LogoLabel* logo_;  // imgEmu
  int logoShown_ = -1;
};

}  // namespace selvane::ui
