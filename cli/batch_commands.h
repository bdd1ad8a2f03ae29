// `convert` for many cards at once: its two-file form and the batch form with --to.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace selvane::cli {

struct BatchConvertOptions {
  std::string format;     // the target format's extension, with or without its dot, any case
  std::string outputDir;  // where the converted cards go; empty: beside each input
  bool force = false;     // replace outputs that already exist
  bool progress = false;  // show a progress line on standard error (only when it is a terminal)
};

// convert --to FORMAT [-o DIR] [--force] FILE...: every FILE read and written in FORMAT, under its
// own name with FORMAT's extension. A FILE that fails is named with its reason at the end and the
// others are still converted. 0 when every FILE was converted, 1 when any failed, 2 for an unknown
// FORMAT (nothing touched then).
int RunBatchConvert(const std::vector<std::string>& files, const BatchConvertOptions& options, Streams io);

// Registers `convert`: the two-file form without --to, the batch form with it.
void AddConvertCommand(CLI::App& app, Streams& io, int& status);

}  // namespace selvane::cli
