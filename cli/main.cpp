// selvane-cli: the command line of commands.h (RunCommandLine) over the process's own arguments and
// standard streams; the work is done by the functions its commands call.
#include <iostream>

#include "cli/commands.h"

int main(int argc, char** argv) {
  return selvane::cli::RunCommandLine(argc, argv, "selvane-cli " SELVANE_VERSION, {std::cout, std::cerr});
}
