// The signature of the PSP's and PS Vita's .vmp cards and the PS3's .psv saves, which those
// devices check before they use a file. The key is derived from the file's 20-byte seed with
// AES-128 under a fixed key; the signature is the HMAC-SHA1 of the whole file with its signature
// field set to zero. The core holds the derivation; the two primitives come from a cryptography
// library through SignaturePrimitives, installed once by the program (see crypto/).
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "core/bytes.h"
#include "core/layout.h"

namespace selvane {

using AesBlock = std::array<std::uint8_t, 16>;
using Sha1Digest = std::array<std::uint8_t, 20>;
static_assert(sizeof(Sha1Digest) == kSignatureSize);

class SignaturePrimitives {
 public:
  virtual ~SignaturePrimitives() = default;
  // One block of AES-128 in ECB mode; nullopt when the library fails.
  virtual std::optional<AesBlock> AesEncrypt(const AesBlock& key, const AesBlock& block) const = 0;
  virtual std::optional<AesBlock> AesDecrypt(const AesBlock& key, const AesBlock& block) const = 0;
  virtual std::optional<Sha1Digest> HmacSha1(Bytes key, Bytes data) const = 0;
};

// The primitives every signature uses from now on; nullptr (the start) signs and checks nothing.
void InstallSignaturePrimitives(const SignaturePrimitives* primitives);
bool SigningAvailable();

// Where a kind of file keeps its seed and its signature.
struct SignedLayout {
  std::size_t seed;
  std::size_t signature;
};
inline constexpr SignedLayout kVmpLayout = {kVmpSeed, kVmpSignature};
inline constexpr SignedLayout kPsvLayout = {0x08, 0x1C};

// The signature `file` should carry; nullopt without primitives or when the file is too short to
// hold its seed and signature.
std::optional<Sha1Digest> ComputeSignature(Bytes file, SignedLayout layout);

// Writes the signature into `file`; false (the file unchanged) when it cannot be computed.
bool SignInPlace(MutableBytes file, SignedLayout layout);

enum class SignatureCheck { Valid, Wrong, Unchecked };
// Whether the signature in `file` is the one it should carry; Unchecked without primitives.
SignatureCheck CheckSignature(Bytes file, SignedLayout layout);

}  // namespace selvane
