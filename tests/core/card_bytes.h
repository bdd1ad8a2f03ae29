// What the core tests build card and save files from: byte strings put together from their parts,
// save blocks and a raw card whose bytes show any shift, and each family's header.
#pragma once

#include <initializer_list>
#include <map>

#include "core/card.h"
#include "examples/card_builder.h"

namespace selvane::testkit {

inline CardImage Cat(std::initializer_list<Bytes> parts) {
  CardImage out;
  for (Bytes p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// `n` save blocks whose first starts with "SC" and whose bytes depend on `seed`.
inline std::vector<std::uint8_t> Blocks(int n, std::uint8_t seed = 1) {
  std::vector<std::uint8_t> blocks(static_cast<std::size_t>(n) * kBlockSize);
  for (std::size_t i = 0; i < blocks.size(); ++i) blocks[i] = static_cast<std::uint8_t>(i * 13 + seed + i / 8192);
  if (!blocks.empty()) blocks[0] = 'S', blocks[1] = 'C';
  return blocks;
}

// A raw card whose fifteen save blocks hold a pattern, so that any shift or mix-up shows.
inline CardImage Raw() { return demo::CardBuilder().AddSave(1, 15, "Every Block").RawCard(); }

// The header that a format's files get when they are written from another family; none for raw.
inline Bytes TemplateOf(Format f) {
  static const std::map<Family, Bytes> templates = {{Family::Vgs, VgsHeader()},
                                                    {Family::Raw, {}},
                                                    {Family::DexDrive, DexDriveHeader()},
                                                    {Family::Psm, PsmHeader()},
                                                    {Family::Vmp, VmpHeader()}};
  return templates.at(FamilyOf(f));
}

}  // namespace selvane::testkit
