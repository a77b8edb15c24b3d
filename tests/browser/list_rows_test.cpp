#include "browser/list_rows.h"

#include <gtest/gtest.h>

#include <clocale>

namespace vistrel {
namespace {

TEST(FormatRating, TwoDecimalsHalfAwayFromZero) {
  const std::pair<double, const char*> cases[] = {
      {0.125, "0.13"},  {4.5, "4.50"},         {0, "0.00"},       {-0.0, "0.00"},
      {1.005, "1.01"},  {2.675, "2.68"},       {0.994, "0.99"},   {0.995, "1.00"},
      {9.999, "10.00"}, {3.14159, "3.14"},     {-0.125, "-0.13"}, {-0.001, "0.00"},
      {1e-9, "0.00"},   {12345.6, "12345.60"}, {1.0 / 3, "0.33"}, {2.0 / 3, "0.67"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(FormatRating(value), text) << value;
}

TEST(FormatRating, FullStopWhateverTheLocale) {
  // A locale with a decimal comma, where one is installed.
  for (const char* name : {"de_DE.UTF-8", "de_DE", "fr_FR.UTF-8"}) {
    if (std::setlocale(LC_ALL, name)) break;
  }
  EXPECT_EQ(FormatRating(0.125), "0.13");
  std::setlocale(LC_ALL, "C");
}

TEST(ChannelColumnText, EachColumnShowsItsFieldAndTheGenreComesFromTheTable) {
  Catalogue info;
  info.genres = {{3, "News"}, {4, "Music"}, {4, "Music again"}};
  Channel c;
  c.name = "Caf\xC3\xA9 TV";
  c.genre_id = 4;
  c.genre_name = "stale copy";
  c.average_rating = 0.125;
  c.bitrate = -64;
  c.comment = "a < b & c";
  EXPECT_EQ(ChannelColumnText(info, c, ListColumn::kChannel), "Caf\xC3\xA9 TV");
  EXPECT_EQ(ChannelColumnText(info, c, ListColumn::kGenre), "Music");  // the table's, first match
  EXPECT_EQ(ChannelColumnText(info, c, ListColumn::kRating), "0.13");
  EXPECT_EQ(ChannelColumnText(info, c, ListColumn::kBitrate), "-64");
  EXPECT_EQ(ChannelColumnText(info, c, ListColumn::kComments), "a < b & c");
  EXPECT_EQ(ChannelColumnText(info, c, static_cast<ListColumn>(5)), "");

  c.genre_id = 99;  // no such genre
  EXPECT_EQ(ChannelColumnText(info, c, ListColumn::kGenre), "");
  info.genres.clear();
  EXPECT_EQ(ChannelColumnText(info, c, ListColumn::kGenre), "");
}

TEST(ChannelColumnText, UserChannelAgainstUnratedCatalogueChannel) {
  Catalogue info;
  Channel user;
  user.user_defined = 1;
  user.average_rating = 3;
  EXPECT_EQ(ChannelColumnText(info, user, ListColumn::kRating), "no");
  EXPECT_TRUE(IsUserChannelRow(user));
  EXPECT_EQ(ChannelStateImage(user), static_cast<int32_t>(ChannelStatus::kWorkFine));

  Channel unrated;
  unrated.status = ChannelStatus::kNew;
  EXPECT_EQ(ChannelColumnText(info, unrated, ListColumn::kRating), "0.00");
  EXPECT_FALSE(IsUserChannelRow(unrated));
  EXPECT_EQ(ChannelStateImage(unrated), static_cast<int32_t>(ChannelStatus::kNew));
}

}  // namespace
}  // namespace vistrel
