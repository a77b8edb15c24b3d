#include "common/plain_text.h"

namespace vistrel {

std::string PlainLine(std::string_view text, std::size_t max_bytes) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7f) {
      // A break between words still separates them.
      if (c == '\t' || c == '\n' || c == '\r') out.push_back(' ');
      continue;
    }
    // C1 controls (U+0080 to U+009F) are C2 80 to C2 9F in UTF-8.
    if (c == 0xC2 && i + 1 < text.size()) {
      const auto next = static_cast<unsigned char>(text[i + 1]);
      if (next >= 0x80 && next <= 0x9F) {
        ++i;
        continue;
      }
    }
    out.push_back(static_cast<char>(c));
  }
  const std::size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  out = out.substr(first, out.find_last_not_of(' ') - first + 1);
  if (out.size() > max_bytes) {
    std::size_t cut = max_bytes;
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out.resize(cut);
    out += "...";
  }
  return out;
}

}  // namespace vistrel
