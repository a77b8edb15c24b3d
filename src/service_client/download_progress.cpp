#include "service_client/download_progress.h"

#include <charconv>
#include <cmath>

namespace vistrel {

std::string FormatByteSize(int64_t n) {
  if (n >= 1000000) {
    char text[64];
    auto [end, ec] = std::to_chars(text, text + sizeof text, static_cast<double>(n) / 1000000.0,
                                   std::chars_format::fixed, 2);
    (void)ec;  // 64 characters hold any 64-bit value
    return std::string(text, end) + " Mb";
  }
  if (n < 1024) return std::to_string(n) + " b";
  // std::round takes halves away from zero, as the size display wants.
  return std::to_string(static_cast<int64_t>(std::round(static_cast<double>(n) / 1024.0))) + " Kb";
}

std::optional<int> ProgressPercent(int64_t count, int64_t total) {
  if (total <= 0) return std::nullopt;
  if (count <= 0) return 0;
  if (count >= total) return 100;
  // Exact integer arithmetic, so that a true half is recognised as one.
  const int64_t scaled = count * 100;
  int64_t percent = scaled / total;
  const int64_t twice_rest = (scaled % total) * 2;
  if (twice_rest > total || (twice_rest == total && percent % 2 == 1)) ++percent;
  return static_cast<int>(percent);
}

std::string DownloadingStatus(int64_t count, int64_t total) {
  return " downloading  " + FormatByteSize(count) + " of " + FormatByteSize(total) + " ...";
}

bool CancelCanStop(int64_t count, int64_t total) {
  return total <= 0 || count < total;
}

}  // namespace vistrel
