#include "device/protocol.h"

#include <cstdlib>

#include "device/readers.h"

namespace selvane::device {
namespace {

struct KindFacts {
  ReaderKind kind;
  std::string_view key;
  std::string_view name;
};
constexpr KindFacts kKinds[] = {
    {ReaderKind::MemCarduino, "memcarduino", "MemCARDuino"},
    {ReaderKind::Ps1CardLink, "ps1cardlink", "PS1CardLink"},
    {ReaderKind::DexDrive, "dexdrive", "DexDrive"},
    {ReaderKind::Ps3Mca, "ps3mca", "PS3 Memory Card Adaptor"},
};
static_assert(std::size(kKinds) == std::size(kAllReaderKinds));

const KindFacts& FactsOf(ReaderKind kind) {
  for (const KindFacts& facts : kKinds)
    if (facts.kind == kind) return facts;
  return kKinds[0];
}

}  // namespace

std::string_view KindKey(ReaderKind kind) { return FactsOf(kind).key; }
std::string_view KindName(ReaderKind kind) { return FactsOf(kind).name; }
std::optional<ReaderKind> KindFromKey(std::string_view key) {
  for (const KindFacts& facts : kKinds)
    if (facts.key == key) return facts.kind;
  return std::nullopt;
}

Timing ScaledTiming(Millis answer) { return {answer, answer * 2, answer / 5 + Millis(1)}; }

Timing TimingFromEnvironment() {
  const char* value = std::getenv("SELVANE_READER_TIMEOUT_MS");
  const long ms = value == nullptr ? 0 : std::strtol(value, nullptr, 10);
  return ms > 0 ? ScaledTiming(Millis(ms)) : Timing{};
}

bool Retryable(FrameStatus status) {
  return status == FrameStatus::BadChecksum || status == FrameStatus::NoAnswer || status == FrameStatus::Garbled ||
         status == FrameStatus::WriteError;
}

std::string_view Describe(FrameStatus status) {
  switch (status) {
    case FrameStatus::Ok:
      return "done";
    case FrameStatus::BadChecksum:
      return "bad checksum";
    case FrameStatus::NoAnswer:
      return "no answer in time";
    case FrameStatus::Garbled:
      return "an answer the reader should not give";
    case FrameStatus::WriteError:
      return "the reader reported a write error";
    case FrameStatus::BadSector:
      return "bad sector";
    case FrameStatus::NoCard:
      return "no card in the reader";
    case FrameStatus::NoCardOrBadSector:
      return "no card in the reader, or a bad sector";
    case FrameStatus::Gone:
      return "the reader is gone";
  }
  return "unknown";
}

std::unique_ptr<Protocol> MakeProtocol(ReaderKind kind, Transport& transport, Timing timing) {
  switch (kind) {
    case ReaderKind::MemCarduino:
      return MakeMemCarduino(transport, timing);
    case ReaderKind::Ps1CardLink:
      return MakePs1CardLink(transport, timing);
    case ReaderKind::DexDrive:
      return MakeDexDrive(transport, timing);
    case ReaderKind::Ps3Mca:
      return MakePs3Mca(transport, timing);
  }
  return nullptr;
}

}  // namespace selvane::device
