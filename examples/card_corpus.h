// A corpus of card files built in code for robustness runs and fuzzing seeds: every container
// format, well-formed cards of many shapes, short and long files, odd statuses, broken checksums,
// DexDrive images with their raw card at unusual offsets or without one.
#pragma once

#include <string>
#include <vector>

#include "core/card.h"

namespace selvane::demo {

struct CorpusCard {
  std::string name;  // a file name whose extension gives the format, e.g. "chains.gme"
  CardImage bytes;
};

// The same corpus on every call (no randomness), a few hundred files of at most ~135 KiB each.
std::vector<CorpusCard> GeneratedCorpus();

// The raw cards (131072 bytes each) the corpus wraps in every format, with a short name.
std::vector<CorpusCard> CorpusRawCards();

}  // namespace selvane::demo
