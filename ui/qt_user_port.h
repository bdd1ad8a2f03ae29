// The window's UserPort: message boxes and the toolkit's standard file dialogs.
#pragma once

#include <QString>
#include <QStringList>
#include <string_view>

#include "shell/shell_messages.h"
#include "slots/user_port.h"

class QWidget;

namespace selvane::ui {

// The window caption; every message box carries it as its title.
inline constexpr char kCaption[] = "Selvane 1.1";

// Turns a "description|pattern|description|pattern..." filter text into Qt name filters, one per
// entry: "DexDrive (*.gme)", "All Memory Cards (*.mcd *.mcr ...)". A description that already ends
// in its patterns in parentheses is not given them twice; "*.*" matches every file, as it does in
// the dialogs the filters were written for. A trailing "|" adds no entry.
QStringList NameFiltersFromFilterText(std::string_view filter);

// The extension that a name filter's first pattern gives ("gme" for "*.gme"), or empty.
QString SuffixOfNameFilter(const QString& nameFilter);

// Message texts separate their lines with CR LF; Qt's labels want LF alone.
QString MessageText(std::string_view text);

class QtUserPort : public UserPort {
 public:
  explicit QtUserPort(QWidget* owner) : owner_(owner) {}

  void ShowMessage(std::string_view text, MessageIcon icon) override;
  Answer Ask(std::string_view text, Buttons buttons, Answer defaultAnswer) override;
  std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest& request) override;
  std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest& request) override;

 private:
  std::optional<FileChoice> RunFileDialog(const FileDialogRequest& request, bool save);

  QWidget* owner_;
};

// The file type registration's one message, as a message box titled with the application's title.
class QtShellMessages : public shell::ShellMessages {
 public:
  void ShowExclamation(std::string_view title, std::string_view text) override;
};

}  // namespace selvane::ui
