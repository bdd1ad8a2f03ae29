// Sequences of slot operations on two cards: copy and move with any selections and any answer to
// the replace question, delete, clear, the deleted-mark toggle, the identity edit, the comparison,
// and the save in every format, decoded from the fuzzer's bytes. After each step:
//   - neither image changed its length;
//   - every directory entry an operation wrote has a valid checksum (or is a frame copied byte for
//     byte, or one the toggle flipped, which keeps its checksum as valid or invalid as it was);
//   - a refused operation changed neither image nor CardModified;
//   - a transfer that succeeded left a NextSlot chain that leads through the blocks it wrote;
//   - a rebuilt list is the list of the image as it now is.
//
// Input: for each pane [path] [base card] [container] [patch count] [patches], then operations of
// one to fourteen bytes each: the low four bits of the first byte pick the operation, the high
// ones its pane and options (see the operations below).
#include <algorithm>
#include <array>
#include <deque>

#include "fuzz/fuzz_support.h"
#include "slots/operations.h"
#include "slots/slot_list.h"

namespace selvane::fuzz {
namespace {

// Answers the replace question as the input says and records the messages.
class FuzzPort : public UserPort {
 public:
  Answer answer = Answer::No;
  int questions = 0;
  std::vector<std::string> messages;

  void ShowMessage(std::string_view text, MessageIcon) override { messages.emplace_back(text); }
  Answer Ask(std::string_view, Buttons, Answer) override {
    ++questions;
    return answer;
  }
  std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest&) override {
    Check(false, "no slot operation opens a file dialog");
    return std::nullopt;
  }
  std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest&) override {
    Check(false, "no slot operation opens a file dialog");
    return std::nullopt;
  }
  bool Said(std::string_view text) const { return std::find(messages.begin(), messages.end(), text) != messages.end(); }
};

// Paths of the seven formats, and two that no format has.
constexpr std::string_view kPanePaths[9] = {"a.mem", "a.mcd", "a.mcr", "a.gme",      "a.ddf",
                                            "a.psx", "a.ps",  "a.bin", "ePSXe/a.MCR"};

using Frame = std::array<std::uint8_t, kFrameSize>;

// Slot n's whole entry, or nullopt when it is not wholly inside the image (or there is no offset).
std::optional<Frame> EntryOf(const Pane& pane, int slot) {
  const auto offset = PaneDataOffset(pane);
  if (!offset) return std::nullopt;
  const Bytes entry = ClipRead(pane.image, *offset + SlotEntryOffset(slot), kFrameSize);
  if (entry.size() != kFrameSize) return std::nullopt;
  Frame frame;
  std::copy(entry.begin(), entry.end(), frame.begin());
  return frame;
}

bool ChecksumValid(const Frame& frame) { return FrameChecksum(frame) == frame[kEntryChecksum]; }

Bytes BlockOf(const Pane& pane, int slot) {
  return ClipRead(pane.image, PaneDataOffset(pane).value_or(0) + SaveBlockOffset(slot), kBlockSize);
}

bool HoldsWholeCard(const Pane& pane) {
  const auto offset = PaneDataOffset(pane);
  return offset && *offset + kRawCardSize <= pane.image.size();
}

// The pane as the operation found it.
struct Snapshot {
  CardImage image;
  bool modified;
  std::array<std::optional<Frame>, kSlotCount + 1> entries;
  std::array<Bytes, kSlotCount + 1> cutEntries;  // entries that the end of a short image cuts off
  explicit Snapshot(const Pane& pane) : image(pane.image), modified(pane.cardModified) {
    const std::size_t offset = PaneDataOffset(pane).value_or(0);
    for (int slot = 1; slot <= kSlotCount; ++slot) {
      entries[static_cast<std::size_t>(slot)] = EntryOf(pane, slot);
      const Bytes entry = ClipRead(image, offset + SlotEntryOffset(slot), kFrameSize);
      if (entry.size() < kFrameSize) cutEntries[static_cast<std::size_t>(slot)] = entry;
    }
  }
  bool Unchanged(const Pane& pane) const { return pane.image == image && pane.cardModified == modified; }
};

