// convert in both its forms (SRC DST, and --to FORMAT over many files in one process).
#include "cli/batch_commands.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>

#include "core/file_io.h"
#include "slots/card_file.h"

namespace selvane::cli {
namespace {
namespace fs = std::filesystem;

// "mem", ".mem", "MEM": the format of a card extension; nullopt for anything else.
std::optional<Format> ParseFormat(std::string_view text) {
  if (!text.empty() && text.front() == '.') text.remove_prefix(1);
  return text.empty() ? std::nullopt : FormatFromExtension(text);
}

std::string FormatList() {
  std::string list;
  for (const FormatFacts& facts : FormatTable()) {
    if (!list.empty()) list += ' ';
    list += FormatExtension(facts.format);
  }
  return list;
}

// The output of one input: its file name with the target's extension, in `dir` or beside it.
std::string OutputPathFor(const std::string& input, Format target, const std::string& dir) {
  fs::path name = fs::path(input).filename();
  name.replace_extension(std::string(FormatKey(target)));
  return (dir.empty() ? fs::path(input).parent_path() / name : fs::path(dir) / name).string();
}

enum class FileResult { Converted, Failed };

// One input: read with the window's loading, written with the window's save (atomically, whole
// or not at all). What went wrong is written to `why` as "path: reason".
FileResult ConvertOne(const std::string& input, const std::string& output, bool force, std::ostream& why) {
  CliPort port(why);
  port.SetSubject(input);
  std::error_code ec;
  if (!force && fs::exists(fs::symlink_status(output, ec))) {
    port.Print(output + " already exists (--force replaces it)");
    return FileResult::Failed;
  }
  Pane pane;
  if (!LoadPane(pane, input, port)) return FileResult::Failed;
  port.SetSubject(input);
  return SaveConverted(output, pane, port) ? FileResult::Converted : FileResult::Failed;
}

class Progress {
 public:
  Progress(bool shown, std::ostream& err, std::size_t total) : shown_(shown), err_(err), total_(total) {}
  void Show(std::size_t done, const std::string& file) {
    if (shown_) err_ << "\r\033[K[" << done << "/" << total_ << "] " << file << std::flush;
  }
  void Clear() {
    if (shown_) err_ << "\r\033[K" << std::flush;
  }

 private:
  bool shown_;
  std::ostream& err_;
  std::size_t total_;
};

}  // namespace

int RunBatchConvert(const std::vector<std::string>& files, const BatchConvertOptions& options, Streams io) {
  const auto target = ParseFormat(options.format);
  if (!target) {
    io.err << "convert: unknown format '" << options.format << "'; --to takes one of: " << FormatList() << "\n";
    return kExitUsage;
  }
  if (!options.outputDir.empty()) {
    std::error_code ec;
    if (!fs::is_directory(options.outputDir, ec)) {
      io.err << options.outputDir << ": not a folder; nothing was converted\n";
      return kExitFailed;
    }
  }

  std::ostringstream failures;
  std::size_t converted = 0;
  std::set<std::string> written;  // outputs of this run: a second input never replaces one
  Progress progress(options.progress, io.err, files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string& input = files[i];
    progress.Show(i + 1, input);
    const std::string output = OutputPathFor(input, *target, options.outputDir);
    if (written.count(output) > 0) {
      failures << input << ": " << output << " was already written from another file in this run\n";
      continue;
    }
    if (ConvertOne(input, output, options.force, failures) == FileResult::Converted) {
      written.insert(output);
      ++converted;
    }
  }
  progress.Clear();

  io.err << failures.str();
  const std::size_t failed = files.size() - converted;
  io.out << "converted " << converted << " of " << files.size() << " to " << FormatKey(*target);
  if (failed > 0) io.out << "; " << failed << " failed";
  io.out << "\n";
  return failed == 0 ? kExitOk : kExitFailed;
}

void AddConvertCommand(CLI::App& app, Streams& io, int& status) {
  struct Args {
    std::vector<std::string> files;
    BatchConvertOptions batch;
  };
  auto args = std::make_shared<Args>();
  auto* convert = app.add_subcommand("convert", "Write SRC's card to DST in the format DST's extension names");
  convert->footer("convert SRC DST, or convert --to FORMAT [-o DIR] [--force] FILE... to convert every FILE\n" +
                  app.get_footer());
  convert->add_option("FILES", args->files, "SRC and DST, or with --to the card files to convert")->required();
  auto* to =
      convert->add_option("--to", args->batch.format,
                          "Convert every FILE to FORMAT (" + FormatList() + "): FILE's name with FORMAT's extension");
  convert->add_option("-o,--output-dir", args->batch.outputDir,
                      "With --to: write the converted cards into this folder");
  convert->add_flag("--force", args->batch.force, "With --to: replace converted cards that already exist");
  convert->callback([&io, &status, args, to] {
    if (to->count() > 0) {
      args->batch.progress = ErrorIsTerminal();
      status = RunBatchConvert(args->files, args->batch, io);
      return;
    }
    if (args->files.size() != 2 || !args->batch.outputDir.empty() || args->batch.force) {
      io.err << "convert needs SRC and DST, or --to FORMAT and the files to convert (-o and --force go with --to)\n";
      status = kExitUsage;
      return;
    }
    status = RunConvert(args->files[0], args->files[1], io);
  });
}

}  // namespace selvane::cli
