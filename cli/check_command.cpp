// check: every finding of the card check on each card named, as lines or as JSON.
#include "cli/check_command.h"

#include <memory>
#include <optional>

#include <nlohmann/json.hpp>

#include "core/card_check.h"
#include "core/file_io.h"
#include "slots/card_file.h"

namespace selvane::cli {
namespace {

// A card as check reads it: the whole file and its format, or why it cannot be checked.
struct CheckedCard {
  std::optional<std::vector<CardFinding>> findings;  // nullopt: not read
  std::string reason;
};

CheckedCard CheckOne(const std::string& path) {
  ReadResult read = ReadCardFile(path);
  if (!read.ok) return {std::nullopt, "cannot be read: " + read.reason};
  if (read.bytes.empty()) return {std::nullopt, "cannot be read: the file is empty"};
  const auto format = FormatFromPath(path);
  if (!format) return {std::nullopt, std::string(text::kFormatNotSupported)};
  // Its blocks are no card: list and info refuse it with these words, and a card check of it
  // would only report a short file.
  if (IsSingleSaveInCardFormat(read.bytes, *format)) return {std::nullopt, std::string(text::kSingleSaveNotCard)};
  return {CheckCard(read.bytes, *format), {}};
}

}  // namespace

int RunCheck(const std::vector<std::string>& cards, bool json, Streams io) {
  bool found = false;
  bool unreadable = false;
  nlohmann::ordered_json doc = nlohmann::ordered_json::array();
  for (const std::string& path : cards) {
    const CheckedCard card = CheckOne(path);
    nlohmann::ordered_json entry;
    entry["path"] = path;
    entry["readable"] = card.findings.has_value();
    if (!card.findings) {
      unreadable = true;
      io.err << path << ": " << card.reason << "\n";
      entry["reason"] = card.reason;
      doc.push_back(entry);
      continue;
    }
    found = found || !card.findings->empty();
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const CardFinding& f : *card.findings) {
      list.push_back({{"slot", f.slot == 0 ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(f.slot)},
                      {"kind", FindingKey(f.kind)},
                      {"what", f.what}});
      if (json) continue;
      io.out << path << ": ";
      if (f.slot != 0) io.out << "slot " << f.slot << ": ";
      io.out << f.what << "\n";
    }
    if (!json && card.findings->empty()) io.out << path << ": no problems found\n";
    entry["findings"] = list;
    doc.push_back(entry);
  }
  if (json) io.out << doc.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
  if (unreadable) return kExitUsage;
  return found ? kExitFailed : kExitOk;
}

void AddCheckCommand(CLI::App& app, Streams& io, int& status) {
  struct Args {
    std::vector<std::string> cards;
    bool json = false;
  };
  auto args = std::make_shared<Args>();
  auto* check = app.add_subcommand(
      "check", "Report what is wrong on each CARD (checksums, statuses, block chains, names); changes nothing");
  check->add_option("CARD", args->cards, "Card files")->required();
  check->add_flag("--json", args->json,
                  "Print one JSON array, an object per card (bytes of a path that are not valid UTF-8 are replaced "
                  "with U+FFFD)");
  check->footer("Exit status: 0 every card is clean, 1 something was found, 2 a card cannot be read\n" +
                app.get_footer());
  check->callback([&io, &status, args] { status = RunCheck(args->cards, args->json, io); });
}

}  // namespace selvane::cli
