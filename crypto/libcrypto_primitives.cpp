#include "crypto/signature_primitives.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/opensslv.h>

#include <memory>

#include "dynlib/lazy_library.h"

namespace selvane::crypto {
namespace {

// The libcrypto functions the signatures need, bound the first time a file is signed or checked.
struct Libcrypto {
  decltype(&::EVP_CIPHER_CTX_new) EVP_CIPHER_CTX_new = nullptr;
  decltype(&::EVP_CIPHER_CTX_free) EVP_CIPHER_CTX_free = nullptr;
  decltype(&::EVP_CipherInit_ex) EVP_CipherInit_ex = nullptr;
  decltype(&::EVP_aes_128_ecb) EVP_aes_128_ecb = nullptr;
  decltype(&::EVP_CIPHER_CTX_set_padding) EVP_CIPHER_CTX_set_padding = nullptr;
  decltype(&::EVP_CipherUpdate) EVP_CipherUpdate = nullptr;
  decltype(&::EVP_sha1) EVP_sha1 = nullptr;
  decltype(&::HMAC) HMAC = nullptr;
};

#define SELVANE_STRINGIFY(x) #x
#define SELVANE_SONAME(major) "libcrypto.so." SELVANE_STRINGIFY(major)

// libcrypto's functions, or nullptr when the library the build was made against cannot be loaded.
// Then every primitive fails, and files are handled as in a build without libcrypto: written with
// their signature field as it was, read without checking it.
const Libcrypto* LoadLibcrypto() {
  static const Libcrypto* const bound = [] {
    static dynlib::LazyLibrary library(SELVANE_SONAME(OPENSSL_VERSION_MAJOR));
    static Libcrypto table;
    return (library.Bind(table.EVP_CIPHER_CTX_new, "EVP_CIPHER_CTX_new") &&
            library.Bind(table.EVP_CIPHER_CTX_free, "EVP_CIPHER_CTX_free") &&
            library.Bind(table.EVP_CipherInit_ex, "EVP_CipherInit_ex") &&
            library.Bind(table.EVP_aes_128_ecb, "EVP_aes_128_ecb") &&
            library.Bind(table.EVP_CIPHER_CTX_set_padding, "EVP_CIPHER_CTX_set_padding") &&
            library.Bind(table.EVP_CipherUpdate, "EVP_CipherUpdate") && library.Bind(table.EVP_sha1, "EVP_sha1") &&
            library.Bind(table.HMAC, "HMAC"))
               ? &table
               : nullptr;
  }();
  return bound;
}

std::optional<AesBlock> AesEcb(const AesBlock& key, const AesBlock& block, bool encrypt) {
  const Libcrypto* const lib = LoadLibcrypto();
  if (lib == nullptr) return std::nullopt;
  const Libcrypto& ssl = *lib;
  using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(ssl.EVP_CIPHER_CTX_free)>;
  CipherContext context(ssl.EVP_CIPHER_CTX_new(), ssl.EVP_CIPHER_CTX_free);
  if (!context ||
      ssl.EVP_CipherInit_ex(context.get(), ssl.EVP_aes_128_ecb(), nullptr, key.data(), nullptr, encrypt ? 1 : 0) != 1)
    return std::nullopt;
  ssl.EVP_CIPHER_CTX_set_padding(context.get(), 0);  // exactly one block in, one block out
  AesBlock out{};
  int length = 0;
  if (ssl.EVP_CipherUpdate(context.get(), out.data(), &length, block.data(), static_cast<int>(block.size())) != 1 ||
      length != static_cast<int>(out.size()))
    return std::nullopt;
  return out;
}

class LibcryptoPrimitives final : public SignaturePrimitives {
 public:
  std::optional<AesBlock> AesEncrypt(const AesBlock& key, const AesBlock& block) const override {
    return AesEcb(key, block, true);
  }
  std::optional<AesBlock> AesDecrypt(const AesBlock& key, const AesBlock& block) const override {
    return AesEcb(key, block, false);
  }
  std::optional<Sha1Digest> HmacSha1(Bytes key, Bytes data) const override {
    const Libcrypto* const ssl = LoadLibcrypto();
    if (ssl == nullptr) return std::nullopt;
    Sha1Digest digest{};
    unsigned length = 0;
    if (!ssl->HMAC(ssl->EVP_sha1(), key.data(), static_cast<int>(key.size()), data.data(), data.size(), digest.data(),
                   &length) ||
        length != digest.size())
      return std::nullopt;
    return digest;
  }
};

}  // namespace

const SignaturePrimitives& Primitives() {
  static const LibcryptoPrimitives primitives;
  return primitives;
}

}  // namespace selvane::crypto
