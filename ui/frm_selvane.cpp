#include "ui/frm_selvane.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>

#include "core/card.h"
#include "slots/card_file.h"
#include "slots/file_actions.h"
#include "slots/operations.h"
#include "ui/fonts.h"
#include "ui/form_data.h"
#include "ui/glyphs.h"
#include "ui/qt_user_port.h"
#include "ui/twips.h"

namespace selvane::ui {
namespace {

int ClientWidth(int windowWidthTwips) { return Px(windowWidthTwips - kBorderTwips); }

std::string CardName(int index) { return "Memory Card " + std::to_string(index + 1); }

std::string ToStd(const QString& text) { return text.toLocal8Bit().toStdString(); }

constexpr TwipsRect kTransfer0{3765, 1500, 465, 570};
constexpr TwipsRect kTransfer1{3765, 2370, 465, 570};
constexpr TwipsRect kCompare{3765, 3450, 465, 570};
constexpr TwipsRect kResizeNarrow{3030, 4950, 675, 300};
constexpr int kResizeWideLeft = 7320;
constexpr TwipsRect kCredits{150, 4995, 1680, 195};
constexpr TwipsRect kButtonBar{0, 4800, 8040, 120};
// From the middle column to the right edge of the wide window, down to the foot of pane 1's
// buttons (4455 + 375).
constexpr TwipsRect kWideArea{kTransfer0.left, 0, kWideWidthTwips - kBorderTwips - kTransfer0.left, 4830};

// A UserPort that runs `show` before every message, question and file dialog and then hands over
// to `port`. An operation moves a pane's selection before it asks (the walk back to a save's
// first block), and the user must see the line that the question is about.
class ShowFirstPort : public UserPort {
 public:
  ShowFirstPort(std::function<void()> show, UserPort& port) : show_(std::move(show)), port_(port) {}

  void ShowMessage(std::string_view text, MessageIcon icon) override {
    show_();
    port_.ShowMessage(text, icon);
  }
  Answer Ask(std::string_view text, Buttons buttons, Answer defaultAnswer) override {
    show_();
    return port_.Ask(text, buttons, defaultAnswer);
  }
  std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest& request) override {
    show_();
    return port_.ChooseFileToOpen(request);
  }
  std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest& request) override {
    show_();
    return port_.ChooseFileToSave(request);
  }

 private:
  std::function<void()> show_;
  UserPort& port_;
};

// Ctrl keys that a path box keeps for editing its text (cut, copy, paste, undo, select all). Their
// command, when they have one, runs after the box has had the key; every other command key is kept
// from the box, so that it never edits the text before its command runs.
constexpr Qt::Key kTextEditingKeys[] = {Qt::Key_X, Qt::Key_C, Qt::Key_V, Qt::Key_Z, Qt::Key_A};

constexpr Qt::Key kNoKey = Qt::Key_unknown;

bool IsCtrlOnly(Qt::KeyboardModifiers modifiers) { return (modifiers & ~Qt::KeypadModifier) == Qt::ControlModifier; }

constexpr char kCreditsText[] =
    "Selvane 1.1, by the Selvane developers\r\n"
    "\r\n"
    "A manager for PlayStation memory card images.\r\n"
    "Released under the MIT License.";

}  // namespace

frmSelvane::frmSelvane(const WindowStart& start, QWidget* parent) : QMainWindow(parent) {
  // The window was made with the font the application had before; its controls inherit its font.
  UseWindowTypeface();
  setFont(QApplication::font());
  UserPort* port = start.port;
  if (!port) {
    ownPort_ = std::make_unique<QtUserPort>(this);
    port = ownPort_.get();
  }
  // Inside a handler the panes hold the truth; outside one (the close question) the lists do.
  port_ = std::make_unique<ShowFirstPort>(
      [this] {
        if (handling_) ShowPanes();
      },
      *port);
  panes_[0].index = 0;
  panes_[1].index = 1;
  setObjectName(QStringLiteral("frmSelvane"));
  setWindowTitle(QString::fromLatin1(kCaption));
  BuildControls();
  SetWideLayout(false);
  // Key preview, the right button on the slot lists and the credits label's click are seen here.
  qApp->installEventFilter(this);
  Form_Load(start);
}

