#include "examples/card_corpus.h"

#include <algorithm>

#include "examples/card_builder.h"
#include "examples/demo_cards.h"

namespace selvane::demo {
namespace {

void Seal(CardImage& raw, int slot) {
  const std::size_t at = SlotEntryOffset(slot);
  raw[at + kEntryChecksum] = FrameChecksum(Bytes(raw).subspan(at, kFrameSize));
}

CardImage FullCard() {
  CardBuilder card;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    card.AddSave(slot, 1, "Full Card Save " + std::to_string(slot), "SLUS-1000" + std::to_string(slot % 10),
                 "AEI"[slot % 3], slot % 4 == 0, static_cast<std::uint8_t>(slot));
  }
  return card.RawCard();
}

CardImage Chains() {
  return CardBuilder()
      .AddSave(1, 3, "Three Blocks", "SLES-20001", 'E', false, 3)
      .AddSave(4, 5, "Five Blocks Deleted", "SLES-20002", 'E', true, 5)
      .AddSave(9, 2, "Two Blocks", "SCUS-20003", 'A', false, 2)
      .AddSave(13, 3, "Ends On Slot 15", "SLPS-20004", 'I', false, 7)
      .RawCard();
}

// Statuses outside the table, link entries without a first entry, a link in slot 1.
CardImage OddStatuses() {
  CardBuilder card;
  card.AddSave(2, 2, "Odd Neighbours", "SLUS-30001");
  card.SetStatus(1, status::kLinkS);
  const std::uint8_t odd[] = {0x00, 0xFF, 0x50, 0xA4, 0x54, 0x01, 0x5F, 0xAF, 0x11, 0xA0, 0x52, 0xA2};
  for (int slot = 4; slot <= kSlotCount; ++slot)
    card.SetStatus(slot, odd[static_cast<std::size_t>(slot - 4) % std::size(odd)]);
  // Free-looking statuses that still carry a game ID pattern, so the list shows them.
  CardImage& raw = card.Raw();
  for (int slot : {5, 8, 14}) {
    const std::size_t at = SlotEntryOffset(slot) + kEntryGameId;
    const char* id = "SLUS-40404";
    std::copy(id, id + kGameIdLength, raw.begin() + static_cast<std::ptrdiff_t>(at));
    Seal(raw, slot);
    raw[SaveBlockOffset(slot) + kTitleFirstTrailByte] = TrailByteFor('Z');
    raw[SaveBlockOffset(slot) + kTitleFirstTrailByte + 2] = 0;
  }
  return raw;
}

// Entries whose checksums are wrong and whose NextSlot points nowhere.
CardImage BrokenChecksums() {
  CardBuilder card;
  card.AddSave(1, 4, "Bad Checksums", "SLES-50001", 'E');
  card.AddSave(7, 1, "Wild Next Slot", "SLES-50002", 'E');
  CardImage& raw = card.Raw();
  for (int slot : {1, 3, 7}) raw[SlotEntryOffset(slot) + kEntryChecksum] ^= 0x5A;
  WriteLe16(raw, SlotEntryOffset(7) + kEntryNextSlot, 0x033D);
  raw[SlotEntryOffset(7) + 4] = 0xFF;  // a huge SaveSize
  raw[SlotEntryOffset(7) + 7] = 0x7F;
  return raw;
}

// Titles at their limits: 30 characters, blanks only, an immediate terminator, every trail byte.
CardImage Titles() {
  CardBuilder card;
  card.AddSave(1, 1, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "SLUS-60001");
  card.AddSave(2, 1, "          ", "SLUS-60002");
  card.AddSave(3, 1, "", "SLUS-60003");
  card.AddSave(4, 1, "Deleted Blank", "SLUS-60004", 'A', true);
  card.AddSave(5, 1, "No Id Here", "SLUS-6000X");
  CardImage& raw = card.Raw();
  const std::size_t block = SaveBlockOffset(4);
  for (std::size_t at = kTitleFirstTrailByte; at <= kTitleLastTrailByte; at += 2) raw[block + at] = 0x40;
  for (int slot = 6; slot <= kSlotCount; ++slot) {
    card.AddSave(slot, 1, "x", "SLPM-7000" + std::to_string(slot % 10), 'I', false, static_cast<std::uint8_t>(slot));
    const std::size_t title = SaveBlockOffset(slot);
    for (std::size_t at = kTitleFirstTrailByte; at <= kTitleLastTrailByte; at += 2) {
      raw[title + at] = static_cast<std::uint8_t>(0x1F + (slot - 6) * 30 + static_cast<int>(at));
    }
  }
  return raw;
}

CardImage Erased() {
  CardImage raw = CardBuilder().AddSave(1, 2, "Before The Erase", "SLUS-80001").RawCard();
  std::fill(raw.begin() + static_cast<std::ptrdiff_t>(SaveBlockOffset(6)), raw.end(), 0xFF);
  return raw;
}

std::string Name(std::string_view stem, Format format) { return std::string(stem) + std::string(FormatKey(format)); }

}  // namespace

