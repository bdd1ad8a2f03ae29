// Reading the details of all 15 slots of a full card (titles decoded through selvane-cli's code
// page 932 decoder, icons expanded to RGBA), beside a plain memcpy of one raw card (131072
// bytes). The two run in one process, so their ratio is measured on the same machine state.
#include <benchmark/benchmark.h>

#include "bench/memcpy_baseline.h"
#include "codec/cp932_decoder.h"
#include "examples/card_builder.h"
#include "slots/save_details.h"

namespace selvane {
namespace {

// Fifteen one-block saves, each with a 64-byte Japanese title and a three-frame icon.
CardImage FullCard() {
  demo::CardBuilder card;
  std::vector<demo::CardBuilder::IconFrame> frames(3);
  for (std::size_t f = 0; f < frames.size(); ++f) {
    for (std::size_t i = 0; i < 256; ++i) frames[f][i] = static_cast<std::uint8_t>((i + f) % 16);
  }
  std::array<std::uint16_t, 16> palette{};
  for (std::size_t c = 0; c < palette.size(); ++c) palette[c] = static_cast<std::uint16_t>(c * 0x0842);
  std::string title;
  while (title.size() < 64) title += "\x83\x5A\x81\x5B\x83\x75\x90\x58";  // katakana and kanji
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    card.AddSave(slot, 1, "X", "SLPS-00001", 'I').SetTitleBytes(slot, title).SetIcon(slot, palette, frames);
  }
  return card.RawCard();
}

void BM_Memcpy131072(benchmark::State& state) { bench::CopyCardImage(state, FullCard()); }
BENCHMARK(BM_Memcpy131072);

void BM_SaveDetailsFullCard(benchmark::State& state) {
  const CardImage card = FullCard();
  const Cp932Decoder decoder;
  for (auto _ : state) {
    for (int slot = 1; slot <= kSlotCount; ++slot) {
      const SaveDetails details = ReadSaveDetails(card, 0, slot, decoder);
      for (int f = 0; f < details.icon.frames; ++f) {
        const auto rgba = details.icon.FrameRgba(f);
        benchmark::DoNotOptimize(rgba.data());
      }
      benchmark::DoNotOptimize(details.title.data());
    }
  }
}
BENCHMARK(BM_SaveDetailsFullCard);

// The details alone, as a line's card or info reads them: titles decoded, icons as palette and
// indices, without the RGBA pixels of every frame.
void BM_SaveDetailsFullCardNoPixels(benchmark::State& state) {
  const CardImage card = FullCard();
  const Cp932Decoder decoder;
  for (auto _ : state) {
    for (int slot = 1; slot <= kSlotCount; ++slot) {
      const SaveDetails details = ReadSaveDetails(card, 0, slot, decoder);
      benchmark::DoNotOptimize(details.title.data());
      benchmark::DoNotOptimize(details.icon.indices.data());
    }
  }
}
BENCHMARK(BM_SaveDetailsFullCardNoPixels);

}  // namespace
}  // namespace selvane

BENCHMARK_MAIN();
