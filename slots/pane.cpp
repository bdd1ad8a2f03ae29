#include "slots/pane.h"

#include <iterator>

#include "slots/slot_list.h"

namespace selvane {

bool RefreshSlots(Pane& pane, UserPort& port) {
  const auto format = FormatFromPath(pane.path);
  pane.cardFormat = format ? std::string(FormatKey(*format)) : CardFormatKeyOfPath(pane.path);
  auto listing = BuildSlotLines(pane.path, pane.image);
  if (!listing) {
    port.ShowMessage(text::kFormatNotSupported, MessageIcon::Information);
    return false;
  }
  pane.lines.assign(std::make_move_iterator(listing->lines.begin()), std::make_move_iterator(listing->lines.end()));
  pane.selected = -1;
  return true;
}

std::optional<Format> PaneFormat(const Pane& pane) { return FormatFromKey(pane.cardFormat); }

std::optional<std::size_t> PaneDataOffset(const Pane& pane) {
  const auto format = PaneFormat(pane);
  if (!format) return std::nullopt;
  return DataOffset(pane.image, *format);
}

}  // namespace selvane