frmSelvane::~frmSelvane() { qApp->removeEventFilter(this); }

void frmSelvane::BuildControls() {
  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("client"));
  setCentralWidget(client_);

  BuildPane(0, client_, QPoint());

  barButtons_ = new QFrame(client_);
  barButtons_->setObjectName(QStringLiteral("linButtons"));
  barButtons_->setGeometry(ToPixels(kButtonBar));
  barButtons_->setFrameShape(QFrame::HLine);
  barButtons_->setFrameShadow(QFrame::Sunken);

  btnResize_ = new QPushButton(client_);
  btnResize_->setObjectName(QStringLiteral("btnResize"));
  btnResize_->setIconSize(QSize(16, 12));
  btnResize_->setAutoDefault(false);
  connect(btnResize_, &QPushButton::clicked, this, [this] { Handle([this] { btnResize_Click(); }); });

  lblCredits_ = new QLabel(QStringLiteral("About Selvane 1.1"), client_);
  lblCredits_->setObjectName(QStringLiteral("lblCredits"));
  lblCredits_->setGeometry(ToPixels(kCredits));
  lblCredits_->setAccessibleName(QStringLiteral("About Selvane"));
  lblCredits_->setCursor(Qt::PointingHandCursor);
}

void frmSelvane::BuildPane(int i, QWidget* parent, QPoint origin) {
  views_[static_cast<std::size_t>(i)] = std::make_unique<PaneView>(i, parent, origin);
  PaneView& pane = *views_[static_cast<std::size_t>(i)];
  connect(pane.txtMemCard, &QLineEdit::textChanged, this, [this, i](const QString& text) {
    // The box shows the pane's path, which is the file system's bytes; a name that is not valid
    // in the system's encoding shows with replacement characters. Only a text other than the one
    // shown for the path (the user typed) replaces the path.
    if (text != QString::fromLocal8Bit(model(i).path)) model(i).path = ToStd(text);
    txtMemCard_Change(i);
  });
  connect(pane.btnBrowse, &QPushButton::clicked, this, [this, i] { Handle([this, i] { btnBrowse_Click(i); }); });
  connect(pane.btnNew, &QPushButton::clicked, this, [this, i] { Handle([this, i] { btnNew_Click(i); }); });
  connect(pane.btnDelete, &QPushButton::clicked, this, [this, i] { Handle([this, i] { btnDelete_Click(i); }); });
  connect(pane.btnConvert, &QPushButton::clicked, this, [this, i] { Handle([this, i] { btnConvert_Click(i); }); });
  connect(pane.lstSlot, &QListWidget::doubleClicked, this, [this, i] { Handle([this, i] { lstSlot_DblClick(i); }); });
  // Cards, save files and lines of the other list may be dropped on the list and the path box;
  // eventFilter decides what each drag may do.
  pane.lstSlot->setAcceptDrops(true);
  pane.lstSlot->viewport()->setAcceptDrops(true);
  pane.ShowLogo(logos_[static_cast<std::size_t>(i)]);
  pane.ShowLines(model(i));
}

