#include "cli/commands.h"

#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/save_file_commands.h"

namespace selvane::cli {
namespace {

int Parse(int argc, const char* const* argv, std::string_view version, Streams io) {
  CLI::App app;
  int status = kExitOk;
  AddCommands(app, version, io, status);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, io.out, io.err);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e, io.out, io.err);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e, io.out, io.err);
  } catch (const CLI::ParseError& e) {
    app.exit(e, io.err, io.err);
    return kExitUsage;
  }
  return status;
}

}  // namespace

bool ErrorIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

int RunCommandLine(int argc, const char* const* argv, std::string_view version, Streams io) {
  static const bool signing = InstallSigning();
  static_cast<void>(signing);
  try {
    return Parse(argc, argv, version, io);
  } catch (const std::exception& e) {
    io.err << "selvane-cli: " << e.what() << "\n";
    return kExitFailed;
  }
}

}  // namespace selvane::cli