void CheckLengthKept(const Pane& pane, const Snapshot& before) {
  Check(pane.image.size() == before.image.size(), "no operation changes an image's length");
}

// The slots whose entries differ from the snapshot.
std::vector<int> ChangedEntries(const Pane& pane, const Snapshot& before) {
  std::vector<int> changed;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    if (EntryOf(pane, slot) != before.entries[static_cast<std::size_t>(slot)]) changed.push_back(slot);
  }
  return changed;
}

void CheckModifiedFlag(const Pane& pane, const Snapshot& before) {
  Check(pane.cardModified || pane.image == before.image, "a changed image is marked modified");
  Check(pane.cardModified || !before.modified, "an operation never clears CardModified");
}

void CheckListIsCurrent(const Pane& pane) {
  const auto listing = BuildSlotLines(pane.path, pane.image);
  if (!listing) return;
  Check(std::equal(pane.lines.begin(), pane.lines.end(), listing->lines.begin(), listing->lines.end()),
        "a rebuilt list is the list of the image as it now is");
}

void CheckFreedEntries(const Pane& pane, const Snapshot& before) {
  static const auto kFree = FreeEntry();
  for (int slot : ChangedEntries(pane, before)) {
    const auto entry = EntryOf(pane, slot);
    Check(!entry || std::equal(kFree.begin(), kFree.end(), entry->begin()), "a cleared entry is the free entry");
  }
}

class Session {
 public:
  explicit Session(Input& in) : in_(in) {
    for (Pane& pane : panes_) {
      pane.index = static_cast<int>(&pane - panes_.data());
      pane.path = std::string(kPanePaths[in.Byte() % std::size(kPanePaths)]);
      const std::uint8_t base = in.Byte();
      const Format container = FormatFromByte(in.Byte());
      pane.image = BaseCard(base, container);
      Patch(in, pane.image, container, in.Byte() % 16);
      RefreshSlots(pane, port_);
    }
    port_.messages.clear();
  }

  void Run() {
    for (int steps = 0; steps < 64 && !in_.Empty(); ++steps) Step();
  }

 private:
  Pane& PaneAt(std::uint8_t b) { return panes_[b & 1]; }

  void Step() {
    const std::uint8_t op = in_.Byte();
    port_.messages.clear();
    port_.questions = 0;
    switch ((op & 0x0F) % 9) {
      case 0:
        Select(op);
        break;
      case 1:
        Copy(op);
        break;
      case 2:
        Delete(op);
        break;
      case 3:
        Clear(op);
        break;
      case 4:
        Toggle(op);
        break;
      case 5:
        Edit(op);
        break;
      case 6:
        Compare();
        break;
      case 7:
        Save(op);
        break;
      case 8:
        Reload(op);
        break;
    }
  }

  // [op] [line]: selects line (byte % 17) - 1 of pane op>>4: -1 (none) to 15 (past the list).
  void Select(std::uint8_t op) { PaneAt(op >> 4).selected = in_.Byte() % 17 - 1; }

