// Writes the generated card corpus (every container format, short files, odd statuses) into a
// folder, for robustness runs of selvane-cli; with --saves, the generated single save files instead.
// Usage: make_card_corpus [--saves] OUTPUT_FOLDER
#include <cstdio>
#include <string>

#include "core/file_io.h"
#include "examples/card_corpus.h"
#include "examples/save_file_corpus.h"

int main(int argc, char** argv) {
  const bool saves = argc == 3 && std::string(argv[1]) == "--saves";
  if (argc != 2 && !saves) {
    std::fprintf(stderr, "usage: make_card_corpus [--saves] OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string folder = argv[argc - 1];
  int count = 0;
  for (const auto& card : saves ? selvane::demo::GeneratedSaveFiles() : selvane::demo::GeneratedCorpus()) {
    const std::string path = folder + "/" + card.name;
    const auto written = selvane::WriteFileAtomic(path, card.bytes);
    if (!written.ok) {
      std::fprintf(stderr, "%s: %s\n", path.c_str(), written.reason.c_str());
      return 1;
    }
    ++count;
  }
  std::printf("%d %s written to %s\n", count, saves ? "save files" : "cards", folder.c_str());
  return 0;
}
