// import and export: each loads CARD into a pane and runs the routine the window runs when save
// files are dropped on a list or Export Save... is chosen.
#include "cli/save_file_commands.h"

#include <memory>
#include <string>
#include <vector>

#include "cli/slot_commands.h"
#include "core/file_io.h"
#include "slots/file_actions.h"
#ifdef SELVANE_HAVE_SIGNING
#include "crypto/signature_primitives.h"
#endif

namespace selvane::cli {
namespace {

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
  Pane pane;
  if (!LoadPane(pane, card, port) || !CanSaveBack(pane, port)) return kExitFailed;
  port.SetSubject({});  // the import's messages name their files
  port.SetAnswer(options.allowSameName ? Answer::Yes : Answer::No);
  if (options.to) pane.selected = *options.to - 1;
  const ImportResult result = ImportSaveFiles(pane, files, port);
  if (result.outcome == Outcome::Declined) {
    port.SetSubject(files[result.file]);
    port.Print("a save named " + result.saveName + " is already on " + card + "; --allow-same-name imports it anyway");
  }
  if (result.outcome != Outcome::Done) return kExitFailed;
  port.SetAnswer(Answer::No);
  return SavePane(pane, port) ? kExitOk : kExitFailed;
}

int RunExport(const std::string& card, int slot, const std::string& out, bool raw, Streams io) {
  if (!IsSlot(slot)) return BadSlot(io);
  const auto kind = raw ? std::optional(SaveFileKind::Raw) : SaveFileKindOfPath(out);
  if (!kind) {
    io.err << out << ": a save is written as " << WrittenSaveExtensionsText() << ", or raw (no extension, or --raw)\n";
    return kExitUsage;
  }
  CliPort port(io.err);
  Pane pane;
  if (!LoadAndSelect(pane, card, slot, port)) return kExitFailed;
  HoldingPort exporting(io.err);
  exporting.SetSubject(card);
  // The window's "Select a slot" and "File is in a wrong format." (held back) ask for a click and
  // name no reason; here the line was named, so say what is on it instead.
  const ExportTarget target{out, *kind};
  switch (ExportSave(
      pane, [&target](const SingleSave&) { return std::optional(target); }, exporting)) {
    case Outcome::Done:
      return kExitOk;
    case Outcome::NotASave:
      exporting.Print("line " + std::to_string(slot) + " holds no save; nothing was exported");
      return kExitFailed;
    case Outcome::NothingChanged:
      exporting.Print("nothing was exported: the card file ends before the save's last block");
      return kExitFailed;
    default:
      exporting.SetSubject({});  // a failed write's message names the file
      exporting.Release();
      return kExitFailed;
  }
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

  auto* import = app.add_subcommand("import", "Put each single save FILE (" + SingleSaveKindsText() +
                                                  ") on CARD as a transfer places a save, whole or nothing");
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

auto* exp = app.add_subcommand("export", "Write the save on line SLOT of CARD to OUT (" + WrittenSaveExtensionsText() +
                                             ", or raw without extension)");
exp->add_option("CARD", args->card, "Card file")->required();
exp->add_option("SLOT", args->slot, "Slot (1-15), any line of the save")->required()->check(slotCheck);
exp->add_option("OUT", args->out, "Save file to write")->required();
exp->add_flag("--raw", args->raw, "Write the raw blocks whatever OUT's extension");
exp->callback([&io, &status, args] {
  status = RunExport(args->card, ParseSlotNumber(args->slot).value_or(0), args->out, args->raw, io);
});
}  // namespace selvane::cli

}  // namespace selvane::cli
