#include "browser/settings_store.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <optional>

#include "catalogue/format/fields.h"
#include "common/error.h"
#include "common/files.h"
#include "support/error_matchers.h"
#include "support/file_size_limit.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace vistrel {
namespace {

namespace fs = std::filesystem;

class Settings : public ::testing::Test {
 protected:
  fs::path file() const { return dir.path() / "Orvane" / "Vistrel" / "settings.ini"; }
  void PutFile(std::string_view bytes) { ASSERT_TRUE(WriteFileAtomically(file(), bytes).ok()); }

  TempDir dir;
  SettingsStore store{file()};
};

TEST(SettingInteger, IntegerTextRules) {
  struct Case {
    std::optional<std::string> text;
    int64_t value;
  };
  const Case cases[] = {
      {std::nullopt, 0},
      {"", 0},
      {"7", 7},
      {"007", 7},
      {"  42", 42},
      {"\t9", 9},
      {" -3", -3},
      {"+5", 5},
      {"$1F", 31},
      {"$1f", 31},
      {"0x10", 16},
      {"0X10", 16},
      {"x1A", 26},
      {"X1a", 26},
      {"-$10", -16},
      {"+0x10", 16},
      {"-x1", -1},
      {"$", 0},
      {"0x", 0},
      {"x", 0},
      {"-", 0},
      {"12 ", 0},
      {"1.5", 0},
      {"1e3", 0},
      {"abc", 0},
      {"--1", 0},
      {"- 1", 0},
      {"$-1", 0},
      {"$ 1", 0},
      {"$G", 0},
      {"0x0x1", 0},
      {"12x", 0},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483648LL},
      {"2147483648", 0},
      {"-2147483649", 0},
      {"$7FFFFFFF", 2147483647},
      {"$80000000", 0},
      {"$FFFFFFFF", 0},
      {"-$80000000", -2147483648LL},
      {"99999999999999999999999", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SettingInteger(c.text), c.value) << (c.text ? "'" + *c.text + "'" : "missing");
  }
}

TEST_F(Settings, MissingKeyGivesTvViewAndCountryZero) {
  ViewFilter f;
  f.view = View::kVideo;
  f.favorited = 1;
  f.country_id = 9;
  f.name = "kept";
  f.genre_id = 4;
  f.hide_work_fine = true;
  LoadSettings(store, f);
  EXPECT_EQ(f.view, View::kTv);
  EXPECT_EQ(f.favorited, 0);
  EXPECT_EQ(f.country_id, 0);
  EXPECT_EQ(f.name, "kept");
  EXPECT_EQ(f.genre_id, 4);
  EXPECT_TRUE(f.hide_work_fine);
  EXPECT_FALSE(fs::exists(file()));
}

// The filter as ClearCatalogue leaves it, with section values from earlier.
ViewFilter ClearedFilter() {
  ViewFilter f;
  f.view = View::kTv;
  f.name = "old";
  f.country_id = 5;
  f.genre_id = 6;
  f.bitrate = 64;
  f.hide_not_working = true;
  f.hide_wrong_info = true;
  return f;
}

TEST_F(Settings, FavouritesViewComesBackAsTvWithFavouritedSet) {
  store.WriteInteger("selected", 0);
  store.WriteInteger("favorited", 1);
  ViewFilter f = ClearedFilter();
  LoadSettings(store, f);
  EXPECT_EQ(f.view, View::kTv);
  EXPECT_EQ(f.favorited, 1);
}

TEST_F(Settings, EmptyKeyChangesNothing) {
  PutFile("");
  ViewFilter f = ClearedFilter();
  f.country_id = 9;
  LoadSettings(store, f);
  EXPECT_EQ(f.view, View::kTv);
  EXPECT_EQ(f.country_id, 9);
  EXPECT_EQ(f.name, "old");
  EXPECT_FALSE(f.name_section_on);
}

TEST_F(Settings, NameIsReadOnlyWhenItsSectionIsOn) {
  store.WriteString("name", "abc");
  store.WriteInteger("name_f", 0);
  ViewFilter f = ClearedFilter();
  LoadSettings(store, f);
  EXPECT_FALSE(f.name_section_on);
  EXPECT_EQ(f.name, "old");

  store.WriteInteger("name_f", 1);
  store.Delete("name");
  LoadSettings(store, f);
  EXPECT_TRUE(f.name_section_on);
  EXPECT_EQ(f.name, "");
}

