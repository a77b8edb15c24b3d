#include "server/request_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace vistrel {
namespace {

TEST(RequestRules, Ids) {
  EXPECT_EQ(ParseRequestInt("-12"), -12);
  EXPECT_FALSE(ParseRequestInt("2147483648"));
  EXPECT_FALSE(ParseRequestInt("1x"));
}

TEST(RequestRules, TextsStayUtf8AndMayNotBreakTables) {
  EXPECT_EQ(ParseRequestText("Caf\xC3\xA9 \xE2\x82\xAC", 255), "Caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(ParseRequestText("\xD0\x96 \xE4\xB8\xAD \xF0\x9F\x93\xBA", 255),
            "\xD0\x96 \xE4\xB8\xAD \xF0\x9F\x93\xBA");
  EXPECT_EQ(ParseRequestText("Caf\xE9", 255), "Caf\xC3\xA9");  // not UTF-8: Windows-1252
  // The capacity counts characters, not bytes.
  std::string ideographs;
  for (int i = 0; i < 255; ++i) ideographs += "\xE4\xB8\xAD";
  EXPECT_TRUE(ParseRequestText(ideographs, 255));
  EXPECT_FALSE(ParseRequestText(ideographs + "a", 255));
  for (const char* bad : {"a|b", "a\nb", "a\rb", "a\tb"}) {
    EXPECT_FALSE(ParseRequestText(bad, 255)) << bad;
  }
  EXPECT_TRUE(ParseRequestText(std::string(255, 'a'), 255));
  EXPECT_FALSE(ParseRequestText(std::string(256, 'a'), 255));
}

}  // namespace
}  // namespace vistrel
