// The slot list over arbitrary card images and paths: BuildSlotLines and RefreshSlots never read
// outside the image, never change it, and always give fifteen numbered lines of a known shape, or
// refuse the format with one message and keep the previous list.
//
// Input: [selector] [custom path] then either the image itself, or (selector bit 5) [base card]
// [format] and patches (see fuzz_support.h).
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "slots/pane.h"
#include "slots/slot_list.h"

namespace selvane::fuzz {
namespace {

class QuietPort : public UserPort {
 public:
  int messages = 0;
  void ShowMessage(std::string_view text, MessageIcon) override {
    Check(text == text::kFormatNotSupported, "the list rebuild shows only the format message");
    ++messages;
  }
  Answer Ask(std::string_view, Buttons, Answer) override {
    Check(false, "the list rebuild asks nothing");
    return Answer::No;
  }
  std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest&) override { return std::nullopt; }
};

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The line of slot `slot` is "NN" followed by one of the shapes of the list.
void CheckLine(const std::string& line, int slot, Bytes image, std::size_t offset) {
  char number[3];
  std::snprintf(number, sizeof number, "%02d", slot);
  Check(StartsWith(line, number), "a line starts with its two-digit slot number");
  const std::string_view rest = std::string_view(line).substr(2);
  const bool entryInside = offset + SlotEntryOffset(slot) + kFrameSize <= image.size();
  if (!entryInside) Check(rest.empty(), "a slot whose entry lies past the end shows its bare number");
  const std::string previous = std::to_string(slot - 1);
  const bool known = rest.empty() || rest == " -del- Slot Data" || rest == " -del- Linked Slot " + previous ||
                     rest == "  Linked Slot " + previous || rest == "  Data for Slot " + std::to_string(slot) ||
                     StartsWith(rest, "  ") || StartsWith(rest, " -del- ");
  Check(known, "a line has one of the known shapes");
  Check(line.size() <= 2 + 7 + kTitleLength, "a line holds at most a 30-character title");
}

void Run(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  const std::uint8_t selector = in.Byte();
  const std::string path = PathFromInput(in, selector);
  CardImage image;
  if (selector & 0x20) {
    const std::uint8_t base = in.Byte();
    const Format container = FormatFromByte(in.Byte());
    image = BaseCard(base, container);
    Patch(in, image, container, in.Left() / 3);
  } else {
    const Bytes rest = in.Rest();
    image.assign(rest.begin(), rest.end());
  }
  const CardImage before = image;

  const auto listing = BuildSlotLines(path, image);
  const auto format = FormatFromPath(path);
  Check(listing.has_value() == (format && DataOffset(image, *format).has_value()),
        "a listing exists exactly when the path names a format and the image has a DataOffset");
  if (listing) {
    Check(listing->format == *format, "the listing's format is the path's");
    Check(listing->dataOffset == *DataOffset(image, *format), "the listing's DataOffset is the format's");
    for (int slot = 1; slot <= kSlotCount; ++slot) {
      CheckLine(listing->lines[static_cast<std::size_t>(slot - 1)], slot, image, listing->dataOffset);
    }
  }
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    const auto title = DecodeTitle(ClipRead(image, SaveBlockOffset(slot), kFrameSize));
    Check(title.size() <= kTitleLength, "a title has at most 30 characters");
  }

  // RefreshSlots on a pane that already shows a list: a refusal keeps it.
  Pane pane;
  pane.path = path;
  pane.image = image;
  pane.lines.assign(kSlotCount, "kept");
  pane.selected = 4;
  QuietPort port;
  const bool listed = RefreshSlots(pane, port);
  Check(listed == listing.has_value(), "RefreshSlots lists exactly what BuildSlotLines lists");
  if (listed) {
    Check(port.messages == 0, "a listed card shows no message");
    Check(pane.selected == -1, "the rebuild leaves no line selected");
    Check(pane.cardFormat == FormatKey(*format), "the pane stores the format key");
    Check(std::equal(pane.lines.begin(), pane.lines.end(), listing->lines.begin(), listing->lines.end()),
          "the pane shows the built lines");
  } else {
    Check(port.messages == 1, "a refused format shows one message");
    Check(pane.lines == std::vector<std::string>(kSlotCount, "kept"), "a refused format keeps the previous list");
  }
  Check(pane.image == before && image == before, "listing never changes the image");
}

}  // namespace
}  // namespace selvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  selvane::fuzz::Run(data, size);
  return 0;
}
