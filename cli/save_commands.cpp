// The save details of `info` and the `icon` command.
#include "cli/save_commands.h"

#include <cstdio>

#include "cli/png_writer.h"
#include "cli/slot_commands.h"
#include "codec/cp932_decoder.h"
#include "core/ascii.h"
#include "core/file_io.h"

namespace selvane::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string TwoDigits(int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text + " ";
}

std::string StringOr(const Json& value, const char* fallback) {
  return value.is_string() ? value.get<std::string>() : std::string(fallback);
}

// The pixels of the frames to write, side by side, each icon pixel scale x scale.
std::vector<std::uint8_t> Picture(const SaveIcon& icon, int firstFrame, int frameCount, int scale, int& width,
                                  int& height) {
  const int side = kIconSide * scale;
  width = side * frameCount;
  height = side;
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  for (int f = 0; f < frameCount; ++f) {
    const std::vector<std::uint8_t> frame = icon.FrameRgba(firstFrame + f);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < side; ++x) {
        const auto from = static_cast<std::size_t>((y / scale) * kIconSide + x / scale) * 4;
        const auto to =
            (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(f * side + x)) *
            4;
        std::copy_n(frame.begin() + static_cast<std::ptrdiff_t>(from), 4,
                    rgba.begin() + static_cast<std::ptrdiff_t>(to));
      }
    }
  }
  return rgba;
}

}  // namespace

const TitleDecoder& CliTitleDecoder() {
  static const Cp932Decoder decoder;
  return decoder;
}

void AddSaveDetails(Json& slot, const SaveDetails& details) {
  slot["state"] = StateWords(details.state);
  slot["saveSlot"] = details.HasSave() ? Json(details.saveSlot) : Json(nullptr);
  if (!details.HasSave() || details.IsLink()) {
    for (const char* key : {"gameTitle", "productCode", "identifier", "region", "blocks", "iconFrames"}) {
      slot[key] = nullptr;
    }
    return;
  }
  slot["gameTitle"] = details.title;
  slot["productCode"] = details.productCode;
  slot["identifier"] = details.identifier;
  slot["region"] = details.region.empty() ? Json(nullptr) : Json(details.region);
  slot["blocks"] = details.blocks;
  slot["iconFrames"] = details.icon.frames;
}

void PrintSaveDetails(std::ostream& out, const Json& slots) {
  out << "\nslot state         blocks region  product code identifier icon game title\n";
  for (const Json& s : slots) {
    const std::string state = s["state"].get<std::string>();
    if (s["status"].is_null()) continue;  // the entry lies past the end of the file
    out << TwoDigits(s["slot"].get<int>()) << "   ";
    if (s["blocks"].is_null()) {
      out << state;
      if (!s["saveSlot"].is_null()) out << " of the save in slot " << TwoDigits(s["saveSlot"].get<int>());
      out << "\n";
      continue;
    }
    out << Padded(state, 13) << Padded(std::to_string(s["blocks"].get<int>()), 6)
        << Padded(StringOr(s["region"], "-"), 7) << Padded(s["productCode"].get<std::string>(), 12)
        << Padded(s["identifier"].get<std::string>(), 10) << Padded(std::to_string(s["iconFrames"].get<int>()), 4)
        << s["gameTitle"].get<std::string>() << "\n";
  }
}

int RunIcon(const std::string& card, int slot, const std::string& out, const IconOptions& options, Streams io) {
  CliPort port(io.err);
  Pane pane;
  if (!LoadPane(pane, card, port)) return kExitFailed;
  const SaveDetails details = ReadSaveDetails(pane.image, *PaneDataOffset(pane), slot, CliTitleDecoder());
  if (!details.HasSave()) {
    port.Print("slot " + TwoDigits(slot) + " holds no save (" + std::string(StateWords(details.state)) + ")");
    return kExitFailed;
  }
  const SaveIcon& icon = details.icon;
  if (icon.frames == 0) {
    port.Print("the save in slot " + TwoDigits(details.saveSlot) + " has no icon");
    return kExitFailed;
  }
  if (options.frame && *options.frame > icon.frames) {
    port.Print("the icon of the save in slot " + TwoDigits(details.saveSlot) + " has " + std::to_string(icon.frames) +
               (icon.frames == 1 ? " frame" : " frames") + ", so there is no frame " + std::to_string(*options.frame));
    return kExitFailed;
  }
  int width = 0;
  int height = 0;
  const int first = options.frame ? *options.frame - 1 : 0;
  const std::vector<std::uint8_t> rgba =
      Picture(icon, first, options.frame ? 1 : icon.frames, options.scale, width, height);
  port.SetSubject(out);
  std::string reason;
  const auto png = EncodePng(width, height, rgba, reason);
  if (!png) {
    port.Print("cannot be written: " + reason);
    return kExitFailed;
  }
  const WriteResult written = WriteFileAtomic(out, *png);
  if (!written.ok) {
    port.Print("cannot be written: " + written.reason);
    return kExitFailed;
  }
  return kExitOk;
}

void AddSaveCommands(CLI::App& app, Streams& io, int& status) {
  // The parsed arguments outlive this function: the callback runs during parsing.
  struct IconArguments {
    std::string card, slot, out, frame = "1";
    int scale = 1;
  };
  auto args = std::make_shared<IconArguments>();
  const CLI::Validator slotCheck = SlotValidator();
  auto* icon = app.add_subcommand("icon", "Write the icon of the save on line SLOT of CARD as a PNG file");
  icon->add_option("CARD", args->card, "Card file")->required();
  icon->add_option("SLOT", args->slot, "Slot (1-15); a link line gives the icon of its save")
      ->required()
      ->check(slotCheck);
  icon->add_option("OUT", args->out, "PNG file to write")->required();
  icon->add_option("--frame", args->frame, "Icon frame 1, 2 or 3, or all: every frame side by side")
      ->check(CLI::IsMember({"1", "2", "3", "all"}, CLI::ignore_case))
      ->capture_default_str();
  icon->add_option("--scale", args->scale, "Each icon pixel becomes K x K pixels")
      ->check(CLI::Range(1, kMaxIconScale))
      ->capture_default_str();
  icon->callback([args, &io, &status] {
    IconOptions options;
    options.scale = args->scale;
    if (AsciiLower(args->frame) != "all") options.frame = std::stoi(args->frame);
    status = RunIcon(args->card, ParseSlotNumber(args->slot).value_or(1), args->out, options, io);
  });
}

}  // namespace selvane::cli