void frmSelvane::BuildWideControls() {
  if (wideControls_) return;
  // One container from the middle column to the right edge, above the button bar; its controls
  // keep the window's coordinates through `origin`.
  const QRect area = ToPixels(kWideArea);
  const QPoint origin = area.topLeft();
  wideControls_ = new QWidget(client_);
  wideControls_->setObjectName(QStringLiteral("wideControls"));
  wideControls_->setGeometry(area);
  wideControls_->setVisible(isWide());

  const std::array<TwipsRect, 2> transferRects = {kTransfer0, kTransfer1};
  for (int i = 0; i < 2; ++i) {
    auto* button = new QPushButton(wideControls_);
    button->setObjectName(QStringLiteral("btnTransfer%1").arg(i));
    button->setGeometry(ToPixels(transferRects[static_cast<std::size_t>(i)]).translated(-origin));
    button->setIcon(TransferGlyph(i == 0 ? Direction::Right : Direction::Left));
    button->setIconSize(QSize(20, 20));
    const QString target = QString::fromStdString(CardName(1 - i));
    button->setAccessibleName(QStringLiteral("Copy slot to ") + target);
    button->setToolTip(QStringLiteral("Copy slot to ") + target);
    button->setProperty(kPaneProperty, i);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, i] { Handle([this, i] { btnTransfer_Click(i); }); });
    btnTransfer_[static_cast<std::size_t>(i)] = button;
  }

  btnCompare_ = new QPushButton(QStringLiteral("=?"), wideControls_);
  btnCompare_->setObjectName(QStringLiteral("btnCompare"));
  btnCompare_->setGeometry(ToPixels(kCompare).translated(-origin));
  btnCompare_->setFont(ArialFont(kCaptionPointSize));
  btnCompare_->setToolTip(QStringLiteral("Compare Slot"));
  btnCompare_->setAccessibleName(QStringLiteral("Compare Slot"));
  btnCompare_->setAutoDefault(false);
  connect(btnCompare_, &QPushButton::clicked, this, [this] { Handle([this] { btnCompare_Click(); }); });

  BuildPane(1, wideControls_, origin);

  // Tab goes from left to right: pane 0, the middle column, pane 1, then the layout button.
  const PaneView& right = *views_[1];
  QWidget* chain[] = {views_[0]->btnConvert, btnTransfer_[0],  btnTransfer_[1], btnCompare_,
                      right.txtMemCard,      right.btnBrowse,  right.lstSlot,   right.btnNew,
                      right.btnDelete,       right.btnConvert, btnResize_};
  for (std::size_t k = 1; k < std::size(chain); ++k) QWidget::setTabOrder(chain[k - 1], chain[k]);
}

PaneView& frmSelvane::view(int index) {
  if (index == 1) BuildWideControls();
  return *views_[static_cast<std::size_t>(index)];
}

QMenu* frmSelvane::popupMenu() {
  if (!mnuMenu_) BuildMenu();
  return mnuMenu_;
}

// The popup menu and the Ctrl keys, one row a command, in menu order; a row without a name is a
// separator. The menu shows the first key of a row; Form_KeyUp handles every key of it (Ctrl+D
// deletes as Ctrl+X does, without being shown).
const frmSelvane::Command frmSelvane::kCommands[] = {
    {"mnuOpen", "&Open...", {Qt::Key_O, kNoKey}, &frmSelvane::mnuOpen_Click},
    {"mnuNew", "&New", {Qt::Key_N, kNoKey}, &frmSelvane::mnuNew_Click},
    {},
    {"mnuSave", "&Save", {Qt::Key_S, kNoKey}, &frmSelvane::mnuSave_Click},
    {"mnuSaveAs", "Save &As...", {Qt::Key_T, kNoKey}, &frmSelvane::mnuSaveAs_Click},
    {},
    {"mnuEdit", "&Edit Slot", {Qt::Key_E, kNoKey}, &frmSelvane::mnuEdit_Click},
    {"mnuDelete", "&Delete Slot", {Qt::Key_X, Qt::Key_D}, &frmSelvane::mnuDelete_Click},
    {"mnuClearAll", "Clear All Slots", {kNoKey, kNoKey}, &frmSelvane::mnuClearAll_Click},
    {},
    {"mnuToggleDeleted", "&Undelete/Mark as Deleted", {Qt::Key_U, kNoKey}, &frmSelvane::mnuToggleDeleted_Click},
    {},
    {"mnuMove", "&Move Slot", {Qt::Key_M, kNoKey}, &frmSelvane::mnuMove_Click},
    {"mnuCopy", "&Copy Slot", {Qt::Key_C, kNoKey}, &frmSelvane::mnuCopy_Click},
    {},
    {"mnuImportSave", "&Import Save...", {kNoKey, kNoKey}, &frmSelvane::mnuImportSave_Click},
    {"mnuExportSave", "E&xport Save...", {kNoKey, kNoKey}, &frmSelvane::mnuExportSave_Click},
    {},
    {"mnuReadCard", "&Read from Card Reader...", {kNoKey, kNoKey}, &frmSelvane::mnuReadCard_Click},
    {"mnuWriteCard", "&Write to Card Reader...", {kNoKey, kNoKey}, &frmSelvane::mnuWriteCard_Click},
};

