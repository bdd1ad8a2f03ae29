#include "ui/qt_user_port.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace selvane::ui {
namespace {

QString FromText(std::string_view text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Question:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButton ToQtButton(Answer answer) {
  switch (answer) {
    case Answer::Yes:
      return QMessageBox::Yes;
    case Answer::No:
      return QMessageBox::No;
    case Answer::Cancel:
      return QMessageBox::Cancel;
  }
  return QMessageBox::NoButton;
}

// The folder a dialog opens in: the named folder, or the folder of the named (possibly not yet
// existing) file; the current folder when nothing usable is named.
QString StartFolder(const QString& path) {
  if (path.isEmpty()) return QDir::currentPath();
  const QFileInfo info(path);
  if (info.isDir()) return info.absoluteFilePath();
  const QString parent = info.absolutePath();
  return QFileInfo(parent).isDir() ? parent : QDir::currentPath();
}

}  // namespace

QStringList NameFiltersFromFilterText(std::string_view filter) {
  const QStringList parts = FromText(filter).split(QLatin1Char('|'));
  QStringList result;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    QString patterns = parts[i + 1].trimmed();
    const QString shown = QStringLiteral("(") + patterns + QStringLiteral(")");
    if (description.endsWith(shown)) description.chop(shown.size());
    description = description.trimmed();
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    if (patterns == QStringLiteral("*.*")) patterns = QStringLiteral("*");
    result << description + QStringLiteral(" (") + patterns + QStringLiteral(")");
  }
  return result;
}

QString SuffixOfNameFilter(const QString& nameFilter) {
  const qsizetype open = nameFilter.lastIndexOf(QLatin1Char('('));
  if (open < 0) return {};
  const QString first = nameFilter.mid(open + 1).section(QLatin1Char(' '), 0, 0).remove(QLatin1Char(')'));
  if (!first.startsWith(QStringLiteral("*.")) || first.size() < 3) return {};
  QString suffix = first.mid(2);
  if (suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?'))) return {};
  return suffix;
}

QString MessageText(std::string_view text) {
  QString result = FromText(text);
  result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return result;
}

void QtUserPort::ShowMessage(std::string_view text, MessageIcon icon) {
  QMessageBox box(ToQtIcon(icon), QString::fromLatin1(kCaption), MessageText(text), QMessageBox::Ok, owner_);
  box.exec();
}

Answer QtUserPort::Ask(std::string_view text, Buttons buttons, Answer defaultAnswer) {
  QMessageBox::StandardButtons shown = QMessageBox::Yes | QMessageBox::No;
  if (buttons == Buttons::YesNoCancel) shown |= QMessageBox::Cancel;
  QMessageBox box(QMessageBox::Question, QString::fromLatin1(kCaption), MessageText(text), shown, owner_);
  box.setDefaultButton(ToQtButton(defaultAnswer));
  // Esc and the close box answer Cancel where there is one, No otherwise.
  box.setEscapeButton(buttons == Buttons::YesNoCancel ? QMessageBox::Cancel : QMessageBox::No);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return buttons == Buttons::YesNoCancel ? Answer::Cancel : Answer::No;
  }
}

void QtShellMessages::ShowExclamation(std::string_view title, std::string_view text) {
  QMessageBox box(QMessageBox::Warning, FromText(title), MessageText(text), QMessageBox::Ok);
  box.exec();
}

std::optional<FileChoice> QtUserPort::ChooseFileToOpen(const FileDialogRequest& request) {
  return RunFileDialog(request, false);
}

std::optional<FileChoice> QtUserPort::ChooseFileToSave(const FileDialogRequest& request) {
  return RunFileDialog(request, true);
}

std::optional<FileChoice> QtUserPort::RunFileDialog(const FileDialogRequest& request, bool save) {
  const QStringList nameFilters = NameFiltersFromFilterText(request.filter);
  QFileDialog dialog(owner_, FromText(request.title));
  dialog.setObjectName(save ? QStringLiteral("saveDialog") : QStringLiteral("openDialog"));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilters(nameFilters);
  dialog.setDirectory(StartFolder(FromText(request.initDir.empty() ? request.defaultName : request.initDir)));

  const qsizetype start =
      request.filterIndex >= 1 && request.filterIndex <= nameFilters.size() ? request.filterIndex - 1 : 0;
  // The name suggested for an entry: its own when the request gives one, else the default name.
  const auto suggestedFor = [&request](qsizetype entry) {
    const bool own = entry >= 0 && static_cast<std::size_t>(entry) < request.entryNames.size();
    return QFileInfo(FromText(own ? request.entryNames[static_cast<std::size_t>(entry)] : request.defaultName))
        .fileName();
  };
  QString suggested = suggestedFor(start);
  if (!suggested.isEmpty()) dialog.selectFile(suggested);
  if (!nameFilters.isEmpty()) dialog.selectNameFilter(nameFilters[start]);
  if (save) {
    // A name typed without extension gets the chosen filter's, so the dialog's own question about
    // replacing an existing file is asked for the name that will be written. The name shown
    // follows the entry picked while it is the one suggested; a name the user typed stays.
    dialog.setDefaultSuffix(nameFilters.isEmpty() ? QString() : SuffixOfNameFilter(nameFilters[start]));
    QObject::connect(&dialog, &QFileDialog::filterSelected, [&](const QString& chosen) {
      const QStringList shown = dialog.selectedFiles();
      const bool untouched = shown.isEmpty() || QFileInfo(shown.first()).fileName() == suggested;
      dialog.setDefaultSuffix(SuffixOfNameFilter(chosen));
      if (!untouched || request.entryNames.empty()) return;
      suggested = suggestedFor(nameFilters.indexOf(chosen));
      dialog.selectFile(suggested);
    });
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return std::nullopt;
  const qsizetype chosen = nameFilters.indexOf(dialog.selectedNameFilter());
  FileChoice choice;
  choice.path = QDir::toNativeSeparators(files.first()).toLocal8Bit().toStdString();
  choice.filterIndex = chosen >= 0 ? static_cast<int>(chosen) + 1 : request.filterIndex;
  return choice;
}

}  // namespace selvane::ui
