// Loading a card file, building the 15 list lines of a full card, and building a converted file
// in memory, each beside a plain memcpy of one raw card (131072 bytes).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/memcpy_baseline.h"
#include "core/file_io.h"
#include "examples/card_builder.h"
#include "slots/slot_list.h"

namespace selvane {
namespace {

CardImage FullCard() {
  demo::CardBuilder card;
  for (int slot = 1; slot <= kSlotCount; slot += 3) card.AddSave(slot, 3, "Benchmark Save Title Full Width");
  return card.RawCard();
}

void BM_Memcpy131072(benchmark::State& state) { bench::CopyCardImage(state, FullCard()); }
BENCHMARK(BM_Memcpy131072);

void BM_LoadCardFile(benchmark::State& state) {
  const auto path = (std::filesystem::temp_directory_path() / "selvane-bench-load.gme").string();
  WriteFileAtomic(path, *BuildFileContent(FullCard(), Format::Mcr, Format::Gme));
  for (auto _ : state) {
    ReadResult read = ReadCardFile(path);
    benchmark::DoNotOptimize(read.bytes.data());
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_LoadCardFile);

void BM_BuildSlotLinesFullCard(benchmark::State& state) {
  const CardImage card = FullCard();
  for (auto _ : state) {
    auto listing = BuildSlotLines("bench.mcr", card);
    benchmark::DoNotOptimize(listing);
  }
}
BENCHMARK(BM_BuildSlotLinesFullCard);

void BM_ConvertInMemory(benchmark::State& state) {
  const CardImage gme = *BuildFileContent(FullCard(), Format::Mcr, Format::Gme);
  std::vector<std::uint8_t> content;
  for (auto _ : state) {
    BuildFileContentInto(gme, Format::Gme, Format::Mem, content);
    benchmark::DoNotOptimize(content.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ConvertInMemory);

}  // namespace
}  // namespace selvane

BENCHMARK_MAIN();
