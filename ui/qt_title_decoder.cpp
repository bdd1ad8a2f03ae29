#include "ui/qt_title_decoder.h"

namespace selvane::ui {
namespace {

// True when the title's last byte is a lead byte that its trail byte was cut off from. Qt's codec
// drops such a byte without a trace; it is shown as U+FFFD, as any other byte that decodes to
// nothing.
constexpr char kSub = 0x1A;

bool EndsInLoneLeadByte(Bytes bytes) {
  const auto isLead = [](std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
  std::size_t at = 0;
  while (at < bytes.size()) {
    if (isLead(bytes[at]) && at + 1 == bytes.size()) return true;
    at += isLead(bytes[at]) ? 2 : 1;
  }
  return false;
}

}  // namespace

std::string QtTitleDecoder::ToUtf8(Bytes shiftJis) const {
  const QByteArrayView bytes(reinterpret_cast<const char*>(shiftJis.data()), static_cast<qsizetype>(shiftJis.size()));
  if (!decoder_.isValid()) {
    QString text;
    for (char c : bytes)
      text += static_cast<unsigned char>(c) < 0x80 ? QChar(QLatin1Char(c)) : QChar::ReplacementCharacter;
    return text.toStdString();
  }
  // ICU's codec writes U+001A (SUB) for a byte it cannot map; here that is U+FFFD. A real 0x1A
  // byte (never part of a two-byte character) stays U+001A: the bytes between them are decoded
  // one run at a time.
  QString text;
  qsizetype start = 0;
  while (start <= bytes.size()) {
    qsizetype end = bytes.indexOf(kSub, start);
    if (end < 0) end = bytes.size();
    const QByteArrayView run = bytes.sliced(start, end - start);
    const bool cut =
        EndsInLoneLeadByte(shiftJis.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(run.size())));
    QString decoded = decoder_.decode(cut ? run.first(run.size() - 1) : run);
    decoded.replace(QChar(kSub), QChar::ReplacementCharacter);
    text += decoded;
    if (cut) text += QChar::ReplacementCharacter;
    if (end < bytes.size()) text += QChar(kSub);
    start = end + 1;
  }
  return text.toStdString();
}

const TitleDecoder& WindowTitleDecoder() {
  static const QtTitleDecoder decoder;
  return decoder;
}

}  // namespace selvane::ui
