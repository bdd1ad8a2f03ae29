// selvane-cli list, info, convert and new, run as a user runs them, on temporary files.
#include <gtest/gtest.h>

#include <random>

#include <nlohmann/json.hpp>

#include "core/card.h"
#include "core/file_io.h"
#include "examples/card_builder.h"
#include "tests/cli/cli_runner.h"

namespace selvane {
namespace {
namespace fs = std::filesystem;
using test::RunCli;

class CardCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    // A folder of this run's own: other builds on the machine run the same tests at the same time.
    dir_ = fs::temp_directory_path() / ("selvane-cli-" + std::to_string(std::random_device{}()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "cards");
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Card(const std::string& name) const { return (dir_ / "cards" / name).string(); }
  void Put(const std::string& name, const CardImage& bytes) const {
    ASSERT_TRUE(WriteFileAtomic(Card(name), bytes).ok);
  }
  CardImage Get(const std::string& name) const { return ReadCardFile(Card(name)).bytes; }
  test::CliRun Run(const std::vector<std::string>& args) const { return RunCli(args, dir_); }

  fs::path dir_;
};

demo::CardBuilder SampleCard() {
  demo::CardBuilder card;
  card.AddSave(1, 1, "Alpha").AddSave(2, 3, "Three Blocks").AddSave(6, 1, "Gone", "SLES-12345", 'E', true);
  return card;
}

TEST_F(CardCommands, ListPrintsTheFifteenLines) {
  Put("a.gme", SampleCard().Build(Format::Gme));
  const auto run = Run({"list", Card("a.gme")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "01  Alpha\n02  Three Blocks\n03  Linked Slot 2\n04  Linked Slot 3\n05\n06 -del- Gone\n"
            "07\n08\n09\n10\n11\n12\n13\n14\n15\n");
  EXPECT_EQ(run.err, "");
}

TEST_F(CardCommands, RefusalsPrintTheSystemsTextsAndExitOne) {
  Put("a.txt", SampleCard().Build(Format::Mcr));
  auto run = Run({"list", Card("a.txt")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, Card("a.txt") + ": Memory card format not supported\n");
  EXPECT_EQ(run.out, "");

  run = Run({"list", Card("missing.mcr")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(Card("missing.mcr") + ": "), std::string::npos);

  Put("empty.mcr", {});
  EXPECT_EQ(Run({"info", Card("empty.mcr")}).status, 1);
}

TEST_F(CardCommands, UsageErrorsExitTwo) {
  EXPECT_EQ(Run({}).status, 2);
  EXPECT_EQ(Run({"list"}).status, 2);
  EXPECT_EQ(Run({"frobnicate", "x.mcr"}).status, 2);
  EXPECT_EQ(Run({"convert", "only-one.mcr"}).status, 2);
  const auto help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("convert"), std::string::npos);
  const auto version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_NE(version.out.find("1.1"), std::string::npos);
}

TEST_F(CardCommands, InfoReportsEntriesAsJson) {
  demo::CardBuilder card = SampleCard();
  card.Raw()[SlotEntryOffset(1) + kEntryChecksum] ^= 0x01;  // spoil slot 1's checksum
  CardImage mem = card.Build(Format::Mem);
  mem.pop_back();  // a short file still lists, but fails the save check
  Put("a.mem", mem);
  const auto run = Run({"info", "--json", Card("a.mem")});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto doc = nlohmann::json::parse(run.out);
  EXPECT_EQ(doc["format"], ".mem");
  EXPECT_EQ(doc["fileSize"], 131135);
  EXPECT_EQ(doc["dataOffset"], 64);
  EXPECT_EQ(doc["wellFormed"], false);
  ASSERT_EQ(doc["slots"].size(), 15u);
  EXPECT_EQ(doc["slots"][0]["checksumValid"], false);
  EXPECT_EQ(doc["slots"][1]["status"], 0x51);
  EXPECT_EQ(doc["slots"][1]["nextSlot"], 2);
  EXPECT_EQ(doc["slots"][3]["nextSlot"], 0xFFFF);
  EXPECT_EQ(doc["slots"][1]["checksumValid"], true);
  EXPECT_EQ(doc["slots"][1]["title"], "Three Blocks");
  EXPECT_EQ(doc["slots"][5]["line"], "06 -del- Gone");
  EXPECT_EQ(doc["slots"][6]["status"], 0xA0);

  const auto text = Run({"info", Card("a.mem")});
  EXPECT_EQ(text.status, 0);
  EXPECT_NE(text.out.find("data offset: 64"), std::string::npos);
  EXPECT_NE(text.out.find("INVALID"), std::string::npos);
}

class ConvertTo : public CardCommands, public ::testing::WithParamInterface<Format> {};

TEST_P(ConvertTo, WritesTheTargetFormatFromEverySource) {
  const CardImage raw = SampleCard().RawCard();
  const Format target = GetParam();
  for (Format source : kAllFormats) {
    const std::string from = "src" + std::string(FormatKey(source));
    const std::string to = "out" + std::string(FormatKey(target));
    Put(from, SampleCard().Build(source));
    const auto run = Run({"convert", Card(from), Card(to)});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Get(to), SampleCard().Build(target)) << FormatKey(source) << " -> " << FormatKey(target);
    EXPECT_EQ(*ExtractRawCard(Get(to), target), raw);
    EXPECT_EQ(Get(from), SampleCard().Build(source)) << "the source is never changed";
  }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, ConvertTo, ::testing::ValuesIn(kAllFormats),
                         [](const auto& param_info) { return std::string(FormatExtension(param_info.param)); });

TEST_F(CardCommands, ConvertRefusesBadSourceAndLeavesTargetAlone) {
  CardImage broken = SampleCard().Build(Format::Mcr);
  broken.push_back(0);  // one byte too long for a raw card
  Put("broken.mcr", broken);
  Put("target.mem", {1, 2, 3});
  const auto run = Run({"convert", Card("broken.mcr"), Card("target.mem")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, Card("broken.mcr") + ": File is in a wrong format.\n");
  EXPECT_EQ(Get("target.mem"), (CardImage{1, 2, 3}));

  // Into a folder that does not exist: the path and the system's reason are named.
  Put("good.mcr", SampleCard().Build(Format::Mcr));
  const auto missing = Run({"convert", Card("good.mcr"), (dir_ / "nowhere" / "x.mem").string()});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find((dir_ / "nowhere" / "x.mem").string() + " could not be saved: "), std::string::npos);
}

TEST_F(CardCommands, NewWritesAnEmptyCardInEachFormat) {
  for (Format f : kAllFormats) {
    const std::string name = "blank" + std::string(FormatKey(f));
    const auto run = Run({"new", Card(name)});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Get(name), *BuildFileContent(EmptyCard(), Format::Mcr, f)) << name;
    EXPECT_EQ(Run({"list", Card(name)}).out, "01\n02\n03\n04\n05\n06\n07\n08\n09\n10\n11\n12\n13\n14\n15\n");
  }
  EXPECT_EQ(Get("blank.mem").size(), 64u + 131072u);
  EXPECT_EQ(Get("blank.gme").size(), 3904u + 131072u);

  const auto refused = Run({"new", Card("blank.bin")});
  EXPECT_EQ(refused.status, 1);
  EXPECT_FALSE(fs::exists(Card("blank.bin")));
}

}  // namespace
}  // namespace selvane
