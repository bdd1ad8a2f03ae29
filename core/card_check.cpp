#include "core/card_check.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "core/save_chain.h"

namespace selvane {
namespace {

struct KindText {
  FindingKind kind;
  std::string_view key;
};
constexpr KindText kKindKeys[] = {
    {FindingKind::FileShape, "file-shape"},
    {FindingKind::HeaderMagic, "header-magic"},
    {FindingKind::HeaderChecksum, "header-checksum"},
    {FindingKind::EntryChecksum, "entry-checksum"},
    {FindingKind::UnknownStatus, "unknown-status"},
    {FindingKind::ChainLeavesCard, "chain-leaves-card"},
    {FindingKind::ChainLoops, "chain-loops"},
    {FindingKind::ChainRunsIntoFree, "chain-runs-into-free"},
    {FindingKind::ChainRunsIntoDeleted, "chain-runs-into-deleted"},
    {FindingKind::ChainRunsIntoSave, "chain-runs-into-other-save"},
    {FindingKind::ChainRunsIntoUnknown, "chain-runs-into-unknown"},
    {FindingKind::SizeMismatch, "size-mismatch"},
    {FindingKind::BlockCountMismatch, "block-count-mismatch"},
    {FindingKind::NotAdjacent, "not-adjacent"},
    {FindingKind::Orphan, "orphan-link"},
    {FindingKind::DuplicateName, "duplicate-name"},
    {FindingKind::NoSaveMark, "no-sc-mark"},
};

template <typename... Args>
std::string Say(const char* format, Args... args) {
  char text[256];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

// Bytes as a collector can read them: printable ASCII as it is, anything else as \xNN; trailing
// zero bytes (the padding of a name) left out.
std::string Printable(Bytes bytes, bool trimZeros) {
  while (trimZeros && !bytes.empty() && bytes.back() == 0) bytes = bytes.first(bytes.size() - 1);
  std::string text;
  for (std::uint8_t b : bytes) {
    if (b >= 0x20 && b < 0x7F && b != '\\' && b != '"') {
      text += static_cast<char>(b);
    } else {
      text += Say("\\x%02X", b);
    }
  }
  return text;
}

bool StartsWith(Bytes bytes, std::span<const std::uint8_t, 2> mark) {
  return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
}

bool IsDeletedStatus(std::uint8_t s) { return s >= status::kDeletedFirst && s <= status::kDeletedLinkS; }
bool IsKnownStatus(std::uint8_t s) { return IsSaveStatus(s) || s == status::kFree; }

struct Entry {
  bool present = false;  // the whole frame lies inside the file
  Bytes frame;
  std::uint8_t status = 0;
  std::uint16_t next = 0;
};

class Checker {
 public:
  explicit Checker(Bytes raw) : raw_(raw) {
    for (int slot = 1; slot <= kSlotCount; ++slot) {
      Entry& e = entries_[static_cast<std::size_t>(slot)];
      e.frame = ClipRead(raw_, SlotEntryOffset(slot), kFrameSize);
      e.present = e.frame.size() == kFrameSize;
      e.status = ByteAt(e.frame, kEntryStatus);
      e.next = ReadLe16(e.frame, kEntryNextSlot);
    }
  }

  std::vector<CardFinding> Run() {
    CheckHeader();
    for (int slot = 1; slot <= kSlotCount; ++slot) CheckEntry(slot);
    for (int slot = 1; slot <= kSlotCount; ++slot) {
      if (At(slot).present && At(slot).status == status::kFirst) CheckSave(slot);
    }
    for (int slot = 1; slot <= kSlotCount; ++slot) {
      const Entry& e = At(slot);
      if (e.present && (e.status == status::kLinkR || e.status == status::kLinkS) && !reached_[Index(slot)]) {
        Add(slot, FindingKind::Orphan,
            "a link block that no save's chain reaches: it takes a block of the card but belongs to no save");
      }
    }
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const CardFinding& a, const CardFinding& b) { return a.slot < b.slot; });
    return std::move(findings_);
  }

 private:
  static std::size_t Index(int slot) { return static_cast<std::size_t>(slot); }
  const Entry& At(int slot) const { return entries_[Index(slot)]; }
  void Add(int slot, FindingKind kind, std::string what) { findings_.push_back({slot, kind, std::move(what)}); }

  void CheckHeader() {
    const Bytes header = ClipRead(raw_, 0, kFrameSize);
    if (header.size() < kFrameSize) return;  // the file's length was reported already
    if (!StartsWith(header, kCardMark)) {
      Add(0, FindingKind::HeaderMagic,
          "the card's directory header does not start with \"MC\" (it starts with \"" +
              Printable(header.first(2), false) + "\"): consoles treat the card as unformatted");
    }
    const std::uint8_t expected = FrameChecksum(header);
    if (header[kEntryChecksum] != expected) {
      Add(0, FindingKind::HeaderChecksum,
          Say("the card's directory header has checksum 0x%02X where 0x%02X is right", header[kEntryChecksum],
              expected));
    }
  }

  void CheckEntry(int slot) {
    const Entry& e = At(slot);
    if (!e.present) return;
    const std::uint8_t expected = FrameChecksum(e.frame);
    if (e.frame[kEntryChecksum] != expected) {
      Add(slot, FindingKind::EntryChecksum,
          Say("directory entry checksum is 0x%02X where 0x%02X is right; a console may show the slot as "
              "corrupted",
              e.frame[kEntryChecksum], expected));
    }
    if (!IsKnownStatus(e.status)) {
      Add(slot, FindingKind::UnknownStatus,
          Say("unknown status 0x%02X: the entry is neither a save, a link block nor free", e.status));
    }
  }

