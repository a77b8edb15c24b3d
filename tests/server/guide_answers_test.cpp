#include "server/guide_answers.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace vistrel {
namespace {

using Json = nlohmann::json;

TEST(GuideAnswers, JsonOfAChannelAndOfNowAndNext) {
  const std::vector<StoredProgramme> day = {
      {7, 100, 200, "Quote \" back\\slash\ttab \xC3\xA9", "", "Line\nbreak", "", "S1E2"},
      {7, 200, 300, "Bad \xFF byte", "Sub", "", "News, Kids", ""},
  };
  const Json channel = Json::parse(ChannelGuideJson(day));
  ASSERT_EQ(channel.size(), 2u);
  EXPECT_EQ(channel[0]["start"], 100);
  EXPECT_EQ(channel[0]["stop"], 200);
  EXPECT_EQ(channel[0]["title"], "Quote \" back\\slash\ttab \xC3\xA9");
  EXPECT_EQ(channel[0]["description"], "Line\nbreak");
  EXPECT_EQ(channel[0]["episode"], "S1E2");
  EXPECT_FALSE(channel[0].contains("sub_title"));
  EXPECT_EQ(channel[1]["title"], "Bad \xEF\xBF\xBD byte");  // U+FFFD
  EXPECT_EQ(channel[1]["category"], "News, Kids");
  EXPECT_EQ(ChannelGuideJson({}), "[]");

  const std::vector<StoredProgramme> now_next = {
      {3, 10, 20, "A now", "", "", "", ""},
      {3, 20, 30, "A next", "", "", "", ""},
      {5, 25, 40, "B next only", "", "", "", ""},
  };
  const Json all = Json::parse(NowAndNextJson(now_next));
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0]["id"], 3);
  EXPECT_EQ(all[0]["programmes"][1]["title"], "A next");
  EXPECT_EQ(all[1]["id"], 5);
  EXPECT_EQ(all[1]["programmes"].size(), 1u);
  EXPECT_EQ(all[1]["programmes"][0]["stop"], 40);
  EXPECT_EQ(NowAndNextJson({}), "[]");
}

}  // namespace
}  // namespace vistrel
