// The window's save-file commands on the popup menu, Import Save... and Export Save...: the
// dialogs around the routines selvane-cli's import and export run.
#include <filesystem>

#include "slots/card_file.h"
#include "slots/file_actions.h"
#include "ui/frm_selvane.h"

namespace selvane::ui {
namespace {

std::string CardName(int index) { return "Memory Card " + std::to_string(index + 1); }

}  // namespace

void frmSelvane::mnuImportSave_Click() {
  const int index = PopupPane;
  // As a transfer does, a pane without a card asks for one first.
  if (model(index).image.empty()) {
    btnBrowse_Click(index);
    return;
  }
  const std::string title = "Import Save to " + CardName(index);
  const std::string file = OpenDialog(*port_, filters::kSingleSaves, title, model(index).path);
  if (!file.empty()) ImportSaveFiles(model(index), std::vector{file}, *port_);
}

void frmSelvane::mnuExportSave_Click() {
  const int index = PopupPane;
  // The card's folder, as the file system's bytes as the path is.
  std::filesystem::path folder;
  if (!model(index).path.empty()) {
    std::error_code error;
    folder = std::filesystem::absolute(model(index).path, error).parent_path();
  }
  ExportSave(
      model(index),
      [&](const SingleSave& save) -> std::optional<ExportTarget> {
        // Each entry suggests the name its kind of file is read back by; the dialog starts on .mcs.
        std::vector<std::string> names = SaveFileNamesPerEntry(save.name, folder.string());
        const FileDialogRequest request{"Export Save from " + CardName(index),
                                        filters::kSingleSaves,
                                        folder.string(),
                                        names.front(),
                                        1,
                                        std::move(names)};
        const auto choice = port_->ChooseFileToSave(request);
        if (!choice || choice->path.empty()) return std::nullopt;
        return ExportTargetFor(choice->path, choice->filterIndex);
      },
      *port_);
}

}  // namespace selvane::ui
