// What the fuzz targets share: a check that stops the run with a message, the paths they list
// cards under, and a port that records what an operation shows.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "slots/user_port.h"

namespace selvane::fuzz {

// Stops the run (libFuzzer then saves the input) when `ok` is false.
inline void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
  }
}

// One path per format, the odd spellings the format rule must handle, and unsupported names.
inline constexpr std::string_view kPaths[16] = {
    "card.mem",           "card.mcd", "card.mcr", "card.gme", "card.ddf", "card.psx", "card.ps",      "CARD.PS",
    "ePSXe/epsxe000.MCR", "x.GmE",    ".ps",      "ps",       "card.bin", "",         "card.psx.bak", "a.mcrx"};

// Records the messages, answers every question with `answer`; no slot code opens a file dialog.
class RecordingPort : public UserPort {
 public:
  Answer answer = Answer::No;
  int questions = 0;
  std::vector<std::string> messages;

  void ShowMessage(std::string_view text, MessageIcon) override { messages.emplace_back(text); }
  Answer Ask(std::string_view, Buttons, Answer) override {
    ++questions;
    return answer;
  }
  std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest&) override { return NoDialog(); }
  std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest&) override { return NoDialog(); }

 private:
  static std::optional<FileChoice> NoDialog() {
    Check(false, "no slot operation opens a file dialog");
    return std::nullopt;
  }
};

}  // namespace selvane::fuzz
