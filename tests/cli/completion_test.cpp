// What is installed beside selvane-cli keeps up with it: the bash completion, run by bash as a
// user's shell runs it, offers every command and every option of each (read from the program's
// own command table), every card format for convert --to (from the format table), card files of
// every format and save files where a command takes them; the manual pages and the package's
// descriptions name every card format and count them right.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "cli/commands.h"
#include "core/card.h"
#include "tests/temp_folder.h"

namespace selvane::cli {
namespace {
using Words = std::set<std::string>;

// The candidates the completion offers for the last of `words` (typed after "selvane-cli").
Words Complete(const std::vector<std::string>& words) {
  std::string command =
      "bash --norc --noprofile -c 'shopt -s extglob; source \"$0\"; COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); "
      "_selvane_cli; printf \"%s\\n\" \"${COMPREPLY[@]}\"' " SELVANE_SOURCE_DIR
      "/resources/selvane-cli.bash-completion selvane-cli";
  for (const std::string& word : words) command += " '" + word + "'";
  Words offered;
  FILE* shell = popen(command.c_str(), "r");
  char line[4096];
  while (shell && std::fgets(line, sizeof line, shell))
    if (std::string candidate(line, std::strcspn(line, "\n")); !candidate.empty()) offered.insert(candidate);
  if (shell) pclose(shell);
  return offered;
}

// What a user types for a command's options: -s and --long; the arguments left out.
Words OptionNames(const CLI::App& app) {
  Words names;
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& name : option->get_snames()) names.insert("-" + name);
    for (const std::string& name : option->get_lnames()) names.insert("--" + name);
  }
  return names;
}

Words Extensions() {
  Words extensions;
  for (const FormatFacts& facts : FormatTable()) extensions.insert(std::string(FormatExtension(facts.format)));
  return extensions;
}

TEST(Completion, OffersEveryCommandOptionAndFormat) {
  CLI::App app;
  std::ostringstream out, err;
  Streams io{out, err};
  int status = 0;
  AddCommands(app, "selvane-cli", io, status);
  Words top = OptionNames(app);
  for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
    top.insert(command->get_name());
    EXPECT_EQ(Complete({command->get_name(), "-"}), OptionNames(*command)) << command->get_name();
  }
  EXPECT_EQ(Complete({""}), top);
  EXPECT_EQ(Complete({"convert", "--to", ""}), Extensions());
}

using CompletionFiles = testkit::TempFolder;

TEST_F(CompletionFiles, OffersCardFilesAndSaveFilesWhereCommandsTakeThem) {
  Words cards = {Path("folder")}, saves;
  std::filesystem::create_directory(Path("folder"));
  for (std::string ext : Extensions()) {
    cards.insert(Put("card." + ext, CardImage{1}));
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    cards.insert(Put("CARD." + ext, CardImage{1}));
  }
  for (const char* name : {"save", "save.mcs", "save.ps1", "save.psv"}) saves.insert(Put(name, CardImage{1}));
  Put("notes.txt", CardImage{1});
  EXPECT_EQ(Complete({"list", Path("")}), cards);
  EXPECT_EQ(Complete({"import", Path("card.mcr"), Path("save")}), saves);
  EXPECT_EQ(Complete({"export", Path("card.mcr"), "3", Path("save")}), saves);
}

// Where a text counts the card formats, the count is right, and every format's extension is named.
TEST(Completion, DescriptionsNameEveryCardFormat) {
  const char* const numbers[] = {"zero",  "one",   "two",  "three", "four",   "five",  "six",
                                 "seven", "eight", "nine", "ten",   "eleven", "twelve"};
  const std::regex counted(R"((\w+) (container |card )?formats)");
  for (const char* file : {"/resources/selvane.1", "/resources/selvane-cli.h2m",
                           "/resources/io.github.selvane.Selvane.metainfo.xml.in", "/cmake/packaging.cmake"}) {
    std::ostringstream read;
    read << std::ifstream(SELVANE_SOURCE_DIR + std::string(file)).rdbuf();
    const std::string text = read.str();
    ASSERT_FALSE(text.empty()) << file;
    for (const std::string& ext : Extensions()) {
      EXPECT_TRUE(std::regex_search(text, std::regex("\\." + ext + "([^a-z0-9]|$)"))) << file << " ." << ext;
    }
    for (std::sregex_iterator it(text.begin(), text.end(), counted), end; it != end; ++it) {
      const auto number = std::find(std::begin(numbers), std::end(numbers), (*it)[1].str());
      if (number != std::end(numbers)) {
        EXPECT_EQ(static_cast<std::size_t>(number - std::begin(numbers)), FormatTable().size()) << file;
      }
    }
  }
}

}  // namespace
}  // namespace selvane::cli
