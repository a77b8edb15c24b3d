#pragma once
// Zapping: the row before or after the selected one in the visible list, wrapping at the ends.

#include <cstdint>

namespace vistrel {

// The row `step` (+1 or -1) away from `current` in a list of `count` rows, wrapping around:
// after the last row comes the first. With no row selected (`current` < 0 or past the end) the
// next row is the first and the previous the last. -1 when the list is empty. Never fails.
int32_t NeighbourRow(int32_t current, int32_t count, int32_t step);

}  // namespace vistrel
