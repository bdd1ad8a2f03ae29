// copy, move, delete, clear, toggle, edit and compare: each loads its cards into panes, runs the
// window's operation and writes a changed card back with the window's save.
#include "cli/slot_commands.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/ascii.h"
#include "core/layout.h"
#include "slots/operations.h"

namespace selvane::cli {
namespace {

// Exit status 1 always comes with a message. A refusal's was shown by the operation; an operation
// that was not refused but had no byte to change (its slot lies past the end of a short card file)
// shows none, so it is said here.
int NothingChanged(CliPort& port, std::string_view what) {
  port.Print(std::string("nothing was changed: ") + std::string(what));
  return kExitFailed;
}

// The end of a one-card command, from what the operation did: a changed card is written back.
int FinishOneCard(Outcome outcome, Pane& pane, CliPort& port) {
  switch (outcome) {
    case Outcome::Done:
      return SavePane(pane, port) ? kExitOk : kExitFailed;
    case Outcome::NothingChanged:
      return NothingChanged(port, "the card file ends before that slot");
    default:
      return kExitFailed;
  }
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

std::optional<int> RegionIndex(const std::string& name) {
  const std::string lower = AsciiLower(name);
  if (lower == "usa") return 0;
  if (lower == "eur") return 1;
  if (lower == "jap") return 2;
  return std::nullopt;
}

// The comparison shows its answer as a message; for the command it is the result and goes to
// standard output, printed from the comparison's outcome. The port holds back what the
// comparison shows until its outcome says whether that was the answer or a refusal.
class ComparePort : public CliPort {
 public:
  using CliPort::CliPort;
  void ShowMessage(std::string_view text, MessageIcon) override { shown_.emplace_back(text); }
  void Finish(Comparison answer, std::ostream& out) {
    if (answer == Comparison::Identical) out << text::kIdentical << "\n";
    if (answer == Comparison::Different) out << text::kDifferent << "\n";
    if (answer == Comparison::Refused) {
      for (const std::string& text : shown_) Print(text);
    }
    shown_.clear();
  }

 private:
  std::vector<std::string> shown_;
};

}  // namespace

bool IsSlot(int slot) { return slot >= 1 && slot <= kSlotCount; }

int BadSlot(Streams io) {
  io.err << "SLOT must be a number from 1 to 15\n";
  return kExitUsage;
}

CLI::Validator SlotValidator() {
  return CLI::Validator(
      [](std::string& value) {
        return ParseSlotNumber(value) ? std::string() : "SLOT must be a number from 1 to 15, not '" + value + "'";
      },
      "1..15");
}

bool CanSaveBack(const Pane& pane, CliPort& port) {
  const auto format = PaneFormat(pane);
  if (format && IsWellFormed(pane.image, *format)) return true;
  port.SetSubject(pane.path);
  port.ShowMessage(text::kWrongFormat, MessageIcon::Information);
  return false;
}

bool LoadAndSelect(Pane& pane, const std::string& card, int slot, CliPort& port) {
  if (!LoadPane(pane, card, port)) return false;
  pane.selected = slot - 1;
  return true;
}

std::optional<int> ParseSlotNumber(std::string_view text) {
  if (text.empty() || text.size() > 2) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return IsSlot(value) ? std::optional<int>(value) : std::nullopt;
}

int RunCopy(const std::string& source, int slot, const std::string& target, const CopyOptions& options, Streams io) {
  if (!IsSlot(slot) || (options.to && !IsSlot(*options.to))) return BadSlot(io);
  CliPort port(io.err);
  if (options.move && SameFile(source, target)) {
    port.SetSubject(target);
    port.Print("is the same card file as SRC; a move needs two cards");
    return kExitFailed;
  }
  Pane from;
  from.index = 0;
  Pane to;
  to.index = 1;
  if (!LoadPane(from, source, port) || !LoadPane(to, target, port)) return kExitFailed;
  if (!CanSaveBack(to, port) || (options.move && !CanSaveBack(from, port))) return kExitFailed;

  from.selected = slot - 1;
  if (options.to) to.selected = *options.to - 1;
  port.SetSubject(target);
  port.SetAnswer(options.replace ? Answer::Yes : Answer::No);
  const Outcome outcome = CopySlot(from, to, options.move, port);
  // Any later question (a card file changed on disk meanwhile) is declined.
  port.SetAnswer(Answer::No);
  if (outcome == Outcome::NothingChanged) return NothingChanged(port, source + " ends before that slot");
  if (outcome != Outcome::Done) return kExitFailed;
  // DST first: should SRC then fail to be written, the save exists twice rather than not at all.
  if (!SavePane(to, port)) return kExitFailed;
  if (options.move && !SavePane(from, port)) return kExitFailed;
  return kExitOk;
}

int RunOnCard(const std::string& card, int slot, Streams io, const CardOperation& operation) {
  CliPort port(io.err);
  Pane pane;
  if (!LoadAndSelect(pane, card, slot, port)) return kExitFailed;
  return FinishOneCard(operation(pane, port), pane, port);
}

int RunDelete(const std::string& card, int slot, Streams io) {
  if (!IsSlot(slot)) return BadSlot(io);
  return RunOnCard(card, slot, io, DeleteSlot);
}

int RunClear(const std::string& card, Streams io) { return RunOnCard(card, 0, io, ClearAllSlots); }

int RunToggle(const std::string& card, int slot, Streams io) {
  if (!IsSlot(slot)) return BadSlot(io);
  return RunOnCard(card, slot, io, ToggleDeleted);
}

int RunEdit(const std::string& card, int slot, const EditOptions& options, Streams io) {
  if (!IsSlot(slot)) return BadSlot(io);
  if (!options.region && !options.id) {
    io.err << "edit needs --region, --id or both\n";
    return kExitUsage;
  }
  std::optional<int> region;
  if (options.region) {
    region = RegionIndex(*options.region);
    if (!region) {
      io.err << "--region must be usa, eur or jap\n";
      return kExitUsage;
    }
  }
  CliPort port(io.err);
  Pane pane;
  if (!LoadAndSelect(pane, card, slot, port)) return kExitFailed;
  const auto identity = BeginEditSlot(pane, port);
  if (!identity) return kExitFailed;

  // What the dialog's box would hold at OK: the typed ID, its letters upper-cased as the box does
  // while typing, or the save's own ID exactly as it stands.
  std::string id = options.id ? *options.id : identity->id;
  if (options.id) std::transform(id.begin(), id.end(), id.begin(), GameIdKey);
  if (id.empty()) {
    port.Print("the game ID is empty; nothing was changed");
    return kExitFailed;
  }
  return FinishOneCard(ApplyEditSlot(pane, *identity, region, id), pane, port);
}

int RunCompare(const std::string& card1, int slot1, const std::string& card2, int slot2, Streams io) {
  if (!IsSlot(slot1) || !IsSlot(slot2)) return BadSlot(io);
  ComparePort port(io.err);
  Pane first;
  first.index = 0;
  Pane second;
  second.index = 1;
  if (!LoadPane(first, card1, port) || !LoadPane(second, card2, port)) return kExitUsage;
  first.selected = slot1 - 1;
  second.selected = slot2 - 1;
  const Comparison answer = CompareSlots(first, second, port).answer;
  port.Finish(answer, io.out);
  if (answer == Comparison::Identical) return kExitOk;
  if (answer == Comparison::Different) return kExitFailed;
  return kExitUsage;
}

namespace {

// The parsed arguments outlive AddSlotCommands: the callbacks run during parsing.
struct SlotArgs {
  std::string card, source, target, slot, slot2, to, region, id;
  bool replace = false;
};

int SlotOf(const std::string& value) { return ParseSlotNumber(value).value_or(0); }

void AddTransferCommands(CLI::App& app, Streams& io, int& status, const std::shared_ptr<SlotArgs>& args) {
  const CLI::Validator slotCheck = SlotValidator();
  for (const bool move : {false, true}) {
    auto* cmd = app.add_subcommand(move ? "move" : "copy", move ? "Move the save on line SLOT of SRC into DST"
                                                                : "Copy the save on line SLOT of SRC into DST");
    cmd->add_option("SRC", args->source, "Card file the save is taken from")->required();
    cmd->add_option("SLOT", args->slot, "Slot of SRC (1-15)")->required()->check(slotCheck);
    cmd->add_option("DST", args->target, "Card file the save is written into")->required();
    auto* to = cmd->add_option("--to", args->to, "Line of DST selected before the transfer (1-15)")->check(slotCheck);
    cmd->add_flag("--replace", args->replace, "Answer Yes when asked to replace an occupied line");
    cmd->callback([&io, &status, args, to, move] {
      CopyOptions options;
      if (to->count() > 0) options.to = SlotOf(args->to);
      options.replace = args->replace;
      options.move = move;
      status = RunCopy(args->source, SlotOf(args->slot), args->target, options, io);
    });
  }
}

}  // namespace

void AddSlotCommands(CLI::App& app, Streams& io, int& status) {
  auto args = std::make_shared<SlotArgs>();
  const CLI::Validator slotCheck = SlotValidator();
  AddTransferCommands(app, io, status, args);

  auto* del = app.add_subcommand("delete", "Delete slot SLOT of CARD (free entry, zeroed block)");
  del->add_option("CARD", args->card, "Card file")->required();
  del->add_option("SLOT", args->slot, "Slot (1-15)")->required()->check(slotCheck);
  del->callback([&io, &status, args] { status = RunDelete(args->card, SlotOf(args->slot), io); });

  auto* clear = app.add_subcommand("clear", "Delete every slot of CARD");
  clear->add_option("CARD", args->card, "Card file")->required();
  clear->callback([&io, &status, args] { status = RunClear(args->card, io); });

  auto* toggle = app.add_subcommand("toggle", "Mark the save on line SLOT of CARD as deleted, or undelete it");
  toggle->add_option("CARD", args->card, "Card file")->required();
  toggle->add_option("SLOT", args->slot, "Slot (1-15)")->required()->check(slotCheck);
  toggle->callback([&io, &status, args] { status = RunToggle(args->card, SlotOf(args->slot), io); });

  auto* edit = app.add_subcommand("edit", "Set the region letter and/or game ID of the save on line SLOT of CARD");
  edit->add_option("CARD", args->card, "Card file")->required();
  edit->add_option("SLOT", args->slot, "Slot (1-15)")->required()->check(slotCheck);
  auto* region = edit->add_option("--region", args->region, "usa, eur or jap")
                     ->check(CLI::IsMember({"usa", "eur", "jap"}, CLI::ignore_case));
  auto* id = edit->add_option("--id", args->id, "Game ID, up to 10 characters (lower case becomes upper case)");
  edit->callback([&io, &status, args, region, id] {
    EditOptions options;
    if (region->count() > 0) options.region = args->region;
    if (id->count() > 0) options.id = args->id;
    status = RunEdit(args->card, SlotOf(args->slot), options, io);
  });

  auto* compare = app.add_subcommand("compare", "Compare the save blocks of SLOT1 of CARD1 and SLOT2 of CARD2");
  compare->add_option("CARD1", args->source, "First card file")->required();
  compare->add_option("SLOT1", args->slot, "Slot of CARD1 (1-15)")->required()->check(slotCheck);
  compare->add_option("CARD2", args->target, "Second card file")->required();
  compare->add_option("SLOT2", args->slot2, "Slot of CARD2 (1-15)")->required()->check(slotCheck);
  compare->callback([&io, &status, args] {
    status = RunCompare(args->source, SlotOf(args->slot), args->target, SlotOf(args->slot2), io);
  });
}

}  // namespace selvane::cli