  // [op]: copy or move (bit 4) from pane op>>5 to the other, the replace question answered Yes
  // when bit 6 is set.
  void Copy(std::uint8_t op) {
    Pane& source = PaneAt(op >> 5);
    Pane& target = PaneAt((op >> 5) ^ 1);
    const bool move = op & 0x10;
    port_.answer = (op & 0x40) ? Answer::Yes : Answer::No;
    const Snapshot s(source), t(target);
    const auto sourceOffset = PaneDataOffset(source);
    const std::vector<std::string> targetLines = target.lines;
    const int selectedTarget = ValidSelection(target);
    // The save's first line: the walk back from the selection over link statuses.
    int first = ValidSelection(source);
    while (first >= 1 && IsLinkStatus(ByteAt(source.image, sourceOffset.value_or(0) + SlotEntryOffset(first + 1)))) {
      --first;
    }

    CopySlot(source, target, move, port_);

    CheckLengthKept(source, s);
    CheckLengthKept(target, t);
    Check(port_.questions <= 1, "the replace question is asked at most once");
    const bool refused =
        port_.Said(text::kFormatNotSupported) || port_.Said(text::kSelectSlotToCopy) || port_.Said(text::kCardFull);
    if (refused) {
      Check(port_.messages.size() == 1, "a refused transfer shows one message");
      Check(t.Unchanged(target), "a refused transfer leaves the target as it was");
      Check(s.Unchanged(source), "a refused transfer leaves the source as it was");
      return;
    }
    Check(port_.messages.empty(), "a transfer that is not refused shows nothing");
    if (!move) Check(s.Unchanged(source), "a copy leaves its source as it was");
    // CardModified records a change: it is set when a block was written (on a whole card, always),
    // never cleared, and stays as it was when the slots lay past the end of a short image.
    CheckModifiedFlag(target, t);
    if (HoldsWholeCard(target) && HoldsWholeCard(source)) {
      Check(target.cardModified, "a transfer between whole cards marks the target modified");
    }
    if (move) {
      CheckModifiedFlag(source, s);
      if (HoldsWholeCard(source)) Check(source.cardModified, "a move from a whole card marks it modified");
    }
    CheckListIsCurrent(target);
    if (move) {
      CheckListIsCurrent(source);
      CheckFreedEntries(source, s);
    }
    // Entries written to the target carry a valid checksum, unless they travelled byte for byte
    // from the source: a frame whose checksum was already wrong there, or the part of a frame that
    // a short source image holds (only the bytes that exist are written).
    for (int slot : ChangedEntries(target, t)) {
      const auto entry = EntryOf(target, slot);
      if (!entry || ChecksumValid(*entry)) continue;
      bool copied = std::find(s.entries.begin(), s.entries.end(), entry) != s.entries.end();
      for (Bytes cut : s.cutEntries)
        copied = copied || (!cut.empty() && std::equal(cut.begin(), cut.end(), entry->begin()));
      Check(copied, "a written entry has a valid checksum or is a source frame copied as it was");
    }
    // The first block went to the selected target line when it was free (no question) or its
    // replacement was confirmed; otherwise to the first free line from the top.
    int landing = -1;
    if (selectedTarget >= 0 && (port_.questions == 0 || port_.answer == Answer::Yes)) landing = selectedTarget + 1;
    for (int slot = 1; slot <= kSlotCount && landing < 0; ++slot) {
      const auto entry = t.entries[static_cast<std::size_t>(slot)];
      const std::uint8_t statusByte = entry ? (*entry)[kEntryStatus] : 0;
      if (IsBareLine(targetLines[static_cast<std::size_t>(slot - 1)]) && !IsInUseStatus(statusByte)) landing = slot;
    }
    if (HoldsWholeCard(source) && HoldsWholeCard(target)) CheckChain(s, target, first, landing, *sourceOffset);
  }

  static int ValidSelection(const Pane& pane) {
    const int lines = static_cast<int>(std::min<std::size_t>(pane.lines.size(), kSlotCount));
    return pane.selected >= 0 && pane.selected < lines ? pane.selected : -1;
  }

  // The save the transfer took (its first line, and the lines below it with link statuses) must
  // be found on the target by following NextSlot from the slot its first block went to, block
  // after block, ending in 0xFFFF.
  void CheckChain(const Snapshot& s, const Pane& target, int first, int slot, std::size_t sourceOffset) {
    Check(first >= 0, "a transfer that went through had a line to take");
    const auto statusAt = [&](int n) { return ByteAt(s.image, sourceOffset + SlotEntryOffset(n)); };
    if (!IsSaveStatus(statusAt(first + 1))) return;  // a free or odd frame travels as it stands
    int blocks = 1;
    while (first + blocks < kSlotCount && IsLinkStatus(statusAt(first + blocks + 1))) ++blocks;
    Check(slot >= 1, "the first block of a transferred save is on the target");
    std::vector<int> visited;
    for (int i = 0; i < blocks; ++i) {
      Check(slot >= 1 && slot <= kSlotCount, "NextSlot leads to a slot of the card");
      Check(std::find(visited.begin(), visited.end(), slot) == visited.end(), "the chain visits each block once");
      visited.push_back(slot);
      const auto landed = EntryOf(target, slot);
      const auto original = s.entries[static_cast<std::size_t>(first + 1 + i)];
      Check(landed && original, "whole entries on whole cards");
      Check(ChecksumValid(*landed) || *landed == *original, "a landed save frame has a valid checksum");
      for (std::size_t b = 0; b < kFrameSize; ++b) {
        if (b == kEntryNextSlot || b == kEntryNextSlot + 1 || b == kEntryChecksum) continue;
        Check((*landed)[b] == (*original)[b], "a landed frame is the source frame but for NextSlot");
      }
      const Bytes block = BlockOf(target, slot);
      const Bytes want = ClipRead(s.image, sourceOffset + SaveBlockOffset(first + 1 + i), kBlockSize);
      Check(std::equal(block.begin(), block.end(), want.begin(), want.end()), "the block landed with its frame");
      const std::uint16_t next = ReadLe16(*landed, kEntryNextSlot);
      if (i + 1 == blocks) {
        Check(next == 0xFFFF, "the last block of a transferred save ends the chain");
      } else {
        slot = next + 1;
      }
    }
  }

