#include "browser/view_builder.h"

#include <gtest/gtest.h>

#include "common/build_config.h"

namespace vistrel {
namespace {

Channel ChannelOfGroup(int32_t group, int32_t country = 0) {
  Channel c;
  c.group_id = group;
  c.type_id = 1;
  c.country_id = country;
  return c;
}

TEST(RebuildView, VisibleListsPassingPositionsInOrderAndKeepsTheRest) {
  Catalogue info;
  info.filter.view = View::kRadio;
  info.channels = {ChannelOfGroup(1), ChannelOfGroup(2), ChannelOfGroup(3), ChannelOfGroup(2),
                   ChannelOfGroup(2)};
  info.channels[3].type_id = 2;
  // A previous, longer build: the list shrinks to the catalogue, leftovers stay.
  ViewResult view = RebuildView(info, {.positions = {9, 9, 9, 9, 9, 9, 9}});
  EXPECT_EQ(view.visible_rows.count, 2);
  EXPECT_EQ(view.visible_rows.positions, (std::vector<int32_t>{1, 4, 9, 9, 9}));
  EXPECT_EQ(view.caption_suffix, " - Radio");
  EXPECT_FALSE(view.clear_label_visible);

  // A shorter previous list grows with zeros.
  view = RebuildView(info, {.positions = {7}});
  EXPECT_EQ(view.visible_rows.positions, (std::vector<int32_t>{1, 4, 0, 0, 0}));
}

TEST(RebuildView, CaptionSuffixPerView) {
  const std::pair<uint16_t, std::optional<std::string>> cases[] = {
      {0, " - Favorites"}, {1, " - Tv"}, {2, " - Radio"}, {3, " - Video"}, {7, std::nullopt}};
  for (const auto& [group, suffix] : cases) {
    Catalogue info;
    info.filter.view = static_cast<View>(group);
    EXPECT_EQ(RebuildView(info, {}).caption_suffix, suffix) << group;
  }
  EXPECT_EQ(BaseCaption(), std::string(build::kProductName) + " - " + build::kVersion);
  EXPECT_EQ(ViewCaption(" - Tv"), BaseCaption() + " - Tv");
}

TEST(RebuildView, ClearLabelShowsWhenASectionIsOnEvenWithNoRows) {
  Catalogue info;
  info.filter.view = View::kTv;
  info.filter.bitrate_section_on = true;
  info.filter.bitrate = 1000;
  info.channels = {ChannelOfGroup(1)};
  ViewResult view = RebuildView(info, {});
  EXPECT_EQ(view.visible_rows.count, 0);
  EXPECT_TRUE(view.clear_label_visible);
}

TEST(RebuildView, CountryAndGenreLists) {
  Catalogue info;
  info.filter.view = View::kTv;
  info.countries = {{0, "All Countries"}, {44, "Spain"}, {12, "Chile"}, {44, "Spain again"}};
  info.genres = {{1, "News"}, {2, "Music"}};
  info.channels = {ChannelOfGroup(1, 44), ChannelOfGroup(1, 12)};

  ViewResult view = RebuildView(info, {});
  EXPECT_EQ(view.country_names,
            (std::vector<std::string>{"All Countries", "Spain", "Chile", "Spain again"}));
  EXPECT_EQ(view.genre_names, (std::vector<std::string>{"News", "Music"}));
  EXPECT_EQ(view.country_index, 0);  // section off: first entry, whatever the id
  EXPECT_EQ(view.editor_country_index, 0);
  EXPECT_EQ(view.filter_genre_index, 0);
  EXPECT_EQ(view.editor_genre_index, -1);

  info.filter.country_section_on = true;
  info.filter.country_id = 44;
  view = RebuildView(info, {});
  EXPECT_EQ(view.country_index, 3);  // the later of two equal ids
  EXPECT_EQ(view.editor_country_index, 0);
  EXPECT_EQ(view.visible_rows.count, 1);

  // An id the table lacks: first entry shown, section still applies.
  info.filter.country_id = 99;
  view = RebuildView(info, {});
  EXPECT_EQ(view.country_index, 0);
  EXPECT_EQ(view.visible_rows.count, 0);
  EXPECT_TRUE(view.clear_label_visible);

  // The filter holds the low 16 bits; the table's whole id must equal them widened.
  info.countries.push_back({70000, "Wide"});
  info.filter.country_id = static_cast<uint16_t>(70000);
  EXPECT_EQ(RebuildView(info, {}).country_index, 0);
}

TEST(RebuildView, EmptyCatalogueShowsNothingAndSelectsNothing) {
  Catalogue info;
  info.filter.view = View::kTv;
  ViewResult view = RebuildView(info, {.positions = {3, 1}});
  EXPECT_EQ(view.visible_rows.count, 0);
  EXPECT_TRUE(view.visible_rows.positions.empty());
  EXPECT_TRUE(view.country_names.empty());
  EXPECT_TRUE(view.genre_names.empty());
  EXPECT_EQ(view.country_index, -1);
  EXPECT_EQ(view.filter_genre_index, -1);
}

}  // namespace
}  // namespace vistrel