const frmSelvane::Command* frmSelvane::CommandForKey(int keyCode) {
  if (keyCode == kNoKey) return nullptr;
  for (const Command& command : kCommands) {
    if (command.name && std::find(command.keys.begin(), command.keys.end(), keyCode) != command.keys.end()) {
      return &command;
    }
  }
  return nullptr;
}

bool frmSelvane::IsPathBoxCommandKey(const QKeyEvent& key) {
  return IsCtrlOnly(key.modifiers()) && CommandForKey(key.key()) &&
         std::find(std::begin(kTextEditingKeys), std::end(kTextEditingKeys), key.key()) == std::end(kTextEditingKeys);
}

void frmSelvane::BuildMenu() {
  mnuMenu_ = new QMenu(this);
  mnuMenu_->setObjectName(QStringLiteral("mnuMenu"));
  mnuMenu_->setAccessibleName(QStringLiteral("Slot menu"));
  int separators = 0;
  for (const Command& command : kCommands) {
    if (!command.name) {
      mnuMenu_->addSeparator()->setObjectName(QStringLiteral("mnuSep%1").arg(++separators));
      continue;
    }
    QString text = QString::fromLatin1(command.caption);
    // The keys are handled by Form_KeyUp; the menu only shows them.
    if (command.keys[0] != kNoKey) {
      text +=
          QLatin1Char('\t') + QKeySequence(Qt::ControlModifier | command.keys[0]).toString(QKeySequence::NativeText);
    }
    QAction* action = mnuMenu_->addAction(text);
    action->setObjectName(QString::fromLatin1(command.name));
    const auto handler = command.handler;
    connect(action, &QAction::triggered, this, [this, handler] { Handle([this, handler] { (this->*handler)(); }); });
  }
}

bool frmSelvane::isWide() const { return width() == ClientWidth(kWideWidthTwips); }

void frmSelvane::SetWideLayout(bool wide) {
  if (wide) BuildWideControls();
  // Outside the narrow window the controls are hidden, so that neither Tab nor their access keys
  // reach them. A hidden control also gives up the focus (to the next one in the Tab order), so
  // the Ctrl-key commands, which take their pane from the focus, never act on an unseen pane.
  if (wideControls_) wideControls_->setVisible(wide);
  const TwipsRect resize{wide ? kResizeWideLeft : kResizeNarrow.left, kResizeNarrow.top, kResizeNarrow.width,
                         kResizeNarrow.height};
  btnResize_->setGeometry(ToPixels(resize));
  btnResize_->setIcon(ResizeGlyph(wide ? Direction::Left : Direction::Right));
  btnResize_->setAccessibleName(wide ? QStringLiteral("Hide Memory Card 2") : QStringLiteral("Show Memory Card 2"));
  btnResize_->setToolTip(btnResize_->accessibleName());
  setFixedSize(ClientWidth(wide ? kWideWidthTwips : kNarrowWidthTwips), Px(kClientHeightTwips));
}

void frmSelvane::ShowLogo(int index, int k) {
  logos_[static_cast<std::size_t>(index)] = k >= 0 && k < kLogoCount ? k : -1;
  if (PaneView* pane = views_[static_cast<std::size_t>(index)].get()) pane->ShowLogo(k);
}

