// What a slot operation did. The window shows its messages through the UserPort and needs no
// more; selvane-cli decides its exit status and its own lines from the outcome, never from the
// messages an operation happened to show.
#pragma once

namespace selvane {

enum class Outcome {
  Done,                // the card (or cards) changed
  NothingChanged,      // not refused, but the card holds no byte to change there (a short image)
  FormatNotSupported,  // "Memory card format not supported" was shown
  NoSelection,         // no line to act on ("Select a slot", "Select the slot to copy."; Delete shows nothing)
  NotASave,            // the line's entry holds no save to mark or undelete ("Select a slot")
  CardFull,            // the save has not enough lines on the target ("The memory card is full.")
  Declined,            // a question was answered No (importing a save whose name the card already has)
  FileRefused,         // a file could not be read as a save, or written; its message was shown
};

// The comparison's answer; Refused after "Memory card format not supported" or a missing selection.
enum class Comparison { Identical, Different, Refused };

}  // namespace selvane
