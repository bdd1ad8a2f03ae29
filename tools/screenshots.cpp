// Takes the pictures of the window for the documentation: the narrow layout with the demo card,
// the wide layout with two cards and a selected save, and the save card that a line shows on
// hover, over a save with a Japanese title, and the card reader dialog and its progress. Run it on
// an X server (scripts/screenshots.sh starts one with Xvfb); it writes OUTPUT_FOLDER/screenshot-
// narrow.png, -wide.png, -save-card.png, -reader.png and -reader-progress.png, grabbed from the
// server as the screen shows them.
// With a second folder it also writes the list with each save's icon put at the left of its line,
// beside the list as it is, to judge whether the icons fit there.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
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
#include "ui/qt_title_decoder.h"
#include "ui/reader_dialog.h"
#include "ui/reader_progress.h"
#include "ui/save_hover_card.h"

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

// A 16 x 16 icon frame of palette indices: a four-pointed star of radius `r` with a dark outline
// and a white heart, on a transparent ground.
selvane::demo::CardBuilder::IconFrame Star(int r) {
  selvane::demo::CardBuilder::IconFrame frame{};
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const int dx = std::abs(2 * x - 15);
      const int dy = std::abs(2 * y - 15);
      const int d = std::min(dx, dy) * 3 + std::max(dx, dy);  // a star: thin arms, a round heart
      const std::uint8_t index = d <= 6 ? 3 : d <= 2 * r ? 2 : d <= 2 * r + 3 ? 1 : 0;
      frame[static_cast<std::size_t>(y * 16 + x)] = index;
    }
  }
  return frame;
}

// A card whose saves carry Japanese titles (code page 932 bytes, as a game writes them) and
// animated icons.
selvane::CardImage JapaneseCard() {
  // Transparent, dark brown, gold, white; then a blue set for the second save.
  const std::array<std::uint16_t, 16> gold{0x0000, 0x8C66, 0x139F, 0x7FFF};
  const std::array<std::uint16_t, 16> blue{0x0000, 0xA0A2, 0x7EA8, 0x7FFF};
  selvane::demo::CardBuilder card;
  card.AddSave(1, 1, "HIKARI", "SLPS-01234", 'I', false, 8)
      .SetTitleBytes(1, "\x82\xD0\x82\xA9\x82\xE8\x82\xCC\x90\x58\x81\x40\x83\x5A\x81\x5B\x83\x75\x82\x50")
      .SetIcon(1, gold, {Star(13), Star(11)});
  card.AddSave(2, 2, "HOSHI", "SLPS-04321", 'I', false, 9)
      .SetTitleBytes(2, "\x90\xAF\x82\xCC\x97\xB7\x90\x6C")
      .SetIcon(2, blue, {Star(9), Star(12), Star(14)});
  card.AddSave(4, 1, "RALLY 2000", "SLES-01234", 'E', false, 5).SetIcon(4, gold, {Star(12)});
  return card.Build(selvane::Format::Mcr);
}

// The part of the screen that holds `window` and, when it shows, the save card beside it.
bool GrabWithCard(QWidget& window, const QString& file) {
  QTest::qWait(300);
  QRect area = window.frameGeometry();
  if (auto* card = window.findChild<QWidget*>(QStringLiteral("saveCard0")); card && card->isVisible()) {
    area = area.united(card->frameGeometry());
  }
  const QPixmap shot = window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
  if (shot.isNull() || !shot.save(file)) {
    std::fprintf(stderr, "screenshots: cannot write %s\n", qPrintable(file));
    return false;
  }
  std::printf("%s (%dx%d)\n", qPrintable(file), shot.width(), shot.height());
  return true;
}

