#include "catalogue/format/cipher.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <algorithm>
#include <memory>

#include "common/error.h"

namespace vistrel {

namespace {

constexpr std::size_t kBlock = 16;

struct CtxFree {
  // Frees the context; OpenSSL wipes the expanded key and chaining state with it.
  void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CtxFree>;

CipherCtx NewContext(const EVP_CIPHER* cipher, const unsigned char* key, const unsigned char* iv,
                     bool encrypt) {
  CipherCtx ctx(EVP_CIPHER_CTX_new());
  if (!ctx || EVP_CipherInit_ex(ctx.get(), cipher, nullptr, key, iv, encrypt ? 1 : 0) != 1 ||
      EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1) {
    throw Error("The cipher could not be initialised");
  }
  return ctx;
}

// CBC over `size` bytes (a multiple of 16) in place. OpenSSL allows exact in-place operation,
// and one call over the whole buffer is far faster than block by block; very large buffers go
// in chunks because the length is an int.
void CbcInPlace(unsigned char* data, std::size_t size, const CipherKey& key, bool encrypt) {
  if (size == 0) return;
  CipherCtx ctx = NewContext(EVP_aes_128_cbc(), key.key(), key.iv(), encrypt);
  constexpr std::size_t kChunk = std::size_t{1} << 30;
  for (std::size_t done = 0; done < size;) {
    const std::size_t n = std::min(kChunk, size - done);
    int out_len = 0;
    if (EVP_CipherUpdate(ctx.get(), data + done, &out_len, data + done, static_cast<int>(n)) != 1 ||
        static_cast<std::size_t>(out_len) != n) {
      throw Error("The cipher failed");
    }
    done += n;
  }
}

// The final partial block: the tail bytes are XORed with the encryption of the chaining value
// (the last full ciphertext block, or the IV when there is none). The same operation both ways.
void XorTail(unsigned char* tail, std::size_t r, const unsigned char* chaining,
             const CipherKey& key) {
  unsigned char stream[kBlock];
  CipherCtx ctx = NewContext(EVP_aes_128_ecb(), key.key(), nullptr, true);
  int out_len = 0;
  if (EVP_CipherUpdate(ctx.get(), stream, &out_len, chaining, static_cast<int>(kBlock)) != 1 ||
      out_len != static_cast<int>(kBlock)) {
    OPENSSL_cleanse(stream, sizeof stream);
    throw Error("The cipher failed");
  }
  for (std::size_t i = 0; i < r; ++i) tail[i] ^= stream[i];
  OPENSSL_cleanse(stream, sizeof stream);
}

void Transform(std::string& data, const CipherKey& key, bool encrypt) {
  auto* bytes = reinterpret_cast<unsigned char*>(data.data());
  const std::size_t full = data.size() / kBlock * kBlock;
  const std::size_t r = data.size() - full;
  unsigned char chaining[kBlock];
  if (!encrypt && r != 0) {
    // Decrypting in place overwrites the last ciphertext block, so keep it first.
    std::copy_n(full == 0 ? key.iv() : bytes + full - kBlock, kBlock, chaining);
  }
  CbcInPlace(bytes, full, key, encrypt);
  if (r != 0) {
    if (encrypt) std::copy_n(full == 0 ? key.iv() : bytes + full - kBlock, kBlock, chaining);
    XorTail(bytes + full, r, chaining, key);
  }
  OPENSSL_cleanse(chaining, sizeof chaining);
}

}  // namespace

std::string PadWithZeros(std::string_view text, std::size_t n) {
  if (n == 0) return std::string(text);
  const std::size_t target = text.empty() ? n : (text.size() + n - 1) / n * n;
  // Sized once, so a key text never leaves an unwiped copy behind in a reallocation.
  std::string out;
  out.reserve(target);
  out.append(text);
  out.resize(target, '\0');
  return out;
}

CipherKey::CipherKey(std::string_view key_text, std::string_view iv_text) {
  std::string key_buffer = PadWithZeros(key_text, 32);
  std::copy_n(key_buffer.data(), key_.size(), key_.data());
  OPENSSL_cleanse(key_buffer.data(), key_buffer.size());
  std::string iv_buffer = PadWithZeros(iv_text, 16);
  std::copy_n(iv_buffer.data(), iv_.size(), iv_.data());
}

CipherKey::~CipherKey() {
  OPENSSL_cleanse(key_.data(), key_.size());
  OPENSSL_cleanse(iv_.data(), iv_.size());
}

void DecryptInPlace(std::string& data, const CipherKey& key) {
  Transform(data, key, false);
}

void EncryptInPlace(std::string& data, const CipherKey& key) {
  Transform(data, key, true);
}

}  // namespace vistrel
