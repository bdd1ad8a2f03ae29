// ASCII case folding for extensions, option words and key names. Unlike std::tolower it does not
// depend on the C locale, and it leaves every byte outside A-Z as it is (UTF-8 and code page text
// pass unchanged).
#pragma once

#include <string>
#include <string_view>

namespace selvane {

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

}  // namespace selvane
