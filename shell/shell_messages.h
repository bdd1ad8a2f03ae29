// How file type registration shows its one message. The window implements it with a message box;
// tests record what would have been shown.
#pragma once

#include <string_view>

namespace selvane::shell {

// The title of the registration's messages: the application's title (not the window caption).
inline constexpr std::string_view kApplicationTitle = "Selvane";

class ShellMessages {
 public:
  virtual ~ShellMessages() = default;
  // A message box with the exclamation icon and an OK button, titled `title`.
  virtual void ShowExclamation(std::string_view title, std::string_view text) = 0;
};

}  // namespace selvane::shell
