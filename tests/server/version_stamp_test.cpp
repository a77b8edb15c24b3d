#include "server/version_stamp.h"

#include <gtest/gtest.h>

#include <optional>

namespace vistrel {
namespace {

StampTime Stamp(const char* text) {
  const auto stamp = ParseVersionStamp(text);
  EXPECT_TRUE(stamp) << text;
  return stamp.value_or(StampTime{});
}

TEST(VersionStamp, ReadsAndWritesTwelveDigits) {
  EXPECT_EQ(FormatVersionStamp(Stamp("201003141530")), "201003141530");
  EXPECT_EQ(FormatVersionStamp(Stamp("202402291159 trailing")), "202402291159");
  for (const char* bad : {"20100314153", "2010031415x0", "201013141530", "202302291530",
                          "201003142430", "201003141560", "000003141530"}) {
    EXPECT_FALSE(ParseVersionStamp(bad)) << bad;
  }
}

TEST(VersionStamp, NextStampNeverRepeatsAHandedOutOne) {
  struct Case {
    const char* now;
    const char* current;  // "" for none
    const char* published;
    const char* expected;
  };
  const Case cases[] = {
      {"202605011200", "202605011000", "", "202605011200"},              // plain: the clock
      {"202605011200", "202605011200", "", "202605011200"},              // same minute, unseen
      {"202605011200", "202605011200", "202605011200", "202605011201"},  // seen: next minute
      {"202605011200", "202605011203", "202605011203", "202605011204"},  // ahead and seen
      {"202605011200", "202605011300", "", "202605011300"},              // clock went back
      {"202612312359", "202612312359", "202612312359", "202701010000"},  // year rolls over
      {"202605011200", "", "", "202605011200"},
  };
  for (const Case& c : cases) {
    const auto opt = [](const char* text) {
      return *text ? std::optional<StampTime>(Stamp(text)) : std::nullopt;
    };
    EXPECT_EQ(FormatVersionStamp(NextVersionStamp(Stamp(c.now), opt(c.current), opt(c.published))),
              c.expected)
        << c.now << " " << c.current << " " << c.published;
  }
}

}  // namespace
}  // namespace vistrel
