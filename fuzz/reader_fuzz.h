// What the card reader fuzz targets share: a reader that answers honestly (the simulated one)
// behind a transport that the input scripts. Before each command reaches the reader, one
// byte of the input says what the line does to it: nothing, lose the answer, flip a byte of the
// answer or of the command, cut the answer short, add noise after it, or take the reader away.
// Checked, for a whole-card read and a write with verify over every protocol:
//   - a read succeeds only with the reader's card exactly (every frame passed its checksum), and
//     a failed read says why and gives no card;
//   - a write succeeds only when the card holds every frame it was to write, and a failed one
//     says why; every frame it reports written is on the card as asked.
// The input's first byte picks read or write and whether every frame is written.
#pragma once

#include <cstddef>
#include <cstdint>

#include "device/card_transfer.h"
#include "device/reader.h"
#include "device/sim/reader_model.h"
#include "examples/card_builder.h"
#include "fuzz/fuzz_support.h"

namespace selvane::fuzz {

class ScriptedTransport : public sim::ModelTransport {
 public:
  ScriptedTransport(sim::ReaderModel& model, const std::uint8_t* script, std::size_t size)
      : ModelTransport(model), script_(script), end_(script + size) {}

  device::IoStatus Write(Bytes data) override {
    if (model_.gone) return device::IoStatus::Gone;
    std::vector<std::uint8_t> command(data.begin(), data.end());
    const std::uint8_t action = Next(0);
    if (action == 0xFF) {
      model_.gone = true;
      return device::IoStatus::Gone;
    }
    const int kind = action >> 4;
    if (kind == 0xE && !command.empty()) Flip(command);
    std::vector<std::uint8_t> answer;
    model_.Feed(command, answer);
    if (kind == 0xA) answer.clear();
    if (kind == 0xB && !answer.empty()) Flip(answer);
    if (kind == 0xC && !answer.empty()) answer.resize(Next(0) % answer.size());
    if (kind == 0xD)
      for (int i = action & 7; i > 0; --i) answer.push_back(Next(0x47));
    queue_.insert(queue_.end(), answer.begin(), answer.end());
    return device::IoStatus::Ok;
  }

 private:
  std::uint8_t Next(std::uint8_t otherwise) { return script_ < end_ ? *script_++ : otherwise; }
  // One byte changed (never to itself), so that a checksum over the bytes must notice.
  void Flip(std::vector<std::uint8_t>& bytes) {
    const std::size_t at = Next(0) % bytes.size();
    const std::uint8_t mask = Next(1);
    bytes[at] ^= mask == 0 ? 1 : mask;
  }

  const std::uint8_t* script_;
  const std::uint8_t* end_;
};

inline void RunReaderFuzz(device::ReaderKind kind, const std::uint8_t* data, std::size_t size) {
  static const CardImage kBefore = demo::CardBuilder().AddSave(1, 2, "Alpha").AddSave(5, 1, "Beta").RawCard();
  static const CardImage kAfter = demo::CardBuilder().AddSave(1, 3, "Alpha").AddSave(9, 2, "Gamma").RawCard();
  const std::uint8_t options = size > 0 ? data[0] : 0;
  sim::ReaderModel model(kind);
  model.card = kBefore;
  ScriptedTransport transport(model, size > 0 ? data + 1 : data, size > 0 ? size - 1 : 0);
  // The scripted line answers at once or never: no wait needs any length.
  const device::Timing timing{device::Millis(1), device::Millis(0), device::Millis(0)};
  auto protocol = device::MakeProtocol(kind, transport, timing);
  if (!protocol->Identify().ok) return;

  if ((options & 1) == 0) {
    const device::CardResult read = device::ReadCard(*protocol, nullptr, nullptr);
    Check(read.ok == !read.card.empty(), "a read gives a card exactly when it succeeds");
    Check(read.ok || !read.message.empty(), "a failed read says why");
    if (read.ok) Check(read.card == kBefore, "a read card is the reader's card, frame for frame");
    return;
  }
  const bool all = (options & 2) != 0;
  const device::CardResult write = device::WriteCard(*protocol, kAfter, kBefore, all, nullptr, nullptr);
  Check(write.ok || !write.message.empty(), "a failed write says why");
  if (write.ok) Check(model.card == kAfter, "a write succeeds only with every frame on the card");
  for (const std::uint16_t frame : write.written)
    Check(std::equal(kAfter.begin() + frame * kFrameSize, kAfter.begin() + (frame + 1) * kFrameSize,
                     model.card.begin() + frame * kFrameSize),
          "a frame reported written is on the card as asked");
}

}  // namespace selvane::fuzz
