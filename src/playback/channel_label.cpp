#include "playback/channel_label.h"

namespace vistrel {

namespace {

constexpr size_t kMaxTitleBytes = 200;  // a title longer than a label line is noise

bool IsContinuationByte(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

}  // namespace

std::string CleanStreamTitle(std::string_view title) {
  std::string out;
  out.reserve(title.size());
  for (size_t i = 0; i < title.size(); ++i) {
    const auto c = static_cast<unsigned char>(title[i]);
    if (c < 0x20 || c == 0x7f) {
      // A line break or tab between words still separates them.
      if (c == '\t' || c == '\n' || c == '\r') out.push_back(' ');
      continue;
    }
    // C1 controls (U+0080 to U+009F) are C2 80 to C2 9F in UTF-8.
    if (c == 0xC2 && i + 1 < title.size()) {
      const auto next = static_cast<unsigned char>(title[i + 1]);
      if (next >= 0x80 && next <= 0x9F) {
        ++i;
        continue;
      }
    }
    out.push_back(static_cast<char>(c));
  }
  const size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  out = out.substr(first, out.find_last_not_of(' ') - first + 1);
  if (out.size() > kMaxTitleBytes) {
    size_t cut = kMaxTitleBytes;
    while (cut > 0 && IsContinuationByte(static_cast<unsigned char>(out[cut]))) --cut;
    out.resize(cut);
    out += "...";
  }
  return out;
}

std::string ChannelLabelText(std::string_view name, std::string_view stream_title) {
  const std::string title = CleanStreamTitle(stream_title);
  if (title.empty() || title == name) return std::string(name);
  return std::string(name) + " \u2014 " + title;
}

}  // namespace vistrel