  // Follows the NextSlot chain of the save whose first block is `first`.
  void CheckSave(int first) {
    const SaveChain chain = FollowChain(raw_, 0, first);
    for (std::size_t i = 1; i < chain.slots.size(); ++i) reached_[Index(chain.slots[i])] = true;
    const int from = chain.slots.back();
    const int to = chain.next + 1;
    switch (chain.stop) {
      case ChainStop::Ended:
        CheckWholeSave(first, chain.slots);
        break;
      case ChainStop::LeavesCard:
        Add(first, FindingKind::ChainLeavesCard,
            Say("the save's chain leaves the card: slot %d points to block %u (NextSlot 0x%04X), past slot 15", from,
                chain.next + 1u, chain.next));
        break;
      case ChainStop::Loops:
        Add(first, FindingKind::ChainLoops, Say("the save's chain loops: slot %d points back to slot %d", from, to));
        break;
      case ChainStop::PastImage:  // past the end of a short file, whose length was reported
        break;
      case ChainStop::NotALink: {
        auto [kind, why] = BreakOf(chain.status);
        Add(first, kind, Say("the save's chain runs from slot %d into slot %d, ", from, to) + why);
        break;
      }
    }
    CheckName(first);
    const Bytes mark = ClipRead(raw_, SaveBlockOffset(first), kSaveMark.size());
    if (mark.size() == kSaveMark.size() && !StartsWith(mark, kSaveMark)) {
      Add(first, FindingKind::NoSaveMark,
          "the save's first block does not start with \"SC\" (it starts with \"" + Printable(mark, false) +
              "\"): the console does not take it for a save");
    }
  }

  // Why a chain of a save in use may not continue into an entry of status `s` (any status but an
  // in-use link's).
  static std::pair<FindingKind, std::string> BreakOf(std::uint8_t s) {
    if (s == status::kFree) return {FindingKind::ChainRunsIntoFree, "which is free"};
    if (IsDeletedStatus(s)) return {FindingKind::ChainRunsIntoDeleted, "which belongs to a deleted save"};
    if (s == status::kFirst) return {FindingKind::ChainRunsIntoSave, "which is the first block of another save"};
    return {FindingKind::ChainRunsIntoUnknown, Say("whose status 0x%02X is unknown", s)};
  }

  void CheckWholeSave(int first, const std::vector<int>& chain) {
    const std::uint32_t size = ReadLe32(At(first).frame, kEntrySaveSize);
    const std::size_t chainBytes = chain.size() * kBlockSize;
    const Bytes header = ClipRead(raw_, SaveBlockOffset(first), kTitleBlockCount + 1);
    if (header.size() == kTitleBlockCount + 1 && StartsWith(header, kSaveMark) &&
        header[kTitleBlockCount] != chain.size()) {
      Add(first, FindingKind::BlockCountMismatch,
          Say("the save's own header says it takes %u block(s) but the directory chains %zu; a program that trusts "
              "the header copies or frees the wrong blocks",
              header[kTitleBlockCount], chain.size()));
    }
    if (size != chainBytes) {
      Add(first, FindingKind::SizeMismatch,
          Say("the save's size is given as %u bytes but its chain holds %zu block(s) (%zu bytes)", size, chain.size(),
              chainBytes));
    }
    for (std::size_t i = 0; i < chain.size(); ++i) {
      if (chain[i] == first + static_cast<int>(i)) continue;
      std::string slots;
      for (int slot : chain) slots += (slots.empty() ? "" : ", ") + std::to_string(slot);
      Add(first, FindingKind::NotAdjacent,
          "the save's blocks are on slots " + slots +
              ", not on the lines right below its first one; a transfer copies adjacent lines, so it would not "
              "copy this save whole");
      break;
    }
  }

  void CheckName(int first) {
    const Bytes name = ClipRead(At(first).frame, kEntrySaveName, kSaveNameLength);
    for (int earlier = 1; earlier < first; ++earlier) {
      const Entry& e = At(earlier);
      if (!e.present || e.status != status::kFirst) continue;
      const Bytes other = ClipRead(e.frame, kEntrySaveName, kSaveNameLength);
      if (std::equal(name.begin(), name.end(), other.begin(), other.end())) {
        Add(first, FindingKind::DuplicateName,
            "the save has the same name \"" + Printable(name, true) + "\" as the save in slot " +
                std::to_string(earlier) + "; a game sees only one of them");
        return;
      }
    }
  }

  Bytes raw_;
  std::array<Entry, kSlotCount + 1> entries_{};
  std::array<bool, kSlotCount + 1> reached_{};
  std::vector<CardFinding> findings_;
};

}  // namespace

std::string_view FindingKey(FindingKind kind) {
  for (const KindText& k : kKindKeys) {
    if (k.kind == kind) return k.key;
  }
  return "unknown";
}

std::vector<CardFinding> CheckCard(Bytes image, Format format) {
  std::vector<CardFinding> findings;
  const SaveCheck size = CheckForSave(image, format);
  if (!size.ok) {
    findings.push_back({0, FindingKind::FileShape,
                        "the file is no well-formed " + std::string(FormatKey(format)) + " card: " + size.problem});
  }
  const auto offset = DataOffset(image, format);
  if (!offset) return findings;  // a DexDrive file without a raw card: its save check said so
  std::vector<CardFinding> rest = Checker(ClipRead(image, *offset, kRawCardSize)).Run();
  findings.insert(findings.end(), std::make_move_iterator(rest.begin()), std::make_move_iterator(rest.end()));
  return findings;
}

}  // namespace selvane
