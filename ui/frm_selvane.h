// frmSelvane: the main window with its two panes, the transfer and compare buttons between them,
// the layout button, the credits label and the slot popup menu. It holds all of the program's
// state and turns clicks and keys into the slot operations.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "slots/pane.h"
#include "slots/save_file_choice.h"
#include "slots/user_port.h"
#include "ui/pane_view.h"

class QAction;
class QDropEvent;
class QKeyEvent;
class QMimeData;
class QTemporaryDir;
class QLabel;
class QMenu;
class QPushButton;
class QFrame;

namespace selvane::ui {

class QtUserPort;
class ReaderProgress;

// What the window starts with.
struct WindowStart {
  // The whole command-line text after the program name: one card path for pane 0, as the file
  // system's bytes (a name need not be valid in the locale's encoding).
  std::string commandLine;
  // The registration of the card file types with the desktop, run once at every start.
  std::function<void()> registerFileTypes;
  // Where messages, questions and file dialogs go; nullptr for the window's own message boxes
  // and file dialogs.
  UserPort* port = nullptr;
};

// Window widths in twips (outer width, border included) and the border that the window manager
// draws around the client area in the layout's own terms.
inline constexpr int kNarrowWidthTwips = 3850;
inline constexpr int kWideWidthTwips = 8115;
inline constexpr int kBorderTwips = 115;
inline constexpr int kClientHeightTwips = 5265;

class frmSelvane : public QMainWindow {  // NOLINT(readability-identifier-naming): the window's own name
  Q_OBJECT
 public:
  explicit frmSelvane(const WindowStart& start = {}, QWidget* parent = nullptr);
  ~frmSelvane() override;

  // The state the window owns.
  const Pane& pane(int index) const { return panes_[static_cast<std::size_t>(index)]; }
  const std::string& outputExt() const { return OutputExt; }
  int sourceEmu() const { return SourceEmu; }
  int popupPane() const { return PopupPane; }
  bool isWide() const;
  // The logo (0..5) that a pane shows, -1 for none.
  int logoShown(int index) const { return logos_[static_cast<std::size_t>(index)]; }
  // The slot popup menu, made the first time it is needed.
  QMenu* popupMenu();
  // What a drag of list line `line` of pane `index` carries: the window, pane and line in the
  // MIME type kSlotMimeType, and the line's save as a .mcs file (written to a folder that lives as long as
  // the window) for a file manager. nullptr when no save is on that line.
  QMimeData* slotDragData(int index, int line);
  static constexpr char kSlotMimeType[] = "application/x-selvane-slot";

  // The identity editor's answer, as the dialog left it.
  int SlotRegion = 0;
  std::string SlotID;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void BuildPane(int index, QWidget* parent, QPoint origin);
  void BuildMenu();
  // A command of the popup menu and the Ctrl keys.
  struct Command {
    const char* name = nullptr;                                     // the menu item's object name; none for a separator
    const char* caption = nullptr;                                  // the item's text with its access key
    std::array<Qt::Key, 2> keys{Qt::Key_unknown, Qt::Key_unknown};  // Ctrl keys (Key_unknown: none); the first is shown
    void (frmSelvane::*handler)() = nullptr;
  };
  static const Command kCommands[];
  static const Command* CommandForKey(int keyCode);
  static bool IsPathBoxCommandKey(const QKeyEvent& key);
  // The controls right of the narrow window: the transfer and compare buttons and pane 1. They
  // are made the first time the window widens or pane 1 is otherwise needed.
  void BuildWideControls();
  void SetWideLayout(bool wide);
  // A pane's controls; pane 1's are made when first asked for.
  PaneView& view(int index);
  Pane& model(int index) { return panes_[static_cast<std::size_t>(index)]; }
  void ShowLogo(int index, int k);
  // Runs a handler of a user event: takes the lists' selections into the panes first and shows
  // the panes' lines and selections afterwards.
  void Handle(const std::function<void()>& handler);
  void ShowPanes();
  void SetPathText(int index, const std::string& path);

  // Start-up and shutdown.
  void Form_Load(const WindowStart& start);
  bool Form_QueryUnload();  // true cancels the close
  void Form_Unload();

  // Loading, saving, browsing.
  void txtMemCard_Change(int index);
  void LoadCard(int index);
  void SaveCard(const std::string& path, int index);
  void btnBrowse_Click(int index);
  void btnConvert_Click(int index);
  void btnNew_Click(int index);

