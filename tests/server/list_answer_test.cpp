#include "server/list_answer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vistrel {
namespace {

TEST(DecideListAnswer, KeyThenDateDecide) {
  using O = std::optional<std::string>;
  EXPECT_EQ(DecideListAnswer(O{}, "k", O{}, "202605011200"), ListAnswer::kWrongKey);
  EXPECT_EQ(DecideListAnswer(O{"K"}, "k", O{}, "202605011200"), ListAnswer::kWrongKey);
  EXPECT_EQ(DecideListAnswer(O{"k"}, "k", O{"202605011200"}, "202605011200"),
            ListAnswer::kUpToDate);
  EXPECT_EQ(DecideListAnswer(O{"k"}, "k", O{"202605011159"}, "202605011200"), ListAnswer::kPackage);
  EXPECT_EQ(DecideListAnswer(O{"k"}, "k", O{}, "202605011200"), ListAnswer::kPackage);
}

}  // namespace
}  // namespace vistrel
