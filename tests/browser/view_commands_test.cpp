#include "browser/view_commands.h"

#include <gtest/gtest.h>

#include <fstream>

#include "common/error.h"
#include "support/file_writes.h"
#include "support/temp_dir.h"

namespace vistrel {
namespace {

class ViewCommands : public ::testing::Test {
 protected:
  TempDir dir;
  SettingsStore store{dir.path() / "Orvane" / "Vistrel" / "settings.ini"};
  Catalogue info;

  void SetUp() override {
    info.filter.view = View::kTv;
    info.countries = {{0, "All Countries"}, {44, "Spain"}, {70000, "Wide"}};
  }
  std::optional<std::string> Stored(std::string_view name) const { return store.Read(name); }
};

TEST_F(ViewCommands, EnteringFavouritesClearsEverySectionButKeepsTheirValues) {
  store.WriteInteger("name_f", 1);
  store.WriteString("name", "News");
  store.WriteInteger("bitrate_f", 1);
  store.WriteInteger("bitrate", 128);
  store.WriteInteger("country_f", 1);
  info.filter.name_section_on = info.filter.bitrate_section_on = info.filter.country_section_on =
      true;
  info.filter.name = "News";
  info.filter.bitrate = 128;

  ASSERT_TRUE(ToggleFavoritesView(store, info.filter, true).ok());
  EXPECT_EQ(Stored("selected"), "0");
  EXPECT_EQ(Stored("favorited"), "1");
  for (const char* flag : {"name_f", "country_f", "genre_f", "bitrate_f", "flag_f"}) {
    EXPECT_FALSE(Stored(flag)) << flag;
  }
  EXPECT_EQ(Stored("name"), "News");
  EXPECT_EQ(Stored("bitrate"), "128");
  EXPECT_EQ(info.filter.view, View::kFavorites);
  EXPECT_EQ(info.filter.favorited, 1);
  EXPECT_FALSE(info.filter.name_section_on || info.filter.bitrate_section_on ||
               info.filter.country_section_on);
  EXPECT_EQ(info.filter.name, "News");
  EXPECT_EQ(info.filter.bitrate, 128);

  // The one-way command does the same.
  ViewFilter other;
  other.genre_section_on = true;
  ASSERT_TRUE(ShowView(store, other, View::kFavorites).ok());
  EXPECT_EQ(other.view, View::kFavorites);
  EXPECT_EQ(other.favorited, 1);
  EXPECT_FALSE(other.genre_section_on);
}

TEST_F(ViewCommands, ShowViewStoresTheViewAndTheTvViewStoresNothing) {
  ASSERT_TRUE(ShowView(store, info.filter, View::kRadio).ok());
  EXPECT_EQ(Stored("selected"), "2");
  EXPECT_FALSE(Stored("favorited"));
  EXPECT_EQ(info.filter.view, View::kRadio);

  ASSERT_TRUE(ToggleFavoritesView(store, info.filter, true).ok());
  ASSERT_TRUE(ShowView(store, info.filter, View::kVideo).ok());
  EXPECT_EQ(Stored("selected"), "3");
  EXPECT_FALSE(Stored("favorited"));
  EXPECT_EQ(info.filter.view, View::kVideo);
  EXPECT_EQ(info.filter.favorited, 0);

  // Releasing the toggle goes to TV, whatever view was stored before.
  ASSERT_TRUE(ToggleFavoritesView(store, info.filter, true).ok());
  ASSERT_TRUE(ToggleFavoritesView(store, info.filter, false).ok());
  EXPECT_FALSE(Stored("selected"));
  EXPECT_FALSE(Stored("favorited"));
  EXPECT_EQ(info.filter.view, View::kTv);
  EXPECT_EQ(info.filter.favorited, 0);

  info.filter.view = View::kRadio;
  ASSERT_TRUE(ShowView(store, info.filter, View::kTv).ok());
  EXPECT_EQ(info.filter.view, View::kTv);
}

TEST_F(ViewCommands, SelectCountryStoresTheWholeIdAndAllCountriesDeletesIt) {
  ASSERT_TRUE(SelectCountry(store, info, 2).ok());
  EXPECT_EQ(Stored("country_f"), "1");
  EXPECT_EQ(Stored("country"), "70000");    // the whole id
  EXPECT_EQ(info.filter.country_id, 4464);  // its low 16 bits
  EXPECT_TRUE(info.filter.country_section_on);

  // Past the end of the table: nothing changes.
  ASSERT_TRUE(SelectCountry(store, info, 3).ok());
  EXPECT_EQ(Stored("country"), "70000");
  EXPECT_EQ(info.filter.country_id, 4464);

  ASSERT_TRUE(SelectCountry(store, info, 0).ok());
  EXPECT_FALSE(Stored("country_f"));
  EXPECT_EQ(Stored("country"), "70000");  // stays stored
  EXPECT_EQ(info.filter.country_id, 0);
  EXPECT_FALSE(info.filter.country_section_on);

  ASSERT_TRUE(SelectCountry(store, info, 1).ok());
  ASSERT_TRUE(SelectCountry(store, info, -1).ok());  // no selection counts as all countries
  EXPECT_FALSE(info.filter.country_section_on);
}

TEST_F(ViewCommands, ClearDeletesTheSectionFlagsOnly) {
  for (const char* flag : {"name_f", "country_f", "genre_f", "bitrate_f", "flag_f"}) {
    store.WriteInteger(flag, 1);
  }
  store.WriteInteger("genre", 7);
  info.filter.view = View::kRadio;
  info.filter.genre_section_on = info.filter.status_section_on = true;
  info.filter.genre_id = 7;
  ASSERT_TRUE(ClearSections(store, info.filter).ok());
  for (const char* flag : {"name_f", "country_f", "genre_f", "bitrate_f", "flag_f"}) {
    EXPECT_FALSE(Stored(flag)) << flag;
  }
  EXPECT_EQ(Stored("genre"), "7");
  EXPECT_FALSE(info.filter.genre_section_on || info.filter.status_section_on);
  EXPECT_EQ(info.filter.genre_id, 7);
  EXPECT_EQ(info.filter.view, View::kRadio);

  // With no store at all the deletes are no error.
  SettingsStore empty(dir.path() / "none" / "settings.ini");
  EXPECT_TRUE(ClearSections(empty, info.filter).ok());
}

// Each command is one write of the store, however many values it changes.
TEST_F(ViewCommands, EachCommandWritesTheStoreOnce) {
  for (const char* flag : {"name_f", "country_f", "genre_f", "bitrate_f", "flag_f"}) {
    store.WriteInteger(flag, 1);
  }
  FileWriteCounter writes(store.file());
  ASSERT_TRUE(ToggleFavoritesView(store, info.filter, true).ok());
  EXPECT_EQ(writes.Count(), 1);
  EXPECT_EQ(ReadTestFile(store.file()), "selected=0\nfavorited=1\n");
  ASSERT_TRUE(ShowView(store, info.filter, View::kRadio).ok());
  EXPECT_EQ(writes.Count(), 2);
  ASSERT_TRUE(SelectCountry(store, info, 1).ok());
  EXPECT_EQ(writes.Count(), 3);
  EXPECT_EQ(ReadTestFile(store.file()), "selected=2\ncountry_f=1\ncountry=44\n");
}

TEST_F(ViewCommands, AFailedWriteLeavesTheFilterAlone) {
  // A store whose folder cannot be created: a regular file stands in its way.
  std::ofstream(dir.path() / "blocker") << "x";
  SettingsStore broken(dir.path() / "blocker" / "settings.ini");
  const ViewFilter before = info.filter;
  auto unchanged = [&] {
    EXPECT_EQ(info.filter.view, before.view);
    EXPECT_EQ(info.filter.favorited, before.favorited);
    EXPECT_EQ(info.filter.country_section_on, before.country_section_on);
    EXPECT_EQ(info.filter.country_id, before.country_id);
  };
  const Outcome failed = ShowView(broken, info.filter, View::kRadio);
  EXPECT_FALSE(failed.ok());
  EXPECT_EQ(failed.error, "Failed to create key " + broken.file().string());
  unchanged();
  EXPECT_FALSE(ToggleFavoritesView(broken, info.filter, true).ok());
  unchanged();
  EXPECT_FALSE(SelectCountry(broken, info, 1).ok());
  unchanged();
}

TEST_F(ViewCommands, FavouritesViewSurvivesARestartAsTvWithTheFavouriteMark) {
  ASSERT_TRUE(ToggleFavoritesView(store, info.filter, true).ok());
  ViewFilter loaded;
  loaded.view = View::kTv;
  LoadSettings(store, loaded);
  EXPECT_EQ(loaded.view, View::kTv);  // a stored 0 never reaches the filter
  EXPECT_EQ(loaded.favorited, 1);
}

}  // namespace
}  // namespace vistrel
