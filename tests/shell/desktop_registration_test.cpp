// Registration with a freedesktop desktop, always into a temporary data folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "shell/desktop_registration.h"
#include "shell/startup_registration.h"

namespace selvane::shell {
namespace {
namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const fs::path& path, std::string_view text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

bool OnPath(std::string_view tool) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    if (!dir.empty() && fs::exists(fs::path(dir) / tool)) return true;
  }
  return false;
}

// The line of `text` that starts with `key`, without the key.
std::string LineOf(const std::string& text, std::string_view key) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with(key)) return line.substr(key.size());
  }
  return "(none)";
}

class DesktopRegistration : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("selvane-shell-test-" + std::to_string(std::random_device{}()));
    fs::create_directories(root_ / "home");
    fs::create_directories(root_ / "system");
    setup_.dataHome = root_ / "home";
    setup_.dataDirs = {root_ / "system"};
    setup_.programPath = "/opt/selvane/bin/selvane";
    setup_.iconPng = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    setup_.runTool = [this](const std::vector<std::string>& command) {
      commands_.push_back(command);
      return true;
    };
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path Home(std::string_view relative) const { return setup_.dataHome / relative; }

  fs::path root_;
  DesktopSetup setup_;
  std::vector<std::vector<std::string>> commands_;
};

TEST_F(DesktopRegistration, FirstStartWritesPackageIconAndEntryThenUpdatesCaches) {
  const DesktopOutcome outcome = RegisterWithDesktop(setup_);
  EXPECT_FALSE(outcome.alreadyRegistered);
  EXPECT_TRUE(outcome.failures.empty());
  EXPECT_EQ(outcome.written, (std::vector<fs::path>{Home(kMimePackagePath), Home(kIconPath), Home(kDesktopEntryPath)}));

  // The package is the installed one, byte for byte; the entry differs from it in Exec only.
  EXPECT_EQ(ReadText(Home(kMimePackagePath)), ReadText(SELVANE_RESOURCES_DIR "/selvane-mime.xml"));
  const std::string entry = ReadText(Home(kDesktopEntryPath));
  const std::string installed = ReadText(SELVANE_RESOURCES_DIR "/selvane.desktop");
  EXPECT_EQ(LineOf(entry, "Exec="), "/opt/selvane/bin/selvane %f");
  EXPECT_EQ(LineOf(installed, "Exec="), "selvane %f");
  EXPECT_EQ(entry.size() - installed.size(), std::string_view("/opt/selvane/bin/").size());
  EXPECT_EQ(ReadText(Home(kIconPath)), std::string("\x89PNG\r\n\x1A\n", 8));

  EXPECT_EQ(commands_, (std::vector<std::vector<std::string>>{
                           {"update-mime-database", Home("mime").string()},
                           {"update-desktop-database", Home("applications").string()},
                       }));
}

TEST_F(DesktopRegistration, EntryOffersExactlyThePackagesSixTypes) {
  std::set<std::string> packaged;
  const std::string package(MimePackage());
  for (std::size_t at = package.find("type=\""); at != std::string::npos; at = package.find("type=\"", at + 1)) {
    packaged.insert(package.substr(at + 6, package.find('"', at + 6) - at - 6));
  }
  std::set<std::string> offered;
  std::istringstream list(LineOf(DesktopEntryFor("/usr/bin/selvane"), "MimeType="));
  for (std::string type; std::getline(list, type, ';');) offered.insert(type);
  EXPECT_EQ(packaged.size(), 6u);
  EXPECT_EQ(offered, packaged);
  for (const char* glob : {"\"*.mem\"", "\"*.mcd\"", "\"*.mcr\"", "\"*.ddf\"", "\"*.gme\"", "\"*.psx\""}) {
    EXPECT_NE(package.find(glob), std::string::npos) << glob;
  }
  EXPECT_EQ(package.find("\"*.ps\""), std::string::npos);
  EXPECT_EQ(package.find("case-sensitive"), std::string::npos);  // globs ignore case
}

TEST_F(DesktopRegistration, SecondStartWritesNothing) {
  RegisterWithDesktop(setup_);
  WriteText(Home(kDesktopEntryPath), "edited by the user\n");
  commands_.clear();
  const DesktopOutcome outcome = RegisterWithDesktop(setup_);
  EXPECT_TRUE(outcome.alreadyRegistered);
  EXPECT_TRUE(outcome.written.empty());
  EXPECT_TRUE(commands_.empty());
  EXPECT_EQ(ReadText(Home(kDesktopEntryPath)), "edited by the user\n");
}

TEST_F(DesktopRegistration, MissingFileIsAddedAlone) {
  RegisterWithDesktop(setup_);
  fs::remove(Home(kMimePackagePath));
  commands_.clear();
  const DesktopOutcome outcome = RegisterWithDesktop(setup_);
  EXPECT_FALSE(outcome.alreadyRegistered);
  EXPECT_EQ(outcome.written, std::vector<fs::path>{Home(kMimePackagePath)});
  EXPECT_EQ(commands_, (std::vector<std::vector<std::string>>{{"update-mime-database", Home("mime").string()}}));
}

TEST_F(DesktopRegistration, SystemInstallationCountsOnlyWhenComplete) {
  WriteText(root_ / "system" / kDesktopEntryPath, "installed\n");
  EXPECT_EQ(RegisterWithDesktop(setup_).written.size(), 3u);

  fs::remove_all(Home(""));
  WriteText(root_ / "system" / kMimePackagePath, "installed\n");
  const DesktopOutcome outcome = RegisterWithDesktop(setup_);
  EXPECT_TRUE(outcome.alreadyRegistered);
  EXPECT_FALSE(fs::exists(Home(kDesktopEntryPath)));
}

