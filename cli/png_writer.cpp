#include "cli/png_writer.h"

#ifdef SELVANE_HAVE_PNG
#include <png.h>
#endif

namespace selvane::cli {

#ifdef SELVANE_HAVE_PNG

bool CanWritePng() { return true; }

std::optional<std::vector<std::uint8_t>> EncodePng(int width, int height, Bytes rgba, std::string& reason) {
  if (width <= 0 || height <= 0 ||
      rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4) {
    reason = "the picture's pixels do not match its size";
    return std::nullopt;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  // The first call measures the file, the second writes it.
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr)) {
    reason = image.message;
    png_image_free(&image);
    return std::nullopt;
  }
  std::vector<std::uint8_t> file(size);
  if (!png_image_write_to_memory(&image, file.data(), &size, 0, rgba.data(), 0, nullptr)) {
    reason = image.message;
    png_image_free(&image);
    return std::nullopt;
  }
  file.resize(size);
  return file;
}

#else

bool CanWritePng() { return false; }

std::optional<std::vector<std::uint8_t>> EncodePng(int, int, Bytes, std::string& reason) {
  reason = "this build of selvane-cli writes no PNG files (it was built without libpng)";
  return std::nullopt;
}

#endif

}  // namespace selvane::cli
