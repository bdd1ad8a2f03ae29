// selvane-cli: argument parsing only; the work is done by the functions of commands.h.
#include <CLI/CLI.hpp>
#include <iostream>
#include <span>
#include <string>

#include "cli/batch_commands.h"
#include "cli/commands.h"
#include "cli/device_commands.h"
#include "cli/save_commands.h"
#include "cli/save_file_commands.h"
#include "cli/slot_commands.h"
#include "core/card.h"

namespace {

// The help's last line: every card extension selvane-cli reads and writes, from the format table.
std::string CardFormatsFooter() {
  std::string footer = "The format is decided by the extension:";
  for (const auto& formats : {std::span<const selvane::Format>(selvane::kAllFormats),
                              std::span<const selvane::Format>(selvane::kNewerFormats)})
    for (const selvane::Format format : formats) footer += " ." + std::string(selvane::FormatExtension(format));
  return footer;
}

int Run(int argc, char** argv) {
  using namespace selvane::cli;
  CLI::App app{"selvane-cli: list, inspect, convert and edit PlayStation memory card images.", "selvane-cli"};
  app.footer(CardFormatsFooter());
  app.set_version_flag("--version", "selvane-cli " SELVANE_VERSION);
  app.require_subcommand(1);

  int status = kExitOk;
  Streams io{std::cout, std::cerr};

  std::string card;
  auto* list = app.add_subcommand("list", "Print the 15 slot lines of CARD as the window lists them");
  list->add_option("CARD", card, "Card file")->required();
  list->callback([&] { status = RunList(card, io); });

  bool json = false;
  auto* info = app.add_subcommand("info", "Print CARD's format, size, DataOffset, save check and slot entries");
  info->add_option("CARD", card, "Card file")->required();
  info->add_flag("--json", json,
                 "Print one JSON object (bytes of CARD's path that are not valid UTF-8 are replaced with U+FFFD)");
  info->callback([&] { status = RunInfo(card, json, io); });

  AddConvertCommand(app, io, status);

  std::string target;
  auto* create = app.add_subcommand("new", "Write an empty card in DST's format");
  create->add_option("DST", target, "Card file to write")->required();
  create->callback([&] { status = RunNew(target, io); });

  AddSlotCommands(app, io, status);
  AddSaveCommands(app, io, status);
  AddCheckCommand(app, io, status);
  AddSaveFileCommands(app, io, status);
  AddDeviceCommands(app, io, status);
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
