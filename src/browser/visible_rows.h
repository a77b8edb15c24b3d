#pragma once
// The rows the channel list shows: row r shows channels[positions[r]] for r < count. The one
// place that rule is written; every lookup of a row's channel goes through it.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "catalogue/records.h"

namespace vistrel {

struct VisibleRows {
  // Catalogue positions of the rows. As long as the catalogue: the entries from `count` on are
  // left from earlier builds (or 0) and mean nothing.
  std::vector<int32_t> positions;
  int32_t count = 0;

  // The catalogue position that row `row` shows; -1 for a row the list does not have.
  int32_t PositionOf(int32_t row) const {
    if (row < 0 || row >= count || static_cast<std::size_t>(row) >= positions.size()) return -1;
    return positions[static_cast<std::size_t>(row)];
  }

  // The channel that row `row` shows; null for a row the list does not have or a position
  // outside the catalogue.
  const Channel* ChannelAt(const Catalogue& catalogue, int32_t row) const {
    const int32_t position = PositionOf(row);
    if (position < 0 || static_cast<std::size_t>(position) >= catalogue.channels.size()) {
      return nullptr;
    }
    return &catalogue.channels[static_cast<std::size_t>(position)];
  }
};

}  // namespace vistrel
