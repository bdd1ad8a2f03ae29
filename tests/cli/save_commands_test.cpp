// icon's PNG files, read back with libpng and compared pixel by pixel with the icon that was put
// on the card (what icon refuses: cli_test.cpp).
#include "cli/save_commands.h"

#include <gtest/gtest.h>
#include <png.h>

#include <sstream>

#include "examples/card_builder.h"
#include "tests/temp_folder.h"

namespace selvane::cli {
namespace {

// Palette: index 0 transparent, 1 opaque black, then pure red, green and blue, a grey and a colour
// whose five-bit channels widen to eight bits with their top bits repeated below; frame f has index
// (x + y + f) % 7.
constexpr std::array<std::uint16_t, 16> kPalette{0x0000, 0x8000, 0x001F, 0x03E0, 0x7C00, 0x2D6B, 0x0050};
const std::array<std::uint8_t, 4> kColours[7] = {{0, 0, 0, 0},     {0, 0, 0, 255},   {255, 0, 0, 255},
                                                 {0, 255, 0, 255}, {0, 0, 255, 255}, {90, 90, 90, 255},
                                                 {132, 16, 0, 255}};

demo::CardBuilder::IconFrame Frame(int f) {
  demo::CardBuilder::IconFrame frame{};
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>((i % 16 + i / 16 + f) % 7);
  return frame;
}

// The RGBA pixels of a PNG file, and its width and height.
std::tuple<std::vector<std::uint8_t>, int, int> ReadPng(const std::string& path) {
  const CardImage file = ReadCardFile(path).bytes;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return {};
  image.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) return {};
  return {rgba, static_cast<int>(image.width), static_cast<int>(image.height)};
}

using SaveCommands = testkit::TempFolder;

// Slot 1: a two-block save with a two-frame icon; its link line gives the same icon.
TEST_F(SaveCommands, IconWritesTheFramesAsTransparentPngs) {
  demo::CardBuilder card;
  card.AddSave(1, 2, "X", "SLPS-01234", 'I').SetIcon(1, kPalette, {Frame(0), Frame(1)});
  const std::string path = Put("card.gme", card.Build(Format::Gme));
  // The options as typed after CARD SLOT OUT, the frame shown (all: side by side), the scale and
  // the number of frames in the picture; without options, the first frame one pixel per icon pixel.
  const std::tuple<int, std::string, std::optional<int>, int, int> cases[] = {
      {1, "--frame 2 --scale 3", 2, 3, 1}, {1, "--frame all --scale 2", std::nullopt, 2, 2}, {2, "", 1, 1, 1}};
  for (const auto& [slot, options, frame, scale, frames] : cases) {
    std::ostringstream text, err;
    Streams io{text, err};
    int status = -1;
    CLI::App app;  // a parser of its own for each case: a parser keeps the values of its last run
    AddSaveCommands(app, io, status);
    app.parse("icon " + path + " " + std::to_string(slot) + " " + Path("icon.png") + " " + options);
    ASSERT_EQ(status, kExitOk) << err.str();
    const auto [rgba, width, height] = ReadPng(Path("icon.png"));
    ASSERT_EQ(width, 16 * scale * frames);
    ASSERT_EQ(height, 16 * scale);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const int f = frame ? *frame - 1 : x / (16 * scale);
        const auto& want = kColours[(x % (16 * scale) / scale + y / scale + f) % 7];
        ASSERT_TRUE(std::equal(want.begin(), want.end(), rgba.begin() + static_cast<std::ptrdiff_t>(y * width + x) * 4))
            << "slot " << slot << " x " << x << " y " << y;
      }
    }
  }
}

}  // namespace
}  // namespace selvane::cli
