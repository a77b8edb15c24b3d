#include "browser/view_builder.h"

#include <gtest/gtest.h>

#include "common/build_config.h"

namespace vistrel {
namespace {

TItem Channel(int32_t group, int32_t country = 0) {
  TItem c;
  c.group_id = group;
  c.type_id = 1;
  c.country_id = country;
  return c;
}

TEST(RebuildView, VisibleListsPassingPositionsInOrderAndKeepsTheRest) {
  TInfo info;
  info.filter.group_id = 2;
  info.channels = {Channel(1), Channel(2), Channel(3), Channel(2), Channel(2)};
  info.channels[3].type_id = 2;
  // A previous, longer build: the list shrinks to the catalogue, leftovers stay.
  ViewResult view = RebuildView(info, {9, 9, 9, 9, 9, 9, 9});
  EXPECT_EQ(view.row_count, 2);
  EXPECT_EQ(view.visible, (std::vector<int32_t>{1, 4, 9, 9, 9}));
  EXPECT_EQ(view.caption_suffix, " - Radio");
  EXPECT_FALSE(view.clear_label_visible);

  // A shorter previous list grows with zeros.
  view = RebuildView(info, {7});
  EXPECT_EQ(view.visible, (std::vector<int32_t>{1, 4, 0, 0, 0}));
}

TEST(RebuildView, CaptionSuffixPerView) {
  const std::pair<uint16_t, std::optional<std::string>> cases[] = {
      {0, " - Favorites"}, {1, " - Tv"}, {2, " - Radio"}, {3, " - Video"}, {7, std::nullopt}};
  for (const auto& [group, suffix] : cases) {
    TInfo info;
    info.filter.group_id = group;
    EXPECT_EQ(RebuildView(info, {}).caption_suffix, suffix) << group;
  }
  EXPECT_EQ(BaseCaption(), std::string(build::kProductName) + " - " + build::kVersion);
  EXPECT_EQ(ViewCaption(" - Tv"), BaseCaption() + " - Tv");
}

TEST(RebuildView, ClearLabelShowsWhenASectionIsOnEvenWithNoRows) {
  TInfo info;
  info.filter.group_id = 1;
  info.filter.bitrate_flag = true;
  info.filter.bitrate = 1000;
  info.channels = {Channel(1)};
  ViewResult view = RebuildView(info, {});
  EXPECT_EQ(view.row_count, 0);
  EXPECT_TRUE(view.clear_label_visible);
}

TEST(RebuildView, CountryAndGenreLists) {
  TInfo info;
  info.filter.group_id = 1;
  info.countries = {{0, "All Countries"}, {44, "Spain"}, {12, "Chile"}, {44, "Spain again"}};
  info.genres = {{1, "News"}, {2, "Music"}};
  info.channels = {Channel(1, 44), Channel(1, 12)};

  ViewResult view = RebuildView(info, {});
  EXPECT_EQ(view.country_names,
            (std::vector<std::string>{"All Countries", "Spain", "Chile", "Spain again"}));
  EXPECT_EQ(view.genre_names, (std::vector<std::string>{"News", "Music"}));
  EXPECT_EQ(view.country_index, 0);  // section off: first entry, whatever the id
  EXPECT_EQ(view.editor_country_index, 0);
  EXPECT_EQ(view.filter_genre_index, 0);
  EXPECT_EQ(view.editor_genre_index, -1);

  info.filter.country_flag = true;
  info.filter.country_id = 44;
  view = RebuildView(info, {});
  EXPECT_EQ(view.country_index, 3);  // the later of two equal ids
  EXPECT_EQ(view.editor_country_index, 0);
  EXPECT_EQ(view.row_count, 1);

  // An id the table lacks: first entry shown, section still applies.
  info.filter.country_id = 99;
  view = RebuildView(info, {});
  EXPECT_EQ(view.country_index, 0);
  EXPECT_EQ(view.row_count, 0);
  EXPECT_TRUE(view.clear_label_visible);

  // The filter holds the low 16 bits; the table's whole id must equal them widened.
  info.countries.push_back({70000, "Wide"});
  info.filter.country_id = static_cast<uint16_t>(70000);
  EXPECT_EQ(RebuildView(info, {}).country_index, 0);
}

TEST(RebuildView, EmptyCatalogue) {
  TInfo info;
  info.filter.group_id = 1;
  ViewResult view = RebuildView(info, {3, 1});
  EXPECT_EQ(view.row_count, 0);
  EXPECT_TRUE(view.visible.empty());
  EXPECT_TRUE(view.country_names.empty());
  EXPECT_TRUE(view.genre_names.empty());
  EXPECT_EQ(view.country_index, -1);
  EXPECT_EQ(view.filter_genre_index, -1);
}

}  // namespace
}  // namespace vistrel
