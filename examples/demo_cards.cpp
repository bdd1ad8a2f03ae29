#include "examples/demo_cards.h"

#include "examples/card_builder.h"

namespace selvane::demo {

CardImage DemoCard(Format format) {
  CardBuilder card;
  card.AddSave(1, 1, "Selvane Demo Racer", "SLUS-90001", 'A', false, 11)
      .AddSave(2, 3, "Castle Quest: Chapter 1", "SLES-90002", 'E', false, 22)
      .AddSave(5, 1, "Old Puzzle Save", "SLPS-90003", 'I', true, 33)
      .AddSave(6, 1, "Puzzle Time! 2", "SCUS-90004", 'A', false, 44)
      .AddSave(7, 1, "Memory 99.9 Percent", "SLES-90005", 'E', false, 55);
  return card.Build(format);
}

}  // namespace selvane::demo