  // Slot operations.
  void btnDelete_Click(int index);
  void btnTransfer_Click(int index);
  void Transfer(int index, bool move);
  void lstSlot_DblClick(int index);
  void lstSlot_MouseDown(int index, const QPoint& globalPos);
  void btnCompare_Click();
  void EditSlot(int index);

  // Window controls and popup menu.
  void btnResize_Click();
  void lblCredits_Click();
  void Form_KeyUp(int keyCode, Qt::KeyboardModifiers shift);
  void mnuOpen_Click();
  void mnuNew_Click();
  void mnuSave_Click();
  void mnuSaveAs_Click();
  void mnuEdit_Click();
  void mnuDelete_Click();
  void mnuClearAll_Click();
  void mnuToggleDeleted_Click();
  void mnuMove_Click();
  void mnuCopy_Click();
  // Import Save... and Export Save... (frm_selvane_saves.cpp).
  void mnuImportSave_Click();
  void mnuExportSave_Click();
  void mnuReadCard_Click();
  void mnuWriteCard_Click();

  // Card readers (frm_selvane_readers.cpp): a card read into a pane as a new, changed card, and a
  // pane's card written onto the card in a reader after a backup of it is kept.
  void ReadFromReader(int index);
  void WriteToReader(int index);
  void ShowReadCard(int index, CardImage card, std::string_view readerKey);
  // closeEvent's part while a reader works: whether the window may close now. During a write it
  // asks first; a stopped work closes the window once it has ended.
  bool MayCloseDuringReaderWork();

  // Drag and drop (frm_selvane_drop.cpp): what a drop on a pane's list or path box would do.
  enum class DropKind { None, Card, Saves, Slot };
  struct DropPlan {
    DropKind kind = DropKind::None;
    int pane = 0;
    std::vector<std::string> files;  // the card, or the saves in the order dropped
    int sourcePane = -1, sourceLine = -1;
  };
  // The pane whose list (onList) or path box `watched` is; nullopt for any other object.
  struct DropTarget {
    int pane = 0;
    bool onList = false;
  };
  std::optional<DropTarget> DropTargetOf(const QObject* watched) const;
  DropPlan PlanDrop(DropTarget target, const QMimeData* carried);
  // Accepts or refuses a drag over a pane, and runs a drop; false for any other object or event.
  bool DragEvent(QObject* watched, QEvent* event);
  // The parts of eventFilter: the path boxes' command keys and the key preview; a line's drag, and
  // the right button's menu on a list. Each returns true for an event it took.
  bool KeyEvent(QObject* watched, QEvent* event);
  bool MouseEvent(QObject* watched, QEvent* event);
  void StartSlotDrag(int index, int line);
  // The "modified" question the open dialog asks first, then the card at `path` opened in the pane.
  void AskToSaveModified(int index);
  void OpenCardAt(int index, const std::string& path);
  void DropSlot(const DropPlan& plan, int line);

  std::unique_ptr<QtUserPort> ownPort_;
  // The port that messages, questions and file dialogs go through: it brings the lists up to date
  // with the panes first, then hands over to the window's own port or the one it was started with.
  std::unique_ptr<UserPort> port_;
  std::array<Pane, 2> panes_;
  std::array<std::unique_ptr<PaneView>, 2> views_;
  std::array<int, 2> logos_{-1, -1};
  QWidget* client_ = nullptr;
  QWidget* wideControls_ = nullptr;  // the middle column and pane 1, hidden in the narrow layout
  std::array<QPushButton*, 2> btnTransfer_{};
  QPushButton* btnCompare_ = nullptr;
  QPushButton* btnResize_ = nullptr;
  QLabel* lblCredits_ = nullptr;
  QFrame* barButtons_ = nullptr;
  QMenu* mnuMenu_ = nullptr;

  std::unique_ptr<QTemporaryDir> dragFolder_;  // the .mcs files of lines dragged out
  int pressPane_ = -1;                         // the list the left button went down on
  QPoint pressAt_;
  // The files of the drag over the window, told apart once when it enters.
  std::vector<std::string> dragFiles_;
  std::vector<DroppedFileKind> dragKinds_;

  std::string OutputExt;
  int SourceEmu = 0;
  int PopupPane = 0;
  bool handling_ = false;

  ReaderProgress* readerWork_ = nullptr;  // the reader's work under way, if any
  bool readerWrites_ = false;             // that work writes to the card
  bool closeAfterReaderWork_ = false;     // the window was closed during the work and asked to stop it
};

}  // namespace selvane::ui
