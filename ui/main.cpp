// Selvane: starts the main window and ends with it.
#include <QApplication>
#include <QIcon>
#include <QStringList>

#include "ui/frm_selvane.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Selvane"));
  QApplication::setOrganizationName(QStringLiteral("Selvane"));
  QApplication::setApplicationVersion(QStringLiteral("1.1"));
  selvane::ui::LoadPictures();
  QIcon icon;
  for (const char* file : {":/selvane/selvane-16.png", ":/selvane/selvane-32.png", ":/selvane/selvane-48.png",
                           ":/selvane/selvane-64.png", ":/selvane/selvane-128.png", ":/selvane/selvane.png"}) {
    icon.addFile(QString::fromLatin1(file));
  }
  QApplication::setWindowIcon(icon);

  // The whole command-line text after the program name is one card path: a path with spaces
  // that the shell split is joined again.
  QStringList arguments = QApplication::arguments();
  if (!arguments.isEmpty()) arguments.removeFirst();

  selvane::ui::WindowStart start;
  start.commandLine = arguments.join(QLatin1Char(' '));
  selvane::ui::frmSelvane window(start);
  window.show();
  return QApplication::exec();
}
