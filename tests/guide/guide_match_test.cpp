#include "guide/guide_match.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vistrel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(GuideMatch, GuideIdFirstThenNameIgnoringCaseAndBlanks) {
  const std::vector<GuideChannel> guide = {
      {"alpha.tv", {"Alpha TV", "Alpha"}},
      {"beta.tv", {"Beta Television"}},
      {"gamma.tv", {"Gamma"}},
      {"gamma2.tv", {"GAMMA"}},  // a second guide channel of the same name: the first wins
  };
  const std::vector<GuideTarget> catalogue = {
      {1, "Something else", "alpha.tv"},     // by guide id, whatever its name
      {2, "  beta television ", ""},         // by name
      {3, "Beta Television", "missing.id"},  // guide id not in the guide: by name
      {4, "gamma", ""},
      {5, "Delta", "delta.tv"},  // neither
      {6, "", ""},
      {7, "Alpha", "beta.tv"},  // the id wins over a name
  };
  const auto links = MatchGuideChannels(guide, catalogue);
  EXPECT_THAT(links.at("alpha.tv"), ElementsAre(1));
  EXPECT_THAT(links.at("beta.tv"), ElementsAre(2, 3, 7));
  EXPECT_THAT(links.at("gamma.tv"), ElementsAre(4));
  EXPECT_EQ(links.count("gamma2.tv"), 0u);
  EXPECT_EQ(links.size(), 3u);
  EXPECT_THAT(MatchGuideChannels({}, catalogue), IsEmpty());
}

TEST(GuideMatch, GuideIdFileLines) {
  const auto links =
      ParseGuideIdLinks("# guide id | channel id\r\nalpha.tv|1\r\n\n  beta.tv | 22 \nx y|3");
  ASSERT_TRUE(links.ok()) << links.error;
  ASSERT_EQ(links.value->size(), 3u);
  EXPECT_EQ((*links.value)[1].guide_id, "beta.tv");
  EXPECT_EQ((*links.value)[1].channel_id, 22);
  EXPECT_EQ((*links.value)[2].guide_id, "x y");

  struct Case {
    const char* text;
    const char* error;
  };
  for (const Case& c : {Case{"a|1\nno bar", "line 2: expected"}, Case{" |1", "line 1: the guide"},
                        Case{"a|0", "line 1: the channel id \"0\""}, Case{"a|1x", "\"1x\""},
                        Case{"a|", "line 1: the channel id"}}) {
    const auto bad = ParseGuideIdLinks(c.text);
    EXPECT_FALSE(bad.ok()) << c.text;
    EXPECT_THAT(bad.error, ::testing::HasSubstr(c.error)) << c.text;
  }
}

}  // namespace
}  // namespace vistrel
