// import and export: each loads CARD into a pane and runs the routine the window runs when a save
// file is dropped on a list or a line is dragged out of it.
#include "cli/save_file_commands.h"

#include <memory>
#include <string>
#include <vector>

#include "cli/slot_commands.h"
#include "core/file_io.h"
#include "slots/single_save_ops.h"
#ifdef SELVANE_HAVE_SIGNING
#include "crypto/signature_primitives.h"
#endif

namespace selvane::cli {
namespace {

// Reads FILE as a single save; nullopt after printing "FILE: reason".
std::optional<SingleSave> ReadSave(const std::string& file, CliPort& port) {
  port.SetSubject(file);
  SaveFileRead save = ReadSaveFileAt(file);
  if (!save.save) {
    port.Print(save.unreadable ? "cannot be read: " + save.problem : save.problem);
    return std::nullopt;
  }
  // Downloaded saves often carry a wrong signature; the blocks are good all the same.
  if (save.signatureValid == false)
    port.Print("warning: its signature is wrong (a PS3 would refuse the file); the save is imported all the same");
  if (save.firstBlockWithoutSc)
    port.Print(
        "warning: its first block does not start with \"SC\" (the save has no title or icon); the save is "
        "imported all the same");
  return std::move(save.save);
}

// Holds back what an operation shows until its outcome says whether the command words it otherwise;
// what is not released is never printed.
class HoldingPort : public CliPort {
 public:
  using CliPort::CliPort;
  void ShowMessage(std::string_view text, MessageIcon) override { held_.emplace_back(text); }
  void Release() {
    for (const std::string& text : held_) Print(text);
    held_.clear();
  }

 private:
  std::vector<std::string> held_;
};

}  // namespace

int RunImport(const std::string& card, const std::vector<std::string>& files, const ImportOptions& options,
              Streams io) {
  if (options.to && !IsSlot(*options.to)) return BadSlot(io);
  CliPort port(io.err);
  std::vector<SingleSave> saves;
  bool readable = true;
  for (const std::string& file : files) {
    auto save = ReadSave(file, port);
    readable = readable && save.has_value();
    if (save) saves.push_back(std::move(*save));
  }
  if (!readable) return kExitFailed;

  Pane pane;
  if (!LoadPane(pane, card, port) || !CanSaveBack(pane, port)) return kExitFailed;
  port.SetAnswer(options.allowSameName ? Answer::Yes : Answer::No);
  for (std::size_t i = 0; i < saves.size(); ++i) {
    pane.selected = i == 0 && options.to ? *options.to - 1 : -1;
    port.SetSubject(card);
    const Outcome outcome = ImportSave(pane, saves[i], port);
    if (outcome == Outcome::Declined) {
      port.SetSubject(files[i]);
      port.Print("a save named " + saves[i].name + " is already on " + card + "; --allow-same-name imports it anyway");
    }
    if (outcome != Outcome::Done) return kExitFailed;
  }
  port.SetAnswer(Answer::No);
  return SavePane(pane, port) ? kExitOk : kExitFailed;
}

int RunExport(const std::string& card, int slot, const std::string& out, bool raw, Streams io) {
  if (!IsSlot(slot)) return BadSlot(io);
  const auto kind = raw ? std::optional(SaveFileKind::Raw) : SaveFileKindOfPath(out);
  if (!kind) {
    io.err << out << ": a save is written as .mcs, .ps1, .psv, or raw (no extension, or --raw)\n";
    return kExitUsage;
  }
  CliPort port(io.err);
  Pane pane;
  if (!LoadAndSelect(pane, card, slot, port)) return kExitFailed;
  HoldingPort taking(io.err);
  taking.SetSubject(card);
  const TakenSave taken = TakeSave(pane, taking);
  if (taken.outcome == Outcome::NotASave) {
    // The window's "Select a slot" (held back) asks for a click; here the line was named, so say
    // what is on it instead.
    taking.Print("line " + std::to_string(slot) + " holds no save; nothing was exported");
    return kExitFailed;
  }
  taking.Release();
  if (taken.outcome == Outcome::NothingChanged) {
    port.Print("nothing was exported: the card file ends before the save's last block");
    return kExitFailed;
  }
  if (taken.outcome != Outcome::Done) return kExitFailed;
  const WriteResult written = WriteFileAtomic(out, SaveFileContent(taken.save, *kind));
  if (!written.ok) {
    port.SetSubject(out);
    port.Print("could not be written: " + written.reason);
    return kExitFailed;
  }
  return kExitOk;
}

bool InstallSigning() {
#ifdef SELVANE_HAVE_SIGNING
  InstallSignaturePrimitives(&crypto::Primitives());
  return true;
#else
  return false;
#endif
}

void AddSaveFileCommands(CLI::App& app, Streams& io, int& status) {
  struct Args {
    std::string card, slot, to, out;
    std::vector<std::string> files;
    bool allowSameName = false, raw = false;
  };
  auto args = std::make_shared<Args>();
  const CLI::Validator slotCheck = SlotValidator();

  auto* import = app.add_subcommand("import",
                                    "Put each single save FILE (.mcs, .ps1, .psv, 54-byte header, raw) on "
                                    "CARD as a transfer places a save, whole or nothing");
  import->add_option("CARD", args->card, "Card file")->required();
  import->add_option("FILE", args->files, "Save files")->required();
  auto* to = import->add_option("--to", args->to, "Line of CARD selected for the first save (1-15)")->check(slotCheck);
  import->add_flag("--allow-same-name", args->allowSameName,
                   "Import a save even when a save of the same name is already on CARD");
  import->callback([&io, &status, args, to] {
    ImportOptions options;
  if (to->count() > 0) options.to = ParseSlotNumber(args->to);
  options.allowSameName = args->allowSameName;
  status = RunImport(args->card, args->files, options, io);
});

auto* exp = app.add_subcommand("export",
                               "Write the save on line SLOT of CARD to OUT (.mcs, .ps1, .psv, or raw "
                               "without extension)");
exp->add_option("CARD", args->card, "Card file")->required();
exp->add_option("SLOT", args->slot, "Slot (1-15), any line of the save")->required()->check(slotCheck);
exp->add_option("OUT", args->out, "Save file to write")->required();
exp->add_flag("--raw", args->raw, "Write the raw blocks whatever OUT's extension");
exp->callback([&io, &status, args] {
  status = RunExport(args->card, ParseSlotNumber(args->slot).value_or(0), args->out, args->raw, io);
});
}  // namespace selvane::cli

}  // namespace selvane::cli
