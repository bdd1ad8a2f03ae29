#include "shell/desktop_registration.h"

#include <algorithm>
#include <system_error>

#include "core/file_io.h"
#include "shell/desktop_texts.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;
#endif

namespace selvane::shell {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kExecKey = "Exec=";

// An argument of an Exec line: quoted when it holds a character the launcher would take apart,
// with the four characters that stay special inside the quotes escaped, and '%' doubled so it is
// no field code.
std::string ExecArgument(std::string_view argument) {
  constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
  constexpr std::string_view kEscapedInQuotes = "\"`$\\";
  const bool quote = argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos;
  std::string result = quote ? "\"" : "";
  for (const char c : argument) {
    if (quote && kEscapedInQuotes.find(c) != std::string_view::npos) result += '\\';
    result += c;
    if (c == '%') result += '%';
  }
  if (quote) result += '"';
  return result;
}

// A desktop entry value escapes its own backslashes, on top of the Exec quoting.
std::string EscapeValue(std::string_view value) {
  std::string result;
  for (const char c : value) {
    if (c == '\\') result += '\\';
    result += c;
  }
  return result;
}

bool HoldsRegistration(const fs::path& dataDir) {
  std::error_code ec;
  return fs::is_regular_file(dataDir / kDesktopEntryPath, ec) && fs::is_regular_file(dataDir / kMimePackagePath, ec);
}

Bytes AsBytes(std::string_view text) { return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}; }

// Writes `content` to `path` unless a file is there already. True when it wrote the file.
bool WriteIfMissing(const fs::path& path, Bytes content, DesktopOutcome& outcome) {
  std::error_code ec;
  if (fs::exists(path, ec)) return false;
  fs::create_directories(path.parent_path(), ec);
  if (ec) {
    outcome.failures.push_back(path.parent_path().string() + ": " + ec.message());
    return false;
  }
  const WriteResult result = WriteFileAtomic(path.string(), content);
  if (!result.ok) {
    outcome.failures.push_back(path.string() + ": " + result.reason);
    return false;
  }
  outcome.written.push_back(path);
  return true;
}

}  // namespace

std::string DesktopEntryFor(std::string_view programPath) {
  const auto isControl = [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; };
  if (std::any_of(programPath.begin(), programPath.end(), isControl)) return {};

  std::string entry;
  std::string_view rest = resource::kDesktopEntry;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (line.starts_with(kExecKey)) {
      entry += std::string(kExecKey) + EscapeValue(ExecArgument(programPath)) + " %f";
    } else {
      entry += line;
    }
    entry += '\n';
  }
  return entry;
}

std::string_view MimePackage() { return resource::kMimePackage; }

DesktopOutcome RegisterWithDesktop(const DesktopSetup& setup) {
  DesktopOutcome outcome;
  if (setup.dataHome.empty()) {
    outcome.failures.emplace_back("no data folder: neither XDG_DATA_HOME nor HOME is set");
    return outcome;
  }
  outcome.alreadyRegistered =
      HoldsRegistration(setup.dataHome) || std::any_of(setup.dataDirs.begin(), setup.dataDirs.end(), HoldsRegistration);
  if (outcome.alreadyRegistered) return outcome;

  const std::string entry = DesktopEntryFor(setup.programPath);
  if (setup.programPath.empty() || entry.empty()) {
    outcome.failures.push_back(setup.programPath + ": no program path that a desktop entry can start");
    return outcome;
  }
  const bool mimeWritten = WriteIfMissing(setup.dataHome / kMimePackagePath, AsBytes(MimePackage()), outcome);
  if (!setup.iconPng.empty()) WriteIfMissing(setup.dataHome / kIconPath, setup.iconPng, outcome);
  const bool entryWritten = WriteIfMissing(setup.dataHome / kDesktopEntryPath, AsBytes(entry), outcome);

  if (setup.runTool) {
    if (mimeWritten) setup.runTool({"update-mime-database", (setup.dataHome / "mime").string()});
    if (entryWritten) setup.runTool({"update-desktop-database", (setup.dataHome / "applications").string()});
  }
  return outcome;
}

DesktopSetup DesktopSetupFrom(const char* xdgDataHome, const char* home, const char* xdgDataDirs) {
  DesktopSetup setup;
  if (xdgDataHome != nullptr && fs::path(xdgDataHome).is_absolute()) {
    setup.dataHome = xdgDataHome;
  } else if (home != nullptr && *home != '\0') {
    setup.dataHome = fs::path(home) / ".local" / "share";
  }
  const std::string_view dirs =
      xdgDataDirs != nullptr && *xdgDataDirs != '\0' ? xdgDataDirs : "/usr/local/share:/usr/share";
  for (std::size_t start = 0; start <= dirs.size();) {
    const std::size_t end = std::min(dirs.find(':', start), dirs.size());
    const fs::path dir(dirs.substr(start, end - start));
    if (dir.is_absolute()) setup.dataDirs.push_back(dir);
    start = end + 1;
  }
  return setup;
}

#if !defined(_WIN32)
bool RunTool(const std::vector<std::string>& command) {
  if (command.empty()) return false;
  std::vector<char*> argv;
  argv.reserve(command.size() + 1);
  for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;

  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
#endif

}  // namespace selvane::shell
