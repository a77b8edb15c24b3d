#pragma once
// Find Next of the list's find window: searches the channel names of the visible rows.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/visible_rows.h"
#include "catalogue/records.h"

namespace vistrel {

struct FindResult {
  std::optional<int32_t> row;  // the matching row; nothing when none matched
  int32_t find_position = 0;   // the find position after the search (unchanged without a match)
  std::string message;         // without a match: "Could not find " + '"' + text + '"'
};

// Starts at row `find_position`. With `down` cleared (the initial direction) it examines rows
// s, s+1, ... n-1 and leaves the find position after the match; with `down` set rows min(s, n-1)
// down to 0, leaving the find position before the match. A row matches when `text` occurs in its
// channel name, exactly with `match_case`, else with a to z folded to A to Z in both texts. An
// empty text matches nothing. Never wraps around. Only rows the list has are examined.
// On a match the window clears the selection, selects the row (which cues the channel),
// scrolls to it and focuses the list; without one it shows `message`.
// Does not fail.
FindResult FindNextMatch(std::string_view text, bool match_case, bool down, int32_t find_position,
                         const Catalogue& catalogue, const VisibleRows& rows);

}  // namespace vistrel
