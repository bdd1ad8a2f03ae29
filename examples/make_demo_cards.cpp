// Writes the bundled demo cards: examples/demo.mcr and examples/demo.gme.
// Usage: make_demo_cards OUTPUT_FOLDER
#include <cstdio>
#include <string>

#include "core/file_io.h"
#include "examples/demo_cards.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo_cards OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  const selvane::CardImage mcr = selvane::demo::DemoCard(selvane::Format::Mcr);
  const selvane::CardImage gme = selvane::demo::DemoCard(selvane::Format::Gme);
  for (const auto& [name, bytes] : {std::pair{"/demo.mcr", &mcr}, std::pair{"/demo.gme", &gme}}) {
    const auto written = selvane::WriteFileAtomic(folder + name, *bytes);
    if (!written.ok) {
      std::fprintf(stderr, "%s%s: %s\n", folder.c_str(), name, written.reason.c_str());
      return 1;
    }
  }
  return 0;
}
