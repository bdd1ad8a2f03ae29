// What every title decoder does with the bytes games write: plain ASCII, kana and kanji, the
// extensions that code page 932 adds to Shift-JIS, titles that mix them, and bytes that start no
// character. Each decoder's test program instantiates the suite for its own type.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/title_decoder.h"

namespace selvane {

template <typename Decoder>
class TitleDecoderContract : public testing::Test {
 protected:
  std::string Decode(const std::string& bytes) const {
    return decoder_.ToUtf8(Bytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  }

 private:
  Decoder decoder_;
};
TYPED_TEST_SUITE_P(TitleDecoderContract);

TYPED_TEST_P(TitleDecoderContract, DecodesTitlesAsGamesWriteThemAndReplacesBytesThatStartNoCharacter) {
  const std::string fffd = "\xEF\xBF\xBD";
  const struct {
    const char* what;
    std::string bytes;
    std::string utf8;
  } cases[] = {{"ASCII", "SRW Alpha 2", "SRW Alpha 2"},
               {"empty", "", ""},
               {"full-width letters", "\x82\x72\x82\x71\x82\x76", "ＳＲＷ"},
               {"katakana and kanji", "\x83\x58\x81\x5B\x83\x70\x81\x5B\x91\xE5\x90\xED", "スーパー大戦"},
               {"ideographic space and brackets", "\x81\x40\x81\x75\x81\x76", "　「」"},
               {"half-width katakana", "\xB1\xB2\xB3", "ｱｲｳ"},
               {"NEC circled digit (code page 932 only)", "\x87\x40\x87\x41", "①②"},
               {"IBM extension kanji", "\xFA\x40", "ⅰ"},
               {"mixed ASCII and Shift-JIS", "TOMBI!2\x81\x79\x82\x4F\x82\x50\x81\x7A 000", "TOMBI!2【０１】 000"},
               {"yen sign byte stays a backslash", "C:\\", "C:\\"},
               {"a SUB byte stays itself",
                "A\x1A"
                "B",
                "A\x1A"
                "B"},
               // Bytes that start no character become replacement characters.
               {"lone 0x80",
                "A\x80"
                "B",
                "A" + fffd + "B"},
               {"0xFF between kana", "\x83\x41\xFF\x83\x41", "ア" + fffd + "ア"},
               {"lead byte cut off by the end", "AB\x82", "AB" + fffd},
               {"lead byte before a byte that cannot follow it", "\x82\x20Z", fffd + " Z"},
               {"only bad bytes", "\xFD\xFE\xFF\xA0", fffd + fffd + fffd + fffd},
               {"user-defined area (code page 932's private use)", "\xF0\x40", "\xEE\x80\x80"}};
  for (const auto& c : cases) EXPECT_EQ(this->Decode(c.bytes), c.utf8) << c.what;
}

REGISTER_TYPED_TEST_SUITE_P(TitleDecoderContract, DecodesTitlesAsGamesWriteThemAndReplacesBytesThatStartNoCharacter);

}  // namespace selvane
