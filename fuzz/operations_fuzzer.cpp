// Slot operations on two cards, decoded from the fuzzer's bytes: copy and move with any selection
// and any answer to the replace question, delete, clear, the deleted-mark toggle, the identity
// edit, the comparison and the file build in every format. After each step:
//   - neither image changed its length;
//   - every whole directory entry that changed has a valid checksum, unless it is the toggle's
//     (status and checksum flip alike, so a wrong checksum stays as wrong) or a frame of the other
//     card that travelled as it stands (a whole one, or the part of one a short image holds);
//   - a transfer that showed a message changed neither image;
//   - a completed transfer put every block of the save on a slot of the target that holds it whole,
//     each block on a slot of its own: its frame byte for byte apart from NextSlot and the checksum,
//     its block byte for byte (as much of each as the source image holds); so a move freed its
//     source blocks only once they were all on the target;
//   - a transfer between whole cards left a NextSlot chain from the slot its first block went to
//     through the blocks it wrote, in order, ending in 0xFFFF.
// Input: [cards] [path 1] [path 2] then up to 32 steps [op] [line] [other pane's line] (the edit
// then [region] [ID length] [ID]); a line byte selects -1 (none) to 15 (past the list), or 16
// (keeps the selection). The step is in the op's low three bits, its pane in bit 3. Both cards are
// the whole input, or (bit 7 of its first byte) its first and its second half.
#include <algorithm>
#include <array>

#include "fuzz/fuzz_support.h"
#include "slots/operations.h"
#include "slots/slot_list.h"