TEST_F(Settings, EveryValueReachesItsField) {
  for (auto [name, text] : std::initializer_list<std::pair<const char*, const char*>>{
           {"selected", "7"},
           {"favorited", "x1"},
           {"name_f", " +1"},
           {"name", "News 24"},
           {"country_f", "1"},
           {"country", "70000"},
           {"genre_f", "0x1"},
           {"genre", "65537"},
           {"bitrate_f", "$1"},
           {"bitrate", "300000"},
           {"flag_f", "2"},
           {"workfine", "1"},
           {"notworking", "0"},  // a stored 0 never reaches the filter
           {"new", "257"},       // low 8 bits 1: on
           {"wrong", "256"},     // low 8 bits 0: off
           {"duplicate", "-1"},
           {"spam", "junk"}}) {
    store.WriteString(name, text);
  }
  ViewFilter f = ClearedFilter();
  LoadSettings(store, f);
  EXPECT_EQ(f.view, static_cast<View>(7));
  EXPECT_EQ(f.favorited, 1);
  EXPECT_TRUE(f.name_section_on);
  EXPECT_EQ(f.name, "News 24");
  EXPECT_TRUE(f.country_section_on);
  EXPECT_EQ(f.country_id, 4464);
  EXPECT_TRUE(f.genre_section_on);
  EXPECT_EQ(f.genre_id, 1);
  EXPECT_TRUE(f.bitrate_section_on);
  EXPECT_EQ(f.bitrate, 300000);
  EXPECT_TRUE(f.status_section_on);
  EXPECT_TRUE(f.hide_work_fine);
  EXPECT_TRUE(f.hide_not_working);
  EXPECT_TRUE(f.hide_new);
  EXPECT_FALSE(f.hide_wrong_info);
  EXPECT_FALSE(f.hide_duplicate);
  EXPECT_FALSE(f.hide_spam);
}

// The 16-bit fields keep all sixteen low bits, the top one included.
TEST_F(Settings, WordValuesKeepTheirLowSixteenBits) {
  struct Case {
    const char* text;
    uint16_t kept;
  };
  auto view = [](const ViewFilter& f) { return static_cast<uint16_t>(f.view); };
  auto favorited = [](const ViewFilter& f) { return f.favorited; };
  auto country = [](const ViewFilter& f) { return f.country_id; };
  auto genre = [](const ViewFilter& f) { return f.genre_id; };
  for (const Case& c : {Case{"65535", 65535}, Case{"32768", 32768}, Case{"98304", 32768},
                        Case{"131071", 65535}, Case{"$FFFF", 65535}}) {
    for (const auto& [name, field] :
         std::initializer_list<std::pair<const char*, uint16_t (*)(const ViewFilter&)>>{
             {"selected", view},
             {"favorited", favorited},
             {"country", country},
             {"genre", genre}}) {
      SCOPED_TRACE(std::string(name) + "=" + c.text);
      store.WriteString(name, c.text);
      ViewFilter f = ClearedFilter();
      LoadSettings(store, f);
      EXPECT_EQ(field(f), c.kept);
      store.Delete(name);
    }
  }
}

// One switch stored at a time: it reaches its own field and no other.
TEST_F(Settings, EachSwitchReachesOnlyItsOwnField) {
  const std::pair<const char*, bool ViewFilter::*> switches[] = {
      {"name_f", &ViewFilter::name_section_on},
      {"country_f", &ViewFilter::country_section_on},
      {"genre_f", &ViewFilter::genre_section_on},
      {"bitrate_f", &ViewFilter::bitrate_section_on},
      {"flag_f", &ViewFilter::status_section_on},
      {"workfine", &ViewFilter::hide_work_fine},
      {"notworking", &ViewFilter::hide_not_working},
      {"new", &ViewFilter::hide_new},
      {"wrong", &ViewFilter::hide_wrong_info},
      {"duplicate", &ViewFilter::hide_duplicate},
      {"spam", &ViewFilter::hide_spam}};
  for (const auto& [stored, stored_field] : switches) {
    SCOPED_TRACE(stored);
    PutFile(std::string(stored) + "=1\n");
    ViewFilter f;
    LoadSettings(store, f);
    for (const auto& [name, field] : switches) {
      EXPECT_EQ(f.*field, field == stored_field) << name;
    }
  }
}

