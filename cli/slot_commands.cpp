#include "cli/slot_commands.h"

namespace selvane::cli {

void AddSlotCommands(CLI::App&, Streams&, int&) {}

}  // namespace selvane::cli
