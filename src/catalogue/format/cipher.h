#pragma once
// The package cipher: AES-128 in CBC mode with a fixed IV, and a final partial block handled by
// XOR with the encryption of the last chaining value (so the ciphertext is as long as the
// plaintext).

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace vistrel {

// `text` unchanged when its length is a non-zero multiple of n, else padded with zero
// characters up to the next multiple (an empty text becomes n zero characters).
std::string PadWithZeros(std::string_view text, std::size_t n);

// Key and IV built from the key text (padded with zeros to 32, first 16 bytes) and the IV text
// (padded to a multiple of 16, first 16 bytes). Wiped when destroyed.
class CipherKey {
 public:
  CipherKey(std::string_view key_text, std::string_view iv_text);
  ~CipherKey();
  CipherKey(const CipherKey&) = delete;
  CipherKey& operator=(const CipherKey&) = delete;
  const unsigned char* key() const { return key_.data(); }
  const unsigned char* iv() const { return iv_.data(); }

 private:
  std::array<unsigned char, 16> key_{};
  std::array<unsigned char, 16> iv_{};
};

// Decrypts/encrypts in place; any length, the tail rule for the last r = size % 16 bytes.
// Throws vistrel::Error if the cipher library fails.
void DecryptInPlace(std::string& data, const CipherKey& key);
void EncryptInPlace(std::string& data, const CipherKey& key);

}  // namespace vistrel
