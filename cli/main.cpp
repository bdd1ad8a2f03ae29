// selvane-cli: runs the command table of commands.h (AddCommands) over the command line; the work is
// done by the functions its commands call.
#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/commands.h"
#include "cli/save_file_commands.h"

namespace {

int Run(int argc, char** argv) {
  using namespace selvane::cli;
  CLI::App app;
  int status = kExitOk;
  Streams io{std::cout, std::cerr};
  AddCommands(app, "selvane-cli " SELVANE_VERSION, io, status);
  InstallSigning();

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e, std::cerr, std::cerr);
    return kExitUsage;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "selvane-cli: " << e.what() << "\n";
    return selvane::cli::kExitFailed;
  }
}