void frmSelvane::Handle(const std::function<void()>& handler) {
  if (handling_) {
    handler();
    return;
  }
  handling_ = true;
  for (int i = 0; i < 2; ++i) {
    if (views_[static_cast<std::size_t>(i)]) model(i).selected = views_[static_cast<std::size_t>(i)]->SelectedLine();
  }
  handler();
  ShowPanes();
  handling_ = false;
}

void frmSelvane::ShowPanes() {
  for (const auto& pane : views_) {
    if (pane) pane->ShowLines(model(pane->index()));
  }
}

void frmSelvane::SetPathText(int index, const std::string& path) {
  model(index).path = path;
  view(index).txtMemCard->setText(QString::fromLocal8Bit(path));
}

// --- Start-up and shutdown ---

void frmSelvane::Form_Load(const WindowStart& start) {
  QSettings settings(QStringLiteral("Selvane"), QStringLiteral("Selvane"));
  settings.beginGroup(QStringLiteral("Settings"));
  bool numeric = false;
  const int source = settings.value(QStringLiteral("Source"), QStringLiteral("0")).toString().toInt(&numeric);
  SourceEmu = numeric ? source : 0;
  OutputExt = ToStd(settings.value(QStringLiteral("Output"), QString()).toString());

  // Pane 0 shows the logo last shown, pane 1 the one after it (wrapping from the last to the first).
  // Logo k of pane 1 has the index 6 + k among the window's twelve logo places.
  ShowLogo(0, SourceEmu);
  int second = SourceEmu + kLogoCount + 1;
  if (second > 2 * kLogoCount - 1) second = kLogoCount;
  ShowLogo(1, second - kLogoCount);

  if (start.registerFileTypes) start.registerFileTypes();

  const std::string& commandLine = start.commandLine;
  if (FileExists(commandLine)) {
    Handle([this, &commandLine] {
      SetPathText(0, commandLine);
      LoadCard(0);
    });
  }
}

bool frmSelvane::Form_QueryUnload() {
  bool cancel = false;
  for (int i = 0; i < 2; ++i) {
    if (!model(i).cardModified) continue;
    const std::string question = CardName(i) + " has been modified.\r\nDo you want to save the changes?";
    switch (port_->Ask(question, Buttons::YesNoCancel, Answer::Yes)) {
      case Answer::Cancel:
        cancel = true;
        break;
      case Answer::Yes:
        Handle([this, i] { btnConvert_Click(i); });
        cancel = true;
        break;
      case Answer::No:
        break;
    }
  }
  return cancel;
}

void frmSelvane::Form_Unload() {
  QSettings settings(QStringLiteral("Selvane"), QStringLiteral("Selvane"));
  settings.beginGroup(QStringLiteral("Settings"));
  settings.setValue(QStringLiteral("Source"), QString::number(SourceEmu));
  settings.setValue(QStringLiteral("Output"), QString::fromLocal8Bit(OutputExt));
  settings.sync();
}

void frmSelvane::closeEvent(QCloseEvent* event) {
  if (!MayCloseDuringReaderWork() || Form_QueryUnload()) {
    event->ignore();
    return;
  }
  Form_Unload();
  event->accept();
}

// --- Loading, saving, browsing ---

void frmSelvane::txtMemCard_Change(int index) {
  const int k = LogoIndexForPath(model(index).path);
  ShowLogo(index, k);
  SourceEmu = k;
}

void frmSelvane::LoadCard(int index) {
  if (selvane::LoadCard(model(index), OutputExt, *port_) == LoadOutcome::NoSuchFile) btnBrowse_Click(index);
}

void frmSelvane::SaveCard(const std::string& path, int index) {
  if (selvane::SaveCard(path, model(index), OutputExt, *port_) == SaveOutcome::NoCard) btnBrowse_Click(index);
}

void frmSelvane::btnBrowse_Click(int index) {
  AskToSaveModified(index);
  const std::string title = "Select the Memory Card " + std::to_string(index + 1);
  const std::string path = OpenDialog(*port_, filters::kOpen, title, model(index).path);
  if (path.empty()) return;
  OpenCardAt(index, path);
}

