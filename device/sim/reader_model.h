// Simulated card readers for the tests, the fuzz targets and selvane-reader-sim: each model takes
// the bytes a host sends and gives the answers the reader would, from a 128 KiB card held in
// memory, with switches for the faults real readers show. The models are written from the readers'
// published command sets, not from Selvane's protocol code, so a mistake in either shows up as a
// failing test.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "core/card.h"
#include "device/protocol.h"
#include "device/transport.h"

namespace selvane::sim {

using device::ReaderKind;

struct ReaderFaults {
  int frame = -1;          // the frame the faults below are about
  int badChecksums = 0;    // this many reads of `frame` come with a spoilt checksum
  bool badSector = false;  // `frame` cannot be read or written
  bool noCard = false;     // no card in the reader (every frame)
  bool goneAt = false;     // the reader goes away when `frame` is asked for
  bool silentAt = false;   // the reader answers nothing from the moment `frame` is asked for
  bool silent = false;     // the reader answers nothing at all
  int wrongWrites = 0;     // this many writes of `frame` store one byte changed (and say all is well)
  bool holdWrite = false;  // the answer to the write of `frame` waits until `holding` is cleared
  bool holdRead = false;   // the answer to the first read of `frame` waits until `holding` is cleared
};

class ReaderModel {
 public:
  explicit ReaderModel(ReaderKind kind);

  // Takes bytes the host sent; appends the reader's answers to `answer`.
  void Feed(Bytes in, std::vector<std::uint8_t>& answer);

  ReaderKind kind;
  CardImage card;  // the card in the reader: 131072 bytes
  ReaderFaults faults;
  std::vector<int> framesWritten;  // every frame stored by a write, in order
  int framesRead = 0;
  int selectedSlot = 0;  // PS1CardLink's card slot, as chosen with 0xA4
  bool gone = false;     // a goneAt fault fired: the simulator hangs up
  bool mute = false;     // a silentAt fault fired
  bool holding = false;  // a hold fault fired: the simulator keeps the answer until this is false

 private:
  // Handles one whole command at the front of `pending_`; false when it is not complete yet.
  bool StepLink(std::vector<std::uint8_t>& answer);
  bool StepDexDrive(std::vector<std::uint8_t>& answer);
  bool StepAdaptor(std::vector<std::uint8_t>& answer);
  void DexRead(const std::vector<std::uint8_t>& command, std::vector<std::uint8_t>& answer);
  void DexWrite(const std::vector<std::uint8_t>& command, std::vector<std::uint8_t>& answer);
  void CardExchange(const std::vector<std::uint8_t>& sent, bool read, std::vector<std::uint8_t>& back);
  // Notes that `frame` was asked for (a goneAt or silentAt fault fires); false once the reader is gone.
  bool Asked(int frame);
  // A read of `frame`: false for a bad sector; a spoilt checksum while badChecksums lasts.
  bool ReadFault(int frame, std::uint8_t& checksum);
  void Store(int frame, Bytes data);
  Bytes FrameOnCard(int frame) const;

  std::vector<std::uint8_t> pending_;
  bool dexReady_ = false;
  bool dexIdentified_ = false;
};

// A model behind the Transport interface, as the PS3 adaptor's USB endpoints are: a write is one
// request packet, answers wait in a queue until read. A model that is gone refuses both.
class ModelTransport : public device::Transport {
 public:
  explicit ModelTransport(ReaderModel& model) : model_(model) {}
  device::IoStatus Write(Bytes data) override;
  device::IoStatus ReadExact(MutableBytes out, device::Millis timeout) override;
  void Drain() override { queue_.clear(); }

 protected:
  ReaderModel& model_;
  std::deque<std::uint8_t> queue_;
};

}  // namespace selvane::sim
