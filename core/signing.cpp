#include "core/signing.h"

#include <algorithm>
#include <vector>

namespace selvane {
namespace {

const SignaturePrimitives* g_primitives = nullptr;

// The fixed AES key of the derivation and the mask of the key's first sixteen bytes.
constexpr AesBlock kDerivationKey = {0xAB, 0x5A, 0xBC, 0x9F, 0xC1, 0xF4, 0x9D, 0xE6,
                                     0xA0, 0x51, 0xDB, 0xAE, 0xFA, 0x51, 0x88, 0x59};
constexpr AesBlock kKeyMask = {0xB3, 0x0F, 0xFE, 0xED, 0xB7, 0xDC, 0x5E, 0xB7,
                               0x13, 0x3D, 0xA6, 0x0D, 0x1B, 0x6B, 0x2C, 0xDC};
constexpr std::size_t kKeyTail = kSignatureSeedSize - sizeof(AesBlock);  // 4

// The HMAC key of a seed: its first block decrypted and masked, then four bytes of the same block
// encrypted, each XORed with the seed's last four bytes.
std::optional<std::array<std::uint8_t, kSignatureSeedSize>> DeriveKey(Bytes seed) {
  AesBlock head{};
  std::copy_n(seed.begin(), head.size(), head.begin());
  const auto decrypted = g_primitives->AesDecrypt(kDerivationKey, head);
  const auto encrypted = g_primitives->AesEncrypt(kDerivationKey, head);
  if (!decrypted || !encrypted) return std::nullopt;
  std::array<std::uint8_t, kSignatureSeedSize> key{};
  for (std::size_t i = 0; i < head.size(); ++i) key[i] = static_cast<std::uint8_t>((*decrypted)[i] ^ kKeyMask[i]);
  for (std::size_t i = 0; i < kKeyTail; ++i)
    key[head.size() + i] = static_cast<std::uint8_t>((*encrypted)[i] ^ seed[head.size() + i]);
  return key;
}

bool Holds(Bytes file, SignedLayout layout) {
  return layout.seed + kSignatureSeedSize <= file.size() && layout.signature + kSignatureSize <= file.size();
}

}  // namespace

void InstallSignaturePrimitives(const SignaturePrimitives* primitives) { g_primitives = primitives; }
bool SigningAvailable() { return g_primitives != nullptr; }

std::optional<Sha1Digest> ComputeSignature(Bytes file, SignedLayout layout) {
  if (!g_primitives || !Holds(file, layout)) return std::nullopt;
  const auto key = DeriveKey(file.subspan(layout.seed, kSignatureSeedSize));
  if (!key) return std::nullopt;
  std::vector<std::uint8_t> zeroed(file.begin(), file.end());
  std::fill_n(zeroed.begin() + static_cast<std::ptrdiff_t>(layout.signature), kSignatureSize, 0);
  return g_primitives->HmacSha1(*key, zeroed);
}

bool SignInPlace(MutableBytes file, SignedLayout layout) {
  const auto signature = ComputeSignature(file, layout);
  if (!signature) return false;
  WriteClipped(file, layout.signature, *signature);
  return true;
}

SignatureCheck CheckSignature(Bytes file, SignedLayout layout) {
  const auto signature = ComputeSignature(file, layout);
  if (!signature) return SignatureCheck::Unchecked;
  return std::equal(signature->begin(), signature->end(), file.begin() + static_cast<std::ptrdiff_t>(layout.signature))
             ? SignatureCheck::Valid
             : SignatureCheck::Wrong;
}

}  // namespace selvane
