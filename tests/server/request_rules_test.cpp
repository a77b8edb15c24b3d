#include "server/request_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace vistrel {
namespace {

TEST(RequestRules, RatingsFlagsAndIds) {
  for (const char* ok : {"1", "5"}) EXPECT_TRUE(ParseRating(ok)) << ok;
  for (const char* bad : {"0", "6", "x", "", "4.5", "+3", " 3", "05"}) {
    EXPECT_FALSE(ParseRating(bad)) << bad;
  }
  EXPECT_EQ(ParseFlag("ok"), ChannelFlag::kWorkFine);
  EXPECT_EQ(ParseFlag("bad"), ChannelFlag::kNotWorking);
  EXPECT_EQ(ParseFlag("wrong"), ChannelFlag::kWrongInfo);
  EXPECT_EQ(ParseFlag("duplicate"), ChannelFlag::kDuplicate);
  EXPECT_EQ(ParseFlag("spam"), ChannelFlag::kSpam);
  EXPECT_FALSE(ParseFlag("OK"));
  EXPECT_FALSE(ParseFlag(""));
  EXPECT_EQ(ParseRequestInt("-12"), -12);
  EXPECT_FALSE(ParseRequestInt("2147483648"));
  EXPECT_FALSE(ParseRequestInt("1x"));
}

TEST(RequestRules, TextsBecomeWindows1252AndMayNotBreakTables) {
  EXPECT_EQ(ParseRequestText("Caf\xC3\xA9 \xE2\x82\xAC", 255), "Caf\xE9 \x80");
  EXPECT_EQ(ParseRequestText("\xD0\x96", 255), "?");
  EXPECT_EQ(ParseRequestText("Caf\xE9", 255), "Caf\xE9");  // not UTF-8: already 8-bit
  for (const char* bad : {"a|b", "a\nb", "a\rb", "a\tb"}) {
    EXPECT_FALSE(ParseRequestText(bad, 255)) << bad;
  }
  EXPECT_TRUE(ParseRequestText(std::string(255, 'a'), 255));
  EXPECT_FALSE(ParseRequestText(std::string(256, 'a'), 255));
}

}  // namespace
}  // namespace vistrel
