#include "browser/filter_form.h"

#include <gtest/gtest.h>

#include "browser/view_builder.h"
#include "support/file_size_limit.h"
#include "support/file_writes.h"
#include "support/temp_dir.h"

namespace vistrel {
namespace {

namespace fs = std::filesystem;

Catalogue TestCatalogue() {
  Catalogue catalogue;
  catalogue.filter.view = View::kTv;
  catalogue.countries = {{0, "All Countries"}, {7, "Norway"}, {0x10009, "Far Land"}};
  catalogue.genres = {{0, "All Genres"}, {3, "News"}, {4, "Music"}};
  return catalogue;
}

class FilterFormTest : public ::testing::Test {
 protected:
  fs::path file() const { return dir.path() / "Orvane" / "Vistrel" / "settings.ini"; }
  std::string stored() const { return ReadTestFile(file()); }

  TempDir dir;
  SettingsStore store{file()};
  Catalogue catalogue = TestCatalogue();
};

TEST_F(FilterFormTest, OpeningShowsEverySectionAndItsValue) {
  ViewFilter& f = catalogue.filter;
  f.name_section_on = true;
  f.name = "Radio";
  f.genre_id = 4;  // genre section off: its value is still shown
  f.country_section_on = true;
  f.country_id = 99;  // in no table entry: nothing selected
  f.bitrate = -5;
  f.status_section_on = true;
  f.hide_not_working = f.hide_spam = true;
  const FilterFormState form = FilterFormFromFilter(catalogue);
  EXPECT_TRUE(form.name_on);
  EXPECT_EQ(form.name, "Radio");
  EXPECT_TRUE(form.country_on);
  EXPECT_EQ(form.country_index, -1);
  EXPECT_FALSE(form.genre_on);
  EXPECT_EQ(form.genre_index, 2);
  EXPECT_FALSE(form.bitrate_on);
  EXPECT_EQ(form.bitrate_text, "-5");
  EXPECT_TRUE(form.status_on);
  EXPECT_FALSE(form.hide_work_fine);
  EXPECT_TRUE(form.hide_not_working);
  EXPECT_FALSE(form.hide_new);
  EXPECT_TRUE(form.hide_spam);
}

TEST(FilterFormFocus, LastSectionSwitchedOnTakesTheFocus) {
  struct Case {
    bool name, country, genre, bitrate, status;
    FilterFormFocus focus;
  };
  const Case cases[] = {
      {false, false, false, false, false, FilterFormFocus::kNone},
      {true, false, false, false, false, FilterFormFocus::kName},
      {true, true, false, false, false, FilterFormFocus::kCountry},
      {true, false, true, false, false, FilterFormFocus::kGenre},
      {false, true, false, true, false, FilterFormFocus::kBitrate},
      // Pairs of neighbours: the later section wins whichever order the checks are made in.
      {false, false, true, true, false, FilterFormFocus::kBitrate},
      {false, true, true, false, false, FilterFormFocus::kGenre},
      {true, true, true, true, false, FilterFormFocus::kBitrate},
      {true, true, true, true, true, FilterFormFocus::kStatus},
  };
  for (const Case& c : cases) {
    FilterFormState form;
    form.name_on = c.name;
    form.country_on = c.country;
    form.genre_on = c.genre;
    form.bitrate_on = c.bitrate;
    form.status_on = c.status;
    EXPECT_EQ(OpeningFocus(form), c.focus)
        << c.name << c.country << c.genre << c.bitrate << c.status;
  }
}

TEST_F(FilterFormTest, EverySectionOnIsStoredInOrder) {
  FilterFormState form;
  form.name_on = true;
  form.name = "TV ";  // stored as typed, not trimmed
  form.country_on = true;
  form.country_index = 2;
  form.genre_on = true;
  form.genre_index = 1;
  form.bitrate_on = true;
  form.bitrate_text = " $80";
  form.status_on = true;
  form.hide_new = true;
  ASSERT_TRUE(SetFilter(store, catalogue, form).ok());
  EXPECT_EQ(stored(),
            "name_f=1\nname=TV \ncountry_f=1\ncountry=9\ngenre_f=1\ngenre=3\nbitrate_f=1\n"
            "bitrate=128\nflag_f=1\nworkfine=0\nnotworking=0\nnew=1\nwrong=0\nduplicate=0\n"
            "spam=0\n");
  const ViewFilter& f = catalogue.filter;
  EXPECT_TRUE(f.name_section_on && f.country_section_on && f.genre_section_on &&
              f.bitrate_section_on && f.status_section_on);
  EXPECT_EQ(f.name, "TV ");
  EXPECT_EQ(f.country_id, 9);  // the low 16 bits of 0x10009
  EXPECT_EQ(f.genre_id, 3);
  EXPECT_EQ(f.bitrate, 128);
  EXPECT_TRUE(f.hide_new);
  EXPECT_FALSE(f.hide_work_fine || f.hide_not_working || f.hide_wrong_info || f.hide_duplicate ||
               f.hide_spam);

  // Read back as the next start-up does.
  ViewFilter loaded;
  LoadSettings(store, loaded);
  EXPECT_EQ(loaded.name, "TV ");
  EXPECT_EQ(loaded.country_id, 9);
  EXPECT_EQ(loaded.bitrate, 128);
  EXPECT_TRUE(loaded.hide_new && loaded.status_section_on);
}

TEST_F(FilterFormTest, SectionsSwitchedOffDeleteTheirSwitchAndKeepTheirValues) {
  store.WriteInteger("name_f", 1);
  store.WriteString("name", "old");
  store.WriteInteger("flag_f", 1);
  store.WriteInteger("spam", 1);
  catalogue.filter.name_section_on = catalogue.filter.status_section_on = true;
  catalogue.filter.name = "old";
  catalogue.filter.hide_spam = true;
  catalogue.filter.country_id = 7;

  FilterFormState form;  // every section off, other values in the controls
  form.name = "new text";
  form.country_index = 2;
  form.bitrate_text = "not a number";  // not read while its section is off
  form.hide_work_fine = true;
  ASSERT_TRUE(SetFilter(store, catalogue, form).ok());
  EXPECT_EQ(stored(), "name=old\nspam=1\n");
  const ViewFilter& f = catalogue.filter;
  EXPECT_FALSE(f.name_section_on || f.country_section_on || f.genre_section_on ||
               f.bitrate_section_on || f.status_section_on);
  EXPECT_EQ(f.name, "old");
  EXPECT_EQ(f.country_id, 7);
  EXPECT_TRUE(f.hide_spam);
  EXPECT_FALSE(f.hide_work_fine);
}

TEST_F(FilterFormTest, ABitrateThatIsNoIntegerChangesNothing) {
  store.WriteInteger("genre_f", 1);
  const std::string before = stored();
  const ViewFilter old = catalogue.filter;
  for (const char* text : {"", "abc", "12.5", "128 ", "1e3", "2147483648", "- 1"}) {
    FilterFormState form;
    form.name_on = form.country_on = form.status_on = true;
    form.name = "x";
    form.country_index = 1;
    form.bitrate_on = true;
    form.bitrate_text = text;
    const Outcome result = SetFilter(store, catalogue, form);
    EXPECT_EQ(result.error, "''" + std::string(text) + "'' is not a valid integer value");
    EXPECT_EQ(stored(), before) << text;
    EXPECT_FALSE(catalogue.filter.name_section_on || catalogue.filter.country_section_on ||
                 catalogue.filter.status_section_on);
    EXPECT_TRUE(!catalogue.filter.bitrate_section_on && catalogue.filter.genre_id == old.genre_id);
  }
}

TEST_F(FilterFormTest, ASectionOnWithNoEntrySelectedKeepsItsId) {
  catalogue.filter.country_id = 99;
  catalogue.filter.genre_id = 0x1234;
  FilterFormState form;
  form.country_on = form.genre_on = true;
  form.country_index = -1;
  form.genre_index = 17;  // past the table's end
  ASSERT_TRUE(SetFilter(store, catalogue, form).ok());
  EXPECT_EQ(catalogue.filter.country_id, 99);
  EXPECT_EQ(catalogue.filter.genre_id, 0x1234);
  EXPECT_EQ(stored(), "country_f=1\ncountry=99\ngenre_f=1\ngenre=4660\n");
}

TEST_F(FilterFormTest, ANameInAnyScriptIsStoredAsTypedAndMatches) {
  const std::string name = "Радио 東京 ½";
  Channel match;
  match.group_id = match.type_id = 1;
  match.name = "Мой Радио 東京 ½ FM";
  Channel other = match;
  other.name = "Радио ?? ?";
  catalogue.channels = {other, match};

  FilterFormState form;
  form.name_on = true;
  form.name = name;
  ASSERT_TRUE(SetFilter(store, catalogue, form).ok());
  EXPECT_EQ(stored(), "name_f=1\nname=" + name + "\n");
  ViewFilter loaded;
  LoadSettings(store, loaded);
  EXPECT_EQ(loaded.name, name);
  EXPECT_EQ(FilterFormFromFilter(catalogue).name, name);

  catalogue.filter = loaded;
  catalogue.filter.view = View::kTv;
  const ViewResult view = RebuildView(catalogue, {});
  ASSERT_EQ(view.visible_rows.count, 1);
  EXPECT_EQ(view.visible_rows.positions[0], 1);
}

TEST_F(FilterFormTest, AFailedWriteLeavesTheFilterInMemory) {
  fs::create_directories(file());  // a folder where the store should be: no write succeeds
  FilterFormState form;
  form.name_on = true;
  form.name = "x";
  const Outcome result = SetFilter(store, catalogue, form);
  EXPECT_EQ(result.error, "Failed to create key " + file().string());
  EXPECT_FALSE(catalogue.filter.name_section_on);
  EXPECT_EQ(catalogue.filter.name, "");
}

// One OK is one write of the store: several sections change together or not at all.
TEST_F(FilterFormTest, AnOkThatChangesSeveralSectionsWritesTheStoreOnce) {
  store.WriteInteger("name_f", 1);
  store.WriteString("name", "old");
  catalogue.filter.name_section_on = true;
  catalogue.filter.name = "old";
  FilterFormState form;  // name off, three sections on
  form.country_on = true;
  form.country_index = 1;
  form.bitrate_on = true;
  form.bitrate_text = "64";
  form.status_on = true;
  form.hide_spam = true;

  FileWriteCounter writes(file());
  ASSERT_TRUE(SetFilter(store, catalogue, form).ok());
  EXPECT_EQ(writes.Count(), 1);
  EXPECT_EQ(stored(),
            "name=old\ncountry_f=1\ncountry=7\nbitrate_f=1\nbitrate=64\nflag_f=1\nworkfine=0\n"
            "notworking=0\nnew=0\nwrong=0\nduplicate=0\nspam=1\n");

  // A write that fails partway stores none of the sections.
  const std::string before = stored();
  form.name_on = true;
  form.name = std::string(300, 'n');
  {
    FileSizeLimit limit(before.size() + 20);
    const Outcome result = SetFilter(store, catalogue, form);
    EXPECT_EQ(result.error, "Failed to set data for 'name_f'");  // the first value it changes
  }
  EXPECT_EQ(stored(), before);
  EXPECT_FALSE(catalogue.filter.name_section_on);
  EXPECT_EQ(writes.Count(), 1);
}

}  // namespace
}  // namespace vistrel
