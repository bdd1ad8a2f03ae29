// The window's title decoder (Qt's Shift-JIS codec) keeps the title decoder contract.
#include "ui/qt_title_decoder.h"

#include "tests/codec/title_decoder_contract.h"

namespace selvane {

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, TitleDecoderContract, ui::QtTitleDecoder);

}  // namespace selvane