// A long file is read in one pass: every name once, the last value of a repeated one.
TEST_F(Settings, ManyNamesReadEachOnce) {
  std::string text;
  for (int i = 0; i < 20000; ++i)
    text += "name" + std::to_string(i % 15000) + "=" + std::to_string(i) + "\n";
  text += "selected=2\ncountry=9\n";
  const SettingsEntries entries = ParseSettingsText(text);
  ASSERT_EQ(entries.size(), 15002u);
  EXPECT_EQ(entries[0], (std::pair<std::string, std::string>("name0", "15000")));
  EXPECT_EQ(entries[14999], (std::pair<std::string, std::string>("name14999", "14999")));
  PutFile(text);
  ViewFilter f = ClearedFilter();
  LoadSettings(store, f);
  EXPECT_EQ(f.view, View::kRadio);
  EXPECT_EQ(f.country_id, 9);
  EXPECT_EQ(store.ReadAll().Get("name4999"), "19999");
  EXPECT_EQ(store.ReadAll().Get("name15000"), std::nullopt);
}

TEST_F(Settings, AnyTextReadsBackExactly) {
  const std::string values[] = {
      "line1\nline2\r\nline3\r",
      "a\\b\\",
      "\\n is not a line break",
      "x=y=z",
      "  padded  ",
      "",
      std::string("\t\x01\x7F\0end", 8),
      "caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD \xF0\x9F\x93\xBA",
      "#not a comment",
      "=starts with equals",
      "\\x41",
  };
  int i = 0;
  for (const std::string& v : values) store.WriteString("v" + std::to_string(i++), v);
  store.WriteString("odd=name", "1");
  store.WriteString("#name", "2");
  i = 0;
  for (const std::string& v : values) {
    EXPECT_EQ(store.Read("v" + std::to_string(i++)), v);
  }
  EXPECT_EQ(store.Read("odd=name"), "1");
  EXPECT_EQ(store.Read("#name"), "2");
  EXPECT_EQ(store.Read("odd"), std::nullopt);
  // One line per value: nothing in a value breaks the line structure.
  EXPECT_EQ(SplitLines(*ReadWholeFile(file())).size(), std::size(values) + 2);
}

// A store written by earlier versions holds the filter name in Windows-1252: it reads as the
// same characters, and stays so when other values are rewritten.
TEST_F(Settings, Windows1252ValuesOfEarlierVersionsReadTheSame) {
  PutFile("name_f=1\nname=caf\xE9 \x80\nselected=2\n");
  ViewFilter f;
  LoadSettings(store, f);
  EXPECT_EQ(f.name, "caf\xC3\xA9 \xE2\x82\xAC");
  store.WriteInteger("selected", 3);
  EXPECT_EQ(store.Read("name"), "caf\xC3\xA9 \xE2\x82\xAC");
  store.WriteString("name", "\xE4\xB8\xAD");
  EXPECT_EQ(*ReadWholeFile(file()), "name_f=1\nname=\xE4\xB8\xAD\nselected=3\n");  // UTF-8 now
}

TEST_F(Settings, RewritingAValueKeepsTheOthers) {
  store.WriteInteger("selected", 2);
  store.WriteInteger("bitrate", -5);
  store.WriteInteger("selected", 3);
  EXPECT_EQ(store.Read("selected"), "3");
  EXPECT_EQ(store.Read("bitrate"), "-5");
  EXPECT_EQ(*ReadWholeFile(file()), "selected=3\nbitrate=-5\n");
}

