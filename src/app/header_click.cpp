#include "app/header_click.h"

#include <cstdlib>

namespace vistrel {

std::optional<int32_t> HeaderClickColumn(int32_t x, int32_t y, int32_t list_width,
                                         std::span<const int32_t> widths, int32_t scroll_x,
                                         int32_t header_height) {
  if (x <= 0 || x >= list_width) return std::nullopt;
  int64_t edge = -static_cast<int64_t>(scroll_x);
  for (int32_t w : widths) {
    edge += w;
    if (std::llabs(x - edge) <= kColumnDividerBand) return std::nullopt;
  }
  if (y <= 0 || y >= header_height) return std::nullopt;
  edge = -static_cast<int64_t>(scroll_x);
  for (std::size_t k = 0; k < widths.size(); ++k) {
    edge += widths[k];
    if (x < edge) return static_cast<int32_t>(k);
  }
  return std::nullopt;
}

}  // namespace vistrel
