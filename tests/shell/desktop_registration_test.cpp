// Registration with a freedesktop desktop, always into a temporary data folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "shell/desktop_registration.h"
#include "shell/startup_registration.h"

namespace selvane::shell {
namespace {
namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

bool Installed(const std::string& tool) { return RunTool({"sh", "-c", "command -v " + tool}); }

// The start-up registration, pointed at a temporary data folder through the environment.
TEST(DesktopRegistration, FirstStartWritesPackageIconAndEntryAndASecondStartNothing) {
  const fs::path home = fs::temp_directory_path() / ("selvane-shell-test-" + std::to_string(std::random_device{}()));
  setenv("XDG_DATA_HOME", home.c_str(), 1);
  setenv("XDG_DATA_DIRS", (home / "system").c_str(), 1);  // no installation for every user
  struct : ShellMessages {
    void ShowExclamation(std::string_view, std::string_view text) override { ADD_FAILURE() << text; }
  } messages;
  const std::vector<std::uint8_t> icon{0x89, 'P', 'N', 'G'};
  RegisterFileTypes(messages, icon);
  EXPECT_EQ(ReadText(home / kMimePackagePath), ReadText(SELVANE_RESOURCES_DIR "/selvane-mime.xml"));
  EXPECT_EQ(ReadText(home / kIconPath), "\x89PNG");
  EXPECT_EQ(ReadText(home / kDesktopEntryPath), DesktopEntryFor(fs::read_symlink("/proc/self/exe").string()));
  // The desktop's caches give the entry the six types of the package's globs.
  if (Installed("update-mime-database") && Installed("update-desktop-database")) {
    std::istringstream globs(ReadText(home / "mime/globs2"));  // lines "weight:type:glob"
    const std::string cache = ReadText(home / "applications/mimeinfo.cache");
    std::set<std::string> patterns;
    for (std::string line; std::getline(globs, line);) {
      if (line.starts_with('#')) continue;
      const std::size_t type = line.find(':') + 1, glob = line.find(':', type) + 1;
      patterns.insert(line.substr(glob));
      EXPECT_NE(cache.find(line.substr(type, glob - type - 1) + "=selvane.desktop;"), std::string::npos) << line;
    }
    EXPECT_EQ(patterns, (std::set<std::string>{"*.ddf", "*.gme", "*.mcd", "*.mcr", "*.mem", "*.psx"}));
  }

  std::ofstream(home / kDesktopEntryPath) << "edited\n";
  fs::remove(home / kIconPath);
  RegisterFileTypes(messages, icon);
  EXPECT_EQ(ReadText(home / kDesktopEntryPath), "edited\n");
  EXPECT_FALSE(fs::exists(home / kIconPath));
  // With the package gone Selvane is not registered: the missing files come back, the others stay.
  fs::remove(home / kMimePackagePath);
  RegisterFileTypes(messages, icon);
  EXPECT_EQ(ReadText(home / kDesktopEntryPath) + ReadText(home / kMimePackagePath),
            "edited\n" + ReadText(SELVANE_RESOURCES_DIR "/selvane-mime.xml"));
  fs::remove_all(home);
}

TEST(DesktopEntry, ProgramPathIsQuotedForTheLauncher) {
  const std::pair<std::string, std::string> cases[] = {
      {"/opt/My Apps/selvane", "\"/opt/My Apps/selvane\" %f"},
      // Inside the quotes ", $, ` and \ are escaped, and the entry escapes that backslash again.
      {"/tmp/a\"b$c`d\\e/selvane", "\"/tmp/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e/selvane\" %f"},
      {"/srv/100%/selvane", "/srv/100%%/selvane %f"}};
  const std::string installed = ReadText(SELVANE_RESOURCES_DIR "/selvane.desktop");
  const fs::path file = fs::temp_directory_path() / ("selvane-" + std::to_string(std::random_device{}()) + ".desktop");
  const bool validator = Installed("desktop-file-validate");
  for (const auto& [program, exec] : cases) {
    std::string expected = installed;
    EXPECT_EQ(DesktopEntryFor(program), expected.replace(expected.find("selvane %f"), 10, exec));
    std::ofstream(file) << DesktopEntryFor(program);
    EXPECT_TRUE(!validator || RunTool({"desktop-file-validate", file.string()})) << program;
  }
  fs::remove(file);
  EXPECT_EQ(DesktopEntryFor("/tmp/line\nbreak/selvane"), "");
  if (!validator) GTEST_SKIP() << "desktop-file-validate is not installed; entries not validated";
}

TEST(DesktopEntry, DataFoldersFollowTheBaseDirectoryRules) {
  EXPECT_EQ(DesktopSetupFrom("relative/share", "/home/ann", nullptr).dataHome, fs::path("/home/ann/.local/share"));
  EXPECT_EQ(DesktopSetupFrom(nullptr, "/root", "").dataDirs, (std::vector<fs::path>{"/usr/local/share", "/usr/share"}));
}

}  // namespace
}  // namespace selvane::shell
