#include "device/card_transfer.h"

#include <algorithm>

namespace selvane::device {
namespace {

bool Stopped(const std::atomic<bool>* stop) { return stop != nullptr && stop->load(); }

std::string FrameText(std::uint16_t frame) { return "frame " + std::to_string(frame); }

// One frame read, asked again while the failure is one that asking again may mend.
FrameStatus ReadWithRetries(Protocol& protocol, std::uint16_t frame, Frame& out) {
  FrameStatus status = FrameStatus::NoAnswer;
  for (int attempt = 0; attempt < kTries; ++attempt) {
    status = protocol.ReadFrame(frame, out);
    if (!Retryable(status)) break;
  }
  return status;
}

std::string FailureText(std::uint16_t frame, FrameStatus status) {
  std::string text = FrameText(frame) + ": " + std::string(Describe(status));
  if (Retryable(status)) text += " after " + std::to_string(kTries) + " tries";
  return text;
}

Frame FrameOf(Bytes card, std::uint16_t frame) {
  Frame out{};
  const Bytes source = ClipRead(card, std::size_t{frame} * kFrameSize, kFrameSize);
  std::copy(source.begin(), source.end(), out.begin());
  return out;
}

}  // namespace

CardResult ReadCard(Protocol& protocol, const ProgressFn& progress, const std::atomic<bool>* stop) {
  CardResult result;
  CardImage card(kRawCardSize);
  for (std::uint16_t frame = 0; frame < kFrameCount; ++frame) {
    if (Stopped(stop)) {
      result.stopped = true;
      result.message = "stopped after " + std::to_string(frame) + " of " + std::to_string(kFrameCount) + " frames";
      return result;
    }
    Frame data;
    const FrameStatus status = ReadWithRetries(protocol, frame, data);
    if (status != FrameStatus::Ok) {
      result.failedFrame = frame;
      result.message = FailureText(frame, status);
      return result;
    }
    std::copy(data.begin(), data.end(), card.begin() + static_cast<std::ptrdiff_t>(frame * kFrameSize));
    if (progress) progress(frame + 1u, kFrameCount);
  }
  result.ok = true;
  result.card = std::move(card);
  return result;
}

CardResult WriteCard(Protocol& protocol, Bytes target, Bytes current, bool all, const ProgressFn& progress,
                     const std::atomic<bool>* stop) {
  CardResult result;
  if (target.size() != kRawCardSize || current.size() != kRawCardSize) {
    result.message = "a card to write holds " + std::to_string(kRawCardSize) + " bytes";
    return result;
  }
  std::vector<std::uint16_t> frames;
  for (std::uint16_t frame = 0; frame < kFrameCount; ++frame)
    if (all || FrameOf(target, frame) != FrameOf(current, frame)) frames.push_back(frame);
  result.toWrite = frames.size();

  for (const std::uint16_t frame : frames) {
    if (Stopped(stop)) {
      result.stopped = true;
      result.message = "stopped by the user";
      return result;
    }
    const Frame wanted = FrameOf(target, frame);
    FrameStatus status = FrameStatus::NoAnswer;
    bool verified = false;
    for (int attempt = 0; attempt < kTries && !verified; ++attempt) {
      status = protocol.WriteFrame(frame, wanted);
      if (status == FrameStatus::Ok) {
        // Read back: the card must hold what was sent, not just have acknowledged it.
        Frame back;
        status = ReadWithRetries(protocol, frame, back);
        verified = status == FrameStatus::Ok && back == wanted;
      }
      if (status != FrameStatus::Ok && !Retryable(status)) break;
    }
    if (!verified) {
      result.failedFrame = frame;
      result.message = status == FrameStatus::Ok ? FrameText(frame) + ": does not read back as written after " +
                                                       std::to_string(kTries) + " tries"
                                                 : FailureText(frame, status);
      return result;
    }
    result.written.push_back(frame);
    if (progress) progress(result.written.size(), frames.size());
  }
  result.ok = true;
  return result;
}

std::string FrameRanges(const std::vector<std::uint16_t>& frames) {
  if (frames.empty()) return "none";
  std::string text;
  for (std::size_t i = 0; i < frames.size();) {
    std::size_t j = i;
    while (j + 1 < frames.size() && frames[j + 1] == frames[j] + 1) ++j;
    if (!text.empty()) text += ", ";
    text += std::to_string(frames[i]);
    if (j > i) {
      text += '-';
      text += std::to_string(frames[j]);
    }
    i = j + 1;
  }
  return text;
}

}  // namespace selvane::device