std::vector<CorpusCard> CorpusRawCards() {
  return {{"empty", EmptyCard()},
          {"demo", *ExtractRawCard(DemoCard(Format::Mcr), Format::Mcr)},
          {"full", FullCard()},
          {"chains", Chains()},
          {"odd-statuses", OddStatuses()},
          {"bad-checksums", BrokenChecksums()},
          {"titles", Titles()},
          {"erased", Erased()}};
}

std::vector<CorpusCard> GeneratedCorpus() {
  std::vector<CorpusCard> corpus;
  const auto raws = CorpusRawCards();
  // Every card of the corpus comes in each container family. The raw family's extensions differ
  // in their name only, so its cards take them in turn, and each extension still comes up.
  constexpr Format kRawExtensions[] = {Format::Mcr, Format::Mcd, Format::Ddf, Format::Ps, Format::Srm, Format::Vm1};
  std::size_t turn = 0;
  for (const Format container : {Format::Mem, Format::Gme, Format::Psx, Format::Vmp, Format::Mcr}) {
    const auto next = [&] {
      return FamilyOf(container) == Family::Raw ? kRawExtensions[turn++ % std::size(kRawExtensions)] : container;
    };
    for (const auto& raw : raws) {
      const Format format = next();
      corpus.push_back({Name(raw.name, format), *BuildFileContent(raw.bytes, Format::Mcr, format)});
    }
    // Short files: cut inside the container header, the directory, a title frame and the last block.
    const CardImage chains = *BuildFileContent(raws[3].bytes, Format::Mcr, container);
    const std::size_t offset = DataOffset(chains, container).value_or(0);
    for (std::size_t keep : {std::size_t{1}, std::size_t{63}, offset + 2, offset + 700, offset + 2047,
                             offset + SaveBlockOffset(1) + 40, offset + SaveBlockOffset(8), chains.size() - 1}) {
      keep = std::min(keep, chains.size() - 1);
      corpus.push_back({Name("short-" + std::to_string(keep), next()),
                        CardImage(chains.begin(), chains.begin() + static_cast<std::ptrdiff_t>(keep))});
    }
    // One byte too long, and a card followed by a second card.
    CardImage longer = chains;
    longer.push_back(0x00);
    corpus.push_back({Name("long-1", next()), longer});
    CardImage doubled(longer.size() + chains.size(), 0);
    std::copy(longer.begin(), longer.end(), doubled.begin());
    std::copy(chains.begin(), chains.end(), doubled.begin() + static_cast<std::ptrdiff_t>(longer.size()));
    corpus.push_back({Name("doubled", next()), doubled});
  }
  // Containers whose headers say something else than the templates.
  CardImage mem = *BuildFileContent(raws[1].bytes, Format::Mcr, Format::Mem);
  mem[12] = 0x03;
  corpus.push_back({"bad-header.mem", mem});
  CardImage psx = *BuildFileContent(raws[1].bytes, Format::Mcr, Format::Psx);
  psx[2] = 'X';
  corpus.push_back({"bad-header.psx", psx});
  CardImage raw = raws[1].bytes;
  raw[1] = 'X';
  corpus.push_back({"no-magic.mcr", raw});
  // DexDrive images: raw card at other offsets, an accidental pattern in the header, none at all,
  // a pattern so near the end that the raw card is mostly missing.
  const CardImage& demoRaw = raws[1].bytes;
  for (std::size_t headerSize : {std::size_t{0}, std::size_t{17}, std::size_t{3903}, std::size_t{5000}}) {
    CardImage gme(headerSize, 0x20);
    gme.insert(gme.end(), demoRaw.begin(), demoRaw.end());
    corpus.push_back({"offset-" + std::to_string(headerSize) + ".gme", gme});
  }
  CardImage early = *BuildFileContent(demoRaw, Format::Mcr, Format::Gme);
  const std::uint8_t magic[] = {'M', 'C', 0, 0, 0, 0};
  std::copy(std::begin(magic), std::end(magic), early.begin() + 100);
  corpus.push_back({"early-pattern.gme", early});
  CardImage none = *BuildFileContent(demoRaw, Format::Mcr, Format::Gme);
  none[kDexDriveHeaderSize + 1] = 'X';
  corpus.push_back({"no-pattern.gme", none});
  CardImage tail(200, 0);
  std::copy(std::begin(magic), std::end(magic), tail.begin() + 150);
  corpus.push_back({"pattern-at-end.gme", tail});
  // Names that no format has, and a ".ps" name in capitals.
  corpus.push_back({"demo.bin", demoRaw});
  corpus.push_back({"DEMO.PS", demoRaw});
  corpus.push_back({"demo.MCR", demoRaw});
  return corpus;
}

}  // namespace selvane::demo
