// The controls of one pane ("Memory Card 1" or "Memory Card 2"): caption, path box, browse
// button, slot list, the three pane buttons, the six logos and the line beside the slot numbers.
// The window makes two of them from the layout table of each pane.
#pragma once

#include <QObject>
#include <array>

#include "slots/pane.h"
#include "ui/twips.h"

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace selvane::ui {

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
  std::array<TwipsRect, kLogoCount> imgEmu;
  TwipsRect slotNumberLine;  // the thin line that sets the slot numbers off the titles
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
  PaneView(int index, QWidget* parent);

  int index() const { return index_; }

  // The list as the pane's model holds it: its lines and its selection.
  void ShowLines(const Pane& pane);
  // The selected line of the list, -1 when none.
  int SelectedLine() const;
  // Hides the six logos and shows logo k (0..5); any other k leaves all hidden.
  void ShowOnlyLogo(int k);

  QLabel* lblMemCard;
  QLineEdit* txtMemCard;
  QPushButton* btnBrowse;
  QListWidget* lstSlot;
  QPushButton* btnNew;
  QPushButton* btnDelete;
  QPushButton* btnConvert;
  std::array<QLabel*, kLogoCount> imgEmu{};
  QFrame* slotNumberLine;

 private:
  int index_;
};

}  // namespace selvane::ui
