#pragma once
// Gzip data of a text, as a guide or playlist server would send it: for tests of readers that
// tell gzip by its first bytes. Tests using it link zlib.

#include <zlib.h>

#include <string>
#include <string_view>

namespace vistrel {

inline std::string GzipBytes(std::string_view bytes) {
  z_stream zip{};
  deflateInit2(&zip, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&zip, bytes.size()) + 64, '\0');
  zip.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  zip.avail_in = static_cast<uInt>(bytes.size());
  zip.next_out = reinterpret_cast<Bytef*>(out.data());
  zip.avail_out = static_cast<uInt>(out.size());
  deflate(&zip, Z_FINISH);
  out.resize(zip.total_out);
  deflateEnd(&zip);
  return out;
}

}  // namespace vistrel