  // [op]: Delete on pane op>>4.
  void Delete(std::uint8_t op) {
    Pane& pane = PaneAt(op >> 4);
    const Snapshot before(pane);
    const int line = pane.selected;
    DeleteSlot(pane, port_);
    CheckLengthKept(pane, before);
    if (!PaneDataOffset(pane) || line < 0 || line >= static_cast<int>(std::min<std::size_t>(pane.lines.size(), 15))) {
      Check(before.Unchanged(pane), "a Delete without a slot to delete changes nothing");
      return;
    }
    // A slot past the end of a short image has no byte to write; the card is then not changed.
    const bool inside = *PaneDataOffset(pane) + SlotEntryOffset(line + 1) < pane.image.size();
    Check(pane.cardModified == (before.modified || inside), "a Delete marks the card modified when it wrote");
    CheckFreedEntries(pane, before);
    for (int slot : ChangedEntries(pane, before)) Check(slot == line + 1, "a Delete touches only its slot");
    CheckListIsCurrent(pane);
  }

  // [op]: Clear All Slots on pane op>>4.
  void Clear(std::uint8_t op) {
    Pane& pane = PaneAt(op >> 4);
    const Snapshot before(pane);
    ClearAllSlots(pane, port_);
    CheckLengthKept(pane, before);
    if (!PaneDataOffset(pane)) {
      Check(before.image == pane.image, "Clear on an unsupported format changes no byte");
      return;
    }
    CheckFreedEntries(pane, before);
    CheckModifiedFlag(pane, before);
    CheckListIsCurrent(pane);
  }

  // [op]: the toggle on pane op>>4.
  void Toggle(std::uint8_t op) {
    Pane& pane = PaneAt(op >> 4);
    const Snapshot before(pane);
    ToggleDeleted(pane, port_);
    CheckLengthKept(pane, before);
    if (!port_.messages.empty()) {
      Check(before.Unchanged(pane), "a refused toggle changes nothing");
      return;
    }
    Check(pane.cardModified, "a toggle marks the card modified");
    for (int slot : ChangedEntries(pane, before)) {
      const auto now = EntryOf(pane, slot);
      const auto was = before.entries[static_cast<std::size_t>(slot)];
      Check(now && was, "the toggle flips whole entries only");
      for (std::size_t b = 1; b < kEntryChecksum; ++b) Check((*now)[b] == (*was)[b], "the toggle flips two bytes");
      Check(((*now)[kEntryStatus] ^ (*was)[kEntryStatus]) == status::kDeleteFlip, "the status flips by 0xF0");
      Check(ChecksumValid(*now) == ChecksumValid(*was), "the toggle keeps a checksum as valid as it was");
      Check(IsSaveStatus((*now)[kEntryStatus]), "the toggle flips only save statuses");
    }
    CheckListIsCurrent(pane);
  }

