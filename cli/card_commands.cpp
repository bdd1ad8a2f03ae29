// selvane-cli's command table (AddCommands), and the commands list, info, convert and new.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/batch_commands.h"
#include "cli/check_command.h"
#include "cli/commands.h"
#include "cli/device_commands.h"
#include "cli/save_commands.h"
#include "cli/save_file_commands.h"
#include "cli/slot_commands.h"
#include "core/file_io.h"
#include "slots/card_file.h"
#include "slots/file_actions.h"
#include "slots/slot_list.h"

namespace selvane::cli {
namespace {

std::string Hex(unsigned value, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%0*X", digits, value);
  return buf;
}

}  // namespace

bool LoadPane(Pane& pane, const std::string& path, CliPort& port) {
  port.SetSubject(path);
  pane.path = path;
  std::string outputExt;
  std::string reason;
  switch (LoadCard(pane, outputExt, port, &reason)) {
    case LoadOutcome::NoSuchFile: {
      // Say why: missing, empty, or no regular file at all (a folder, pipe or device, which the
      // reader refuses without opening it).
      const ReadResult probe = ReadCardFile(path);
      port.Print(probe.ok ? std::string("the file is empty") : "cannot be read: " + probe.reason);
      return false;
    }
    case LoadOutcome::Unreadable:
      port.Print("cannot be read: " + reason);
      return false;
    case LoadOutcome::Unlisted:    // "Memory card format not supported" was printed
    case LoadOutcome::SingleSave:  // said so
      return false;
    case LoadOutcome::Loaded:
      break;
  }
  return true;
}

bool SavePane(Pane& pane, CliPort& port) {
  port.SetSubject(pane.path);
  std::string outputExt;
  return SaveCard(pane.path, pane, outputExt, port) == SaveOutcome::Saved;
}

bool SaveConverted(const std::string& target, Pane& pane, CliPort& port) {
  const auto source = PaneFormat(pane);
  const auto format = FormatFromPath(target);
  if (!source || !format) {
    std::string outputExt;
    return SaveCard(target, pane, outputExt, port) == SaveOutcome::Saved;
  }
  const auto content = BuildWholeContainer(pane.image, *source, *format);
  if (!content) {
    port.ShowMessage(text::kWrongFormat, MessageIcon::Information);
    return false;
  }
  const WriteResult written = WriteFileAtomic(target, *content);
  if (!written.ok) {
    port.ShowMessage(SaveFailedMessage(target, written.reason), MessageIcon::Information);
    return false;
  }
  return true;
}

namespace {

// The help's last line: every card extension selvane-cli reads and writes, from the format table.
std::string CardFormatsFooter() {
  std::string footer = "The format is decided by the extension:";
  for (const FormatFacts& facts : FormatTable()) footer += " ." + std::string(FormatExtension(facts.format));
  return footer;
}

}  // namespace

void AddCommands(CLI::App& app, std::string_view version, Streams& io, int& status) {
  // The parsed arguments outlive this function: the callbacks run during parsing.
  struct Args {
    std::string card, target;
    bool json = false, force = false;
  };
  auto args = std::make_shared<Args>();
  app.description("selvane-cli: list, inspect, convert and edit PlayStation memory card images.");
  app.name("selvane-cli");
  app.footer(CardFormatsFooter());
  app.set_version_flag("--version", std::string(version));
  app.require_subcommand(1);

  auto* list = app.add_subcommand("list", "Print the 15 slot lines of CARD as the window lists them");
  list->add_option("CARD", args->card, "Card file")->required();
  list->callback([&io, &status, args] { status = RunList(args->card, io); });

  auto* info = app.add_subcommand("info", "Print CARD's format, size, DataOffset, save check and slot entries");
  info->add_option("CARD", args->card, "Card file")->required();
  info->add_flag("--json", args->json,
                 "Print one JSON object (bytes of CARD's path that are not valid UTF-8 are replaced with U+FFFD)");
  info->callback([&io, &status, args] { status = RunInfo(args->card, args->json, io); });

  AddConvertCommand(app, io, status);

  auto* create = app.add_subcommand("new", "Write an empty card in DST's format");
  create->add_option("DST", args->target, "Card file to write")->required();
  create->add_flag("--force", args->force, "Replace DST when it already exists");
  create->callback([&io, &status, args] { status = RunNew(args->target, args->force, io); });

  AddSlotCommands(app, io, status);
  AddSaveCommands(app, io, status);
  AddCheckCommand(app, io, status);
  AddSaveFileCommands(app, io, status);
  AddDeviceCommands(app, io, status);
}

int RunList(const std::string& card, Streams io) {
  CliPort port(io.err);
  Pane pane;
  if (!LoadPane(pane, card, port)) return kExitFailed;
  for (const std::string& line : pane.lines) io.out << line << "\n";
  return kExitOk;
}

namespace {

// info's document: the card's facts, then one object per slot.
nlohmann::ordered_json InfoDocument(const std::string& card, const Pane& pane, const SaveCheck& check) {
  const std::size_t offset = *PaneDataOffset(pane);
  const Bytes image = pane.image;
  nlohmann::ordered_json doc;
  doc["path"] = card;
  doc["format"] = pane.cardFormat;
  doc["fileSize"] = pane.image.size();
  doc["dataOffset"] = offset;
  doc["wellFormed"] = check.ok;
  doc["saveCheckProblem"] = check.ok ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(check.problem);
  nlohmann::ordered_json slots = nlohmann::ordered_json::array();
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    const Bytes entry = ClipRead(image, offset + SlotEntryOffset(slot), kFrameSize);
    const bool whole = entry.size() == kFrameSize;
    nlohmann::ordered_json s;
    s["slot"] = slot;
    s["line"] = pane.lines[static_cast<std::size_t>(slot - 1)];
    s["status"] = whole ? nlohmann::ordered_json(entry[kEntryStatus]) : nlohmann::ordered_json(nullptr);
    s["nextSlot"] = whole ? nlohmann::ordered_json(ReadLe16(entry, kEntryNextSlot)) : nlohmann::ordered_json(nullptr);
    s["checksumValid"] =
        whole ? nlohmann::ordered_json(FrameChecksum(entry) == entry[kEntryChecksum]) : nlohmann::ordered_json(nullptr);
    s["title"] = DecodeTitle(ClipRead(image, offset + SaveBlockOffset(slot), kFrameSize));
    AddSaveDetails(s, ReadSaveDetails(image, offset, slot, CliTitleDecoder()));
    slots.push_back(s);
  }
  doc["slots"] = slots;
  return doc;
}

// info's text: the card's facts, the slot table, then the save table.
void PrintInfo(std::ostream& out, const nlohmann::ordered_json& doc, const SaveCheck& check) {
  out << "format:      " << doc["format"].get<std::string>() << "\n"
      << "file size:   " << doc["fileSize"].get<std::size_t>() << " bytes\n"
      << "data offset: " << doc["dataOffset"].get<std::size_t>() << "\n"
      << "save check:  " << (check.ok ? "passes" : "fails (File is in a wrong format.)\n             " + check.problem)
      << "\n\nslot status next    checksum title\n";
  for (const auto& s : doc["slots"]) {
    char slotText[4];
    std::snprintf(slotText, sizeof slotText, "%02d", s["slot"].get<int>());
    out << slotText << "   ";
    if (s["status"].is_null()) {
      out << "(entry lies past the end of the file)\n";
      continue;
    }
    out << Hex(s["status"].get<unsigned>(), 2) << "   " << Hex(s["nextSlot"].get<unsigned>(), 4) << "  "
        << (s["checksumValid"].get<bool>() ? "valid   " : "INVALID ") << " " << s["title"].get<std::string>() << "\n";
  }
  PrintSaveDetails(out, doc["slots"]);
}

}  // namespace

