// Selvane: starts the main window and ends with it.
#include <QApplication>
#include <QFile>
#include <QIcon>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "shell/startup_registration.h"
#ifdef SELVANE_HAVE_SIGNING
#include "crypto/signature_primitives.h"
#endif
#include "ui/frm_selvane.h"
#include "ui/qt_user_port.h"

namespace {

constexpr char kUsage[] =
    "Usage: selvane [CARD]\n"
    "Opens Selvane's window, which shows two PlayStation memory card images side by side and copies,\n"
    "moves, deletes, imports and exports their saves. CARD, when given, opens in the first pane.\n"
    "\n"
    "  -h, --help  print this help and exit\n"
    "  --version   print the version and exit\n"
    "\n"
    "selvane-cli does the same work for scripts; see selvane-cli --help.\n";

}  // namespace

int main(int argc, char** argv) {
  // "--version" alone prints the version, the one selvane-cli prints, and "--help" or "-h" alone
  // the usage, without opening a window (so they work with no display); a card of such a name
  // opens as "./--version".
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::cout << "selvane " << SELVANE_VERSION << "\n";
    return 0;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::cout << kUsage;
    return 0;
  }
#ifdef SELVANE_HAVE_SIGNING
  // .vmp cards are signed when saved and checked when opened.
  selvane::InstallSignaturePrimitives(&selvane::crypto::Primitives());
#endif
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

  // The whole command-line text after the program name (the toolkit's own options taken out) is
  // one card path: a path with spaces that the shell split is joined again. It is kept as the
  // system's bytes, so a name that is not valid in the locale's encoding reaches the file as is.
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }

  // The registration names the program icon in the desktop's icon folder; it takes the PNG bytes.
  std::vector<std::uint8_t> iconPng;
  QFile iconFile(QStringLiteral(":/selvane/selvane.png"));
  if (iconFile.open(QIODevice::ReadOnly)) {
    const QByteArray bytes = iconFile.readAll();
    iconPng.assign(bytes.begin(), bytes.end());
  }
  selvane::ui::QtShellMessages shellMessages;

  selvane::ui::WindowStart start;
  start.commandLine = commandLine;
  start.registerFileTypes = [&shellMessages, &iconPng] { selvane::shell::RegisterFileTypes(shellMessages, iconPng); };
  selvane::ui::frmSelvane window(start);
  window.show();
  return QApplication::exec();
}
