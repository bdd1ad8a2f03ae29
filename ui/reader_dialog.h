// The card reader dialog, one for reading a card and for writing one: which reader, on which port
// and, for PS1CardLink, which of the console's card slots. The last choice is kept in the window's
// settings and offered again.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "device/protocol.h"

class QComboBox;
class QPushButton;

namespace selvane::ui {

struct ReaderChoice {
  std::optional<device::ReaderKind> kind;  // nullopt: the device is asked which reader it is
  std::string port;                        // a serial port's path, "COM5" or "usb"
  int cardSlot = 0;                        // the console's card slot, 0 or 1 (PS1CardLink)
};

class ReaderDialog : public QDialog {
  Q_OBJECT
 public:
  enum class Direction { Read, Write };
  ReaderDialog(Direction direction, int paneIndex, QWidget* parent);

  // The choice as the dialog shows it: a port picked from the list gives its path, a typed one
  // is taken as typed.
  ReaderChoice Choice() const;
  // Keeps the choice in the settings for the next time the dialog opens.
  void Remember() const;

 private:
  void Recall();
  void UpdateControls();

  QComboBox* cboReader_ = nullptr;
  QComboBox* cboPort_ = nullptr;
  QComboBox* cboCard_ = nullptr;
  QPushButton* btnStart_ = nullptr;
};

}  // namespace selvane::ui
