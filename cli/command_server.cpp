// Runs many selvane-cli command lines in one process, for the robustness run (scripts/robustness):
// under the sanitizers, starting a process costs far more than most commands, and the corpus
// makes thousands of runs. Not installed.
//
// Each request on standard input is a line with the number of arguments N, then N lines, one
// argument each (no program name). Each answer on standard output is "status S", then "out N" and
// N bytes, then "err N" and N bytes: the command's exit status and its two outputs, with their
// trailing newlines and any zero bytes removed, as a shell's command substitution gives them.
#include <algorithm>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace {

std::string AsSubstituted(std::string text) {
  std::erase(text, '\0');
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

}  // namespace

int main() {
  std::ios::sync_with_stdio(false);
  std::string line;
  while (std::getline(std::cin, line)) {
    std::size_t count = 0;
    try {
      count = std::stoul(line);
    } catch (const std::exception&) {
      std::cerr << "selvane-cli-server: a request starts with its number of arguments, not '" << line << "'\n";
      return 2;
    }
    std::vector<std::string> args{"selvane-cli"};
    for (std::size_t i = 0; i < count && std::getline(std::cin, line); ++i) args.push_back(line);
    std::vector<const char*> argv(args.size());
    std::transform(args.begin(), args.end(), argv.begin(), [](const std::string& arg) { return arg.c_str(); });
    std::ostringstream out, err;
    const int status =
        selvane::cli::RunCommandLine(static_cast<int>(argv.size()), argv.data(), "selvane-cli", {out, err});
    const std::string outText = AsSubstituted(out.str()), errText = AsSubstituted(err.str());
    std::cout << "status " << status << "\nout " << outText.size() << "\n"
              << outText << "err " << errText.size() << "\n"
              << errText << std::flush;
  }
  return 0;
}
