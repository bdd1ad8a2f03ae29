// A UserPort for the window's tests: answers questions and file dialogs from queues set up by
// the test, and records every message, question and dialog request.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "slots/user_port.h"

namespace selvane::test {

class ScriptedPort : public UserPort {
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

  std::deque<Answer> answers;
  std::deque<std::optional<FileChoice>> openChoices;
  std::deque<std::optional<FileChoice>> saveChoices;

  std::vector<Message> messages;
  std::vector<Question> questions;
  std::vector<FileDialogRequest> openRequests;
  std::vector<FileDialogRequest> saveRequests;
  // What the window asked for without a scripted answer; a test expects this to stay empty.
  std::vector<std::string> unexpected;

  void ShowMessage(std::string_view text, MessageIcon icon) override { messages.push_back({std::string(text), icon}); }

  Answer Ask(std::string_view text, Buttons buttons, Answer defaultAnswer) override {
    questions.push_back({std::string(text), buttons, defaultAnswer});
    if (answers.empty()) {
      unexpected.push_back("question: " + std::string(text));
      return buttons == Buttons::YesNoCancel ? Answer::Cancel : Answer::No;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::optional<FileChoice> ChooseFileToOpen(const FileDialogRequest& request) override {
    openRequests.push_back(request);
    return Next(openChoices, "open dialog: " + request.title);
  }

  std::optional<FileChoice> ChooseFileToSave(const FileDialogRequest& request) override {
    saveRequests.push_back(request);
    return Next(saveChoices, "save dialog: " + request.title);
  }

  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const Message& m : messages) texts.push_back(m.text);
    return texts;
  }

 private:
  std::optional<FileChoice> Next(std::deque<std::optional<FileChoice>>& queue, std::string what) {
    if (queue.empty()) {
      unexpected.push_back(std::move(what));
      return std::nullopt;
    }
    auto choice = queue.front();
    queue.pop_front();
    return choice;
  }
};

}  // namespace selvane::test
