// The device layer against simulated readers: the serial ones on a pseudo-terminal through the
// real serial port code, the PS3 adaptor behind the transport interface. Every protocol reads and
// writes a whole card, and each fault a reader shows ends in the right message. A write stopped
// after the frame in flight is told by selvane-cli's Ctrl+C test.
#include <gtest/gtest.h>

#include "device/card_transfer.h"
#include "device/reader.h"
#include "device/sim/pty_simulator.h"
#include "examples/card_builder.h"

namespace selvane {
namespace {
using namespace device;
using sim::ReaderFaults;
using sim::ReaderModel;

// Answers are given time enough on a busy machine, while a board's wake-up is short: the
// simulators answer at once. Tests of silence use the quick waits, given up in a fraction of a second.
const Timing kTiming{Millis(300), Millis(300), Millis(30)};
const Timing kQuick = ScaledTiming(Millis(50));

CardImage CardA() { return demo::CardBuilder().AddSave(1, 2, "Alpha").AddSave(5, 1, "Beta", "SLES-00002").RawCard(); }
// CardA with Alpha grown by a block: directory frames 1-3, block 1's first frame and block 3 differ.
CardImage CardB() { return demo::CardBuilder().AddSave(1, 3, "Alpha").AddSave(5, 1, "Beta", "SLES-00002").RawCard(); }

// One simulated reader of a kind, reached as the program reaches it.
class Rig {
 public:
  explicit Rig(ReaderKind kind) {
    if (kind == ReaderKind::Ps3Mca) {
      usb_ = std::make_unique<ReaderModel>(kind);
    } else {
      pty_ = std::make_unique<sim::PtySimulator>(kind);
    }
  }
  template <typename F>
  auto With(F f) {
    return pty_ ? pty_->With(f) : f(*usb_);
  }
  OpenedReader Open(std::optional<ReaderKind> kind, Timing timing = kTiming) {
    if (pty_) return OpenReader(pty_->Path(), kind, 0, timing);
    return Identify(std::make_unique<sim::ModelTransport>(*usb_), kind, 0, timing);
  }

