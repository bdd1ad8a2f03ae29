#include "codec/cp932_decoder.h"

#include <cstdint>
#include <mutex>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#include <cerrno>
#endif

namespace selvane {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

#ifdef _WIN32
void AppendUtf8(std::string& out, wchar_t c) {
  const auto u = static_cast<std::uint32_t>(c);
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}
#endif

}  // namespace

#ifdef _WIN32

// Code page 932 has no characters outside the Basic Multilingual Plane, so each decoded UTF-16
// unit is one character.
struct Cp932Decoder::Converter {
  static constexpr UINT kCodePage = 932;
  static constexpr std::uint8_t kFirstHalfWidthKana = 0xA1;
  static constexpr std::uint8_t kLastHalfWidthKana = 0xDF;
  bool available = IsValidCodePage(kCodePage) != 0;

  // One character: 1 or 2 bytes as the lead byte says; 0 when they decode to nothing valid.
  // Windows's table gives the single bytes 0x80, 0xA0 and 0xFD-0xFF control or private-use
  // characters; they start no character of the code page, as iconv's "CP932" says too.
  std::size_t DecodeOne(Bytes bytes, std::string& out) const {
    const std::size_t length = IsDBCSLeadByteEx(kCodePage, bytes[0]) ? 2 : 1;
    if (length > bytes.size()) return 0;
    if (length == 1 && (bytes[0] < kFirstHalfWidthKana || bytes[0] > kLastHalfWidthKana)) return 0;
    wchar_t wide[2];
    const int n = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes.data()),
                                      static_cast<int>(length), wide, 2);
    if (n != 1) return 0;
    AppendUtf8(out, wide[0]);
    return length;
  }
};

Cp932Decoder::Cp932Decoder() : converter_(std::make_unique<Converter>()) {}
Cp932Decoder::~Cp932Decoder() = default;

std::string Cp932Decoder::ToUtf8(Bytes shiftJis) const {
  std::string out;
  std::size_t at = 0;
  while (at < shiftJis.size()) {
    const std::uint8_t b = shiftJis[at];
    std::size_t used = 0;
    if (b < 0x80) {
      out += static_cast<char>(b);
      used = 1;
    } else if (converter_->available) {
      used = converter_->DecodeOne(shiftJis.subspan(at), out);
    }
    if (used == 0) {
      out += kReplacement;
      used = 1;
    }
    at += used;
  }
  return out;
}

#else

// One iconv descriptor, opened once and reset before each title. iconv keeps state while it
// converts, so a title is converted under a lock.
struct Cp932Decoder::Converter {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  std::mutex lock;
  ~Converter() {
    if (available()) iconv_close(cd);
  }
  // iconv_open gives (iconv_t)-1 when the system has no such converter.
  bool available() const { return reinterpret_cast<std::intptr_t>(cd) != -1; }
};

Cp932Decoder::Cp932Decoder() : converter_(std::make_unique<Converter>()) {}
Cp932Decoder::~Cp932Decoder() = default;

std::string Cp932Decoder::ToUtf8(Bytes shiftJis) const {
  std::string out;
  if (!converter_->available()) {
    for (std::uint8_t b : shiftJis) {
      if (b < 0x80) {
        out += static_cast<char>(b);
      } else {
        out += kReplacement;
      }
    }
    return out;
  }
  std::lock_guard<std::mutex> hold(converter_->lock);
  iconv(converter_->cd, nullptr, nullptr, nullptr, nullptr);
  // Each input byte gives at most 3 output bytes (a character of 2 bytes at most 3, U+FFFD 3).
  std::string buffer(shiftJis.size() * 3 + 4, '\0');
  // iconv takes a non-const input pointer but never writes through it.
  char* in = const_cast<char*>(reinterpret_cast<const char*>(shiftJis.data()));
  std::size_t inLeft = shiftJis.size();
  char* outAt = buffer.data();
  std::size_t outLeft = buffer.size();
  while (inLeft > 0) {
    if (iconv(converter_->cd, &in, &inLeft, &outAt, &outLeft) != static_cast<std::size_t>(-1)) break;
    if (errno != EILSEQ && errno != EINVAL) break;  // E2BIG cannot happen with the room given
    // A byte that starts no valid character (or a lead byte cut off by the end): U+FFFD, then on
    // with the next byte.
    std::copy(kReplacement.begin(), kReplacement.end(), outAt);
    outAt += kReplacement.size();
    outLeft -= kReplacement.size();
    ++in;
    --inLeft;
    iconv(converter_->cd, nullptr, nullptr, nullptr, nullptr);
  }
  buffer.resize(static_cast<std::size_t>(outAt - buffer.data()));
  return buffer;
}

#endif

}  // namespace selvane
