// The whole channel package: the input is the archive a package file enciphers. It is
// enciphered (which must decipher back to the input, whatever its length), then loaded as the
// program loads channelz.dat: decipher, open the archive, read and parse the six tables.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "catalogue/format/cipher.h"
#include "catalogue/lookups.h"
#include "catalogue/package.h"
#include "common/build_config.h"
#include "common/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vistrel;
  const std::string plain(reinterpret_cast<const char*>(data), size);
  const CipherKey key(build::kKeyText, build::kIvText);
  std::string package = plain;
  EncryptInPlace(package, key);
  std::string back = package;
  DecryptInPlace(back, key);
  if (back != plain) std::abort();  // the cipher must be its own inverse at any length

  Catalogue catalogue;
  ClearCatalogue(catalogue);
  try {
    LoadChannelPackageBytes(catalogue, {3, 100001}, std::move(package));
  } catch (const Error&) {
    // A refused package is a correct outcome.
  }
  return 0;
}
