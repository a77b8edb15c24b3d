#include "server/playlist_import.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

TEST(PlaylistImport, PlaylistBecomesTvChannelsWithCountriesAndGenresByName) {
  CatalogueTables tables;
  tables.countries = {{0, "All Countries"}, {5, "AF"}};
  tables.genres = {{0, "All Genres"}, {9, "Music"}};
  Channel existing;
  existing.id = 40;
  existing.group_id = 2;
  tables.channels.push_back(existing);
  std::vector<M3uEntry> entries(3);
  entries[0].attributes = {{"tvg-country", "AF"}, {"group-title", "Music;News"}};
  entries[0].title = "Caf\xC3\xA9 | \xD0\x96 TV";
  entries[0].url = "http://127.0.0.1/\xE0\xB8\x81.m3u8";
  entries[1].attributes = {{"tvg-country", "US;CA"}, {"group-title", "News"}};
  entries[1].title = "Second";
  entries[1].url = "http://127.0.0.1/2";
  entries[2].url = "http://127.0.0.1/3";  // no attributes, no title
  EXPECT_EQ(AddPlaylist(tables, entries), 3u);
  ASSERT_EQ(tables.channels.size(), 4u);
  const Channel& a = tables.channels[1];
  EXPECT_EQ(a.id, 41);
  EXPECT_EQ(a.group_id, 1);
  EXPECT_EQ(a.name, "Caf\xC3\xA9 \xE2\x88\xA3 \xD0\x96 TV");  // as written, "|" as its stand-in
  EXPECT_EQ(a.url, "http://127.0.0.1/%E0%B8%81.m3u8");
  EXPECT_EQ(a.country_id, 5);
  EXPECT_EQ(a.genre_id, 9);
  const Channel& b = tables.channels[2];
  EXPECT_EQ(b.id, 42);
  EXPECT_EQ(b.country_id, 6);
  EXPECT_EQ(b.genre_id, 10);
  EXPECT_EQ(tables.countries.back().name, "US");
  EXPECT_EQ(tables.genres.back().name, "News");
  const Channel& c = tables.channels[3];
  EXPECT_EQ(c.name, "http://127.0.0.1/3");
  EXPECT_EQ(c.country_id, 0);
  EXPECT_EQ(c.genre_id, 0);
}

TEST(PlaylistImport, EmptyTablesGetTheAllRows) {
  CatalogueTables tables;
  std::vector<M3uEntry> entries(1);
  entries[0].attributes = {{"tvg-country", "AF"}};
  entries[0].title = "T";
  entries[0].url = "u";
  AddPlaylist(tables, entries);
  ASSERT_EQ(tables.countries.size(), 2u);
  EXPECT_EQ(tables.countries[0].name, "All Countries");
  EXPECT_EQ(tables.countries[1].id, 1);
  ASSERT_EQ(tables.genres.size(), 1u);
  EXPECT_EQ(tables.genres[0].name, "All Genres");
  EXPECT_EQ(tables.channels[0].id, 1);
}

}  // namespace
}  // namespace vistrel
