// The fixture of the tests that run selvane-cli as a user runs it: a child process working on
// files in a temporary folder of the test's own, its output captured beside the files' folder.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/temp_folder.h"

namespace selvane::testkit {

struct CliRun {
  int status = -1;
  std::string out, err;
  bool operator==(const CliRun&) const = default;
  friend std::ostream& operator<<(std::ostream& os, const CliRun& r) {
    return os << "exit " << r.status << ", out \"" << r.out << "\", err \"" << r.err << "\"";
  }
};

inline std::string Text(const std::filesystem::path& p) {
  return {std::istreambuf_iterator<char>(std::ifstream(p).rdbuf()), {}};
}

class CliFolder : public TempFolder {
 protected:
  // Runs the built selvane-cli with `args`; an alarm (which survives exec) ends a command that
  // would wait for ever.
  CliRun Run(std::vector<std::string> args) const {
    args.insert(args.begin(), SELVANE_CLI_PATH);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
      if (!freopen((dir_ / "out").c_str(), "w", stdout) || !freopen((dir_ / "err").c_str(), "w", stderr)) _exit(126);
      alarm(10);
      execv(argv[0], argv.data());
      _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), Text(dir_ / "out"), Text(dir_ / "err")};
  }
};

}  // namespace selvane::testkit
