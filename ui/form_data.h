// formData: the small modal dialog of the identity editor, with the save's region and game ID.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <array>
#include <optional>

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace selvane::ui {

// The game ID box: typed lower-case letters arrive as upper case, and the whole text is selected
// whenever the box receives the focus, so that typing replaces the ID.
class GameIdEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit GameIdEdit(QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;   // txtID_KeyPress
  void focusInEvent(QFocusEvent* event) override;  // txtID_GotFocus
};

class formData : public QDialog {  // NOLINT(readability-identifier-naming): the dialog's own name
  Q_OBJECT
 public:
  static constexpr int kIdLength = 10;

  explicit formData(QWidget* parent = nullptr);

  // Presets the region option (0 USA, 1 EUR, 2 JAP); nullopt leaves none chosen.
  void SetRegion(std::optional<int> region);
  // The chosen option, or nullopt when none is chosen.
  std::optional<int> Region() const;
  void SetGameId(const QString& id);
  QString GameId() const;

  // Set by OK: whether OK was pressed, and the region and text it found.
  bool Confirmed() const { return confirmed_; }
  std::optional<int> ConfirmedRegion() const { return confirmedRegion_; }
  QString ConfirmedId() const { return confirmedId_; }

 private:
  void btnOK_Click();

  QGroupBox* Frame1_;
  QGroupBox* Frame2_;
  std::array<QRadioButton*, 3> optRegion_{};
  QButtonGroup* regionGroup_;
  GameIdEdit* txtID_;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
  bool confirmed_ = false;
  std::optional<int> confirmedRegion_;
  QString confirmedId_;
};

}  // namespace selvane::ui
