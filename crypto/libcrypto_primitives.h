// The signature primitives (AES-128 in ECB mode, HMAC-SHA1) over OpenSSL's libcrypto.
#pragma once

#include "core/signing.h"

namespace selvane::crypto {

// One instance for the whole program; InstallSignaturePrimitives(&Libcrypto()) puts it to use.
const SignaturePrimitives& Libcrypto();

}  // namespace selvane::crypto