void frmSelvane::AskToSaveModified(int index) {
  if (!model(index).cardModified) return;
  const std::string question = CardName(index) + " has been modified.\r\nDo you want to save it?";
  if (port_->Ask(question, Buttons::YesNo, Answer::Yes) == Answer::Yes) btnConvert_Click(index);
}

void frmSelvane::OpenCardAt(int index, const std::string& path) {
  SetPathText(index, path);
  LoadCard(index);
}

void frmSelvane::btnConvert_Click(int index) { SaveCard(std::string(), index); }

void frmSelvane::btnNew_Click(int index) {
  const std::string title = "Save New Memory Card " + std::to_string(index + 1) + " As...";
  const std::string current = model(index).path;
  const std::string path = SaveDialog(*port_, filters::kNew, title, current, current, OutputExt);
  if (path.empty()) return;
  SetPathText(index, path);
  NewCard(model(index), path, OutputExt, *port_);
  LoadCard(index);
}

// --- Slot operations ---

void frmSelvane::btnDelete_Click(int index) { DeleteSlot(model(index), *port_); }

void frmSelvane::btnTransfer_Click(int index) { Transfer(index, false); }

void frmSelvane::Transfer(int index, bool move) {
  if (!isWide()) SetWideLayout(true);
  if (model(0).image.empty()) {
    btnBrowse_Click(0);
    return;
  }
  if (model(1).image.empty()) {
    btnBrowse_Click(1);
    return;
  }
  if (index == 0) CopySlot(model(0), model(1), move, *port_);
  if (index == 1) CopySlot(model(1), model(0), move, *port_);
}

void frmSelvane::lstSlot_DblClick(int index) { btnTransfer_Click(index); }

void frmSelvane::lstSlot_MouseDown(int index, const QPoint& globalPos) {
  PopupPane = index;
  popupMenu()->popup(globalPos);
}

void frmSelvane::btnCompare_Click() {
  const int needsSelection = CompareSlots(model(0), model(1), *port_).focusPane;
  if (needsSelection == 0 || needsSelection == 1) view(needsSelection).lstSlot->setFocus(Qt::OtherFocusReason);
}

void frmSelvane::EditSlot(int index) {
  const std::optional<SlotIdentity> identity = BeginEditSlot(model(index), *port_);
  ShowPanes();  // the walk back to the save's first entry moved the selection
  if (!identity) return;

  formData dialog(this);
  dialog.SetRegion(identity->region);
  dialog.SetGameId(QString::fromLatin1(identity->id.data(), static_cast<qsizetype>(identity->id.size())));
  dialog.setWindowTitle(QString::fromLocal8Bit(identity->caption));
  SlotID.clear();
  dialog.exec();
  if (dialog.Confirmed()) {
    if (dialog.ConfirmedRegion()) SlotRegion = *dialog.ConfirmedRegion();
    SlotID = dialog.ConfirmedId().toLatin1().toStdString();
  }
  if (SlotID.empty()) return;
  ApplyEditSlot(model(index), *identity, dialog.ConfirmedRegion(), SlotID);
}

// --- Window controls and popup menu ---

void frmSelvane::btnResize_Click() { SetWideLayout(!isWide()); }

void frmSelvane::lblCredits_Click() { port_->ShowMessage(kCreditsText, MessageIcon::Information); }

void frmSelvane::Form_KeyUp(int keyCode, Qt::KeyboardModifiers shift) {
  if (!IsCtrlOnly(shift)) return;
  if (QWidget* focused = focusWidget()) {
    const QVariant pane = focused->property(kPaneProperty);
    if (pane.isValid()) PopupPane = pane.toInt();
  }
  if (const Command* command = CommandForKey(keyCode)) (this->*command->handler)();
}

void frmSelvane::mnuOpen_Click() { btnBrowse_Click(PopupPane); }
void frmSelvane::mnuNew_Click() { btnNew_Click(PopupPane); }

