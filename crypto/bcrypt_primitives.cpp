// The signature primitives over Windows' CNG API (bcrypt).
#include <windows.h>
// windows.h first: bcrypt.h needs its types.
#include <bcrypt.h>

#include "crypto/signature_primitives.h"

namespace selvane::crypto {
namespace {

// An algorithm provider, closed when it goes out of scope.
class Provider {
 public:
  Provider(LPCWSTR algorithm, ULONG flags) {
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&handle_, algorithm, nullptr, flags))) handle_ = nullptr;
  }
  ~Provider() {
    if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
  }
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;
  BCRYPT_ALG_HANDLE get() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

PUCHAR Bytes(const std::uint8_t* data) { return const_cast<PUCHAR>(data); }

std::optional<AesBlock> AesEcb(const AesBlock& key, const AesBlock& block, bool encrypt) {
  Provider aes(BCRYPT_AES_ALGORITHM, 0);
  if (!aes.get()) return std::nullopt;
  const wchar_t mode[] = BCRYPT_CHAIN_MODE_ECB;
  BCRYPT_KEY_HANDLE handle = nullptr;
  if (!BCRYPT_SUCCESS(BCryptSetProperty(aes.get(), BCRYPT_CHAINING_MODE,
                                        reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(mode)), sizeof mode, 0)) ||
      !BCRYPT_SUCCESS(BCryptGenerateSymmetricKey(aes.get(), &handle, nullptr, 0, Bytes(key.data()),
                                                 static_cast<ULONG>(key.size()), 0)))
    return std::nullopt;
  AesBlock in = block, out{};
  ULONG written = 0;
  const NTSTATUS status = encrypt ? BCryptEncrypt(handle, in.data(), static_cast<ULONG>(in.size()), nullptr, nullptr, 0,
                                                  out.data(), static_cast<ULONG>(out.size()), &written, 0)
                                  : BCryptDecrypt(handle, in.data(), static_cast<ULONG>(in.size()), nullptr, nullptr, 0,
                                                  out.data(), static_cast<ULONG>(out.size()), &written, 0);
  BCryptDestroyKey(handle);
  if (!BCRYPT_SUCCESS(status) || written != out.size()) return std::nullopt;
  return out;
}

class CngPrimitives final : public SignaturePrimitives {
 public:
  std::optional<AesBlock> AesEncrypt(const AesBlock& key, const AesBlock& block) const override {
    return AesEcb(key, block, true);
  }
  std::optional<AesBlock> AesDecrypt(const AesBlock& key, const AesBlock& block) const override {
    return AesEcb(key, block, false);
  }
  std::optional<Sha1Digest> HmacSha1(selvane::Bytes key, selvane::Bytes data) const override {
    Provider sha1(BCRYPT_SHA1_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
    if (!sha1.get()) return std::nullopt;
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!BCRYPT_SUCCESS(
            BCryptCreateHash(sha1.get(), &hash, nullptr, 0, Bytes(key.data()), static_cast<ULONG>(key.size()), 0)))
      return std::nullopt;
    Sha1Digest digest{};
    const bool ok = BCRYPT_SUCCESS(BCryptHashData(hash, Bytes(data.data()), static_cast<ULONG>(data.size()), 0)) &&
                    BCRYPT_SUCCESS(BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
    BCryptDestroyHash(hash);
    if (!ok) return std::nullopt;
    return digest;
  }
};

}  // namespace

const SignaturePrimitives& Primitives() {
  static const CngPrimitives primitives;
  return primitives;
}

}  // namespace selvane::crypto
