#include "browser/sort_text.h"

#include <algorithm>

namespace vistrel {

namespace {

// Byte order of UTF-8 is code point order, and folding a-z changes single-byte characters
// only, so ranking the bytes ranks the characters.
std::array<uint8_t, 256> BuildRanks() {
  std::array<uint8_t, 256> ranks{};
  for (int b = 0; b < 256; ++b) {
    ranks[b] = static_cast<uint8_t>(b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b);
  }
  return ranks;
}

}  // namespace

const std::array<uint8_t, 256>& SortTextRanks() {
  static const std::array<uint8_t, 256> ranks = BuildRanks();
  return ranks;
}

int CompareSortTexts(std::string_view a, std::string_view b) {
  const auto& rank = SortTextRanks();
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int ra = rank[static_cast<unsigned char>(a[i])];
    const int rb = rank[static_cast<unsigned char>(b[i])];
    if (ra != rb) return ra - rb;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

}  // namespace vistrel