TEST_F(DesktopRegistration, ProgramPathIsQuotedForTheLauncher) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"/usr/bin/selvane", "/usr/bin/selvane %f"},
      {"/opt/My Apps/selvane", "\"/opt/My Apps/selvane\" %f"},
      // Inside the quotes ", $, ` and \ are escaped, and the entry escapes that backslash again.
      {"/tmp/a\"b$c`d\\e/selvane", "\"/tmp/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e/selvane\" %f"},
      {"/srv/100%/selvane", "/srv/100%%/selvane %f"},
  };
  const bool validator = OnPath("desktop-file-validate");
  for (const auto& [program, exec] : cases) {
    const std::string entry = DesktopEntryFor(program);
    EXPECT_EQ(LineOf(entry, "Exec="), exec);
    if (!validator) continue;
    const fs::path file = root_ / "check" / "selvane.desktop";
    WriteText(file, entry);
    EXPECT_TRUE(RunTool({"desktop-file-validate", file.string()})) << program;
  }
  EXPECT_EQ(DesktopEntryFor("/tmp/line\nbreak/selvane"), "");
  if (!validator) GTEST_SKIP() << "desktop-file-validate is not installed; entries not validated";
}

TEST_F(DesktopRegistration, UnusableProgramPathOrFolderWritesNothing) {
  setup_.programPath = "/tmp/tab\there/selvane";
  DesktopOutcome outcome = RegisterWithDesktop(setup_);
  EXPECT_TRUE(outcome.written.empty());
  EXPECT_EQ(outcome.failures.size(), 1u);

  setup_.programPath = "/usr/bin/selvane";
  WriteText(root_ / "not-a-folder", "x");
  setup_.dataHome = root_ / "not-a-folder";
  outcome = RegisterWithDesktop(setup_);
  EXPECT_TRUE(outcome.written.empty());
  EXPECT_EQ(outcome.failures.size(), 3u);
  EXPECT_TRUE(commands_.empty());
}

TEST_F(DesktopRegistration, DesktopToolsAcceptWhatWasWritten) {
  if (!OnPath("update-mime-database") || !OnPath("update-desktop-database")) {
    GTEST_SKIP() << "the shared-mime-info and desktop-file-utils tools are not installed";
  }
  setup_.runTool = RunTool;
  RegisterWithDesktop(setup_);
  const std::string globs = ReadText(Home("mime/globs2"));
  EXPECT_NE(globs.find("application/x-vgs-memory-card:*.mem\n"), std::string::npos) << globs;
  EXPECT_NE(globs.find("application/x-psm-memory-card:*.psx\n"), std::string::npos) << globs;
  const std::string cache = ReadText(Home("applications/mimeinfo.cache"));
  EXPECT_NE(cache.find("application/x-dexdrive-memory-card=selvane.desktop;"), std::string::npos) << cache;
}

TEST(RunTool, ReportsWhetherTheProgramRanAndSucceeded) {
  EXPECT_TRUE(RunTool({"true"}));
  EXPECT_FALSE(RunTool({"false"}));
  EXPECT_FALSE(RunTool({"selvane-no-such-tool"}));
  EXPECT_FALSE(RunTool({}));
}

TEST(DesktopSetupFrom, FollowsTheBaseDirectoryRules) {
  DesktopSetup setup = DesktopSetupFrom("/data/home", "/home/ann", "/a:relative:/b/");
  EXPECT_EQ(setup.dataHome, fs::path("/data/home"));
  EXPECT_EQ(setup.dataDirs, (std::vector<fs::path>{"/a", "/b/"}));

  setup = DesktopSetupFrom("relative/share", "/home/ann", "");
  EXPECT_EQ(setup.dataHome, fs::path("/home/ann/.local/share"));
  EXPECT_EQ(setup.dataDirs, (std::vector<fs::path>{"/usr/local/share", "/usr/share"}));

  EXPECT_EQ(DesktopSetupFrom(nullptr, "/root", nullptr).dataHome, fs::path("/root/.local/share"));
  EXPECT_TRUE(DesktopSetupFrom(nullptr, nullptr, nullptr).dataHome.empty());
  EXPECT_FALSE(RegisterWithDesktop(DesktopSetup{}).failures.empty());
}

// The start-up entry point reads the environment; it is pointed at the temporary folders here.
TEST_F(DesktopRegistration, StartUpRegistersTheRunningProgram) {
  const auto saved = [](const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
  };
  const auto home = saved("XDG_DATA_HOME");
  const auto dirs = saved("XDG_DATA_DIRS");
  setenv("XDG_DATA_HOME", setup_.dataHome.c_str(), 1);
  setenv("XDG_DATA_DIRS", (root_ / "system").c_str(), 1);

  struct NoMessages final : ShellMessages {
    void ShowExclamation(std::string_view, std::string_view) override { ADD_FAILURE() << "no message expected"; }
  } messages;
  RegisterFileTypes(messages, setup_.iconPng);

  home ? setenv("XDG_DATA_HOME", home->c_str(), 1) : unsetenv("XDG_DATA_HOME");
  dirs ? setenv("XDG_DATA_DIRS", dirs->c_str(), 1) : unsetenv("XDG_DATA_DIRS");

  const std::string program = fs::read_symlink("/proc/self/exe").string();
  EXPECT_EQ(LineOf(ReadText(Home(kDesktopEntryPath)), "Exec="), program + " %f");
  EXPECT_EQ(ReadText(Home(kIconPath)), std::string("\x89PNG\r\n\x1A\n", 8));
  EXPECT_TRUE(fs::exists(Home(kMimePackagePath)));
}

}  // namespace
}  // namespace selvane::shell
