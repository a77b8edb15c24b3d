#pragma once
// Which column a left-button press on the channel list's header sorts by. The window's event
// filter asks this for every press inside the list and, when a column comes back, sorts and
// keeps the press from the list; presses near a column divider stay with the list, which
// resizes the column.

#include <cstdint>
#include <optional>
#include <span>

namespace vistrel {

// The header's design height: presses with 0 < y < this are on it while the font is the usual
// one; a larger font makes the header, and the band, taller.
inline constexpr int32_t kHeaderClickHeight = 17;
// Half the width of the band around each column's right edge that is left for resizing.
inline constexpr int32_t kColumnDividerBand = 3;

// `x`, `y`: the press in the list's client area (inside its frame). `list_width`: that area's
// width. `widths`: the columns' widths, left to right. `scroll_x`: how far the list is
// scrolled to the right, so that the edges are where the user sees them. `header_height`: the
// header's height as shown. Returns the column (0 for the first) or nothing: outside
// 0 < x < list_width or 0 < y < header_height, within kColumnDividerBand of a column's right
// edge, or right of the last column.
std::optional<int32_t> HeaderClickColumn(int32_t x, int32_t y, int32_t list_width,
                                         std::span<const int32_t> widths, int32_t scroll_x = 0,
                                         int32_t header_height = kHeaderClickHeight);

}  // namespace vistrel