namespace selvane::fuzz {
namespace {

std::uint8_t StatusAt(const CardImage& image, std::size_t offset, int slot) {
  return ByteAt(image, offset + SlotEntryOffset(slot));
}

int ListedLines(const Pane& pane) { return static_cast<int>(std::min<std::size_t>(pane.lines.size(), kSlotCount)); }

// Every whole entry of `pane` that changed since `was` has a valid checksum (XOR of its 128 bytes
// is 0), keeps the error it had, or begins with a frame of the other card as that was.
void CheckEntries(const Pane& pane, const CardImage& was, const Pane& other, const CardImage& otherWas) {
  const auto at = PaneDataOffset(pane), from = PaneDataOffset(other);
  for (int slot = 1; at && slot <= kSlotCount; ++slot) {
    const Bytes now = ClipRead(pane.image, *at + SlotEntryOffset(slot), kFrameSize);
    if (now.size() < kFrameSize || XorOf(now) == 0 ||
        XorOf(now) == XorOf(ClipRead(was, *at + SlotEntryOffset(slot), kFrameSize)))
      continue;
    bool copied = false;
    for (int s = 1; from && s <= kSlotCount; ++s) {
      const Bytes frame = ClipRead(otherWas, *from + SlotEntryOffset(s), kFrameSize);
      copied = copied || (!frame.empty() && std::equal(frame.begin(), frame.end(), now.begin()));
    }
    Check(copied, "a written entry has a valid checksum or is a frame of the other card as it stood");
  }
}

// Whether every block of the save on source lines first .. first + blocks - 1 (as `sourceWas`
// held them) is on its own slot of `target` that the target image holds whole.
bool SaveLandedWhole(const CardImage& sourceWas, std::size_t from, int first, int blocks, const CardImage& target,
                     std::size_t to) {
  std::array<bool, kSlotCount + 1> taken{};
  for (int i = 0; i < blocks; ++i) {
    const Bytes frame = ClipRead(sourceWas, from + SlotEntryOffset(first + i + 1), kFrameSize);
    const Bytes block = ClipRead(sourceWas, from + SaveBlockOffset(first + i + 1), kBlockSize);
    bool found = false;
    for (int slot = 1; slot <= kSlotCount && !found; ++slot) {
      if (taken[static_cast<std::size_t>(slot)] || to + SaveBlockOffset(slot) + kBlockSize > target.size()) continue;
      const Bytes landed = ClipRead(target, to + SlotEntryOffset(slot), kFrameSize);
      bool same = std::equal(block.begin(), block.end(),
                             target.begin() + static_cast<std::ptrdiff_t>(to + SaveBlockOffset(slot)));
      for (std::size_t b = 0; same && b < frame.size(); ++b) {
        const bool chainByte = b == kEntryNextSlot || b == kEntryNextSlot + 1 || b == kEntryChecksum;
        same = chainByte || frame[b] == landed[b];
      }
      if (same) found = taken[static_cast<std::size_t>(slot)] = true;
    }
    if (!found) return false;
  }
  return true;
}

class Session {
 public:
  Session(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {
    const bool halves = Byte() & 0x80;
    for (Pane& pane : panes_) {
      pane.index = static_cast<int>(&pane - panes_.data());
      pane.path = kPaths[Byte() % std::size(kPaths)];
      pane.image.assign(data + (halves && pane.index == 1 ? size / 2 : 0),
                        data + (halves && pane.index == 0 ? size / 2 : size));
      RefreshSlots(pane, port_);
    }
  }

  void Run() {
    for (int steps = 0; steps < 32 && at_ < size_; ++steps) {
      const std::uint8_t op = Byte();
      const std::size_t p = (op >> 3) & 1;
      Pane& pane = panes_[p];
      for (std::size_t i = 0; i < 2; ++i) before_[i] = panes_[i].image;  // keeps the buffers' storage
      port_.messages.clear();
      port_.questions = 0;
      for (Pane* selecting : {&pane, &panes_[p ^ 1]}) {
        if (const int line = Byte() % 18 - 1; line < 16) selecting->selected = line;
      }
      const int step = op & 7;
      if (step <= 1) Copy(p, op & 0x10, (op & 0x20) ? Answer::Yes : Answer::No);
      if (step == 2) DeleteSlot(pane, port_);
      if (step == 3) ClearAllSlots(pane, port_);
      if (step == 4) ToggleDeleted(pane, port_);
      if (step == 5) Edit(pane);
      if (step == 6) CompareSlots(panes_[0], panes_[1], port_);
      if (step == 7) Build(pane);
      for (std::size_t i = 0; i < 2; ++i) {
        Check(panes_[i].image.size() == before_[i].size(), "no operation changes an image's length");
        CheckEntries(panes_[i], before_[i], panes_[i ^ 1], before_[i ^ 1]);
      }
    }
  }

 private:
  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

  // Copy or move (op bit 4) to the other pane, the replace question answered Yes for op bit 5.
  void Copy(std::size_t s, bool move, Answer answer) {
    Pane &source = panes_[s], &target = panes_[s ^ 1];
    const CardImage &sourceWas = before_[s], &targetWas = before_[s ^ 1];
    const std::size_t from = PaneDataOffset(source).value_or(0), to = PaneDataOffset(target).value_or(0);
    // The save taken: the selected line walked back to the first block, and the link lines below.
    int first = source.selected < ListedLines(source) ? source.selected : -1;
    while (first >= 1 && IsLinkStatus(StatusAt(sourceWas, from, first + 1))) --first;
    int blocks = 1;
    while (first + blocks < ListedLines(source) && IsLinkStatus(StatusAt(sourceWas, from, first + blocks + 1)))
      ++blocks;
    // Its first block goes to the first free line (the bare number, no entry in use), or to the
    // selected target line when that is free or its replacement is confirmed.
    int landing = -1;
    for (int line = ListedLines(target) - 1; line >= 0; --line) {
      if (IsBareLine(target.lines[static_cast<std::size_t>(line)]) && !IsInUseStatus(StatusAt(targetWas, to, line + 1)))
        landing = line;
    }
    const int chosen = target.selected < ListedLines(target) ? target.selected : -1;
    port_.answer = answer;
    CopySlot(source, target, move, port_);
    if (!port_.messages.empty()) {
      Check(source.image == sourceWas && target.image == targetWas, "a refused transfer changes neither image");
      return;
    }
    if (first < 0) return;
    Check(SaveLandedWhole(sourceWas, from, first, blocks, target.image, to),
          "a completed transfer has every block of the save, whole, on the target");
    if (chosen >= 0 && (port_.questions == 0 || answer == Answer::Yes)) landing = chosen;
    if (from + kRawCardSize > sourceWas.size() || to + kRawCardSize > targetWas.size() ||
        !IsSaveStatus(StatusAt(sourceWas, from, first + 1)))
      return;
    int slot = landing + 1;
    for (int i = 1; i <= blocks; ++i) {
      Check(slot >= 1 && slot <= kSlotCount, "NextSlot leads to a slot of the card");
      const Bytes landed = ClipRead(target.image, to + SlotEntryOffset(slot), kFrameSize);
      const Bytes frame = ClipRead(sourceWas, from + SlotEntryOffset(first + i), kFrameSize);
      Check(std::equal(frame.begin(), frame.begin() + kEntryNextSlot, landed.begin()) &&
                std::equal(frame.begin() + kEntryNextSlot + 2, frame.end() - 1, landed.begin() + kEntryNextSlot + 2) &&
                std::ranges::equal(ClipRead(target.image, to + SaveBlockOffset(slot), kBlockSize),
                                   ClipRead(sourceWas, from + SaveBlockOffset(first + i), kBlockSize)),
            "the chain leads through the save's frames and blocks in order");
      const std::uint16_t next = ReadLe16(landed, kEntryNextSlot);
      Check(i < blocks || next == 0xFFFF, "the last block of a transferred save ends the chain");
      slot = next + 1;
    }
  }

  // [region, none from 0x80] [ID length] [ID bytes]: the identity edit.
  void Edit(Pane& pane) {
    const std::uint8_t region = Byte();
    std::string id;
    for (int n = Byte() % 13; n > 0; --n) id += static_cast<char>(Byte());
    const auto identity = BeginEditSlot(pane, port_);
    if (identity) ApplyEditSlot(pane, *identity, region < 0x80 ? std::optional<int>(region % 5 - 1) : std::nullopt, id);
  }

  // The file a save of the pane would write, built in memory in every format.
  static void Build(const Pane& pane) {
    const auto format = PaneFormat(pane);
    for (Format target : kDialogFormats) {
      if (format)
        Check(BuildFileContent(pane.image, *format, target).has_value() == IsWellFormed(pane.image, *format),
              "only a well-formed card is built, in every format");
    }
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  std::array<Pane, 2> panes_;
  std::array<CardImage, 2> before_;  // the images as the step found them
  RecordingPort port_;
};

}  // namespace
}  // namespace selvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  selvane::fuzz::Session(data, size).Run();
  return 0;
}