  // [op] [region] [length] [id bytes]: the identity edit on pane op>>4.
  void Edit(std::uint8_t op) {
    Pane& pane = PaneAt(op >> 4);
    const std::uint8_t regionByte = in_.Byte();
    const std::optional<int> region = regionByte < 0x80 ? std::optional<int>(regionByte % 5 - 1) : std::nullopt;
    const Bytes idBytes = in_.Take(in_.Byte() % 13);
    const std::string id(idBytes.begin(), idBytes.end());
    const Snapshot before(pane);
    const auto identity = BeginEditSlot(pane, port_);
    Check(before.image == pane.image, "opening the editor changes no byte");
    if (!identity) {
      Check(port_.messages.size() == 1, "an editor that does not open says why");
      return;
    }
    Check(identity->line >= 0 && identity->line < kSlotCount, "the editor edits a slot, never the header frame");
    Check(identity->caption.starts_with("Slot " + std::to_string(identity->line + 1) + " - "),
          "the caption names the slot");
    ApplyEditSlot(pane, *identity, region, id);
    CheckLengthKept(pane, before);
    const auto changed = ChangedEntries(pane, before);
    Check(changed.size() <= 1, "the editor writes one entry");
    for (int slot : changed) {
      Check(slot == identity->line + 1, "the editor writes the entry it showed");
      Check(ChecksumValid(*EntryOf(pane, slot)), "an edited entry has a valid checksum");
    }
    if (id.empty()) Check(before.Unchanged(pane), "an empty ID changes nothing");
    // No byte outside that entry changes.
    const std::size_t at = PaneDataOffset(pane).value_or(0) + SlotEntryOffset(identity->line + 1);
    for (std::size_t i = 0; i < pane.image.size(); ++i) {
      if (i < at || i >= at + kFrameSize) Check(pane.image[i] == before.image[i], "the editor writes its entry only");
    }
  }

  void Compare() {
    const Snapshot a(panes_[0]), b(panes_[1]);
    CompareSlots(panes_[0], panes_[1], port_);
    Check(a.Unchanged(panes_[0]) && b.Unchanged(panes_[1]), "the comparison changes nothing");
    Check(port_.messages.size() == 1, "the comparison shows one message");
    if (port_.Said(text::kIdentical) || port_.Said(text::kDifferent)) {
      const Bytes x = BlockOf(panes_[0], panes_[0].selected + 1);
      const Bytes y = BlockOf(panes_[1], panes_[1].selected + 1);
      const bool same = std::equal(x.begin(), x.end(), y.begin(), y.end());
      Check(port_.Said(same ? text::kIdentical : text::kDifferent), "the comparison's answer is right");
    }
  }

  // [op]: the file a save of pane op>>4 would write, in every format, built in memory.
  void Save(std::uint8_t op) {
    const Pane& pane = PaneAt(op >> 4);
    const auto format = PaneFormat(pane);
    if (!format || !IsWellFormed(pane.image, *format)) {
      if (format) Check(!BuildFileContent(pane.image, *format, Format::Mcr), "a malformed image is not saved");
      return;
    }
    const auto raw = ExtractRawCard(pane.image, *format);
    for (Format target : kAllFormats) {
      const auto content = BuildFileContent(pane.image, *format, target);
      Check(content.has_value(), "a well-formed card saves in every format");
      if (FamilyOf(target) == FamilyOf(*format)) {
        Check(*content == pane.image, "a save in its own family writes the image unchanged");
        continue;
      }
      Check(std::equal(raw->begin(), raw->end(), content->end() - static_cast<std::ptrdiff_t>(kRawCardSize)),
            "a converted card ends with the raw card");
    }
  }

  // [op] [patch]: another program changed the card and it was loaded again.
  void Reload(std::uint8_t op) {
    Pane& pane = PaneAt(op >> 4);
    const auto format = FormatFromPath(pane.path);
    const std::size_t length = pane.image.size();
    Patch(in_, pane.image, format.value_or(Format::Mcr), 1);
    pane.image.resize(length, 0);  // a new length would be a new file; keep the session's lengths
    pane.cardModified = false;
    RefreshSlots(pane, port_);
  }

  Input& in_;
  std::array<Pane, 2> panes_;
  FuzzPort port_;
};

}  // namespace
}  // namespace selvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  selvane::fuzz::Input in(data, size);
  selvane::fuzz::Session session(in);
  session.Run();
  return 0;
}
