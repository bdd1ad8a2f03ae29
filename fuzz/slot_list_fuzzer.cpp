// The slot list of any image under every path of kPaths: BuildSlotLines and RefreshSlots never
// read outside the image (the address sanitizer watches) and never change it; a listed card gets
// fifteen lines, each starting with its two-digit slot number, and a refused path one message
// with the previous list kept; the card check reads any image the same way. Each slot's save
// details (icon, title, name fields, blocks) are read from bytes of the image only and stay within
// their bounds. The input is the image.
#include <algorithm>

#include "core/card_check.h"
#include "fuzz/fuzz_support.h"
#include "slots/pane.h"
#include "slots/save_details.h"
#include "slots/slot_list.h"

namespace {

// Hands the title bytes back as they came: the fuzzer checks where they were taken from.
struct BytesAsText : selvane::TitleDecoder {
  std::string ToUtf8(selvane::Bytes shiftJis) const override { return {shiftJis.begin(), shiftJis.end()}; }
};

void CheckDetails(selvane::Bytes image, std::size_t dataOffset) {
  using namespace selvane;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    const SaveDetails d = ReadSaveDetails(image, dataOffset, slot, BytesAsText());
    // A save follows its NextSlot chain where one ends well, so its first block may stand below a link.
    fuzz::Check(d.saveSlot >= 0 && d.saveSlot <= kSlotCount, "a save starts on one of the 15 slots");
    fuzz::Check(d.HasSave() ? d.block >= 1 && d.block <= d.blocks && d.blocks <= kSlotCount &&
                                  (d.block == 1) == (d.saveSlot == slot)
                            : d.blocks == 0 && d.title.empty(),
                "a line is one of its save's 1 to 15 blocks, the first only on the save's own line");
    fuzz::Check(d.title.size() <= kGameTitleLength && d.title.find('\0') == std::string::npos,
                "a title is cut at its first zero byte within its 64 bytes");
    fuzz::Check(d.icon.frames >= 0 && d.icon.frames <= kMaxIconFrames, "an icon has 0 to 3 frames");
    fuzz::Check(d.productCode.size() <= kProductCodeLength && DescribeSave(d).empty() == !d.HasSave(),
                "name fields stay in their bytes; a card describes exactly the lines of a save");
  }
}

}  // namespace

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
    CheckDetails(pane.image, listing->dataOffset);
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
