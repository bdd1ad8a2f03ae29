// Writes the generated card corpus (every container format, short files, odd statuses) into a
// folder, for robustness runs of selvane-cli.
// Usage: make_card_corpus OUTPUT_FOLDER
#include <cstdio>
#include <string>

#include "core/file_io.h"
#include "examples/card_corpus.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_card_corpus OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  int count = 0;
  for (const auto& card : selvane::demo::GeneratedCorpus()) {
    const std::string path = folder + "/" + card.name;
    const auto written = selvane::WriteFileAtomic(path, card.bytes);
    if (!written.ok) {
      std::fprintf(stderr, "%s: %s\n", path.c_str(), written.reason.c_str());
      return 1;
    }
    ++count;
  }
  std::printf("%d cards written to %s\n", count, folder.c_str());
  return 0;
}
