// The signature of .vmp cards and .psv saves (what is written without primitives: single_save_test.cpp):
// the system's primitives give the published vectors; with libcrypto (where the build has it), what the writers
// sign passes a check written here independently of the core (the key derivation and the bytes the
// HMAC covers, over OpenSSL's own one-shot calls), and a changed byte fails it.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/card.h"
#include "core/single_save.h"
#include "tests/core/card_bytes.h"
#ifdef SELVANE_HAVE_SIGNING
#include "crypto/signature_primitives.h"
#endif
#ifdef SELVANE_HAVE_LIBCRYPTO
#include <openssl/evp.h>
#endif

namespace selvane {
namespace {

#ifdef SELVANE_HAVE_SIGNING
// The system library's primitives against published test vectors: FIPS-197's AES-128 example and
// RFC 2202's first HMAC-SHA1 case.
TEST(Signing, PrimitivesGiveThePublishedVectors) {
  const SignaturePrimitives& p = crypto::Primitives();
  AesBlock key, plain;
  for (std::uint8_t i = 0; i < 16; ++i) key[i] = i, plain[i] = static_cast<std::uint8_t>(i * 0x11);
  const AesBlock cipher = {0x69, 0xc4, 0xe0, 0xd8, 0x6a, 0x7b, 0x04, 0x30,
                           0xd8, 0xcd, 0xb7, 0x80, 0x70, 0xb4, 0xc5, 0x5a};
  EXPECT_EQ(p.AesEncrypt(key, plain), cipher);
  EXPECT_EQ(p.AesDecrypt(key, cipher), plain);
  const std::vector<std::uint8_t> hmacKey(20, 0x0b), data = {'H', 'i', ' ', 'T', 'h', 'e', 'r', 'e'};
  const Sha1Digest mac = {0xb6, 0x17, 0x31, 0x86, 0x55, 0x05, 0x72, 0x64, 0xe2, 0x8b,
                          0xc0, 0xb6, 0xfb, 0x37, 0x8c, 0x8e, 0xf1, 0x46, 0xbe, 0x00};
  EXPECT_EQ(p.HmacSha1(hmacKey, data), mac);
}
#endif

#ifdef SELVANE_HAVE_LIBCRYPTO
// The AES key and mask of the published key derivation, written out here apart from the core's.
constexpr std::uint8_t kAesKey[16] = {0xAB, 0x5A, 0xBC, 0x9F, 0xC1, 0xF4, 0x9D, 0xE6,
                                      0xA0, 0x51, 0xDB, 0xAE, 0xFA, 0x51, 0x88, 0x59};
constexpr std::uint8_t kMask[16] = {0xB3, 0x0F, 0xFE, 0xED, 0xB7, 0xDC, 0x5E, 0xB7,
                                    0x13, 0x3D, 0xA6, 0x0D, 0x1B, 0x6B, 0x2C, 0xDC};

// Installs primitives for one test and takes them away after it.
struct Installed {
  explicit Installed(const SignaturePrimitives* p) { InstallSignaturePrimitives(p); }
  ~Installed() { InstallSignaturePrimitives(nullptr); }
};

// The signature computed afresh with OpenSSL's one-shot calls, from the published description.
bool IndependentlyValid(const std::vector<std::uint8_t>& file, std::size_t seedAt, std::size_t signatureAt) {
  unsigned char dec[32], enc[32], hmacKey[20], mac[20];
  int n = 0;
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  EVP_DecryptInit_ex(ctx, EVP_aes_128_ecb(), nullptr, kAesKey, nullptr);
  EVP_CIPHER_CTX_set_padding(ctx, 0);
  EVP_DecryptUpdate(ctx, dec, &n, file.data() + seedAt, 16);
  EVP_EncryptInit_ex(ctx, EVP_aes_128_ecb(), nullptr, kAesKey, nullptr);
  EVP_CIPHER_CTX_set_padding(ctx, 0);
  EVP_EncryptUpdate(ctx, enc, &n, file.data() + seedAt, 16);
  EVP_CIPHER_CTX_free(ctx);
  for (int i = 0; i < 16; ++i) hmacKey[i] = dec[i] ^ kMask[i];
  for (int i = 0; i < 4; ++i) hmacKey[16 + i] = enc[i] ^ file[seedAt + 16 + static_cast<std::size_t>(i)];
  std::vector<std::uint8_t> zeroed = file;
  std::fill_n(zeroed.begin() + static_cast<std::ptrdiff_t>(signatureAt), 20, 0);
  std::size_t length = 0;
  if (!EVP_Q_mac(nullptr, "HMAC", nullptr, "SHA1", nullptr, hmacKey, 20, zeroed.data(), zeroed.size(), mac, 20,
                 &length))
    return false;
  return std::equal(mac, mac + 20, file.begin() + static_cast<std::ptrdiff_t>(signatureAt));
}

TEST(Signing, WrittenFilesPassAnIndependentCheck) {
  const Installed installed(&crypto::Primitives());
  const SingleSave save{"BASLUS-00958GS2-7", testkit::Blocks(2, 7)};
  std::array<std::uint8_t, 20> seed;
  for (std::size_t i = 0; i < seed.size(); ++i) seed[i] = static_cast<std::uint8_t>(i * 37 + 1);
  std::vector<std::uint8_t> psv = WritePsv(save, seed);
  EXPECT_TRUE(IndependentlyValid(psv, 0x08, 0x1C));
  EXPECT_EQ(ReadSaveFile("x.psv", psv).signatureValid, true);
  EXPECT_EQ(CheckSignature(std::vector<std::uint8_t>(0x20), kPsvLayout), SignatureCheck::Unchecked);  // too short

  CardImage raw = EmptyCard();
  raw[kBlockSize + 5] = 9;
  auto vmp = BuildFileContent(raw, Format::Mcr, Format::Vmp);
  ASSERT_TRUE(vmp);
  EXPECT_TRUE(IndependentlyValid(*vmp, 0x0C, 0x20));
  // A card changed and saved again in its own format is signed anew.
  (*vmp)[kVmpHeaderSize + 3 * kBlockSize] ^= 0xFF;
  EXPECT_FALSE(IndependentlyValid(*vmp, 0x0C, 0x20));
  EXPECT_EQ(CheckSignature(*vmp, kVmpLayout), SignatureCheck::Wrong);
  const auto resaved = BuildFileContent(*vmp, Format::Vmp, Format::Vmp);
  EXPECT_TRUE(IndependentlyValid(*resaved, 0x0C, 0x20));

  psv[0x84 + 100] ^= 1;
  EXPECT_FALSE(IndependentlyValid(psv, 0x08, 0x1C));
  EXPECT_EQ(ReadSaveFile("x.psv", psv).signatureValid, false);
  EXPECT_TRUE(ReadSaveFile("x.psv", psv).save);  // a wrong signature still reads
}
#endif

}  // namespace
}  // namespace selvane
