// Single save files: the input is a file offered for import. Each reader runs over it, then the
// import onto one of four cards (empty, holding saves, nearly full, cut short), then the export of
// every line. Checked:
//   - a read gives a save (1 to 15 whole blocks, a name of 1 to 20 bytes, flagged when its first
//     block lacks "SC") or a reason, never both; a save written as .mcs, .psv and raw reads back
//     the same;
//   - no import changes the card image's length; a refused import changes nothing;
//   - a completed import put every block on a slot of its own that the image holds whole, with a
//     valid directory frame (0x51, then 0x52..., last 0x53), a NextSlot chain through the blocks in
//     order ending in 0xFFFF, the save's size and name in the first frame, and changed no other slot;
//   - the export of the first line it landed on gives the save back; every export gives 1 to 15
//     whole blocks.
// The input's last byte picks the card, the path the file is read under and the answer to the
// same-name question; its length picks the selected line.
#include <algorithm>

#include "examples/card_builder.h"
#include "fuzz/fuzz_support.h"
#include "slots/single_save_ops.h"
#include "slots/slot_list.h"

namespace selvane::fuzz {
namespace {

constexpr std::string_view kSavePaths[] = {"save.mcs", "x/BASLUS-00001GAME",
                                           "a.PSV",    "Suikoden 2-BASLUS-00958GS2-7.srm",
                                           "card.vmp", "c.gme",
                                           "",         "a very long file name with no save name in it.bin"};

Pane CardPane(int which) {
  static const CardImage kCards[] = {demo::CardBuilder().Build(Format::Mcr),
                                     demo::CardBuilder()
                                         .AddSave(1, 3, "Three")
                                         .AddSave(5, 1, "Gone", "SLES-1", 'E', true)
                                         .AddSave(9, 2, "")
                                         .Build(Format::Gme),
                                     demo::CardBuilder().AddSave(1, 13, "Most").Build(Format::Mem), [] {
                                       CardImage mem = demo::CardBuilder().AddSave(2, 1, "Short").Build(Format::Mem);
                                       mem.resize(kVgsHeaderSize + 4 * kBlockSize + 100);
                                       return mem;
                                     }()};
  static const std::string_view kNames[] = {"card.mcr", "card.gme", "card.mem", "short.mem"};
  Pane pane;
  pane.path = kNames[which];
  pane.image = kCards[which];
  RecordingPort quiet;
  RefreshSlots(pane, quiet);
  return pane;
}

void CheckRead(const SaveFileRead& read, std::string_view path, Bytes content) {
  Check(read.save.has_value() == read.problem.empty(), "a read gives a save or a reason, never both");
  if (!read.save) return;
  const SingleSave& save = *read.save;
  Check(save.blocks.size() % kBlockSize == 0 && save.BlockCount() >= 1 && save.BlockCount() <= kMaxSaveBlocks,
        "a save holds 1 to 15 whole blocks");
  Check(read.firstBlockWithoutSc != (save.blocks[0] == 'S' && save.blocks[1] == 'C'),
        "a save is flagged exactly when its first block lacks \"SC\"");
  Check(!save.name.empty() && save.name.size() <= kSaveNameLength && save.name.find('\0') == std::string::npos,
        "a save's name has 1 to 20 bytes, no NUL");
  const auto shown = DetectSaveFileKind(content);
  Check(shown == read.kind || (read.kind == SaveFileKind::Raw && SaveFileKindOfPath(path) == SaveFileKind::Raw),
        "the kind read is the kind the content shows, or raw for a path without an extension");
  for (SaveFileKind kind : {SaveFileKind::Mcs, SaveFileKind::Psv, SaveFileKind::Raw}) {
    const SaveFileRead back = ReadSaveFile("exported", SaveFileContent(save, kind));
    Check(back.save && back.save->blocks == save.blocks, "a written save reads back with the same blocks");
    Check(kind == SaveFileKind::Raw || back.save->name == save.name, "a written save keeps its name");
  }
}

void CheckImport(const SingleSave& save, int card, int selected, Answer answer) {
  Pane pane = CardPane(card);
  const CardImage before = pane.image;
  const std::size_t offset = *PaneDataOffset(pane);
  pane.selected = selected;
  RecordingPort port;
  port.answer = answer;
  const Outcome outcome = ImportSave(pane, save, port);
  Check(pane.image.size() == before.size(), "no import changes an image's length");
  if (outcome != Outcome::Done) {
    Check(pane.image == before && !pane.cardModified, "a refused import changes nothing");
    return;
  }
  std::array<bool, kSlotCount + 1> used{};
  int slot = pane.selected + 1;  // list line L shows slot L + 1
  const int blocks = save.BlockCount();
  for (int i = 0; i < blocks; ++i) {
    Check(slot >= 1 && slot <= kSlotCount && !used[static_cast<std::size_t>(slot)], "each block on a slot of its own");
    used[static_cast<std::size_t>(slot)] = true;
    Check(offset + SaveBlockOffset(slot) + kBlockSize <= pane.image.size(), "each block on a slot held whole");
    const Bytes entry = ClipRead(pane.image, offset + SlotEntryOffset(slot), kFrameSize);
    const std::uint8_t want = i == 0 ? status::kFirst : (i == blocks - 1 ? status::kLinkS : status::kLinkR);
    Check(entry[kEntryStatus] == want && XorOf(entry) == 0, "each frame has its status and a valid checksum");
    Check(i > 0 || ReadLe32(entry, kEntrySaveSize) == save.blocks.size(), "the first frame has the save's size");
    Check(std::ranges::equal(ClipRead(pane.image, offset + SaveBlockOffset(slot), kBlockSize),
                             Bytes(save.blocks).subspan(static_cast<std::size_t>(i) * kBlockSize, kBlockSize)),
          "each block lands byte for byte, in order");
    const std::uint16_t next = ReadLe16(entry, kEntryNextSlot);
    Check((i == blocks - 1) == (next == kEndOfChain), "the chain ends with the last block");
    slot = next + 1;
  }
  for (int s = 1; s <= kSlotCount; ++s) {
    if (used[static_cast<std::size_t>(s)]) continue;
    Check(std::ranges::equal(ClipRead(pane.image, offset + SlotEntryOffset(s), kFrameSize),
                             ClipRead(before, offset + SlotEntryOffset(s), kFrameSize)) &&
              std::ranges::equal(ClipRead(pane.image, offset + SaveBlockOffset(s), kBlockSize),
                                 ClipRead(before, offset + SaveBlockOffset(s), kBlockSize)),
          "an import changes no other slot");
  }
  const TakenSave back = TakeSave(pane, port);
  Check(back.outcome == Outcome::Done && back.save.blocks == save.blocks && back.save.name == save.name,
        "the export of the imported save gives it back");
  for (int line = 0; line < kSlotCount; ++line) {
    pane.selected = line;
    const TakenSave taken = TakeSave(pane, port);
    Check(taken.outcome != Outcome::Done || (taken.save.blocks.size() % kBlockSize == 0 &&
                                             taken.save.BlockCount() >= 1 && taken.save.BlockCount() <= kSlotCount),
          "every export gives 1 to 15 whole blocks");
  }
}

}  // namespace
}  // namespace selvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace selvane;
  const Bytes content(data, size);
  const std::uint8_t controls = size > 0 ? data[size - 1] : 0;
  const std::string_view path = fuzz::kSavePaths[(controls >> 2) % std::size(fuzz::kSavePaths)];
  const SaveFileRead read = ReadSaveFile(path, content);
  fuzz::CheckRead(read, path, content);
  if (read.save) {
    fuzz::CheckImport(*read.save, controls & 3, static_cast<int>(size / 7 % 17) - 1,
                      (controls & 0x40) ? Answer::Yes : Answer::No);
  }
  return 0;
}
