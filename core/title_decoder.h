// The one interface through which a save's title becomes text: the core and the slot operations
// stay standard-library only, and each front end gives a decoder backed by a well-kept converter
// of its platform (Qt's in the window, iconv or Win32 in selvane-cli).
#pragma once

#include <string>

#include "core/bytes.h"

namespace selvane {

// Turns the bytes of a save's title (code page 932: Shift-JIS with its common extensions, or plain
// ASCII) into UTF-8. Bytes that do not decode become U+FFFD.
class TitleDecoder {
 public:
  virtual ~TitleDecoder() = default;
  virtual std::string ToUtf8(Bytes shiftJis) const = 0;
};

}  // namespace selvane
