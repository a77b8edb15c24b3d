#include "browser/neighbour_row.h"

namespace vistrel {

int32_t NeighbourRow(int32_t current, int32_t count, int32_t step) {
  if (count <= 0) return -1;
  if (current < 0 || current >= count) return step >= 0 ? 0 : count - 1;
  // In 64 bits: no overflow at the top of the range.
  const int64_t next = (static_cast<int64_t>(current) + step % count + count) % count;
  return static_cast<int32_t>(next);
}

}  // namespace vistrel
