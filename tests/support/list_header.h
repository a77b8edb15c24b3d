#pragma once

#include <cstdint>
#include <string>

namespace vistrel {

// A list-response header with any length, even a wrong one, so tests can build
// the truncated and lying answers that the production framer never makes.
inline std::string RawListHeader(uint16_t tag, int32_t length) {
  std::string h;
  h.push_back(static_cast<char>(tag & 0xFF));
  h.push_back(static_cast<char>(tag >> 8));
  const auto l = static_cast<uint32_t>(length);
  for (int i = 0; i < 4; ++i) h.push_back(static_cast<char>((l >> (8 * i)) & 0xFF));
  return h;
}

}  // namespace vistrel
