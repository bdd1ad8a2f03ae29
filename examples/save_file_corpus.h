// Single save files built in code, as fuzzing seeds and for robustness runs: every kind Selvane
// reads (.mcs, .ps1, .psv, the 54-byte header, raw with and without an extension, .srm), of one, two
// and fifteen blocks, and a few that every reader refuses.
#pragma once

#include <vector>

#include "examples/card_corpus.h"

namespace selvane::demo {

// The same files on every call; the names' extensions give the kinds.
std::vector<CorpusCard> GeneratedSaveFiles();

}  // namespace selvane::demo
