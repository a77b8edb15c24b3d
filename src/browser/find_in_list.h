#pragma once
// Find Next of the list's find window: searches the channel names of the visible rows.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/records.h"

namespace vistrel {

struct FindResult {
  std::optional<int32_t> row;  // the matching row; nothing when none matched
  int32_t find_position = 0;   // FindPosition after the search (unchanged without a match)
  std::string message;         // without a match: "Could not find " + '"' + text + '"'
};

// Starts at row `find_position`. With `down` cleared (the initial direction) it examines rows
// s, s+1, ... n-1 and leaves FindPosition after the match; with `down` set rows min(s, n-1)
// down to 0, leaving FindPosition before the match. A row matches when `text` occurs in its
// channel name, exactly with `match_case`, else with a to z folded to A to Z in both texts. An
// empty text matches nothing. Never wraps around. Row r is channels[visible[r]], r < row_count.
// On a match the window clears the selection, selects the row (which cues the channel),
// scrolls to it and focuses the list; without one it shows `message`.
FindResult FindDialogFind(std::string_view text, bool match_case, bool down, int32_t find_position,
                          const TInfo& info, const std::vector<int32_t>& visible,
                          int32_t row_count);

}  // namespace vistrel
