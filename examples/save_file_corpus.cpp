#include "examples/save_file_corpus.h"

#include "core/single_save.h"
#include "examples/card_builder.h"

namespace selvane::demo {
namespace {

// The save on slot 1 of a card built with `blocks` blocks, as a save file would carry it.
SingleSave SaveOf(int blocks, std::string name) {
  const CardImage raw = CardBuilder().AddSave(1, blocks, "Corpus Save", "SLUS-00042").RawCard();
  SingleSave save{std::move(name), {}};
  save.blocks.assign(raw.begin() + static_cast<std::ptrdiff_t>(SaveBlockOffset(1)),
                     raw.begin() + static_cast<std::ptrdiff_t>(SaveBlockOffset(1 + blocks)));
  return save;
}

}  // namespace

std::vector<CorpusCard> GeneratedSaveFiles() {
  std::vector<CorpusCard> files;
  const std::array<std::uint8_t, psv::kSeedSize> seed{};
  for (int blocks : {1, 2, 15}) {
    const SingleSave save = SaveOf(blocks, "BASLUS-00042SAVE" + std::to_string(blocks));
    const std::string stem = "save" + std::to_string(blocks);
    files.push_back({stem + ".mcs", WriteMcs(save)});
    files.push_back({stem + ".ps1", WriteMcs(save)});
    files.push_back({stem + ".psv", WritePsv(save, seed)});
    files.push_back({save.name, WriteRawSave(save)});
    files.push_back({stem + "-" + save.name + ".srm", WriteRawSave(save)});
    std::vector<std::uint8_t> headed(kShortHeaderSize, 0);
    std::copy(save.name.begin(), save.name.end(), headed.begin());
    headed.insert(headed.end(), save.blocks.begin(), save.blocks.end());
    files.push_back({stem + ".mcb", headed});
  }
  // Refused: a whole card, sixteen blocks, a cut .psv, a .mcs without "SC".
  files.push_back({"whole-card.srm", CardBuilder().AddSave(1, 1, "Card").RawCard()});
  std::vector<std::uint8_t> sixteen = WriteRawSave(SaveOf(15, "X"));
  sixteen.insert(sixteen.end(), sixteen.begin(), sixteen.begin() + static_cast<std::ptrdiff_t>(kBlockSize));
  sixteen.resize(sixteen.size() + 1);
  files.push_back({"sixteen-blocks", sixteen});
  std::vector<std::uint8_t> cut = WritePsv(SaveOf(2, "BASLUS-1"), seed);
  cut.resize(cut.size() - 100);
  files.push_back({"cut.psv", cut});
  std::vector<std::uint8_t> noSc = WriteMcs(SaveOf(1, "BASLUS-1"));
  noSc[kMcsHeaderSize] = 'X';
  files.push_back({"no-sc.mcs", noSc});
  return files;
}

}  // namespace selvane::demo
