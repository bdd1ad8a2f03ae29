// The slot list of any image under every path of kPaths: BuildSlotLines and RefreshSlots never
// read outside the image (the address sanitizer watches) and never change it; a listed card gets
// fifteen lines, each starting with its two-digit slot number, and a refused path one message
// with the previous list kept; the card check reads any image the same way. The input is the image.
#include <algorithm>

#include "fuzz/fuzz_support.h"
#include "slots/card_check.h"
#include "slots/pane.h"
#include "slots/slot_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace selvane;
  using fuzz::Check;
  Pane pane;
  pane.image.assign(data, data + size);
  for (std::string_view path : fuzz::kPaths) {
    const auto listing = BuildSlotLines(path, pane.image);
    const auto format = FormatFromPath(path);
    if (format) {
      for (const CardFinding& finding : CheckCard(pane.image, *format)) {
        Check(finding.slot >= 0 && finding.slot <= kSlotCount && !finding.what.empty(),
              "every finding of the card check names a slot of the card (or the card) and says what");
      }
    }
    Check(listing.has_value() == (format && DataOffset(pane.image, *format)),
          "a card is listed exactly when its path names a format and the image has its DataOffset");
    const std::vector<std::string> kept(kSlotCount, "kept");
    pane.path = path;
    pane.lines = kept;
    fuzz::RecordingPort port;
    Check(RefreshSlots(pane, port) == listing.has_value(), "RefreshSlots lists what BuildSlotLines lists");
    if (!listing) {
      Check(port.messages == std::vector<std::string>{std::string(text::kFormatNotSupported)} && pane.lines == kept,
            "a refused path shows one message and keeps the previous list");
      continue;
    }
    Check(port.messages.empty() && std::ranges::equal(pane.lines, listing->lines), "the pane shows the built lines");
    for (std::size_t line = 0; line < pane.lines.size(); ++line) {
      char number[24];  // room for any std::size_t
      std::snprintf(number, sizeof number, "%02zu", line + 1);
      Check(pane.lines.size() == kSlotCount && pane.lines[line].starts_with(number),
            "fifteen lines, each starting with its two-digit slot number");
    }
  }
  Check(std::ranges::equal(pane.image, std::span(data, size)), "listing never changes the image");
  return 0;
}
