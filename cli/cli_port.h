// The UserPort of selvane-cli: messages go to standard error as "path: message", questions are
// answered from the command's options, and there are no file dialogs.
#pragma once

#include <ostream>
#include <string>

#include "slots/user_port.h"

namespace selvane::cli {

class CliPort : public UserPort {
 public:
  explicit CliPort(std::ostream& err) : err_(err) {}

  // The file that following messages are about.
  void SetSubject(std::string path) { subject_ = std::move(path); }
  // How the replace question (and any other Yes/No question) is answered.
  void SetAnswer(Answer answer) { answer_ = answer; }

  void ShowMessage(std::string_view text, MessageIcon) override { Print(text); }
  Answer Ask(std::string_view, Buttons, Answer) override { return answer_; }
  std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest&) override { return std::nullopt; }

  void Print(std::string_view text) {
    if (!subject_.empty()) err_ << subject_ << ": ";
    err_ << text << "\n";
  }

 private:
  std::ostream& err_;
  std::string subject_;
  Answer answer_ = Answer::No;
};

}  // namespace selvane::cli
