#pragma once
// What the list download shows while it runs: sizes, percentage and the status line.

#include <cstdint>
#include <optional>
#include <string>

namespace vistrel {

// n >= 1,000,000: n / 1,000,000 with two decimals + " Mb"; n < 1024: n + " b"; otherwise
// n / 1024 rounded (halves away from zero) + " Kb". Always "." as decimal separator.
std::string FormatByteSize(int64_t n);

// count / total * 100 rounded to the nearest integer, halves to the even one, kept within 0 to
// 100; nothing when no total is known (total <= 0), and then nothing is shown.
std::optional<int> ProgressPercent(int64_t count, int64_t total);

// " downloading  " + FormatByteSize(count) + " of " + FormatByteSize(total) + " ..."
std::string DownloadingStatus(int64_t count, int64_t total);

// Whether a Cancel seen at this step still stops the transfer: not once the whole announced
// body has arrived, since then there is nothing left to stop.
bool CancelCanStop(int64_t count, int64_t total);

}  // namespace vistrel
