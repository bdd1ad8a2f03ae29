#include "slots/file_actions.h"

#include <vector>

#include "core/file_io.h"
#include "slots/card_file.h"
#include "slots/single_save_ops.h"

namespace selvane {
namespace {

// "The memory card is full." without its full stop, as the reason a refusal gives.
std::string_view CardFullReason() { return text::kCardFull.substr(0, text::kCardFull.size() - 1); }

// Reads every file as a single save; on the first refusal shows its message and returns its index.
std::optional<std::size_t> ReadAll(std::span<const std::string> files, std::vector<SaveFileRead>& reads,
                                   UserPort& port) {
  for (std::size_t i = 0; i < files.size(); ++i) {
    reads.push_back(ReadSaveFileAt(files[i]));
    const SaveFileRead& read = reads.back();
    if (read.save) continue;
    const std::string problem = read.unreadable ? "it cannot be read (" + read.problem + ")" : read.problem;
    port.ShowMessage(text::SaveFileRefused(files[i], problem), MessageIcon::Information);
    return i;
  }
  return std::nullopt;
}

}  // namespace

std::string text::ReplaceExistingQuestion(std::string_view path) {
  return std::string(path) + " already exists. Do you want to replace it?";
}

ImportResult ImportSaveFiles(Pane& pane, std::span<const std::string> files, UserPort& port) {
  std::vector<SaveFileRead> reads;
  if (const auto refused = ReadAll(files, reads, port)) return {Outcome::FileRefused, *refused, {}};
  for (std::size_t i = 0; i < files.size(); ++i) {
    // Downloaded saves often carry a wrong signature, and some saves a console wrote lack "SC":
    // the blocks are good all the same.
    if (reads[i].signatureValid == false)
      port.ShowMessage(text::WrongSaveSignature(files[i]), MessageIcon::Exclamation);
    if (reads[i].firstBlockWithoutSc) port.ShowMessage(text::FirstBlockWithoutSc(files[i]), MessageIcon::Exclamation);
  }
  // All or none: the saves land on a copy, which the pane takes once every one has landed.
  Pane landed = pane;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (i > 0) landed.selected = -1;  // the selected line is the first save's only
    const SingleSave& save = *reads[i].save;
    const Outcome outcome = ImportSave(landed, save, port);
    if (outcome == Outcome::CardFull)
      port.ShowMessage(text::SaveFileRefused(files[i], CardFullReason()), MessageIcon::Information);
    if (outcome != Outcome::Done) return {outcome, i, save.name};
  }
  pane = std::move(landed);
  return {Outcome::Done, files.size(), {}};
}

Outcome ExportSave(const Pane& pane, const ExportChooser& choose, UserPort& port) {
  if (pane.selected < 0) {
    port.ShowMessage(text::kSelectSlot, MessageIcon::Information);
    return Outcome::NoSelection;
  }
  const TakenSave taken = TakeSave(pane, port);
  if (taken.outcome == Outcome::NothingChanged) port.ShowMessage(text::kWrongFormat, MessageIcon::Information);
  if (taken.outcome != Outcome::Done) return taken.outcome;
  const auto target = choose(taken.save);
  if (!target) return Outcome::Declined;
  const std::string path = target->path.string();
  if (target->extensionAppended && FileExists(path) &&
      port.Ask(text::ReplaceExistingQuestion(path), Buttons::YesNo, Answer::No) != Answer::Yes)
    return Outcome::Declined;
  const WriteResult written = WriteFileAtomic(path, SaveFileContent(taken.save, target->kind));
  if (!written.ok) {
    port.ShowMessage(SaveFailedMessage(path, written.reason), MessageIcon::Information);
    return Outcome::FileRefused;
  }
  return Outcome::Done;
}

Outcome NewCard(Pane& pane, const std::string& path, std::string& outputExt, UserPort& port) {
  if (!FormatFromPath(path)) {
    port.ShowMessage(text::kFormatNotSupported, MessageIcon::Information);
    return Outcome::FormatNotSupported;
  }
  pane.path = path;
  pane.image = EmptyCard();
  pane.cardFormat = std::string(FormatKey(Format::Mcr));
  switch (SaveCard(path, pane, outputExt, port)) {
    case SaveOutcome::Saved:
      return Outcome::Done;
    case SaveOutcome::Cancelled:
      return Outcome::Declined;
    default:
      return Outcome::FileRefused;
  }
}

}  // namespace selvane
