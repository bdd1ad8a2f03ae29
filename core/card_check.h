// A card's health check for collectors: everything a console or another program may trip over
// (the directory header, entry checksums, unknown statuses, broken or scattered block chains, left-over
// link blocks, two saves of one name, a save block without its "SC" mark), found without changing
// a byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/card.h"

namespace selvane {

enum class FindingKind {
  FileShape,             // the file fails the format's save check (its length, its container header, no raw card)
  HeaderMagic,           // the directory header does not start with "MC"
  HeaderChecksum,        // the directory header's checksum byte is wrong
  EntryChecksum,         // a directory entry's checksum byte is wrong
  UnknownStatus,         // a status that is neither a save's, a link's nor free
  ChainLeavesCard,       // a NextSlot points past slot 15
  ChainLoops,            // a NextSlot points back into the chain
  ChainRunsIntoFree,     // a NextSlot points at a free entry
  ChainRunsIntoDeleted,  // a NextSlot points at a deleted save's entry
  ChainRunsIntoSave,     // a NextSlot points at another save's first block
  ChainRunsIntoUnknown,  // a NextSlot points at an entry of unknown status
  SizeMismatch,          // SaveSize disagrees with the number of blocks the chain holds
  BlockCountMismatch,    // the block count in the save's own header differs from its chain's length
  NotAdjacent,           // the chain's blocks are not the lines right below the first one
  Orphan,                // a link block in use that no save's chain reaches
  DuplicateName,         // two saves in use with the same 20-character name
  NoSaveMark,            // a save's first block does not start with "SC"
};

struct CardFinding {
  int slot = 0;  // 1..15; 0 for the card as a whole
  FindingKind kind = FindingKind::FileShape;
  std::string what;  // one sentence for a collector
};

// A short stable name of each kind ("entry-checksum", "chain-leaves-card", ...) for machine output.
std::string_view FindingKey(FindingKind kind);

// Every finding on a card image of `format`, card-wide ones first, then by slot. An empty list
// means the card is clean. A short file is checked as far as it goes.
std::vector<CardFinding> CheckCard(Bytes image, Format format);

}  // namespace selvane
