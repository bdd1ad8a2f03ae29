// The slot operations against a plain copy of a whole raw card (131072 bytes): a 15-block save
// copied between two cards, and Clear All on a full card.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/memcpy_baseline.h"
#include "examples/card_builder.h"
#include "slots/operations.h"

namespace selvane {
namespace {

Pane ListedPane(Format format, CardImage image) {
  SilentPort port;
  Pane pane;
  pane.path = "card" + std::string(FormatKey(format));
  pane.image = std::move(image);
  RefreshSlots(pane, port);
  return pane;
}

void BM_Memcpy131072(benchmark::State& state) { bench::CopyCardImage(state, CardImage(kRawCardSize, 0x5A)); }
BENCHMARK(BM_Memcpy131072);

// A 15-block save copied from one card into an empty card of the given format. Resetting the
// target between iterations is a copy of its image, timed apart and not counted.
template <Format From, Format To>
void BM_CopySlot15Blocks(benchmark::State& state) {
  SilentPort port;
  Pane source = ListedPane(From, demo::CardBuilder().AddSave(1, 15, "FIFTEEN BLOCKS").Build(From));
  const Pane emptyTarget = ListedPane(To, demo::CardBuilder().Build(To));
  Pane target = emptyTarget;
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(target.image.data(), emptyTarget.image.data(), target.image.size());
    target.lines = emptyTarget.lines;
    target.cardModified = false;
    source.selected = 0;
    state.ResumeTiming();
    CopySlot(source, target, false, port);
    benchmark::DoNotOptimize(target.image.data());
  }
  if (!target.cardModified) state.SkipWithError("the save was not copied");
}
BENCHMARK(BM_CopySlot15Blocks<Format::Mcr, Format::Mcr>)->Name("BM_CopySlot15Blocks/mcr_to_mcr");
BENCHMARK(BM_CopySlot15Blocks<Format::Mem, Format::Gme>)->Name("BM_CopySlot15Blocks/mem_to_gme");

// Clear All on a card whose 15 slots all hold saves.
template <Format F>
void BM_ClearAllSlots(benchmark::State& state) {
  SilentPort port;
  const Pane full =
      ListedPane(F, demo::CardBuilder().AddSave(1, 5, "A").AddSave(6, 1, "B").AddSave(7, 9, "C").Build(F));
  Pane pane = full;
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(pane.image.data(), full.image.data(), pane.image.size());
    pane.lines = full.lines;
    state.ResumeTiming();
    ClearAllSlots(pane, port);
    benchmark::DoNotOptimize(pane.image.data());
  }
  if (!pane.cardModified) state.SkipWithError("the card was not cleared");
}
BENCHMARK(BM_ClearAllSlots<Format::Mcr>)->Name("BM_ClearAllSlots/mcr");
BENCHMARK(BM_ClearAllSlots<Format::Gme>)->Name("BM_ClearAllSlots/gme");

}  // namespace
}  // namespace selvane

BENCHMARK_MAIN();
