#include "catalogue/lookups.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

TEST(ChannelStatus, FirstLargestCounterWinsTiesGoEarlier) {
  struct Case {
    int32_t w, n, wr, d, s, expected;
  };
  const Case cases[] = {{0, 0, 0, 0, 0, 2},  {1, 1, 0, 0, 0, 0}, {0, 2, 2, 2, 2, 1},
                        {0, 0, 1, 1, 1, 3},  {0, 0, 0, 3, 3, 4}, {0, 0, 0, 0, 1, 5},
                        {-1, 0, 0, 0, 0, 1}, {0, 0, 0, 0, -1, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(static_cast<int32_t>(StatusOfReports(c.w, c.n, c.wr, c.d, c.s)), c.expected)
        << c.w << "," << c.n << "," << c.wr << "," << c.d << "," << c.s;
  }
}

TEST(Lookups, FirstMatchAndMinusOneWhenMissing) {
  std::vector<Genre> genres = {{5, "News"}, {7, "Music"}, {5, "Other"}};
  std::vector<Country> countries = {{0, "All Countries"}, {44, "Spain"}};
  EXPECT_EQ(GenreName(5, genres), "News");
  EXPECT_EQ(GenreName(9, genres), "");
  EXPECT_EQ(GenreIndexById(genres, 7), 1);
  EXPECT_EQ(GenreIndexById(genres, 9), -1);
  EXPECT_EQ(GenreIndexByName(genres, "Music"), 1);
  EXPECT_EQ(GenreIndexByName(genres, "music"), -1);
  EXPECT_EQ(CountryIndexById(countries, 44), 1);
  EXPECT_EQ(CountryIndexById(countries, 3), -1);
  EXPECT_EQ(CountryIndexByName(countries, "SPAIN"), -1);
  EXPECT_EQ(IsFavorite({}, 5), 0);
  EXPECT_EQ(IsFavorite({3, 5}, 5), 1);
}

TEST(ClearCatalogue, ResetsViewAndTablesButKeepsSectionValues) {
  Catalogue info;
  info.version_text = "201003141530";
  info.version_date = 40251.6;
  info.filter.view = View::kFavorites;
  info.filter.favorited = 1;
  info.filter.name_section_on = info.filter.country_section_on = info.filter.status_section_on =
      true;
  info.filter.name = "News";
  info.filter.country_id = 12;
  info.filter.hide_spam = true;
  info.channels.resize(3);
  info.countries.resize(2);
  info.genres.resize(2);
  ClearCatalogue(info);
  EXPECT_EQ(info.version_text, "");
  EXPECT_EQ(info.version_date, 0);
  EXPECT_EQ(info.filter.view, View::kTv);
  EXPECT_EQ(info.filter.favorited, 0);
  EXPECT_FALSE(info.filter.name_section_on || info.filter.country_section_on ||
               info.filter.status_section_on);
  EXPECT_EQ(info.filter.name, "News");
  EXPECT_EQ(info.filter.country_id, 12);
  EXPECT_TRUE(info.filter.hide_spam);
  EXPECT_EQ(info.highest_user_id, 100000);
  EXPECT_TRUE(info.channels.empty() && info.countries.empty() && info.genres.empty());
}

TEST(CutText, KeepsAtMostCapacityBytes) {
  EXPECT_EQ(CutText(std::string(300, 'x')).size(), 255u);
  EXPECT_EQ(CutText("abc", 2), "ab");
  EXPECT_EQ(CutText("abc"), "abc");
}

}  // namespace
}  // namespace vistrel
