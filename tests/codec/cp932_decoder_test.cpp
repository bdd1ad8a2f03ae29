// selvane-cli's code page 932 decoder (iconv here, the Win32 converter in the Windows build) keeps
// the title decoder contract.
#include "codec/cp932_decoder.h"

#include "tests/codec/title_decoder_contract.h"

namespace selvane {

INSTANTIATE_TYPED_TEST_SUITE_P(Cp932, TitleDecoderContract, Cp932Decoder);

}  // namespace selvane
