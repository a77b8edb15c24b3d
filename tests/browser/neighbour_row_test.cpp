#include "browser/neighbour_row.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace vistrel {
namespace {

TEST(NeighbourRowTest, StepsAndWraps) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  const struct {
    int32_t current, count, step, expected;
  } cases[] = {
      {0, 3, +1, 1},           {2, 3, +1, 0},   {0, 3, -1, 2},  {1, 3, -1, 0},
      {-1, 3, +1, 0},          {-1, 3, -1, 2},  {5, 3, +1, 0},  {0, 1, +1, 0},
      {0, 1, -1, 0},           {-1, 0, +1, -1}, {0, 0, -1, -1}, {kMax - 1, kMax, +1, 0},
      {0, kMax, -1, kMax - 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NeighbourRow(c.current, c.count, c.step), c.expected)
        << c.current << " of " << c.count << " step " << c.step;
  }
}

}  // namespace
}  // namespace vistrel
