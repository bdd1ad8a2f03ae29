// The signature primitives (AES-128 in ECB mode, HMAC-SHA1) of the system's cryptography library:
// OpenSSL's libcrypto, or the CNG (bcrypt) API on Windows.
#pragma once

#include "core/signing.h"

namespace selvane::crypto {

// One instance for the whole program; InstallSignaturePrimitives(&Primitives()) puts it to use.
const SignaturePrimitives& Primitives();

}  // namespace selvane::crypto
