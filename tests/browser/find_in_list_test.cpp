#include "browser/find_in_list.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

// A catalogue whose visible rows show `names` in order (the catalogue itself in reverse, so
// rows and positions differ).
struct List {
  Catalogue info;
  VisibleRows rows;

  explicit List(std::vector<std::string> names) {
    const auto n = static_cast<int32_t>(names.size());
    info.channels.resize(n);
    for (int32_t r = 0; r < n; ++r) {
      info.channels[n - 1 - r].name = names[r];
      rows.positions.push_back(n - 1 - r);
    }
    rows.count = n;
  }
  FindResult Find(std::string_view text, bool match_case, bool down, int32_t position) const {
    return FindNextMatch(text, match_case, down, position, info, rows);
  }
};

TEST(FindNextMatch, MatchCaseAndFolding) {
  List list({"News 24", "ABC Music",
             "\xC3\x89"
             "cole"});
  FindResult r = list.Find("abc", false, false, 0);
  EXPECT_EQ(r.row, 1);
  EXPECT_EQ(r.find_position, 2);
  EXPECT_TRUE(r.message.empty());

  r = list.Find("abc", true, false, 0);
  EXPECT_FALSE(r.row);
  EXPECT_EQ(r.find_position, 0);
  EXPECT_EQ(r.message, "Could not find \"abc\"");

  EXPECT_FALSE(list.Find("\xC3\xA9", false, false, 0).row);  // é does not find É
  EXPECT_EQ(list.Find("\xC3\x89", false, false, 0).row, 2);
  EXPECT_FALSE(list.Find("", false, false, 0).row);  // no text, no match
}

TEST(FindNextMatch, ConsecutivePressesMoveOn) {
  List list({"Radio A", "TV", "Radio B", "Radio C"});
  FindResult r = list.Find("Radio", true, false, 0);
  EXPECT_EQ(r.row, 0);
  r = list.Find("Radio", true, false, r.find_position);
  EXPECT_EQ(r.row, 2);
  r = list.Find("Radio", true, false, r.find_position);
  EXPECT_EQ(r.row, 3);
  EXPECT_EQ(r.find_position, 4);  // past the end: no wrap-around
  r = list.Find("Radio", true, false, r.find_position);
  EXPECT_FALSE(r.row);
  EXPECT_EQ(r.find_position, 4);
}

TEST(FindNextMatch, DownMovesToLowerRows) {
  List list({"Radio A", "TV", "Radio B"});
  // Right after opening (position 0) only row 0 is examined.
  EXPECT_FALSE(list.Find("Radio B", true, true, 0).row);
  FindResult r = list.Find("Radio", true, true, 0);
  EXPECT_EQ(r.row, 0);
  EXPECT_EQ(r.find_position, -1);
  EXPECT_FALSE(list.Find("Radio", true, true, r.find_position).row);

  // A start beyond the last row starts at the last row.
  r = list.Find("Radio", true, true, 10);
  EXPECT_EQ(r.row, 2);
  EXPECT_EQ(r.find_position, 1);
  r = list.Find("Radio", true, true, r.find_position);
  EXPECT_EQ(r.row, 0);
}

TEST(FindNextMatch, StartOutsideTheRows) {
  List list({"Radio A", "Radio B"});
  // Moving to higher rows from beyond the end examines nothing.
  EXPECT_FALSE(list.Find("Radio", true, false, 5).row);
  // After a match at row 0 moving down (-1), switching to higher rows starts at row 0.
  FindResult r = list.Find("Radio", true, false, -1);
  EXPECT_EQ(r.row, 0);
  EXPECT_EQ(r.find_position, 1);
  // Only the first `count` rows exist.
  list.rows.count = 1;
  EXPECT_FALSE(list.Find("Radio B", true, false, 0).row);
  EXPECT_FALSE(list.Find("Radio B", true, true, 5).row);
}

TEST(FindNextMatch, EmptyListFindsNothing) {
  List list({});
  for (bool down : {false, true}) {
    FindResult r = list.Find("x", false, down, 0);
    EXPECT_FALSE(r.row);
    EXPECT_EQ(r.message, "Could not find \"x\"");
  }
}

}  // namespace
}  // namespace vistrel
