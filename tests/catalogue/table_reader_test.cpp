#include <gtest/gtest.h>

#include <functional>

#include "catalogue/table_reader.h"
#include "common/date_time.h"
#include "common/error.h"
#include "support/error_matchers.h"

namespace vistrel {
namespace {

TEST(PackageVersion, FirstTwelveDigitsGiveTextAndDate) {
  const PackageVersion v = ParsePackageVersion("201003141530xyz");
  EXPECT_EQ(v.text, "201003141530");
  EXPECT_DOUBLE_EQ(v.date, 40251 + 15.5 / 24);
  EXPECT_DOUBLE_EQ(ParsePackageVersion("202604300337\r\n").date, 46142 + (3 * 60 + 37) / 1440.0);
  EXPECT_DOUBLE_EQ(ParsePackageVersion("200002290000").date, 36585);  // leap day
}

TEST(PackageVersion, NotADateAndTimeIsAnError) {
  for (const char* bad :
       {"", "20100314153", "2010031415a0", "201013141530", "201002301530", "190002291200",
        "201003142430", "201003141560", "000001010000", "2010 3141530", "+20100314153"}) {
    EXPECT_THAT([&] { ParsePackageVersion(bad); },
                ThrowsErrorContaining(std::string(bad).substr(0, 12)))
        << bad;
    EXPECT_THROW(ParsePackageVersion(bad), Error) << bad;
  }
  EXPECT_THROW(ParsePackageVersion(std::string_view("2010\0"
                                                    "3141530",
                                                    12)),
               Error);
}

TEST(PackageVersion, DaysCountFromTheEndOf1899) {
  EXPECT_DOUBLE_EQ(DateTimeFromCivil(1899, 12, 30, 0, 0), 0);
  EXPECT_DOUBLE_EQ(DateTimeFromCivil(1900, 1, 1, 6, 0), 2.25);
  // Before the epoch the whole days count down while the fraction keeps the time of day.
  EXPECT_DOUBLE_EQ(DateTimeFromCivil(1899, 12, 29, 12, 0), -1.5);
}

TEST(IdNameTables, ReplaceRowsCutNamesAndIgnoreExtraFields) {
  std::vector<Country> countries = {{99, "old"}};
  ReadCountries("countries.dat", "0|All Countries\r\n7|Caf\xe9|x\r\n-3|" + std::string(300, 'n'),
                countries);
  ASSERT_EQ(countries.size(), 3u);
  EXPECT_EQ(countries[0].id, 0);
  EXPECT_EQ(countries[0].name, "All Countries");
  EXPECT_EQ(countries[1].name, "Caf\xC3\xA9");  // Windows-1252 read as UTF-8
  EXPECT_EQ(countries[2].id, -3);
  EXPECT_EQ(countries[2].name, std::string(255, 'n'));

  std::vector<Genre> genres;
  ReadGenres("genres.dat", "", genres);
  EXPECT_TRUE(genres.empty());
}

TEST(IdNameTables, MalformedLineKeepsRowsBeforeIt) {
  std::vector<Genre> genres;
  EXPECT_THAT([&] { ReadGenres("genres.dat", "1|News\n2|Music\nthree|Film\n", genres); },
              ThrowsErrorSaying("genres.dat, line 3: 'three' is not a valid integer value"));
  ASSERT_EQ(genres.size(), 2u);
  EXPECT_EQ(genres[1].name, "Music");
  EXPECT_THAT([&] { ReadGenres("genres.dat", "1|News\n2", genres); },
              ThrowsErrorSaying("genres.dat, line 2: 1 field where 2 are needed"));
  EXPECT_EQ(genres.size(), 1u);
}

const std::vector<Genre> kGenres = {{18, "Music"}, {12, "News"}, {18, "Other music"}};

std::vector<Channel> Channels(std::string_view text, int32_t group_id = 1,
                              const std::vector<int32_t>& favorites = {}) {
  std::vector<Channel> out;
  AppendChannels("tv.dat", text, group_id, favorites, kGenres, out);
  return out;
}

TEST(ChannelTable, EveryFieldAndTheDerivedOnes) {
  const auto c = Channels(
      "7|Caf\xe9 TV|http://127.0.0.1/s.m3u8|128|1|http://127.0.0.1/|44|18|720p|9|2|3|1|0|0|0", 2,
      {5, 7});
  ASSERT_EQ(c.size(), 1u);
  const Channel& t = c[0];
  EXPECT_EQ(t.id, 7);
  EXPECT_EQ(t.name, "Caf\xC3\xA9 TV");
  EXPECT_EQ(t.url, "http://127.0.0.1/s.m3u8");
  EXPECT_EQ(t.bitrate, 128);
  EXPECT_EQ(t.type_id, 1);
  EXPECT_EQ(t.homepage, "http://127.0.0.1/");
  EXPECT_EQ(t.country_id, 44);
  EXPECT_EQ(t.genre_id, 18);
  EXPECT_EQ(t.comment, "720p");
  EXPECT_EQ(t.rating, 9);
  EXPECT_EQ(t.rated, 2);
  EXPECT_EQ(t.work_fine_reports, 3);
  EXPECT_EQ(t.not_working_reports, 1);
  EXPECT_EQ(t.wrong_info_reports, 0);
  EXPECT_EQ(t.duplicate_reports, 0);
  EXPECT_EQ(t.spam_reports, 0);
  EXPECT_EQ(t.group_id, 2);
  EXPECT_EQ(t.favorited, 1);
  EXPECT_EQ(t.genre_name, "Music");  // the first genre with that id
  EXPECT_DOUBLE_EQ(t.average_rating, 4.5);
  EXPECT_EQ(t.status, ChannelStatus::kWorkFine);
  EXPECT_EQ(t.sent, 0);
  EXPECT_EQ(t.user_defined, 0);
}

TEST(ChannelTable, DerivedRatingGenreAndStatus) {
  struct Case {
    const char* line;
    double average_rating;
    const char* genre_name;
    ChannelStatus status;
    int32_t favorited;
  };
  for (const Case& k : {
           Case{"1|a|u|0|1||1|12||9|2|0|0|0|0|0", 4.5, "News", ChannelStatus::kNew, 0},
           Case{"2|a|u|0|1||1|99||9|0|0|0|0|0|0", 0, "", ChannelStatus::kNew, 1},
           Case{"3|a|u|0|1||1|0||7.5|-1|0|2|2|0|0", 0, "", ChannelStatus::kNotWorking, 0},
           Case{"4|a|u|0|1||1|12||2.5|2|0|0|0|0|1", 1.25, "News", ChannelStatus::kSpam, 0},
       }) {
    SCOPED_TRACE(k.line);
    const auto c = Channels(k.line, 1, {2});
    ASSERT_EQ(c.size(), 1u);
    EXPECT_DOUBLE_EQ(c[0].average_rating, k.average_rating);
    EXPECT_EQ(c[0].genre_name, k.genre_name);
    EXPECT_EQ(c[0].status, k.status);
    EXPECT_EQ(c[0].favorited, k.favorited);
  }
}

TEST(ChannelTable, FirstGenreWithTheIdWinsHoweverFarApartTheIdsAre) {
  const std::vector<Genre> genres = {
      {2000000000, "Far"}, {-7, "Below"}, {2000000000, "Far too"}, {-7, "Below too"}};
  std::vector<Channel> out;
  AppendChannels("tv.dat",
                 "1|a|u|0|1||1|2000000000||0|0|0|0|0|0|0\n"
                 "2|a|u|0|1||1|-7||0|0|0|0|0|0|0\n"
                 "3|a|u|0|1||1|5||0|0|0|0|0|0|0\n",
                 1, {}, genres, out);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].genre_name, "Far");
  EXPECT_EQ(out[1].genre_name, "Below");
  EXPECT_EQ(out[2].genre_name, "");
}

