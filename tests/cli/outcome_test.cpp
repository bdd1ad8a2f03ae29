// selvane-cli's one-card routine takes its exit status from what the operation did, never from
// the messages it showed: a message added to an operation changes no exit code.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/slot_commands.h"
#include "core/file_io.h"
#include "examples/card_builder.h"
#include "slots/operations.h"
#include "tests/temp_folder.h"

namespace selvane::cli {
namespace {
using OneCardRoutine = testkit::TempFolder;

TEST_F(OneCardRoutine, ExitStatusComesFromTheOutcomeNotFromMessages) {
  const std::string card = Path("card.mcr");
  const CardImage before = demo::CardBuilder().AddSave(1, 1, "NOTE").Build();
  // Each operation deletes line 1 (or not) and may show a note of its own on the way.
  const auto deleteWithNote = [](Pane& pane, UserPort& port) {
    port.ShowMessage("a note on the side", MessageIcon::Information);
    return DeleteSlot(pane, port);
  };
  const auto refusedSilently = [](Pane&, UserPort&) { return Outcome::NotASave; };
  const auto nothingWithNote = [](Pane&, UserPort& port) {
    port.ShowMessage("a note on the side", MessageIcon::Information);
    return Outcome::NothingChanged;
  };
  const std::tuple<CardOperation, int, CardImage, std::string> table[] = {
      {deleteWithNote, 0, demo::CardBuilder().Build(), card + ": a note on the side\n"},
      {refusedSilently, 1, before, ""},
      {nothingWithNote, 1, before,
       card + ": a note on the side\n" + card + ": nothing was changed: the card file ends before that slot\n"},
  };
  for (const auto& [operation, status, after, err] : table) {
    ASSERT_TRUE(WriteFileAtomic(card, before).ok);
    std::ostringstream out, errors;
    EXPECT_EQ(RunOnCard(card, 1, Streams{out, errors}, operation), status) << err;
    EXPECT_EQ(errors.str(), err);
    EXPECT_EQ(ReadCardFile(card).bytes, after) << err;
  }
}

}  // namespace
}  // namespace selvane::cli