TEST_F(Settings, UnparsableLinesAreSkipped) {
  PutFile(
      "selected=2\n"
      "garbage without equals\n"
      "=no name\n"
      "bad\\qescape=1\n"
      "favorited=\\x4\n"
      "name=ends in backslash\\\n"
      "# country=9\n"
      "; genre=9\n"
      "\n"
      "country=5\r\n"
      "bitrate=1\n"
      "bitrate=2\n");
  EXPECT_EQ(store.Read("selected"), "2");
  EXPECT_EQ(store.Read("favorited"), std::nullopt);
  EXPECT_EQ(store.Read("name"), std::nullopt);
  EXPECT_EQ(store.Read("# country"), std::nullopt);
  EXPECT_EQ(store.Read("country"), "5");
  EXPECT_EQ(store.Read("bitrate"), "2");  // the last one holds
  ViewFilter f = ClearedFilter();
  LoadSettings(store, f);
  EXPECT_EQ(f.view, View::kRadio);
  EXPECT_EQ(f.country_id, 5);
  // A write keeps the readable values and drops the rest.
  store.WriteInteger("genre", 4);
  EXPECT_EQ(*ReadWholeFile(file()), "selected=2\ncountry=5\nbitrate=2\ngenre=4\n");
}

TEST_F(Settings, KeyThatCannotBeCreatedFails) {
  ASSERT_TRUE(WriteFileAtomically(dir.path() / "Orvane", "a file in the folder's place").ok());
  EXPECT_THAT([&] { store.WriteInteger("selected", 2); },
              ThrowsErrorSaying("Failed to create key " + file().string()));
  EXPECT_THAT([&] { store.WriteString("name", "x"); },
              ThrowsErrorSaying("Failed to create key " + file().string()));
}

TEST_F(Settings, UnreadableKeyIsNotReplaced) {
  fs::create_directories(file() / "inside");
  EXPECT_THAT([&] { store.WriteInteger("selected", 2); },
              ThrowsErrorSaying("Failed to create key " + file().string()));
  EXPECT_TRUE(fs::is_directory(file() / "inside"));
}

TEST_F(Settings, ValueThatCannotBeStoredFailsAndKeepsTheStore) {
  store.WriteInteger("selected", 2);
  {
    FileSizeLimit limit(64);
    EXPECT_THAT([&] { store.WriteString("name", std::string(200, 'n')); },
                ThrowsErrorSaying("Failed to set data for 'name'"));
  }
  EXPECT_EQ(*ReadWholeFile(file()), "selected=2\n");
}

TEST_F(Settings, DeleteOnAMissingKeyOrValueIsNoErrorAndCreatesNothing) {
  store.Delete("name_f");
  EXPECT_FALSE(store.Exists());
  EXPECT_FALSE(fs::exists(file().parent_path()));

  store.WriteInteger("name_f", 1);
  store.WriteInteger("country_f", 1);
  store.Delete("bitrate_f");
  store.Delete("name_f");
  EXPECT_EQ(store.Read("name_f"), std::nullopt);
  EXPECT_EQ(*ReadWholeFile(file()), "country_f=1\n");
  store.Delete("country_f");
  EXPECT_TRUE(store.Exists());  // an empty key is still a key
  EXPECT_EQ(*ReadWholeFile(file()), "");
}

TEST(SettingsStorePath, FollowsXdgConfigHomeElseHome) {
  ScopedEnv home("HOME", "/home/someone");
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(SettingsStore::DefaultPath(), fs::path("/cfg/Orvane/Vistrel/settings.ini"));
  }
  for (const std::optional<std::string>& unusable :
       {std::optional<std::string>(), std::optional<std::string>(""),
        std::optional<std::string>("relative/cfg")}) {
    ScopedEnv xdg("XDG_CONFIG_HOME", unusable);
    EXPECT_EQ(SettingsStore::DefaultPath(),
              fs::path("/home/someone/.config/Orvane/Vistrel/settings.ini"));
  }
  ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
  {
    // A relative HOME is no base either, as for the data folder.
    ScopedEnv relative_home("HOME", "relative/home");
    EXPECT_EQ(SettingsStore::DefaultPath(), fs::path());
  }
  ScopedEnv no_home("HOME", std::nullopt);
  EXPECT_EQ(SettingsStore::DefaultPath(), fs::path());
}

}  // namespace
}  // namespace vistrel