TEST(ChannelTable, LineEndsExtraFieldsAndLongNamesAreHandled) {
  const std::string line = "1|a|u|0|1||1|12||0|0|0|0|0|0|0";
  // A single "|" after the 16th field, and fields after the 16th, change nothing.
  EXPECT_EQ(Channels(line + "|").size(), 1u);
  EXPECT_EQ(Channels(line + "|extra|more").size(), 1u);
  // A line break at the end adds no record; any line break style separates lines.
  EXPECT_EQ(Channels(line + "\r\n" + line + "\r\n").size(), 2u);
  EXPECT_EQ(Channels(line + "\r" + line + "\n" + line).size(), 3u);
  EXPECT_TRUE(Channels("").empty());
  EXPECT_EQ(Channels("1|" + std::string(300, 'x') + "|u|0|1||1|12||0|0|0|0|0|0|0")[0].name,
            std::string(255, 'x'));
}

TEST(ChannelTable, MalformedLineKeepsRecordsBeforeIt) {
  const std::string good = "1|a|u|0|1||1|12||0|0|0|0|0|0|0\r\n";
  std::vector<Channel> channels(2);  // the user's, already there
  channels[0].name = "mine";
  struct Case {
    std::string text;
    std::string error;
  };
  for (const Case& k : {
           Case{good + good + "3|c|u|x1|1||1|12||0|0|0|0|0|0|0\r\n" + good,
                "radio.dat, line 3: 'x1' is not a valid integer value"},
           Case{good + "2|b|u|0|1||1|12||1,5|0|0|0|0|0|0\r\n",
                "radio.dat, line 2: '1,5' is not a valid floating point value"},
           Case{good + "2|b|u|0|1||1|12||0|0|0|0|0|0\r\n",
                "radio.dat, line 2: 15 fields where 16 are needed"},
           Case{good + "\r\n" + good, "radio.dat, line 2: 0 fields where 16 are needed"},
       }) {
    std::vector<Channel> out = channels;
    EXPECT_THAT([&] { AppendChannels("radio.dat", k.text, 2, {}, kGenres, out); },
                ThrowsErrorSaying(k.error));
    const std::size_t good_lines = k.error.find("line 3") != std::string::npos ? 2 : 1;
    ASSERT_EQ(out.size(), 2 + good_lines) << k.error;
    EXPECT_EQ(out[0].name, "mine");
    for (std::size_t i = 2; i < out.size(); ++i) EXPECT_EQ(out[i].id, 1);
  }
}

}  // namespace
}  // namespace vistrel