void frmSelvane::mnuSave_Click() {
  if (FileExists(model(PopupPane).path)) {
    SaveCard(model(PopupPane).path, PopupPane);
  } else {
    btnConvert_Click(PopupPane);
  }
}

void frmSelvane::mnuSaveAs_Click() { btnConvert_Click(PopupPane); }
void frmSelvane::mnuEdit_Click() { EditSlot(PopupPane); }
void frmSelvane::mnuDelete_Click() { btnDelete_Click(PopupPane); }
void frmSelvane::mnuClearAll_Click() { ClearAllSlots(model(PopupPane), *port_); }
void frmSelvane::mnuToggleDeleted_Click() { ToggleDeleted(model(PopupPane), *port_); }
void frmSelvane::mnuMove_Click() { Transfer(PopupPane, true); }
void frmSelvane::mnuCopy_Click() { lstSlot_DblClick(PopupPane); }

bool frmSelvane::eventFilter(QObject* watched, QEvent* event) {
  if (DragEvent(watched, event) || KeyEvent(watched, event) || MouseEvent(watched, event)) return true;
  if (event->type() == QEvent::MouseButtonRelease && watched == lblCredits_ &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    Handle([this] { lblCredits_Click(); });
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

bool frmSelvane::KeyEvent(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
      // A path box would edit its text with some command keys (Ctrl+U clears the line, Ctrl+D
      // deletes a character on X11); they are kept from it, and their command runs on the release.
      const auto* key = static_cast<QKeyEvent*>(event);
      for (const auto& pane : views_) {
        if (pane && watched == pane->txtMemCard && IsPathBoxCommandKey(*key)) return true;
      }
      return false;
    }
    case QEvent::KeyRelease: {
      // Key preview: the window sees the key once, at the control that has the focus, after the
      // control has had the key press.
      auto* key = static_cast<QKeyEvent*>(event);
      auto* widget = qobject_cast<QWidget*>(watched);
      if (widget && widget->window() == this && !key->isAutoRepeat() &&
          (widget == focusWidget() || (focusWidget() == nullptr && widget == this))) {
        Handle([this, key] { Form_KeyUp(key->key(), key->modifiers()); });
      }
      return false;
    }
    default:
      return false;
  }
}

bool frmSelvane::MouseEvent(QObject* watched, QEvent* event) {
  const bool mouseEvent = event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress ||
                          event->type() == QEvent::MouseButtonDblClick;
  if (!mouseEvent) return false;
  const auto* mouse = static_cast<QMouseEvent*>(event);
  switch (event->type()) {
    case QEvent::MouseMove: {
      // The left button held and moved far enough on a line drags the line's save.
      const PaneView* pane = pressPane_ >= 0 ? views_[static_cast<std::size_t>(pressPane_)].get() : nullptr;
      if (!pane || watched != pane->lstSlot->viewport() || !(mouse->buttons() & Qt::LeftButton)) return false;
      if ((mouse->position().toPoint() - pressAt_).manhattanLength() < QApplication::startDragDistance()) return false;
      const int index = pressPane_, line = pane->lstSlot->indexAt(pressAt_).row();
      pressPane_ = -1;
      if (line < 0) return false;
      StartSlotDrag(index, line);
      return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      // The left button going down on a line may start a drag of it (see MouseMove).
      const auto onList = DropTargetOf(watched);
      pressPane_ = onList && onList->onList && mouse->button() == Qt::LeftButton ? onList->pane : -1;
      pressAt_ = mouse->position().toPoint();
      if (!onList || !onList->onList || mouse->button() != Qt::RightButton) return false;
      // The right button opens the menu and leaves the selection as it was.
      if (event->type() == QEvent::MouseButtonPress) {
        const QPoint at = mouse->globalPosition().toPoint();
        Handle([this, i = onList->pane, at] { lstSlot_MouseDown(i, at); });
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace selvane::ui