// How many of the list's lines show whole, and the height of one.
void PrintLines(const QListWidget& list, const char* what) {
  int whole = 0;
  for (int i = 0; i < list.count(); ++i) {
    if (list.viewport()->rect().contains(list.visualItemRect(list.item(i)))) ++whole;
  }
  std::printf("%s: %d whole lines of %d px, text of line 1 at x = %d\n", what, whole,
              list.visualItemRect(list.item(0)).height(), list.visualItemRect(list.item(0)).x());
}

void Select(QListWidget* list, int line) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(line)).center());
}

// The card reader dialog as it opens for a read, with a port typed, and the progress of a read a
// third of the way through (its bar set here: no reader is read).
bool GrabReaderDialogs(QWidget& window, const QString& out) {
  selvane::ui::ReaderDialog dialog(selvane::ui::ReaderDialog::Direction::Read, 0, &window);
  dialog.findChild<QComboBox*>(QStringLiteral("cboPort"))->setEditText(QStringLiteral("/dev/ttyUSB0"));
  dialog.move(40, 40);
  dialog.show();
  if (!QTest::qWaitForWindowExposed(&dialog) || !Grab(dialog, out + QStringLiteral("/screenshot-reader.png"))) {
    return false;
  }
  dialog.hide();
  selvane::ui::ReaderProgress progress(QStringLiteral("Read Memory Card 1"), &window);
  progress.findChild<QLabel*>(QStringLiteral("lblStep"))
      ->setText(QStringLiteral("Reading the card in the MemCARDuino on /dev/ttyUSB0..."));
  progress.findChild<QProgressBar*>()->setValue(384);
  progress.move(40, 40);
  progress.show();
  return QTest::qWaitForWindowExposed(&progress) &&
         Grab(progress, out + QStringLiteral("/screenshot-reader-progress.png"));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: selvane_screenshots OUTPUT_FOLDER [ICON_ATTEMPT_FOLDER]\n");
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
  start.commandLine = demo;
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
  if (!Grab(window, out + QStringLiteral("/screenshot-wide.png"))) return 1;
  if (!GrabReaderDialogs(window, out)) return 1;
  window.hide();

  // The save card over a save with a Japanese title.
  const std::string japanese = WriteCard(cards.filePath(QStringLiteral("hikari.mcr")), JapaneseCard());
  start.commandLine = japanese;
  selvane::ui::frmSelvane titled(start);
  titled.move(0, 0);
  titled.show();
  if (!QTest::qWaitForWindowExposed(&titled)) return 1;
  auto* list = titled.findChild<QListWidget*>(QStringLiteral("lstSlot0"));
  const QPoint at = list->visualItemRect(list->item(0)).center();
  QTest::mouseMove(list->viewport(), at);
  QHelpEvent hover(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
  QApplication::sendEvent(list->viewport(), &hover);
  if (!GrabWithCard(titled, out + QStringLiteral("/screenshot-save-card.png"))) return 1;

  // The icons at the left of the lines, put there only for this picture.
  if (argc == 3) {
    const QString attempts = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(attempts);
    QTest::mouseMove(titled.findChild<QWidget*>(QStringLiteral("btnNew0")));
    PrintLines(*list, "list as it is");
    if (!GrabWithCard(titled, attempts + QStringLiteral("/list-without-icons.png"))) return 1;
    const auto offset = selvane::PaneDataOffset(titled.pane(0));
    for (int line = 0; line < list->count() && offset; ++line) {
      const selvane::SaveDetails details =
          selvane::ReadSaveDetails(titled.pane(0).image, *offset, line + 1, selvane::ui::WindowTitleDecoder());
      if (details.icon.frames > 0 && !details.IsLink()) {
        list->item(line)->setIcon(QIcon(selvane::ui::IconPixmap(details.icon, 0, 1)));
      }
    }
    list->setIconSize(QSize(16, 16));
    PrintLines(*list, "list with 16 x 16 icons");
    if (!GrabWithCard(titled, attempts + QStringLiteral("/list-with-icons.png"))) return 1;
  }
  cards.removeRecursively();
  return 0;
}
