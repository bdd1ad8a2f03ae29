// The window's title decoder: code page 932 through Qt's "Shift_JIS" codec (ICU on Debian's Qt).
#pragma once

#include <QStringDecoder>

#include "core/title_decoder.h"

namespace selvane::ui {

class QtTitleDecoder : public TitleDecoder {
 public:
  // Bytes that start no character become U+FFFD. Where this Qt has no Shift-JIS codec, ASCII
  // bytes pass and every other byte becomes U+FFFD.
  std::string ToUtf8(Bytes shiftJis) const override;

 private:
  // Stateless: a lead byte cut off by the end of a title is replaced, not kept for the next one.
  mutable QStringDecoder decoder_{"Shift_JIS", QStringConverter::Flag::Stateless};
};

// The decoder the window uses, made when a title is first decoded.
const TitleDecoder& WindowTitleDecoder();

}  // namespace selvane::ui
