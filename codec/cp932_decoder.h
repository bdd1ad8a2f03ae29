// The title decoder of selvane-cli: code page 932 through the platform's own converter (iconv's
// "CP932" on POSIX systems, MultiByteToWideChar on Windows).
#pragma once

#include <memory>
#include <string>

#include "core/title_decoder.h"

namespace selvane {

class Cp932Decoder : public TitleDecoder {
 public:
  Cp932Decoder();
  ~Cp932Decoder() override;
  Cp932Decoder(const Cp932Decoder&) = delete;
  Cp932Decoder& operator=(const Cp932Decoder&) = delete;

  // The bytes as UTF-8. A byte that starts no valid character becomes U+FFFD and decoding goes on
  // with the next byte; a lead byte cut off by the end becomes U+FFFD. When the system has no code
  // page 932 converter, ASCII bytes pass and every other byte becomes U+FFFD.
  std::string ToUtf8(Bytes shiftJis) const override;

 private:
  struct Converter;
  std::unique_ptr<Converter> converter_;
};

}  // namespace selvane
