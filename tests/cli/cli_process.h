// Runs selvane-cli as a child process with limits that must not touch the test process: a file
// size limit (with SIGXFSZ ignored, so a write fails with EFBIG instead of killing the program),
// an ordinary user id when the tests run as the superuser, and a time limit that turns a hang into
// a failure.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/cli/cli_runner.h"

namespace selvane::test {

struct CliLimits {
  long fileSizeLimit = -1;  // bytes, -1 for none
  bool ordinaryUser = false;
  unsigned timeoutSeconds = 30;
};

// The user id of "nobody", which owns nothing that the tests create.
inline constexpr uid_t kNobody = 65534;

inline CliRun RunCliWithLimits(const std::vector<std::string>& args, const CliLimits& limits = {}) {
  const auto scratch = std::filesystem::temp_directory_path();
  const std::string tag = std::to_string(getpid());
  const auto outPath = scratch / ("selvane-cli-out-" + tag);
  const auto errPath = scratch / ("selvane-cli-err-" + tag);

  std::vector<std::string> argv{SELVANE_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargs;
  for (auto& a : argv) cargs.push_back(a.data());
  cargs.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || in < 0) _exit(120);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    if (limits.fileSizeLimit >= 0) {
      signal(SIGXFSZ, SIG_IGN);  // stays ignored across exec
      const rlimit limit{static_cast<rlim_t>(limits.fileSizeLimit), static_cast<rlim_t>(limits.fileSizeLimit)};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(121);
    }
    if (limits.ordinaryUser && geteuid() == 0) {
      if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(122);
    }
    alarm(limits.timeoutSeconds);  // a pending alarm survives exec
    execv(cargs[0], cargs.data());
    _exit(127);
  }
  CliRun run;
  int status = 0;
  waitpid(pid, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = ReadText(outPath);
  run.err = ReadText(errPath);
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return run;
}

inline std::set<std::string> Listing(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

}  // namespace selvane::test
