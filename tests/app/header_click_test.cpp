#include "app/header_click.h"

#include <gtest/gtest.h>

#include <array>

namespace vistrel {
namespace {

TEST(HeaderClick, ColumnRule) {
  // Column edges at 130, 215, 260, 300, 430; list 460 wide.
  const std::array<int32_t, 5> widths = {130, 85, 45, 40, 130};
  struct Case {
    int32_t x, y, scroll;
    std::optional<int32_t> column;
  };
  const Case cases[] = {
      {1, 5, 0, 0},               // first pixel of the first column
      {126, 5, 0, 0},             // just outside the divider band
      {127, 5, 0, std::nullopt},  // 130 - 3: the band belongs to the list
      {133, 5, 0, std::nullopt},  // 130 + 3
      {134, 5, 0, 1},
      {211, 5, 0, 1},
      {212, 5, 0, std::nullopt},
      {240, 1, 0, 2},
      {280, 16, 0, 3},
      {400, 8, 0, 4},
      {426, 8, 0, 4},
      {427, 8, 0, std::nullopt},  // band of the last edge
      {434, 8, 0, std::nullopt},  // right of the last column
      {459, 8, 0, std::nullopt},
      {0, 8, 0, std::nullopt},  // x must be inside the list
      {460, 8, 0, std::nullopt},
      {-5, 8, 0, std::nullopt},
      {50, 0, 0, std::nullopt},  // y must be inside the header band
      {50, 17, 0, std::nullopt},
      {50, -1, 0, std::nullopt},
      {50, 30, 0, std::nullopt},  // a row, not the header
      {50, 5, 100, 1},            // scrolled by 100: first edge at 30, second at 115
      {20, 5, 100, 0},
      {30, 5, 100, std::nullopt},
      {320, 5, 100, 4},
      {330, 5, 100, std::nullopt},  // the last edge, now at 330
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "x " << c.x << " y " << c.y << " scroll " << c.scroll);
    EXPECT_EQ(HeaderClickColumn(c.x, c.y, 460, widths, c.scroll), c.column);
  }
}

TEST(HeaderClick, TheBandIsAsTallAsTheHeader) {
  // A larger font makes the header taller: the band follows it.
  const std::array<int32_t, 2> widths = {130, 85};
  struct Case {
    int32_t y, header_height;
    std::optional<int32_t> column;
  };
  const Case cases[] = {
      {16, 17, 0}, {17, 17, std::nullopt}, {17, 26, 0},
      {25, 26, 0}, {26, 26, std::nullopt}, {0, 26, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "y " << c.y << " header " << c.header_height);
    EXPECT_EQ(HeaderClickColumn(50, c.y, 460, widths, 0, c.header_height), c.column);
  }
}

}  // namespace
}  // namespace vistrel
