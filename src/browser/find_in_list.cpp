#include "browser/find_in_list.h"

#include <algorithm>

#include "browser/view_filter.h"

namespace vistrel {

namespace {

std::string FoldAsciiLetters(std::string_view text) {
  std::string out(text);
  for (char& ch : out) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  }
  return out;
}

}  // namespace

FindResult FindNextMatch(std::string_view text, bool match_case, bool down, int32_t find_position,
                         const Catalogue& catalogue, const VisibleRows& rows) {
  // Rows that do not exist are never examined, however the list and catalogue changed.
  const auto n = static_cast<int32_t>(
      std::min<int64_t>({rows.count, static_cast<int64_t>(rows.positions.size()), INT32_MAX}));
  const std::string wanted = match_case ? std::string(text) : FoldAsciiLetters(text);
  auto matches = [&](int32_t row) {
    const Channel* channel = rows.ChannelAt(catalogue, row);
    if (!channel) return false;
    const std::string& name = channel->name;
    return match_case ? TextOccurs(wanted, name) : TextOccurs(wanted, FoldAsciiLetters(name));
  };

  FindResult result;
  result.find_position = find_position;
  if (!down) {
    for (int32_t r = std::max(find_position, 0); r < n; ++r) {
      if (matches(r)) {
        result.row = r;
        result.find_position = r + 1;
        return result;
      }
    }
  } else {
    for (int32_t r = std::min(find_position, n - 1); r >= 0; --r) {
      if (matches(r)) {
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
