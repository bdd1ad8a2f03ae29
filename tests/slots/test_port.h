// A UserPort for tests: questions are answered from a script, and every message and question is
// recorded. Also a helper that puts a built card into a listed pane.
#pragma once

#include <gtest/gtest.h>

#include <deque>

#include "slots/pane.h"

namespace selvane::testkit {

class TestPort : public UserPort {
 public:
  struct Message {
    std::string text;
    MessageIcon icon;
  };
  struct Question {
    std::string text;
    Buttons buttons;
    Answer defaultAnswer;
  };

  // The answers that the next questions get, in order. A question with no answer left fails the
  // test (and is answered with its default).
  TestPort& Answering(std::initializer_list<Answer> answers) {
    answers_.insert(answers_.end(), answers);
    return *this;
  }
  const std::vector<Message>& messages() const { return messages_; }
  const std::vector<Question>& questions() const { return questions_; }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const Message& m : messages_) texts.push_back(m.text);
    return texts;
  }
  void Clear() { messages_.clear(), questions_.clear(); }

  void ShowMessage(std::string_view text, MessageIcon icon) override { messages_.push_back({std::string(text), icon}); }
  Answer Ask(std::string_view text, Buttons buttons, Answer defaultAnswer) override {
    questions_.push_back({std::string(text), buttons, defaultAnswer});
    EXPECT_FALSE(answers_.empty()) << "unexpected question: " << text;
    const Answer answer = answers_.empty() ? defaultAnswer : answers_.front();
    if (!answers_.empty()) answers_.pop_front();
    return answer;
  }
  std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest&) override { return Unexpected("open"); }
  std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest&) override { return Unexpected("save"); }

 private:
  static std::nullopt_t Unexpected(const char* dialog) {
    ADD_FAILURE() << "unexpected " << dialog << " dialog";
    return std::nullopt;
  }
  std::deque<Answer> answers_;
  std::vector<Message> messages_;
  std::vector<Question> questions_;
};

// A TestPort whose file dialogs are answered in order from `choices` (nullopt: Cancel); each
// request is recorded, and a dialog with no choice left fails the test. A choice without a path
// confirms the name the dialog shows for the entry it picks: that entry's suggested name, else
// the default name.
struct DialogPort : TestPort {
  std::vector<std::optional<FileChoice>> choices;
  std::vector<FileDialogRequest> requests;
  std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest& request) override { return Next(request); }
  std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest& request) override { return Next(request); }
  std::optional<FileChoice> Next(const FileDialogRequest& request) {
    requests.push_back(request);
    if (requests.size() > choices.size()) ADD_FAILURE() << "unexpected file dialog: " << request.title;
    std::optional<FileChoice> choice = requests.size() > choices.size() ? std::nullopt : choices[requests.size() - 1];
    if (choice && choice->path.empty()) {
      const auto entry = static_cast<std::size_t>(choice->filterIndex - 1);
      choice->path = entry < request.entryNames.size() ? request.entryNames[entry] : request.defaultName;
    }
    return choice;
  }
};

// A pane holding `image` under a path of `format`, listed as after loading (15 lines, no
// selection, not modified).
inline Pane ListedPane(CardImage image, Format format, int index = 0) {
  Pane pane;
  pane.index = index;
  pane.path = "card" + std::string(FormatKey(format));
  pane.image = std::move(image);
  TestPort quiet;
  EXPECT_TRUE(RefreshSlots(pane, quiet));
  return pane;
}

}  // namespace selvane::testkit
