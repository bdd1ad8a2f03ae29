#include "cli/png_writer.h"

#ifdef SELVANE_HAVE_PNG
#include <png.h>

#include "dynlib/lazy_library.h"
#endif

namespace selvane::cli {

#ifdef SELVANE_HAVE_PNG

namespace {

// libpng's simplified writer, bound the first time `icon` writes a picture.
struct Libpng {
  decltype(&::png_image_write_to_memory) png_image_write_to_memory = nullptr;
  decltype(&::png_image_free) png_image_free = nullptr;
};

#define SELVANE_STRINGIFY(x) #x
#define SELVANE_SONAME(dll, so) "libpng" SELVANE_STRINGIFY(dll) ".so." SELVANE_STRINGIFY(so)

// libpng's functions, or nullptr with the reason when the library cannot be loaded.
const Libpng* LoadLibpng(std::string& reason) {
  static dynlib::LazyLibrary library(SELVANE_SONAME(PNG_LIBPNG_VER_DLLNUM, PNG_LIBPNG_VER_SONUM));
  static const Libpng* const bound = [] {
    static Libpng table;
    const bool ok = library.Bind(table.png_image_write_to_memory, "png_image_write_to_memory") &&
                    library.Bind(table.png_image_free, "png_image_free");
    return ok ? &table : nullptr;
  }();
  if (bound == nullptr) reason = library.Error();
  return bound;
}

}  // namespace

bool CanWritePng() { return true; }

std::optional<std::vector<std::uint8_t>> EncodePng(int width, int height, Bytes rgba, std::string& reason) {
  const Libpng* const png = LoadLibpng(reason);
  if (png == nullptr) return std::nullopt;
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
  if (!png->png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr)) {
    reason = image.message;
    png->png_image_free(&image);
    return std::nullopt;
  }
  std::vector<std::uint8_t> file(size);
  if (!png->png_image_write_to_memory(&image, file.data(), &size, 0, rgba.data(), 0, nullptr)) {
    reason = image.message;
    png->png_image_free(&image);
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
