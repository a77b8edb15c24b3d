#include "catalogue/table_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "catalogue/format/codepage.h"
#include "catalogue/lookups.h"
#include "catalogue/package.h"
#include "catalogue/table_reader.h"
#include "support/catalogue_printers.h"

namespace vistrel {
namespace {

TEST(TableWriter, ChannelLinesWriteBackAsRead) {
  const std::string line =
      "7|Caf\xE9 TV|http://127.0.0.1/a|128|1||3|0|720p [Not 24/7]|4.5|2|1|0|-2|0|2147483647";
  std::vector<Channel> channels;
  AppendChannels(kChannelEntries[1].name, line + "\r\n", 2, {}, {}, channels);
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

// The catalogue holds UTF-8: the Windows-1252 texts below as the loader gives them back.
Channel InUtf8(Channel c) {
  for (ChannelText* text : {&c.name, &c.url, &c.homepage, &c.comment}) *text = Cp1252ToUtf8(*text);
  return c;
}

template <typename Row>
std::vector<Row> InUtf8(std::vector<Row> rows) {
  for (Row& row : rows) row.name = Cp1252ToUtf8(row.name);
  return rows;
}

// A channel of `group` as the package loader makes it: the derived fields filled by the
// loader's rules, no favourites.
Channel Stored(Channel c, int32_t group, const std::vector<Genre>& genres) {
  c.group_id = group;
  c.average_rating = c.rated >= 1 ? c.rating / c.rated : 0;
  c.status = StatusOfReports(c.work_fine_reports, c.not_working_reports, c.wrong_info_reports,
                             c.duplicate_reports, c.spam_reports);
  c.genre_name = GenreName(c.genre_id, genres);
  return c;
}

// Whatever the writer writes, the program's package loader reads back as the same records:
// Windows-1252 texts, empty fields and the extremes of every number.
TEST(TableWriter, TablesReadBackEqualThroughThePackage) {
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  CatalogueTables tables;
  tables.version = "202604300337";
  // Names of countries and genres are never empty: "id|" reads as one field.
  tables.countries = {{0, "All Countries"}, {kMin, " "}, {kMax, "C\xF4te d'Ivoire \x80\x9F\xFF"}};
  tables.genres = {{0, "All Genres"}, {-1, "Caf\xE9 \x8A\xA0"}, {kMax, "x"}};
  tables.countries = InUtf8(tables.countries);
  tables.genres = InUtf8(tables.genres);

  Channel full;
  full.id = 1;
  full.name = "Caf\xE9 \x80 TV \xFF";
  full.url = "http://127.0.0.1/caf\xE9?x=1&y=\x9C";
  full.bitrate = 128;
  full.type_id = 1;
  full.homepage = "http://127.0.0.1/";
  full.country_id = kMax;
  full.genre_id = -1;
  full.comment = "720p [Not 24/7] \xAB\xBB";
  full.rating = 4.5;
  full.rated = 2;
  full.work_fine_reports = 3;
  full.spam_reports = 1;

  Channel empty;  // every text empty, every number 0
  empty.id = 0;

  Channel extremes;
  extremes.id = kMin;
  extremes.bitrate = kMin;
  extremes.type_id = kMax;
  extremes.country_id = kMin;
  extremes.genre_id = kMax;
  extremes.rating = std::numeric_limits<double>::max();
  extremes.rated = kMax;
  extremes.work_fine_reports = kMin;
  extremes.not_working_reports = kMax;
  extremes.wrong_info_reports = kMax;
  extremes.duplicate_reports = kMin;
  extremes.spam_reports = kMax;

  Channel fractions;
  fractions.id = kMax;
  fractions.rating = 0.1;
  fractions.rated = 3;
  Channel negative = fractions;
  negative.rating = -2.5e-300;
  negative.rated = -1;

  // Beside the Latin texts, one that Windows-1252 cannot hold: its table goes in as UTF-8.
  Channel cyrillic = empty;
  cyrillic.id = 2;
  cyrillic.name = "\xD0\x9F\xD0\xB5\xD1\x80\xD0\xB2\xD1\x8B\xD0\xB9 \xE4\xB8\xAD";
  const std::vector<Channel> written = {
      Stored(InUtf8(full), 1, tables.genres), Stored(cyrillic, 1, tables.genres),
      Stored(empty, 1, tables.genres),        Stored(extremes, 2, tables.genres),
      Stored(fractions, 3, tables.genres),    Stored(negative, 3, tables.genres)};
  tables.channels = written;

  Catalogue read;
  ClearCatalogue(read);
  LoadChannelPackageBytes(read, {}, BuildPackage(TablesToEntries(tables)));
  EXPECT_EQ(read.version_text, tables.version);
  EXPECT_EQ(read.countries, tables.countries);
  EXPECT_EQ(read.genres, tables.genres);
  ASSERT_EQ(read.channels.size(), written.size());
  for (std::size_t i = 0; i < written.size(); ++i) {
    EXPECT_EQ(read.channels[i], written[i]) << "channel " << i;
  }
}

// Headers go in an entry after the six, which are byte for byte the same with and without
// them; headers of a channel that is not in the tables are left out.
TEST(TableWriter, HeadersInAnEntryOfTheirOwn) {
  CatalogueTables tables;
  tables.version = "202604300337";
  Channel tv;
  tv.id = 4;
  tv.group_id = 1;
  tv.name = "Tv";
  tv.url = "http://127.0.0.1/tv";
  tables.channels = {tv};
  const std::vector<PackageEntry> without = TablesToEntries(tables);
  tables.stream_headers[4] = StreamHeaders{"Caf\xC3\xA9|1", "", {{"Origin", "o"}}};
  tables.stream_headers[9] = StreamHeaders{"Gone", "", {}};
  const std::vector<PackageEntry> with = TablesToEntries(tables);
  ASSERT_EQ(with.size(), without.size() + 1);
  for (std::size_t i = 0; i < without.size(); ++i) EXPECT_EQ(with[i], without[i]) << i;
  EXPECT_EQ(with.back().first, kHeadersEntry);
  EXPECT_EQ(with.back().second, "4|Caf\xE9%7C1||Origin|o\r\n");  // Windows-1252, as the tables
}

TEST(TableWriter, EntriesInPackageOrderWithCrLfAndEmptyTablesEmpty) {
  CatalogueTables tables;
  tables.version = "202604300337";
  tables.countries = {{1, "Norway"}};
  const std::vector<PackageEntry> entries = TablesToEntries(tables);
  ASSERT_EQ(entries.size(), std::size(kPackageEntries));
  for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].first, kPackageEntries[i]);
  EXPECT_EQ(entries[0].second, "202604300337\r\n");
  EXPECT_EQ(entries[1].second, "1|Norway\r\n");
  for (std::size_t i = 2; i < entries.size(); ++i) EXPECT_EQ(entries[i].second, "") << i;
  EXPECT_EQ(ChannelTableName(2), "radio.dat");
  EXPECT_EQ(ChannelTableName(4), "");
}

}  // namespace
}  // namespace vistrel
