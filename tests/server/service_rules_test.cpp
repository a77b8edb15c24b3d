// Rules of the catalogue service that need no server: stamps, framing, request values, tables
// and playlists.

#include <gtest/gtest.h>

#include <fstream>

#include "catalogue/table_writer.h"
#include "common/error.h"
#include "server/list_answer.h"
#include "server/m3u_playlist.h"
#include "server/playlist_import.h"
#include "server/request_rules.h"
#include "server/table_files.h"
#include "server/version_stamp.h"
#include "support/temp_dir.h"

namespace vistrel {
namespace {

StampTime Stamp(const char* text) {
  const auto stamp = ParseVersionStamp(text);
  EXPECT_TRUE(stamp) << text;
  return stamp.value_or(StampTime{});
}

TEST(VersionStamp, ReadsAndWritesTwelveDigits) {
  EXPECT_EQ(FormatVersionStamp(Stamp("201003141530")), "201003141530");
  EXPECT_EQ(FormatVersionStamp(Stamp("202402291159 trailing")), "202402291159");
  for (const char* bad : {"20100314153", "2010031415x0", "201013141530", "202302291530",
                          "201003142430", "201003141560", "000003141530"}) {
    EXPECT_FALSE(ParseVersionStamp(bad)) << bad;
  }
}

TEST(VersionStamp, NextStampNeverRepeatsAHandedOutOne) {
  struct Case {
    const char* now;
    const char* current;  // "" for none
    const char* published;
    const char* expected;
  };
  const Case cases[] = {
      {"202605011200", "202605011000", "", "202605011200"},              // plain: the clock
      {"202605011200", "202605011200", "", "202605011200"},              // same minute, unseen
      {"202605011200", "202605011200", "202605011200", "202605011201"},  // seen: next minute
      {"202605011200", "202605011203", "202605011203", "202605011204"},  // ahead and seen
      {"202605011200", "202605011300", "", "202605011300"},              // clock went back
      {"202612312359", "202612312359", "202612312359", "202701010000"},  // year rolls over
      {"202605011200", "", "", "202605011200"},
  };
  for (const Case& c : cases) {
    const auto opt = [](const char* text) {
      return *text ? std::optional<StampTime>(Stamp(text)) : std::nullopt;
    };
    EXPECT_EQ(FormatVersionStamp(NextVersionStamp(Stamp(c.now), opt(c.current), opt(c.published))),
              c.expected)
        << c.now << " " << c.current << " " << c.published;
  }
}

TEST(ListResponse, KeyThenDateDecide) {
  using O = std::optional<std::string>;
  EXPECT_EQ(DecideListAnswer(O{}, "k", O{}, "202605011200"), ListAnswer::kWrongKey);
  EXPECT_EQ(DecideListAnswer(O{"K"}, "k", O{}, "202605011200"), ListAnswer::kWrongKey);
  EXPECT_EQ(DecideListAnswer(O{"k"}, "k", O{"202605011200"}, "202605011200"),
            ListAnswer::kUpToDate);
  EXPECT_EQ(DecideListAnswer(O{"k"}, "k", O{"202605011159"}, "202605011200"), ListAnswer::kPackage);
  EXPECT_EQ(DecideListAnswer(O{"k"}, "k", O{}, "202605011200"), ListAnswer::kPackage);
}

TEST(RequestRules, RatingsFlagsAndIds) {
  for (const char* ok : {"1", "5"}) EXPECT_TRUE(ParseRating(ok)) << ok;
  for (const char* bad : {"0", "6", "x", "", "4.5", "+3", " 3", "05"}) {
    EXPECT_FALSE(ParseRating(bad)) << bad;
  }
  EXPECT_EQ(ParseFlag("ok"), ChannelFlag::kWorkFine);
  EXPECT_EQ(ParseFlag("bad"), ChannelFlag::kNotWorking);
  EXPECT_EQ(ParseFlag("wrong"), ChannelFlag::kWrongInfo);
  EXPECT_EQ(ParseFlag("duplicate"), ChannelFlag::kDuplicate);
  EXPECT_EQ(ParseFlag("spam"), ChannelFlag::kSpam);
  EXPECT_FALSE(ParseFlag("OK"));
  EXPECT_FALSE(ParseFlag(""));
  EXPECT_EQ(ParseRequestInt("-12"), -12);
  EXPECT_FALSE(ParseRequestInt("2147483648"));
  EXPECT_FALSE(ParseRequestInt("1x"));
}

TEST(RequestRules, TextsStayUtf8AndMayNotBreakTables) {
  EXPECT_EQ(ParseRequestText("Caf\xC3\xA9 \xE2\x82\xAC", 255), "Caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(ParseRequestText("\xD0\x96 \xE4\xB8\xAD \xF0\x9F\x93\xBA", 255),
            "\xD0\x96 \xE4\xB8\xAD \xF0\x9F\x93\xBA");
  EXPECT_EQ(ParseRequestText("Caf\xE9", 255), "Caf\xC3\xA9");  // not UTF-8: Windows-1252
  // The capacity counts characters, not bytes.
  std::string ideographs;
  for (int i = 0; i < 255; ++i) ideographs += "\xE4\xB8\xAD";
  EXPECT_TRUE(ParseRequestText(ideographs, 255));
  EXPECT_FALSE(ParseRequestText(ideographs + "a", 255));
  for (const char* bad : {"a|b", "a\nb", "a\rb", "a\tb"}) {
    EXPECT_FALSE(ParseRequestText(bad, 255)) << bad;
  }
  EXPECT_TRUE(ParseRequestText(std::string(255, 'a'), 255));
  EXPECT_FALSE(ParseRequestText(std::string(256, 'a'), 255));
}

TEST(Tables, ChannelLinesWriteBackAsRead) {
  const std::string line =
      "7|Caf\xE9 TV|http://127.0.0.1/a|128|1||3|0|720p [Not 24/7]|4.5|2|1|0|-2|0|2147483647";
  const auto channels = ParseChannelTable(line + "\r\n", 2, "radio.dat");
  ASSERT_EQ(channels.size(), 1u);
  EXPECT_EQ(channels[0].group_id, 2);
  EXPECT_EQ(FormatChannelLine(channels[0]), "7|Caf\xC3\xA9 TV" + line.substr(9));
  // A Latin table goes into the package as it came: Windows-1252, without a mark.
  CatalogueTables tables;
  tables.channels = channels;
  EXPECT_EQ(TablesToEntries(tables).at(4).second, line + "\r\n");
  EXPECT_EQ(FormatDecimal(0), "0");
  EXPECT_EQ(FormatDecimal(9), "9");
}

TEST(Tables, MalformedLineNamesFileAndLine) {
  const std::string good = "1|A|u|0|1||0|0||0|0|0|0|0|0|0\r\n";
  for (const std::string& bad :
       {good + "2|B|u|0|1||0|0||0|0|0|0|0|0\r\n", good + "2|B|u|x|1||0|0||0|0|0|0|0|0|0\r\n"}) {
    try {
      ParseChannelTable(bad, 1, "tv.dat");
      ADD_FAILURE() << bad;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find("tv.dat, line 2"), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(ParseCountryTable("1|A\r\nB\r\n", "countries.dat"), Error);
}

TEST(Tables, MissingTableFileIsAnErrorVersionIsOptional) {
  TempDir dir;
  for (const char* name : {"countries.dat", "genres.dat", "tv.dat", "radio.dat"}) {
    std::ofstream(dir.path() / name) << "";
  }
  EXPECT_THROW(ReadTableFiles(dir.path()), Error);  // video.dat missing
  std::ofstream(dir.path() / "video.dat") << "";
  EXPECT_EQ(ReadTableFiles(dir.path()).version, "");
}

TEST(M3u, AttributesAndTitleAfterFirstCommaOutsideQuotes) {
  struct Case {
    const char* line;
    const char* title;
    const char* country;  // "-" for absent
    const char* group;
  };
  const Case cases[] = {
      {R"(#EXTINF:-1 tvg-id="A.b" tvg-country="AF" group-title="Music",AMC (1080p))", "AMC (1080p)",
       "AF", "Music"},
      {R"(#EXTINF:-1 group-title="News, Weather;Local" tvg-country="US",Hello, World "Live")",
       R"(Hello, World "Live")", "US", "News, Weather;Local"},
      {"#EXTINF:-1,Plain title", "Plain title", "-", "-"},
      {"#EXTINF:0 tvg-country=UK group-title=\"\" ,  Spaced  ", "Spaced", "UK", ""},
      {R"(#EXTINF:-1 tvg-name="x,y")", "", "-", "-"},
      {R"(#EXTINF:-1 tvg-name="unterminated,title)", "", "-", "-"},
  };
  for (const Case& c : cases) {
    const M3uEntry entry = ParseExtinf(c.line);
    EXPECT_EQ(entry.title, c.title) << c.line;
    const auto attr = [&](const char* key) {
      const auto it = entry.attributes.find(key);
      return it == entry.attributes.end() ? std::string("-") : it->second;
    };
    EXPECT_EQ(attr("tvg-country"), c.country) << c.line;
    EXPECT_EQ(attr("group-title"), c.group) << c.line;
  }
}

TEST(M3u, EntriesPairInfoWithNextUrlLine) {
  const std::string text =
      "\xEF\xBB\xBF#EXTM3U\r\n"
      "#EXTINF:-1 tvg-country=\"AF\",First\r\n"
      "#EXTVLCOPT:http-referrer=http://127.0.0.1/\r\n"
      "\r\n"
      "http://127.0.0.1/1.m3u8\r\n"
      "#EXTINF:-1,Lost (no URL)\n"
      "#EXTINF:-1,Second\n"
      "http://127.0.0.1/2.m3u8\n"
      "http://127.0.0.1/bare.mp3\n";
  const auto entries = ParseM3u(text);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].title, "First");
  EXPECT_EQ(entries[0].url, "http://127.0.0.1/1.m3u8");
  EXPECT_EQ(entries[1].title, "Second");
  EXPECT_EQ(entries[2].title, "");
  EXPECT_EQ(entries[2].url, "http://127.0.0.1/bare.mp3");
}

TEST(M3u, PlaylistBecomesTvChannelsWithCountriesAndGenresByName) {
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

TEST(M3u, EmptyTablesGetTheAllRows) {
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
