#include "browser/sort_text.h"

#include <algorithm>
#include <vector>

#include "catalogue/format/codepage.h"

namespace vistrel {

namespace {

// Code value of a Windows-1252 byte after folding a-z, taken from the code page converter so
// the two never disagree.
char32_t FoldedCodeValue(unsigned char byte) {
  if (byte >= 'a' && byte <= 'z') byte = static_cast<unsigned char>(byte - 'a' + 'A');
  const std::string utf8 = Cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(&byte), 1));
  const auto b0 = static_cast<unsigned char>(utf8[0]);
  if (utf8.size() == 1) return b0;
  if (utf8.size() == 2) return ((b0 & 0x1F) << 6) | (utf8[1] & 0x3F);
  return ((b0 & 0x0F) << 12) | ((utf8[1] & 0x3F) << 6) | (utf8[2] & 0x3F);
}

std::array<uint8_t, 256> BuildRanks() {
  std::array<char32_t, 256> values{};
  for (int b = 0; b < 256; ++b) values[b] = FoldedCodeValue(static_cast<unsigned char>(b));
  std::vector<char32_t> distinct(values.begin(), values.end());
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
  std::array<uint8_t, 256> ranks{};
  for (int b = 0; b < 256; ++b) {
    ranks[b] = static_cast<uint8_t>(std::lower_bound(distinct.begin(), distinct.end(), values[b]) -
                                    distinct.begin());
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
