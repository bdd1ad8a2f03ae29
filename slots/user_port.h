// The one way an operation talks to the user: messages, questions and file choices. The window
// shows boxes and dialogs, a test answers in code, and selvane-cli prints and answers from its
// options.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace selvane {

enum class MessageIcon { Information, Exclamation, Question };
enum class Answer { Yes, No, Cancel };
enum class Buttons { YesNo, YesNoCancel };

// What a file dialog is opened with. `filter` is the "description|pattern|..." text, and
// `filterIndex` the 1-based entry it starts on. `entryNames`, when given, holds one suggested name
// per filter entry (a path as `defaultName` is): the dialog shows the name of the entry the user
// picks, as long as the user has not typed another.
struct FileDialogRequest {
  std::string title;
  std::string filter;
  std::string initDir;
  std::string defaultName;
  int filterIndex = 1;
  std::vector<std::string> entryNames;
};

// The user's choice in a file dialog: the path as typed or picked and the 1-based filter entry
// that was selected when the dialog was confirmed.
struct FileChoice {
  std::string path;
  int filterIndex = 1;
};

class UserPort {
 public:
  virtual ~UserPort() = default;
  // A message box with an OK button, titled with the window caption.
  virtual void ShowMessage(std::string_view text, MessageIcon icon) = 0;
  // A question with the question icon; `defaultAnswer` is the button Enter presses.
  virtual Answer Ask(std::string_view text, Buttons buttons, Answer defaultAnswer) = 0;
  // File dialogs; nullopt when the user cancels.
  virtual std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest& request) = 0;
  virtual std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest& request) = 0;
};

// A port that shows nothing, answers every question with its default and every file dialog with
// Cancel: for looking at a pane (a benchmark, a line about to be dragged) without a word to the user.
class SilentPort : public UserPort {
 public:
  void ShowMessage(std::string_view, MessageIcon) override {}
  Answer Ask(std::string_view, Buttons, Answer defaultAnswer) override { return defaultAnswer; }
  std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest&) override { return std::nullopt; }
};

// The fixed texts that operations show.
namespace text {
inline constexpr std::string_view kFormatNotSupported = "Memory card format not supported";
inline constexpr std::string_view kWrongFormat = "File is in a wrong format.";
inline constexpr std::string_view kSelectSlot = "Select a slot";
inline constexpr std::string_view kSelectSlotToCopy = "Select the slot to copy.";
inline constexpr std::string_view kCardFull = "The memory card is full.";
inline constexpr std::string_view kSelectSlotInCard1 = "Select a slot in Memory Card 1";
inline constexpr std::string_view kSelectSlotInCard2 = "Select a slot in Memory Card 2";
inline constexpr std::string_view kIdentical = "Slots are IDENTICAL!";
inline constexpr std::string_view kDifferent = "Slots are the DIFFERENT!!";
inline constexpr std::string_view kSingleSaveNotCard =
    "This file is a single save, not a memory card: import it onto a card.";
}  // namespace text

}  // namespace selvane
