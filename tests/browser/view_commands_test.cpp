#include "browser/view_commands.h"

#include <gtest/gtest.h>

#include <fstream>

#include "common/error.h"
#include "support/temp_dir.h"

namespace vistrel {
namespace {

class ViewCommands : public ::testing::Test {
 protected:
  TempDir dir;
  SettingsStore store{dir.path() / "Orvane" / "Vistrel" / "settings.ini"};
  TInfo info;

  void SetUp() override {
    info.filter.group_id = 1;
    info.countries = {{0, "All Countries"}, {44, "Spain"}, {70000, "Wide"}};
  }
  std::optional<std::string> Stored(std::string_view name) const { return store.Read(name); }
};

TEST_F(ViewCommands, EnteringFavouritesClearsEverySectionButKeepsTheirValues) {
  store.write_reg_integer("name_f", 1);
  store.write_reg_string("name", "News");
  store.write_reg_integer("bitrate_f", 1);
  store.write_reg_integer("bitrate", 128);
  store.write_reg_integer("country_f", 1);
  info.filter.name_flag = info.filter.bitrate_flag = info.filter.country_flag = true;
  info.filter.name = "News";
  info.filter.bitrate = 128;

  FavAdvToolButtonClick(store, info.filter, true);
  EXPECT_EQ(Stored("selected"), "0");
  EXPECT_EQ(Stored("favorited"), "1");
  for (const char* flag : {"name_f", "country_f", "genre_f", "bitrate_f", "flag_f"}) {
    EXPECT_FALSE(Stored(flag)) << flag;
  }
  EXPECT_EQ(Stored("name"), "News");
  EXPECT_EQ(Stored("bitrate"), "128");
  EXPECT_EQ(info.filter.group_id, 0);
  EXPECT_EQ(info.filter.favorited, 1);
  EXPECT_FALSE(info.filter.name_flag || info.filter.bitrate_flag || info.filter.country_flag);
  EXPECT_EQ(info.filter.name, "News");
  EXPECT_EQ(info.filter.bitrate, 128);

  // The one-way command does the same.
  TFilter other;
  other.genre_flag = true;
  FavoritesAdvToolButtonClick(store, other);
  EXPECT_EQ(other.group_id, 0);
  EXPECT_EQ(other.favorited, 1);
  EXPECT_FALSE(other.genre_flag);
}

TEST_F(ViewCommands, ViewSwitches) {
  RadioAdvToolButtonClick(store, info.filter);
  EXPECT_EQ(Stored("selected"), "2");
  EXPECT_FALSE(Stored("favorited"));
  EXPECT_EQ(info.filter.group_id, 2);

  FavAdvToolButtonClick(store, info.filter, true);
  VideoAdvToolButtonClick(store, info.filter);
  EXPECT_EQ(Stored("selected"), "3");
  EXPECT_FALSE(Stored("favorited"));
  EXPECT_EQ(info.filter.group_id, 3);
  EXPECT_EQ(info.filter.favorited, 0);

  // Releasing the toggle goes to TV, whatever view was stored before.
  FavAdvToolButtonClick(store, info.filter, true);
  FavAdvToolButtonClick(store, info.filter, false);
  EXPECT_FALSE(Stored("selected"));
  EXPECT_FALSE(Stored("favorited"));
  EXPECT_EQ(info.filter.group_id, 1);
  EXPECT_EQ(info.filter.favorited, 0);

  info.filter.group_id = 2;
  TvAdvToolButtonClick(store, info.filter);
  EXPECT_EQ(info.filter.group_id, 1);
}

TEST_F(ViewCommands, CountryList) {
  CountryALComboBoxChange(store, info, 2);
  EXPECT_EQ(Stored("country_f"), "1");
  EXPECT_EQ(Stored("country"), "70000");    // the whole id
  EXPECT_EQ(info.filter.country_id, 4464);  // its low 16 bits
  EXPECT_TRUE(info.filter.country_flag);

  // Past the end of the table: nothing changes.
  CountryALComboBoxChange(store, info, 3);
  EXPECT_EQ(Stored("country"), "70000");
  EXPECT_EQ(info.filter.country_id, 4464);

  CountryALComboBoxChange(store, info, 0);
  EXPECT_FALSE(Stored("country_f"));
  EXPECT_EQ(Stored("country"), "70000");  // stays stored
  EXPECT_EQ(info.filter.country_id, 0);
  EXPECT_FALSE(info.filter.country_flag);

  CountryALComboBoxChange(store, info, 1);
  CountryALComboBoxChange(store, info, -1);  // no selection counts as all countries
  EXPECT_FALSE(info.filter.country_flag);
}

TEST_F(ViewCommands, ClearDeletesTheSectionFlagsOnly) {
  for (const char* flag : {"name_f", "country_f", "genre_f", "bitrate_f", "flag_f"}) {
    store.write_reg_integer(flag, 1);
  }
  store.write_reg_integer("genre", 7);
  info.filter.group_id = 2;
  info.filter.genre_flag = info.filter.flag_flag = true;
  info.filter.genre_id = 7;
  ClearFilterLabelClick(store, info.filter);
  for (const char* flag : {"name_f", "country_f", "genre_f", "bitrate_f", "flag_f"}) {
    EXPECT_FALSE(Stored(flag)) << flag;
  }
  EXPECT_EQ(Stored("genre"), "7");
  EXPECT_FALSE(info.filter.genre_flag || info.filter.flag_flag);
  EXPECT_EQ(info.filter.genre_id, 7);
  EXPECT_EQ(info.filter.group_id, 2);

  // With no store at all the deletes are no error.
  SettingsStore empty(dir.path() / "none" / "settings.ini");
  EXPECT_NO_THROW(ClearFilterLabelClick(empty, info.filter));
}

TEST_F(ViewCommands, AFailedWriteLeavesTheFilterAlone) {
  // A store whose folder cannot be created: a regular file stands in its way.
  std::ofstream(dir.path() / "blocker") << "x";
  SettingsStore broken(dir.path() / "blocker" / "settings.ini");
  const TFilter before = info.filter;
  auto unchanged = [&] {
    EXPECT_EQ(info.filter.group_id, before.group_id);
    EXPECT_EQ(info.filter.favorited, before.favorited);
    EXPECT_EQ(info.filter.country_flag, before.country_flag);
    EXPECT_EQ(info.filter.country_id, before.country_id);
  };
  EXPECT_THROW(RadioAdvToolButtonClick(broken, info.filter), Error);
  unchanged();
  EXPECT_THROW(FavAdvToolButtonClick(broken, info.filter, true), Error);
  unchanged();
  EXPECT_THROW(CountryALComboBoxChange(broken, info, 1), Error);
  unchanged();
}

TEST_F(ViewCommands, FavouritesViewSurvivesARestartAsTvWithTheFavouriteMark) {
  FavAdvToolButtonClick(store, info.filter, true);
  TFilter loaded;
  loaded.group_id = 1;
  LoadSettings(store, loaded);
  EXPECT_EQ(loaded.group_id, 1);  // a stored 0 never reaches the filter
  EXPECT_EQ(loaded.favorited, 1);
}

}  // namespace
}  // namespace vistrel
