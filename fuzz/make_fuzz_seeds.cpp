// Writes seed inputs for the fuzz targets, built from the generated card corpus, into
// OUTPUT_FOLDER/<target>/. The seeds are made fresh for each run and never kept in the project.
// Usage: make_fuzz_seeds OUTPUT_FOLDER
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "examples/card_corpus.h"
#include "fuzz/fuzz_support.h"

namespace {

using selvane::CardImage;
using selvane::Format;
namespace fs = std::filesystem;

int written = 0;

bool Write(const fs::path& folder, const std::string& name, const std::vector<std::uint8_t>& bytes) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  const auto result = selvane::WriteFileAtomic((folder / name).string(), bytes);
  if (!result.ok) std::fprintf(stderr, "%s: %s\n", (folder / name).c_str(), result.reason.c_str());
  written += result.ok ? 1 : 0;
  return result.ok;
}

// The index into fuzz::kPaths of a path of the card's format (card.bin when it has none).
std::uint8_t PathIndexFor(const std::string& name) {
  const auto format = selvane::FormatFromPath(name);
  for (std::uint8_t i = 0; format && i < 7; ++i) {
    if (selvane::FormatFromPath(selvane::fuzz::kPaths[i]) == format) return i;
  }
  return 12;
}

void Append(std::vector<std::uint8_t>& to, selvane::Bytes bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

void SlotListSeeds(const fs::path& out) {
  for (const auto& card : selvane::demo::GeneratedCorpus()) {
    std::vector<std::uint8_t> seed{PathIndexFor(card.name)};
    Append(seed, card.bytes);
    Write(out, card.name, seed);
  }
  // Built cards changed by patches: statuses, game IDs, title bytes, a cut-off image.
  const std::uint8_t patches[][3] = {{0x01, 0x00, 0xA1}, {0x02, 0x00, 0x52}, {0x13, 0x05, 0x60},
                                     {0x14, 0x05, 0x00}, {0x05, 0x11, 0x39}, {0x31, 0x80, 0x10}};
  for (std::uint8_t base = 0; base < 8; ++base) {
    for (std::uint8_t format = 0; format < 7; ++format) {
      std::vector<std::uint8_t> seed{static_cast<std::uint8_t>(0x20 | format), base, format};
      for (const auto& p : patches) seed.insert(seed.end(), std::begin(p), std::end(p));
      Write(out, "patched-" + std::to_string(base) + "-" + std::to_string(format), seed);
    }
  }
}

void ConversionSeeds(const fs::path& out) {
  for (const auto& raw : selvane::demo::CorpusRawCards()) {
    for (std::uint8_t source = 0; source < 7; ++source) {
      std::vector<std::uint8_t> seed{source, 0x01, 0x00, 0x00};
      Append(seed, raw.bytes);
      Write(out, raw.name + "-" + std::to_string(source), seed);
    }
    // DexDrive images with a header of their own, short by some bytes.
    std::vector<std::uint8_t> seed{3, 0x07, 0x11, 0x00};
    seed.insert(seed.end(), 0x11, 0x41);
    seed.push_back(0xE8);
    seed.push_back(0x03);
    Append(seed, raw.bytes);
    Write(out, raw.name + "-dexdrive-short", seed);
  }
}

// Two cards and a few operations on them: selections, copy, move with a replace, toggle, edit,
// compare, save, delete, clear.
void OperationSeeds(const fs::path& out) {
  const std::vector<std::vector<std::uint8_t>> scripts = {
      // select slot 1 on pane 0, nothing on pane 1, copy 0 -> 1, delete on pane 0
      {0x00, 0x01, 0x10, 0x00, 0x01, 0x02},
      // select line 1 and line 0, move 0 -> 1 answering Yes, compare
      {0x00, 0x02, 0x10, 0x01, 0x51, 0x06},
      // toggle on both panes, compare, save both
      {0x00, 0x05, 0x04, 0x10, 0x03, 0x14, 0x06, 0x07, 0x17},
      // edit line 1 of pane 0: EUR, "SLES-12345"; save
      {0x00, 0x02, 0x05, 0x02, 0x0A, 'S', 'L', 'E', 'S', '-', '1', '2', '3', '4', '5', 0x07},
      // delete, clear, reload pane 0 with a changed status, copy 1 -> 0 answering No
      {0x00, 0x07, 0x02, 0x10, 0x03, 0x12, 0x13, 0x08, 0x02, 0x00, 0x53, 0x10, 0x02, 0x21},
  };

  const std::uint8_t pairs[][2] = {{0, 0}, {1, 0}, {3, 2}, {2, 6}, {5, 4}, {7, 1}, {4, 3}, {6, 5}};
  int n = 0;
  for (const auto& script : scripts) {
    for (const auto& pair : pairs) {
      for (std::uint8_t format = 0; format < 7; format += 2) {
        std::vector<std::uint8_t> seed;
        for (int pane = 0; pane < 2; ++pane) {
          const auto path = static_cast<std::uint8_t>((format + pane * 3) % 7);
          seed.insert(seed.end(), {path, pair[pane], path, 0});
        }
        seed.insert(seed.end(), script.begin(), script.end());
        Write(out, "ops-" + std::to_string(n++), seed);
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds OUTPUT_FOLDER\n");
    return 2;
  }
  const fs::path folder = argv[1];
  SlotListSeeds(folder / "slot_list");
  ConversionSeeds(folder / "conversion");
  OperationSeeds(folder / "operations");
  std::printf("%d seeds written to %s\n", written, folder.c_str());
  return 0;
}
