#include "slots/card_file.h"

#include <algorithm>

#include "core/ascii.h"

namespace selvane {
namespace {

std::string_view LastChars(std::string_view text, std::size_t n) {
  return text.size() <= n ? text : text.substr(text.size() - n);
}

// "*.???": the path ends in a dot followed by exactly `n` characters.
bool EndsInExtensionOf(std::string_view path, std::size_t n) {
  return path.size() >= n + 1 && path[path.size() - n - 1] == '.';
}

// The 1-based dialog entry of the first entry of `format`.
int FirstEntryOf(Format format) {
  for (std::size_t i = 0; i < std::size(kDialogEntries); ++i) {
    if (kDialogEntries[i].format == format) return static_cast<int>(i) + 1;
  }
  return 0;
}

// The filter text of kDialogEntries[first, last).
std::string EntriesFilter(std::size_t first, std::size_t last) {
  std::string filter;
  for (std::size_t i = first; i < last; ++i) {
    if (i > first) filter += '|';
    filter += kDialogEntries[i].description;
    filter += "|*.";
    filter += FormatExtension(kDialogEntries[i].format);
  }
  return filter;
}

// The number of entries of a "description|pattern|description|pattern..." filter text; a
// trailing "|" adds none.
int FilterEntryCount(std::string_view filter) {
  if (!filter.empty() && filter.back() == '|') filter.remove_suffix(1);
  if (filter.empty()) return 0;
  const auto bars = std::count(filter.begin(), filter.end(), '|');
  return static_cast<int>((bars + 1) / 2);
}

// The entry a save dialog starts on when the one its default name or OutputExt names is not in
// its list: the New dialog offers neither PSM (8) nor WinPSM (9).
constexpr int kEpsxeEntry = 3;

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

// The path in a file dialog's buffer: the buffer is trimmed of its leading and trailing spaces, then
// cut at its first NUL. The buffer always ends in a NUL after the name, so the name's own trailing
// spaces are kept ("card.mcr " is a name a file may have).
std::string PathFromDialog(std::string buffer) {
  buffer += '\0';
  const std::string trimmed = Trim(buffer);
  return trimmed.substr(0, trimmed.find('\0'));
}

}  // namespace

const std::string filters::kSaveAs = EntriesFilter(0, std::size(kDialogEntries));
const std::string filters::kNew = EntriesFilter(0, kNewDialogEntryCount);
const std::string filters::kOpen = "All Memory Cards|" + std::string(kAllCardsPattern) + "|" +
                                   EntriesFilter(0, kClassicDialogEntryCount) + "|All files (*.*)|*.*|" +
                                   EntriesFilter(kClassicDialogEntryCount, std::size(kDialogEntries));

int SaveDialogStartIndex(std::string_view defaultName, std::string_view outputExt) {
  // A format without a dialog entry starts on ePSXe's.
  if (const auto format = FormatFromPath(defaultName))
    return FirstEntryOf(*format) > 0 ? FirstEntryOf(*format) : kEpsxeEntry;
  if (const auto format = FormatFromExtension(outputExt))
    return FirstEntryOf(*format) > 0 ? FirstEntryOf(*format) : kEpsxeEntry;
  return kEpsxeEntry;
}

std::optional<std::string> OutputExtForFilterIndex(int filterIndex) {
  if (filterIndex < 1 || filterIndex > static_cast<int>(std::size(kDialogEntries))) return std::nullopt;
  return std::string(FormatExtension(kDialogEntries[filterIndex - 1].format));
}

std::string ForceExtension(std::string_view path, std::string_view ext) {
  if (EndsInExtensionOf(path, 3)) return std::string(path.substr(0, path.size() - 3)) + std::string(ext);
  if (EndsInExtensionOf(path, 2)) return std::string(path.substr(0, path.size() - 2)) + std::string(ext);
  return std::string(path) + "." + std::string(ext);
}

int LogoIndexForPath(std::string_view path) {
  const auto format = FormatFromPath(path);
  if (!format) return kUnknownFormatLogo;
  const std::string lower = AsciiLower(path);
  for (const DialogEntry& entry : kDialogEntries) {
    if (entry.format == *format && (entry.pathHint.empty() || lower.find(entry.pathHint) != std::string::npos)) {
      return entry.logo;
    }
  }
  return kUnknownFormatLogo;
}

std::string OpenDialog(UserPort& port, std::string_view filter, std::string_view title, std::string_view initDir) {
  FileDialogRequest request{std::string(title), std::string(filter), std::string(initDir), {}, 1, {}};
  const auto choice = port.ChooseFileToOpen(request);
  if (!choice) return {};
  return PathFromDialog(choice->path);
}

std::string SaveDialog(UserPort& port, std::string_view filter, std::string_view title, std::string_view initDir,
                       std::string_view defaultName, std::string& outputExt) {
  int start = SaveDialogStartIndex(defaultName, outputExt);
  if (start > FilterEntryCount(filter)) start = kEpsxeEntry;
  FileDialogRequest request{
      std::string(title), std::string(filter), std::string(initDir), std::string(defaultName), start, {}};
  const auto choice = port.ChooseFileToSave(request);
  if (!choice) return {};
  const std::string confirmed = PathFromDialog(choice->path);
  if (confirmed.empty()) return {};
  if (auto ext = OutputExtForFilterIndex(choice->filterIndex)) outputExt = *ext;
  std::string path = ForceExtension(confirmed, outputExt);
  if (path != confirmed && FileExists(path)) {
    const std::string question = path + " already exists. Do you want to replace it?";
    if (port.Ask(question, Buttons::YesNo, Answer::No) != Answer::Yes) return {};
  }
  return path;
}

LoadOutcome LoadCard(Pane& pane, std::string& outputExt, UserPort& port, std::string* reason) {
  pane.image.clear();
  pane.loadedStamp.reset();
  if (!FileExists(pane.path)) return LoadOutcome::NoSuchFile;
  outputExt = std::string(LastChars(pane.path, 3));
  if (outputExt == ".ps") outputExt = "ps";
  ReadResult read = ReadCardFile(pane.path);
  if (const auto format = FormatFromPath(pane.path);
      read.ok && format && IsSingleSaveInCardFormat(read.bytes, *format)) {
    // Listing its blocks as a short card would invite changing it as one.
    pane.cardModified = false;
    RefreshSlots(pane, port);
    port.ShowMessage(text::kSingleSaveNotCard, MessageIcon::Information);
    return LoadOutcome::SingleSave;
  }
  if (read.ok) {
    pane.image = std::move(read.bytes);
    pane.loadedStamp = StampOf(pane.path);
  } else if (reason) {
    *reason = read.reason;
  }
  pane.cardModified = false;
  const bool listed = RefreshSlots(pane, port);
  if (!read.ok) return LoadOutcome::Unreadable;
  if (const auto format = PaneFormat(pane);
      format && SignatureLayoutOf(*format) &&
      CheckSignature(pane.image, *SignatureLayoutOf(*format)) == SignatureCheck::Wrong)
    port.ShowMessage(text::WrongCardSignature(pane.path), MessageIcon::Exclamation);
  return listed ? LoadOutcome::Loaded : LoadOutcome::Unlisted;
}

std::string text::WrongCardSignature(std::string_view path) {
  return "The signature of " + std::string(path) +
         " is wrong: a PSP or PS Vita refuses the card until it is saved again (every save signs it).";
}

std::string SaveFailedMessage(std::string_view path, std::string_view reason) {
  return std::string(path) + " could not be saved: " + std::string(reason) + ".";
}

SaveOutcome SaveCard(std::string path, Pane& pane, std::string& outputExt, UserPort& port) {
  if (pane.image.empty()) return SaveOutcome::NoCard;
  const auto source = PaneFormat(pane);
  if (!source || !IsWellFormed(pane.image, *source)) {
    port.ShowMessage(text::kWrongFormat, MessageIcon::Information);
    return SaveOutcome::WrongFormat;
  }
  if (outputExt.empty()) outputExt = std::string(FormatExtension(*source));

  std::optional<Format> target;
  if (path.empty()) {
    std::string proposed;
    if (EndsInExtensionOf(pane.path, 3)) {
      outputExt = pane.path.substr(pane.path.size() - 3);
      proposed = pane.path.substr(0, pane.path.size() - 4);
    }
    const std::string title = "Save Memory Card " + std::to_string(pane.index + 1) + " As...";
    path = SaveDialog(port, filters::kSaveAs, title, proposed, proposed, outputExt);
    if (path.empty()) return SaveOutcome::Cancelled;
    target = FormatFromExtension(outputExt);
  } else {
    target = FormatFromPath(path);
  }

  // Another program (an emulator) may have rewritten the card file since it was loaded. Only a
  // save that replaces that very file (whatever path text names it) asks.
  if (const auto now = StampOf(path);
      now && pane.loadedStamp && SameFile(*now, *pane.loadedStamp) && *now != *pane.loadedStamp) {
    const std::string question = path + " has changed on disk since it was opened. Overwrite it?";
    if (port.Ask(question, Buttons::YesNo, Answer::No) != Answer::Yes) return SaveOutcome::Cancelled;
  }

  const auto content = BuildFileContent(pane.image, *source, target);
  const WriteResult written = WriteFileAtomic(path, *content);
  if (!written.ok) {
    port.ShowMessage(SaveFailedMessage(path, written.reason), MessageIcon::Information);
    return SaveOutcome::WriteFailed;
  }
  pane.loadedStamp = StampOf(path);  // the file just written is the one the next save compares with
  pane.cardModified = false;
  return SaveOutcome::Saved;
}

}  // namespace selvane
