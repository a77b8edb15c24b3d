#include "protocol/service_protocol.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

TEST(ServiceProtocol, RatingsAreOneDigitFromOneToFive) {
  for (const char* ok : {"1", "5"}) EXPECT_TRUE(ParseRating(ok)) << ok;
  for (const char* bad : {"0", "6", "x", "", "4.5", "+3", " 3", "05"}) {
    EXPECT_FALSE(ParseRating(bad)) << bad;
  }
  for (int stars = kFewestStars; stars <= kMostStars; ++stars) {
    EXPECT_EQ(ParseRating(RatingWord(stars)), stars);
  }
  EXPECT_EQ(RatingWord(0), nullptr);
  EXPECT_EQ(RatingWord(6), nullptr);
}

TEST(ServiceProtocol, FlagWordsReadBackExactly) {
  EXPECT_EQ(ParseFlag("ok"), ChannelStatus::kWorkFine);
  EXPECT_EQ(ParseFlag("bad"), ChannelStatus::kNotWorking);
  EXPECT_EQ(ParseFlag("wrong"), ChannelStatus::kWrongInfo);
  EXPECT_EQ(ParseFlag("duplicate"), ChannelStatus::kDuplicate);
  EXPECT_EQ(ParseFlag("spam"), ChannelStatus::kSpam);
  EXPECT_EQ(FlagWord(ChannelStatus::kNew), nullptr);  // no one flags a channel as new
  EXPECT_FALSE(ParseFlag("OK"));
  EXPECT_FALSE(ParseFlag(""));
  for (const ChannelStatus flag :
       {ChannelStatus::kWorkFine, ChannelStatus::kNotWorking, ChannelStatus::kWrongInfo,
        ChannelStatus::kDuplicate, ChannelStatus::kSpam}) {
    EXPECT_EQ(ParseFlag(FlagWord(flag)), flag);
  }
}

}  // namespace
}  // namespace vistrel
