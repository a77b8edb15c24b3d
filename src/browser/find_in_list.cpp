#include "browser/find_in_list.h"

#include <algorithm>

#include "browser/view_filter.h"

namespace vistrel {

namespace {

constexpr int32_t kNamesAhead = 16;

char FoldAsciiLetter(char ch) {
  return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
}

std::string FoldAsciiLetters(std::string_view text) {
  std::string out(text);
  for (char& ch : out) ch = FoldAsciiLetter(ch);
  return out;
}

// Whether `folded` (non-empty, a to z already folded to A to Z) occurs in `haystack` once its
// letters are folded too. Compared in place: the list's names are never copied, so a search
// over every row costs no allocation per row.
bool FoldedTextOccurs(std::string_view folded, std::string_view haystack) {
  if (haystack.size() < folded.size()) return false;
  const char first = folded.front();
  const char first_other =
      first >= 'A' && first <= 'Z' ? static_cast<char>(first - 'A' + 'a') : first;
  const std::size_t last = haystack.size() - folded.size();
  for (std::size_t at = 0; at <= last; ++at) {
    const char ch = haystack[at];
    if (ch != first && ch != first_other) continue;
    std::size_t i = 1;
    while (i < folded.size() && FoldAsciiLetter(haystack[at + i]) == folded[i]) ++i;
    if (i == folded.size()) return true;
  }
  return false;
}

}  // namespace

FindResult FindNextMatch(std::string_view text, bool match_case, bool down, int32_t find_position,
                         const Catalogue& catalogue, const VisibleRows& rows) {
  // Rows that do not exist are never examined, however the list and catalogue changed.
  const auto n = static_cast<int32_t>(
      std::min<int64_t>({rows.count, static_cast<int64_t>(rows.positions.size()), INT32_MAX}));
  const std::string wanted = match_case ? std::string(text) : FoldAsciiLetters(text);
  // Waiting for each row's name to arrive from memory is most of a long search: the names of
  // the rows a little ahead, in the direction of the search (`step`), are asked for early.
  auto matches = [&](int32_t row, int32_t step) {
    if (const Channel* ahead = rows.ChannelAt(catalogue, row + kNamesAhead * step)) {
      __builtin_prefetch(ahead->name.data());
    }
    const Channel* channel = rows.ChannelAt(catalogue, row);
    if (!channel || wanted.empty()) return false;
    const std::string_view name = channel->name;
    return match_case ? TextOccurs(wanted, name) : FoldedTextOccurs(wanted, name);
  };

  FindResult result;
  result.find_position = find_position;
  if (!down) {
    for (int32_t r = std::max(find_position, 0); r < n; ++r) {
      if (matches(r, 1)) {
        result.row = r;
        result.find_position = r + 1;
        return result;
      }
    }
  } else {
    for (int32_t r = std::min(find_position, n - 1); r >= 0; --r) {
      if (matches(r, -1)) {
        result.row = r;
        result.find_position = r - 1;
        return result;
      }
    }
  }
  result.message = "Could not find \"" + std::string(text) + "\"";
  return result;
}

}  // namespace vistrel
