#include "channel_actions/channel_menu_state.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

Channel MakeChannel(uint16_t usdef, int32_t favorited, std::string homepage, bool rated,
                    bool flagged) {
  Channel c;
  c.name = "Chan";
  c.user_defined = usdef;
  c.favorited = favorited;
  c.homepage = std::move(homepage);
  c.rated_mark = rated;
  c.flagged_mark = flagged;
  return c;
}

std::string Describe(const ChannelMenuState& s) {
  std::string out;
  auto put = [&](const char* name, bool v) { out += std::string(name) + (v ? "+ " : "- "); };
  put("watch", s.watch);
  put("add", s.add_to_favorites);
  put("add_shown", s.add_to_favorites_shown);
  put("remove_fav_shown", s.remove_from_favorites_shown);
  put("homepage", s.homepage);
  put("rate", s.rate);
  put("flag", s.flag);
  put("update", s.update);
  put("remove", s.remove);
  return out;
}

TEST(ChannelMenuState, ItemsForEachKindOfClick) {
  const Channel package = MakeChannel(0, 0, "http://home", false, false);
  const Channel user = MakeChannel(1, 0, "http://home", false, false);
  const Channel rated = MakeChannel(0, 0, "http://home", true, false);
  const Channel flagged = MakeChannel(0, 0, "", false, true);
  const Channel favourite = MakeChannel(0, 1, "", false, false);
  const ChannelMenuState start;
  ChannelMenuState in_favorites = start;
  in_favorites.add_to_favorites_shown = false;
  in_favorites.remove_from_favorites_shown = true;

  struct Case {
    const char* what;
    ChannelMenuState before;
    ChannelMenuClick click;
    // watch, add, add shown, remove-fav shown, homepage, rate, flag, update, remove
    ChannelMenuState expected;
  };
  const Case cases[] = {
      {"package channel",
       start,
       {true, &package, false},
       {true, true, true, false, true, true, true, true, false}},
      {"user channel",
       start,
       {true, &user, false},
       {true, true, true, false, true, false, false, true, true}},
      {"rated package channel",
       start,
       {true, &rated, false},
       {true, true, true, false, true, false, true, true, false}},
      {"flagged channel without homepage",
       start,
       {true, &flagged, false},
       {true, true, true, false, false, true, false, true, false}},
      {"favourite outside the favourites view",
       start,
       {true, &favourite, false},
       {true, false, true, false, false, true, true, true, false}},
      {"favourites view",
       start,
       {true, &favourite, true},
       {true, false, false, true, false, true, true, true, false}},
      {"user channel in the favourites view",
       start,
       {true, &user, true},
       {true, false, false, true, true, false, false, true, true}},
      {"below the last row",
       start,
       {false, &package, false},
       {false, false, true, false, false, false, false, false, false}},
      {"below the last row after the favourites view",
       in_favorites,
       {false, &package, true},
       {false, false, false, true, false, false, false, false, false}},
      {"no row selected",
       in_favorites,
       {true, nullptr, true},
       {false, false, false, true, false, false, false, false, false}},
      {"back from the favourites view",
       in_favorites,
       {true, &package, false},
       {true, true, true, false, true, true, true, true, false}},
  };
  for (const Case& c : cases) {
    const ChannelMenuState got = PrepareChannelMenu(c.before, c.click);
    EXPECT_EQ(Describe(got), Describe(c.expected)) << c.what;
  }
  // At start only "Remove Channel" is enabled, "Remove from Fav" hidden.
  EXPECT_EQ(Describe(start),
            Describe({false, false, true, false, false, false, false, false, true}));
}

TEST(ChannelMenuState, FavouriteQuestionsNameTheChannel) {
  EXPECT_EQ(AddToFavoritesQuestion("Jazz FM"), "Would you like to add Jazz FM to your favorites?");
  EXPECT_EQ(RemoveFromFavoritesQuestion("Jazz FM"),
            "Would you like to remove Jazz FM from your favorites?");
}

TEST(ChannelMenuState, OnlyWebAddressesAreOpened) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"http://tv.example/", "http://tv.example/"},
      {" HTTPS://tv.example ", "HTTPS://tv.example"},
      {"https://", std::nullopt},
      {"", std::nullopt},
      {"tv.example", std::nullopt},
      {"file:///etc/passwd", std::nullopt},
      {"javascript:alert(1)", std::nullopt},
      {"/usr/bin/xterm", std::nullopt},
      {"ftp://tv.example", std::nullopt},
      {"http://tv.example/|Referer=http%3A%2F%2Fsecret%2F", "http://tv.example/"},
  };
  for (const auto& [homepage, opened] : cases) {
    EXPECT_EQ(HomepageToOpen(homepage), opened) << homepage;
  }
}

TEST(ChannelMenuState, FavouriteMarks) {
  Catalogue info;
  info.channels = {MakeChannel(0, 0, "", false, false)};
  EXPECT_TRUE(MarkFavorite(info, 0, true));
  EXPECT_EQ(info.channels[0].favorited, 1);
  EXPECT_TRUE(MarkFavorite(info, 0, false));
  EXPECT_EQ(info.channels[0].favorited, 0);
  EXPECT_FALSE(MarkFavorite(info, 1, true));
  EXPECT_FALSE(MarkFavorite(info, -1, true));
}

}  // namespace
}  // namespace vistrel
