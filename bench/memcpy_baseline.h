// The yardstick every benchmark here is read against: a plain memcpy of one card image, run in the
// same process as what it is compared with, so that their ratio is measured on one machine state.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>

#include "core/card.h"

namespace selvane::bench {

inline void CopyCardImage(benchmark::State& state, const CardImage& source) {
  CardImage target(source.size());
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(source.size()));
}

}  // namespace selvane::bench
