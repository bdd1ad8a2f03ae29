// Takes the pictures of the window for the documentation: the narrow layout with the demo card,
// and the wide layout with two cards and a selected save. Run it on an X server (scripts/
// screenshots.sh starts one with Xvfb); it writes OUTPUT_FOLDER/screenshot-narrow.png and
// OUTPUT_FOLDER/screenshot-wide.png, grabbed from the server as the screen shows them.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "core/file_io.h"
#include "examples/card_builder.h"
#include "examples/demo_cards.h"
#include "ui/frm_selvane.h"

namespace {

// Shows no boxes and answers the one open dialog, for pane 1's card, with `card1`.
class PicturePort : public selvane::UserPort {
 public:
  explicit PicturePort(std::string card1) : card1_(std::move(card1)) {}
  void ShowMessage(std::string_view, selvane::MessageIcon) override {}
  selvane::Answer Ask(std::string_view, selvane::Buttons, selvane::Answer) override { return selvane::Answer::No; }
  std::optional<selvane::FileChoice> ChooseFileToOpen(const selvane::FileDialogRequest&) override {
    return selvane::FileChoice{card1_, 3};
  }
  std::optional<selvane::FileChoice> ChooseFileToSave(const selvane::FileDialogRequest&) override {
    return std::nullopt;
  }

 private:
  std::string card1_;
};

std::string WriteCard(const QString& path, const selvane::CardImage& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  return selvane::WriteFileAtomic(path.toStdString(), bytes).ok ? path.toStdString() : std::string();
}

bool Grab(QWidget& window, const QString& file) {
  QTest::qWait(300);
  const QPixmap shot = window.screen()->grabWindow(window.winId());
  if (shot.isNull() || !shot.save(file)) {
    std::fprintf(stderr, "screenshots: cannot write %s\n", qPrintable(file));
    return false;
  }
  std::printf("%s (%dx%d)\n", qPrintable(file), shot.width(), shot.height());
  return true;
}

void Select(QListWidget* list, int line) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(line)).center());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: selvane_screenshots OUTPUT_FOLDER\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  // A short, stable folder name, so that the path boxes in the pictures read well.
  QDir cards(QDir::tempPath() + QStringLiteral("/selvane-screenshots"));
  cards.removeRecursively();
  QDir().mkpath(cards.path());
  QTemporaryDir config;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());

  const std::string demo =
      WriteCard(cards.filePath(QStringLiteral("demo.gme")), selvane::demo::DemoCard(selvane::Format::Gme));
  selvane::demo::CardBuilder second;
  second.AddSave(1, 1, "RALLY 2000", "SLES-01234", 'E', false, 5)
      .AddSave(2, 2, "SPACE MINER", "SLUS-04321", 'A', false, 6)
      .AddSave(4, 1, "CHESS CLUB", "SLPS-00777", 'I', false, 7);
  const std::string other = WriteCard(cards.filePath(QStringLiteral("ePSXe/epsxe000.mcr")), second.Build());

  PicturePort port(other);
  selvane::ui::WindowStart start;
  start.commandLine = QString::fromStdString(demo);
  start.port = &port;
  selvane::ui::frmSelvane window(start);
  window.move(0, 0);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;

  auto* list0 = window.findChild<QListWidget*>(QStringLiteral("lstSlot0"));
  Select(list0, 1);
  if (!Grab(window, out + QStringLiteral("/screenshot-narrow.png"))) return 1;

  QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnResize")), Qt::LeftButton);
  QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btnBrowse1")), Qt::LeftButton);
  Select(list0, 1);
  Select(window.findChild<QListWidget*>(QStringLiteral("lstSlot1")), 1);
  const bool grabbed = Grab(window, out + QStringLiteral("/screenshot-wide.png"));
  cards.removeRecursively();
  return grabbed ? 0 : 1;
}
