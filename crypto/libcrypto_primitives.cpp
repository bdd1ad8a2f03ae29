#include "crypto/signature_primitives.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <memory>

namespace selvane::crypto {
namespace {

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

std::optional<AesBlock> AesEcb(const AesBlock& key, const AesBlock& block, bool encrypt) {
  CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
  if (!context ||
      EVP_CipherInit_ex(context.get(), EVP_aes_128_ecb(), nullptr, key.data(), nullptr, encrypt ? 1 : 0) != 1)
    return std::nullopt;
  EVP_CIPHER_CTX_set_padding(context.get(), 0);  // exactly one block in, one block out
  AesBlock out{};
  int length = 0;
  if (EVP_CipherUpdate(context.get(), out.data(), &length, block.data(), static_cast<int>(block.size())) != 1 ||
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
    Sha1Digest digest{};
    unsigned length = 0;
    if (!HMAC(EVP_sha1(), key.data(), static_cast<int>(key.size()), data.data(), data.size(), digest.data(), &length) ||
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