 private:
  std::unique_ptr<sim::PtySimulator> pty_;
  std::unique_ptr<ReaderModel> usb_;
};

class Readers : public ::testing::TestWithParam<ReaderKind> {
 protected:
  void SetUp() override {
    rig_.With([](ReaderModel& m) { m.card = CardA(); });
    reader_ = rig_.Open(Auto());
    ASSERT_TRUE(reader_.protocol) << reader_.message;
  }
  // The serial readers are found by asking; the adaptor is the one on "usb".
  std::optional<ReaderKind> Auto() const {
    return GetParam() == ReaderKind::Ps3Mca ? std::optional(ReaderKind::Ps3Mca) : std::nullopt;
  }
  Rig rig_{GetParam()};
  OpenedReader reader_;
};

std::string KindName(const ::testing::TestParamInfo<ReaderKind>& info) { return std::string(KindKey(info.param)); }
INSTANTIATE_TEST_SUITE_P(Each, Readers, ::testing::ValuesIn(kAllReaderKinds), KindName);

TEST_P(Readers, ReadsTheWholeCardAndTellsWhichReaderItIs) {
  EXPECT_EQ(reader_.identity.kind, GetParam());
  std::size_t calls = 0;
  bool inOrder = true;
  const CardResult read = ReadCard(
      *reader_.protocol,
      [&](std::size_t done, std::size_t total) { inOrder = inOrder && done == ++calls && total == 1024; }, nullptr);
  ASSERT_TRUE(read.ok) << read.message;
  EXPECT_EQ(read.card, CardA());
  EXPECT_EQ(calls, 1024u);
  EXPECT_TRUE(inOrder);
  EXPECT_EQ(rig_.With([](ReaderModel& m) { return m.framesRead; }), 1024);
}

TEST_P(Readers, WritesOnlyTheFramesThatDifferAndEveryFrameWithAll) {
  const CardResult write = WriteCard(*reader_.protocol, CardB(), CardA(), false, nullptr, nullptr);
  ASSERT_TRUE(write.ok) << write.message;
  EXPECT_EQ(FrameRanges(write.written), "1-3, 64, 192-255");
  EXPECT_EQ(rig_.With([](ReaderModel& m) { return m.framesWritten; }),
            std::vector<int>(write.written.begin(), write.written.end()));
  EXPECT_EQ(rig_.With([](ReaderModel& m) { return m.card; }), CardB());
  // Each written frame was read back.
  EXPECT_EQ(rig_.With([](ReaderModel& m) { return m.framesRead; }), 68);

  rig_.With([](ReaderModel& m) { m.framesWritten.clear(); });
  const CardResult all = WriteCard(*reader_.protocol, CardA(), CardB(), true, nullptr, nullptr);
  ASSERT_TRUE(all.ok) << all.message;
  EXPECT_EQ(rig_.With([](ReaderModel& m) { return m.framesWritten.size(); }), 1024u);
  EXPECT_EQ(rig_.With([](ReaderModel& m) { return m.card; }), CardA());
}

enum class Op { Read, Write };
struct FaultCase {
  const char* name;
  Op op;
  ReaderFaults faults;
  // What the operation says; empty when it succeeds. "%s" stands for the reader's words for a
  // frame it cannot give (bad sector, or no card).
  std::string message;
};

const FaultCase kFaults[] = {
    {"bad checksum once", Op::Read, {.frame = 5, .badChecksums = 1}, ""},
    {"bad checksum every time", Op::Read, {.frame = 5, .badChecksums = 3}, "frame 5: bad checksum after 3 tries"},
    {"bad sector", Op::Read, {.frame = 700, .badSector = true}, "frame 700: %s"},
    {"no card", Op::Read, {.noCard = true}, "frame 0: %s"},
    {"reader gone", Op::Read, {.frame = 300, .goneAt = true}, "frame 300: the reader is gone"},
    {"reader silent", Op::Read, {.frame = 300, .silentAt = true}, "frame 300: no answer in time after 3 tries"},
    {"reads back wrong once", Op::Write, {.frame = 192, .wrongWrites = 1}, ""},
    {"reads back wrong every time",
     Op::Write,
     {.frame = 192, .wrongWrites = 3},
     "frame 192: does not read back as written after 3 tries"},
    {"bad sector on write", Op::Write, {.frame = 192, .badSector = true}, "frame 192: %s"},
};

TEST_P(Readers, EachFaultEndsAsItShould) {
  const bool link = GetParam() == ReaderKind::MemCarduino || GetParam() == ReaderKind::Ps1CardLink;
  for (const FaultCase& c : kFaults) {
    SCOPED_TRACE(c.name);
    Rig rig(GetParam());
    rig.With([](ReaderModel& m) { m.card = CardA(); });
    OpenedReader reader = rig.Open(GetParam(), c.faults.silentAt ? kQuick : kTiming);
    ASSERT_TRUE(reader.protocol) << reader.message;
    rig.With([&](ReaderModel& m) { m.faults = c.faults; });
    const CardResult result = c.op == Op::Read ? ReadCard(*reader.protocol, nullptr, nullptr)
                                               : WriteCard(*reader.protocol, CardB(), CardA(), false, nullptr, nullptr);
    std::string expected = c.message;
    if (const auto at = expected.find("%s"); at != std::string::npos) {
      // MemCARDuino and PS1CardLink have one status for both; a DexDrive answers a write to a
      // bad sector with its error code, which is worth a retry.
      const bool dexWrite = GetParam() == ReaderKind::DexDrive && c.op == Op::Write;
      expected.replace(at, 2,
                       link              ? "no card in the reader, or a bad sector"
                       : c.faults.noCard ? "no card in the reader"
                       : dexWrite        ? "the reader reported a write error after 3 tries"
                                         : "bad sector");
    }
    EXPECT_EQ(result.ok, expected.empty());
    EXPECT_EQ(result.message, expected);
    if (c.op == Op::Read) {
      EXPECT_EQ(result.card, result.ok ? CardA() : CardImage());
    } else if (result.ok) {
      EXPECT_EQ(rig.With([](ReaderModel& m) { return m.card; }), CardB());
    } else {
      // Only the frames before the failing one were written, and each read back right.
      EXPECT_EQ(FrameRanges(result.written), "1-3, 64");
    }
  }
}

// A silent port and MemCARDuino's missing second slot are told by selvane-cli's tests.
TEST(ReaderIdentification, CardSlotsAndTheKindAskedFor) {
  sim::PtySimulator link(ReaderKind::Ps1CardLink);
  const OpenedReader second = OpenReader(link.Path(), std::nullopt, 1, kTiming);
  ASSERT_TRUE(second.protocol) << second.message;
  EXPECT_EQ(second.identity.version, 0x11);
  Frame frame;  // the slot command has no answer: a frame read after it shows it was taken
  ASSERT_EQ(second.protocol->ReadFrame(0, frame), FrameStatus::Ok);
  EXPECT_EQ(link.With([](ReaderModel& m) { return m.selectedSlot; }), 1);

  sim::PtySimulator arduino(ReaderKind::MemCarduino);
  EXPECT_EQ(OpenReader(arduino.Path(), ReaderKind::DexDrive, 0, kTiming).message, "no DexDrive answers");
  EXPECT_EQ(OpenReader("/nonexistent/tty", std::nullopt, 0, kTiming).message,
            "cannot be opened: No such file or directory");
}

TEST(FrameRanges, JoinsRuns) {
  EXPECT_EQ(FrameRanges({}), "none");
  EXPECT_EQ(FrameRanges({0, 1, 2, 3, 17, 64, 65}), "0-3, 17, 64-65");
}

}  // namespace
}  // namespace selvane
