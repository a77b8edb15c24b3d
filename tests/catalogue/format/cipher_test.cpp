#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <string>

#include "catalogue/format/cipher.h"

namespace vistrel {
namespace {

const char kKeyText[] = "Vistrel#Key1";
const char kIvText[] = "Vistrel-IV-0001!";

// Reference AES-128 with OpenSSL directly: ECB or CBC over whole blocks, no padding.
std::string Reference(const EVP_CIPHER* cipher, bool encrypt, const std::string& in,
                      const std::string& key16, const std::string& iv16 = std::string(16, '\0')) {
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  EVP_CipherInit_ex(ctx, cipher, nullptr, reinterpret_cast<const unsigned char*>(key16.data()),
                    reinterpret_cast<const unsigned char*>(iv16.data()), encrypt ? 1 : 0);
  EVP_CIPHER_CTX_set_padding(ctx, 0);
  std::string out(in.size(), '\0');
  int len = 0;
  EVP_CipherUpdate(ctx, reinterpret_cast<unsigned char*>(out.data()), &len,
                   reinterpret_cast<const unsigned char*>(in.data()), static_cast<int>(in.size()));
  EVP_CIPHER_CTX_free(ctx);
  return out;
}

const std::string kKey = std::string(kKeyText) + std::string(4, '\0');
const std::string kIv = kIvText;

std::string Bytes(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 37 + 11);
  return s;
}

TEST(PadWithZeros, PadsToNextMultipleAndEmptyToOneBlock) {
  using namespace std::string_literals;
  EXPECT_EQ(PadWithZeros("", 16), std::string(16, '\0'));
  EXPECT_EQ(PadWithZeros("abc", 4), "abc\0"s);
  EXPECT_EQ(PadWithZeros("abcd", 4), "abcd");
  EXPECT_EQ(PadWithZeros("abcde", 4), "abcde\0\0\0"s);
  EXPECT_EQ(PadWithZeros(kKeyText, 32), std::string(kKeyText) + std::string(20, '\0'));
  EXPECT_EQ(PadWithZeros(kIvText, 16), kIvText);
}

TEST(CipherKey, KeyIsKeyTextWithZerosIvIsIvText) {
  const CipherKey key(kKeyText, kIvText);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(key.key()), 16), kKey);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(key.iv()), 16), kIv);
  // A longer key text contributes only its first 16 characters.
  const CipherKey longer("0123456789abcdefXYZ", "iv");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(longer.key()), 16), "0123456789abcdef");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(longer.iv()), 16),
            "iv" + std::string(14, '\0'));
}

TEST(Cipher, RoundTripKeepsLengthForAnySize) {
  const CipherKey key(kKeyText, kIvText);
  for (std::size_t n : {0, 1, 5, 15, 16, 17, 37, 48, 4099}) {
    const std::string plain = Bytes(n);
    std::string data = plain;
    EncryptInPlace(data, key);
    ASSERT_EQ(data.size(), n);
    if (n > 0) {
      EXPECT_NE(data, plain) << n;
    }
    DecryptInPlace(data, key);
    EXPECT_EQ(data, plain) << n;
  }
}

TEST(Cipher, WholeBlocksArePlainCbc) {
  const CipherKey key(kKeyText, kIvText);
  const std::string cipher = Bytes(64);
  std::string data = cipher;
  DecryptInPlace(data, key);
  EXPECT_EQ(data, Reference(EVP_aes_128_cbc(), false, cipher, kKey, kIv));
}

TEST(Cipher, ShortTextIsXoredWithEncryptedIv) {
  const CipherKey key(kKeyText, kIvText);
  const std::string cipher = "\x01\x02\x03\xfe\xff";
  const std::string stream = Reference(EVP_aes_128_ecb(), true, kIv, kKey);
  std::string expected = cipher;
  for (int i = 0; i < 5; ++i) expected[i] ^= stream[i];
  std::string data = cipher;
  DecryptInPlace(data, key);
  EXPECT_EQ(data, expected);
}

TEST(Cipher, TailIsXoredWithEncryptedLastCipherBlock) {
  const CipherKey key(kKeyText, kIvText);
  const std::string cipher = Bytes(37);
  std::string data = cipher;
  DecryptInPlace(data, key);
  EXPECT_EQ(data.substr(0, 32),
            Reference(EVP_aes_128_cbc(), false, cipher.substr(0, 32), kKey, kIv));
  const std::string stream = Reference(EVP_aes_128_ecb(), true, cipher.substr(16, 16), kKey);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(data[32 + i], static_cast<char>(cipher[32 + i] ^ stream[i])) << i;
  }
}

}  // namespace
}  // namespace vistrel
