#include "shell/startup_registration.h"

#if defined(_WIN32)
#include "shell/file_types.h"
#include "shell/windows_registry.h"
#else
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "shell/desktop_registration.h"
#endif

namespace selvane::shell {

#if defined(_WIN32)

void RegisterFileTypes(ShellMessages& messages, std::span<const std::uint8_t> /*programIconPng*/) {
  WindowsRegistry registry;
  RegisterFileTypes(RegistryContext{registry, messages, ProgramFolderOf(RunningProgramPath())});
}

#else

void RegisterFileTypes(ShellMessages& /*messages*/, std::span<const std::uint8_t> programIconPng) {
  DesktopSetup setup =
      DesktopSetupFrom(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"), std::getenv("XDG_DATA_DIRS"));
  std::error_code ec;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) setup.programPath = program.string();
  setup.iconPng.assign(programIconPng.begin(), programIconPng.end());
  setup.runTool = RunTool;
  RegisterWithDesktop(setup);
}

#endif

}  // namespace selvane::shell
