// The content of the bundled demo cards.
#pragma once

#include "core/card.h"

namespace selvane::demo {

// One-block saves with full-width titles, a three-block save, a deleted save and free slots.
CardImage DemoCard(Format format);

}  // namespace selvane::demo
