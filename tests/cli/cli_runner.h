// Runs the built selvane-cli in a child process and captures its output and exit status.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace selvane::test {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ShellQuote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// `scratch` is a folder for the captured streams.
inline CliRun RunCli(const std::vector<std::string>& args, const std::filesystem::path& scratch) {
  std::string command = ShellQuote(SELVANE_CLI_PATH);
  for (const auto& a : args) command += " " + ShellQuote(a);
  const auto outPath = scratch / "cli.out";
  const auto errPath = scratch / "cli.err";
  command += " >" + ShellQuote(outPath.string()) + " 2>" + ShellQuote(errPath.string()) + " </dev/null";
  const int raw = std::system(command.c_str());
  CliRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  run.out = ReadText(outPath);
  run.err = ReadText(errPath);
  return run;
}

}  // namespace selvane::test
