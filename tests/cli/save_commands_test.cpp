// What selvane-cli shows of the saves: info's decoded titles and details, and icon's PNG files,
// read back with libpng and compared pixel by pixel with the icon that was put on the card.
#include "cli/save_commands.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <sstream>

#include "core/file_io.h"
#include "examples/card_builder.h"
#include "tests/temp_folder.h"

namespace selvane::cli {
namespace {
namespace fs = std::filesystem;

// Palette: index 0 transparent, 1 opaque black, 2 pure red, 3 a grey; frame f has index (x + y + f) % 4.
constexpr std::array<std::uint16_t, 16> kPalette{0x0000, 0x8000, 0x001F, 0x2D6B};
const std::array<std::uint8_t, 4> kColours[4] = {{0, 0, 0, 0}, {0, 0, 0, 255}, {255, 0, 0, 255}, {90, 90, 90, 255}};

demo::CardBuilder::IconFrame Frame(int f) {
  demo::CardBuilder::IconFrame frame{};
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x)
      frame[static_cast<std::size_t>(y * 16 + x)] = static_cast<std::uint8_t>((x + y + f) % 4);
  }
  return frame;
}

// Slot 1: a two-block save with a Japanese title and a two-frame icon; slot 3: a save with no
// icon (flag 0); slots 4 on: free.
CardImage Card() {
  demo::CardBuilder card;
  card.AddSave(1, 2, "X", "SLPS-01234", 'I').SetTitleBytes(1, "\x83\x81\x83\x5E\x83\x8B 2 \x81\x40\x81\x40");
  card.SetIcon(1, kPalette, {Frame(0), Frame(1)});
  card.AddSave(3, 1, "PLAIN").SetTitleBytes(3, "Plain ASCII").SetIcon(3, kPalette, {}, 0x00);
  return card.Build(Format::Gme);
}

struct Png {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgba;
};
Png ReadPng(const std::string& path) {
  const CardImage file = ReadCardFile(path).bytes;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Png png;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return png;
  image.format = PNG_FORMAT_RGBA;
  png.rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, png.rgba.data(), 0, nullptr)) return {};
  png.width = static_cast<int>(image.width);
  png.height = static_cast<int>(image.height);
  return png;
}

class SaveCommands : public testkit::TempFolder {
 protected:
  void SetUp() override {
    TempFolder::SetUp();
    Put("card.gme", Card());
  }
  const std::string card_ = Path("card.gme");
};

TEST_F(SaveCommands, InfoGivesTheTitlesAsTheGamesWroteThem) {
  std::ostringstream out, err;
  ASSERT_EQ(RunInfo(card_, true, Streams{out, err}), kExitOk) << err.str();
  const auto slots = nlohmann::json::parse(out.str())["slots"];
  EXPECT_EQ(slots[0]["gameTitle"], "メタル 2");
  EXPECT_EQ(slots[0]["productCode"], "SLPS-01234");
  EXPECT_EQ(slots[0]["region"], "Japan");
  EXPECT_EQ(slots[0]["blocks"], 2);
  EXPECT_EQ(slots[0]["iconFrames"], 2);
  EXPECT_EQ(slots[1]["state"], "link");
  EXPECT_EQ(slots[1]["saveSlot"], 1);
  EXPECT_TRUE(slots[1]["gameTitle"].is_null());
  EXPECT_EQ(slots[2]["gameTitle"], "Plain ASCII");
  EXPECT_EQ(slots[2]["iconFrames"], 0);
  EXPECT_EQ(slots[3]["state"], "free");
  EXPECT_TRUE(slots[3]["saveSlot"].is_null());
}

TEST_F(SaveCommands, IconWritesTheFramesAsTransparentPngs) {
  const struct {
    int slot;
    std::string options;  // as typed after CARD SLOT OUT
    std::optional<int> frame;
    int scale;
    int frames;  // side by side in the picture
  } cases[] = {{1, "--frame 1", 1, 1, 1},
               {1, "--frame 2 --scale 3", 2, 3, 1},
               {1, "--frame all --scale 2", std::nullopt, 2, 2},
               {2, "", 1, 1, 1}};  // without options: the first frame, one pixel per icon pixel
  for (const auto& c : cases) {
    const std::string out = Path("icon.png");
    std::ostringstream text, err;
    Streams io{text, err};
    int status = -1;
    CLI::App app;  // a parser of its own for each case: a parser keeps the values of its last run
    AddSaveCommands(app, io, status);
    app.parse("icon " + card_ + " " + std::to_string(c.slot) + " " + out + " " + c.options);
    ASSERT_EQ(status, kExitOk) << err.str();
    const Png png = ReadPng(out);
    ASSERT_EQ(png.width, 16 * c.scale * c.frames);
    ASSERT_EQ(png.height, 16 * c.scale);
    for (int y = 0; y < png.height; ++y) {
      for (int x = 0; x < png.width; ++x) {
        const int f = c.frame ? *c.frame - 1 : x / (16 * c.scale);
        const int index = (x % (16 * c.scale) / c.scale + y / c.scale + f) % 4;
        const auto at = static_cast<std::size_t>((y * png.width + x) * 4);
        const std::array<std::uint8_t, 4> pixel{png.rgba[at], png.rgba[at + 1], png.rgba[at + 2], png.rgba[at + 3]};
        ASSERT_EQ(pixel, kColours[index]) << "slot " << c.slot << " x " << x << " y " << y;
      }
    }
  }
}

TEST_F(SaveCommands, IconRefusesWhatIsNotThereAndLeavesTheFile) {
  const std::string out = Path("kept.png");
  const std::string missing = Path("none/x.png");
  const struct {
    int slot;
    std::optional<int> frame;
    std::string target;
    std::string message;
  } cases[] = {
      {4, 1, out, card_ + ": slot 04 holds no save (free)"},
      {3, 1, out, card_ + ": the save in slot 03 has no icon"},
      {2, 3, out, card_ + ": the icon of the save in slot 01 has 2 frames, so there is no frame 3"},
      {1, 1, missing, missing + ": cannot be written: " + std::generic_category().message(ENOENT)},
  };
  const std::vector<std::uint8_t> kept{'o', 'l', 'd'};
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteFileAtomic(out, kept).ok);
    std::ostringstream text, err;
    EXPECT_EQ(RunIcon(card_, c.slot, c.target, IconOptions{c.frame, 1}, Streams{text, err}), kExitFailed);
    EXPECT_EQ(err.str(), c.message + "\n");
    EXPECT_EQ(ReadCardFile(out).bytes, kept);
    EXPECT_FALSE(fs::exists(missing));
  }
}

}  // namespace
}  // namespace selvane::cli