int RunInfo(const std::string& card, bool json, Streams io) {
  CliPort port(io.err);
  Pane pane;
  if (!LoadPane(pane, card, port)) return kExitFailed;
  const SaveCheck check = CheckForSave(pane.image, *PaneFormat(pane));
  const nlohmann::ordered_json doc = InfoDocument(card, pane, check);
  if (json) {
    // A path is bytes; what is not valid UTF-8 becomes U+FFFD, so the output stays valid JSON.
    io.out << doc.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
  } else {
    PrintInfo(io.out, doc, check);
  }
  return kExitOk;
}

int RunConvert(const std::string& source, const std::string& target, Streams io) {
  CliPort port(io.err);
  Pane pane;
  if (!LoadPane(pane, source, port)) {
    if (pane.image.empty()) return kExitFailed;
  }
  port.SetSubject(source);
  return SaveConverted(target, pane, port) ? kExitOk : kExitFailed;
}

int RunNew(const std::string& target, bool force, Streams io) {
  CliPort port(io.err);
  port.SetSubject(target);
  // An empty card in place of a card the user still has would lose every save on it.
  std::error_code error;
  if (!force && FormatFromPath(target) && std::filesystem::exists(std::filesystem::symlink_status(target, error))) {
    port.Print("already exists (--force replaces it)");
    return kExitFailed;
  }
  Pane pane;
  std::string outputExt;
  return NewCard(pane, target, outputExt, port) == Outcome::Done ? kExitOk : kExitFailed;
}

}  // namespace selvane::cli
