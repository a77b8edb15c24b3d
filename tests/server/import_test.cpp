// Importing tables and playlists into the service's database.

#include <gtest/gtest.h>

#include <fstream>

#include "common/error.h"
#include "common/files.h"
#include "server/catalogue_db.h"
#include "server/catalogue_import.h"
#include "server/sqlite_db.h"
#include "support/temp_dir.h"

namespace vistrel {
namespace {

const std::filesystem::path kIptvOrg = "/work/shared/data/iptv-org";

StampTime At(const char* stamp) {
  return *ParseVersionStamp(stamp);
}

void Write(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

void WriteTables(const std::filesystem::path& dir, const std::string& tv) {
  std::filesystem::create_directories(dir);
  Write(dir / "countries.dat", "0|All Countries\r\n1|AF\r\n");
  Write(dir / "genres.dat", "0|All Genres\r\n1|Music\r\n");
  Write(dir / "tv.dat", tv);
  Write(dir / "radio.dat", "");
  Write(dir / "video.dat", "");
}

TEST(Import, PlaylistAddsTvChannelsBehindTheTables) {
  TempDir dir;
  WriteTables(dir.path() / "t", "5|Old|http://127.0.0.1/o|0|1||1|1||0|0|0|0|0|0|0\r\n");
  Write(dir.path() / "list.m3u",
        "\xEF\xBB\xBF#EXTM3U\r\n"
        "#EXTINF:-1 tvg-id=\"x\" tvg-country=\"AF\" group-title=\"Music;News\",Caf\xC3\xA9, "
        "\"Live\" (720p)\r\n"
        "#EXTVLCOPT:http-user-agent=Mozilla\r\n"
        "http://127.0.0.1/1.m3u8\r\n"
        "#EXTINF:-1 tvg-country=\"US\",No genre\r\n"
        "http://127.0.0.1/2.m3u8\r\n"
        "#EXTINF:-1,No attributes\r\n"
        "http://127.0.0.1/3.m3u8\r\n");
  const auto db_file = dir.path() / "c.sqlite";
  ImportCatalogue(db_file, dir.path() / "t", dir.path() / "list.m3u", At("202605011200"));
  const CatalogueTables tables = CatalogueDb(db_file).LoadTables();
  ASSERT_EQ(tables.channels.size(), 4u);
  EXPECT_EQ(tables.channels[0].name, "Old");
  EXPECT_EQ(tables.channels[1].id, 6);
  EXPECT_EQ(tables.channels[1].name, "Caf\xC3\xA9, \"Live\" (720p)");
  EXPECT_EQ(tables.channels[1].country_id, 1);
  EXPECT_EQ(tables.channels[1].genre_id, 1);
  EXPECT_EQ(tables.channels[2].country_id, 2);
  EXPECT_EQ(tables.channels[2].genre_id, 0);
  EXPECT_EQ(tables.channels[3].name, "No attributes");
  EXPECT_EQ(tables.channels[3].url, "http://127.0.0.1/3.m3u8");
  EXPECT_EQ(tables.countries.back().name, "US");
  EXPECT_EQ(tables.version, "202605011200");
  // The headers stay beside the channels, by id; the channel lines stay as they were.
  ASSERT_EQ(tables.stream_headers.size(), 1u);
  EXPECT_EQ(tables.stream_headers.at(6), (StreamHeaders{"Mozilla", "", {}}));
}

// Headers in both forms are stored, kept through a later import of another playlist, and
// dropped with their channels when new tables replace them.
TEST(Import, PlaylistHeadersAreStoredAndGoWithTheirChannels) {
  TempDir dir;
  WriteTables(dir.path() / "t", "");
  Write(dir.path() / "a.m3u",
        "#EXTM3U\n#EXTINF:-1,A\n#EXTVLCOPT:http-referrer=http://127.0.0.1/a\n"
        "http://127.0.0.1/a.m3u8|User-Agent=Agent%2F1%20(x%2C%20y)&X-Forwarded-For=1.2.3.4\n");
  Write(dir.path() / "b.m3u",
        "#EXTM3U\n#EXTINF:-1,B\n#EXTHTTP:{\"User-Agent\":\"B|1\"}\nhttp://127.0.0.1/b\n");
  const auto db_file = dir.path() / "c.sqlite";
  ImportCatalogue(db_file, "", dir.path() / "a.m3u", At("202605011200"));
  ImportCatalogue(db_file, "", dir.path() / "b.m3u", At("202605011201"));
  CatalogueTables tables = CatalogueDb(db_file).LoadTables();
  ASSERT_EQ(tables.channels.size(), 2u);
  EXPECT_EQ(tables.channels[0].url, "http://127.0.0.1/a.m3u8");
  const std::map<int32_t, StreamHeaders> expected = {
      {1, {"Agent/1 (x, y)", "http://127.0.0.1/a", {{"X-Forwarded-For", "1.2.3.4"}}}},
      {2, {"B|1", "", {}}}};
  EXPECT_EQ(tables.stream_headers, expected);
  ImportCatalogue(db_file, dir.path() / "t", "", At("202605011202"));
  EXPECT_TRUE(CatalogueDb(db_file).LoadTables().stream_headers.empty());
}

TEST(Import, BadTablesChangeNothing) {
  TempDir dir;
  const std::string good = "5|A|u|0|1||1|1||0|0|0|0|0|0|0\r\n";
  WriteTables(dir.path() / "good", good);
  WriteTables(dir.path() / "malformed", good + "6|B|u|0|1||1|1||0|0|0|0|0|0\r\n");
  WriteTables(dir.path() / "twice", good + good);
  const auto db_file = dir.path() / "c.sqlite";
  ImportCatalogue(db_file, dir.path() / "good", "", At("202605011200"));
  for (const char* bad : {"malformed", "twice", "missing"}) {
    EXPECT_THROW(ImportCatalogue(db_file, dir.path() / bad, "", At("202605011300")), Error) << bad;
  }
  EXPECT_THROW(ImportCatalogue(db_file, "", dir.path() / "missing.m3u", At("202605011300")), Error);
  CatalogueDb db(db_file);
  EXPECT_EQ(db.State().version, "202605011200");
  ASSERT_EQ(db.LoadTables().channels.size(), 1u);
}

TEST(Import, IptvOrgTablesRoundTripAndPlaylistCount) {
  if (!std::filesystem::exists(kIptvOrg / "iptv-org.m3u")) GTEST_SKIP() << "no iptv-org data";
  TempDir dir;
  ImportCatalogue(dir.path() / "tables.sqlite", kIptvOrg / "tables", "", At("202605011200"));
  const auto entries = TablesToEntries(CatalogueDb(dir.path() / "tables.sqlite").LoadTables());
  for (const auto& [name, bytes] : entries) {
    if (name == "version.dat") continue;
    EXPECT_EQ(bytes, ReadWholeFile(kIptvOrg / "tables" / name).value_or("?")) << name;
  }
  ImportCatalogue(dir.path() / "m3u.sqlite", "", kIptvOrg / "iptv-org.m3u", At("202605011200"));
  const CatalogueTables tables = CatalogueDb(dir.path() / "m3u.sqlite").LoadTables();
  EXPECT_EQ(tables.channels.size(), 15155u);
  EXPECT_EQ(tables.channels.front().name, "AMC (1080p)");
  EXPECT_EQ(tables.channels.back().id, 15155);
  std::size_t agents = 0, referrers = 0;
  for (const auto& [id, headers] : tables.stream_headers) {
    agents += !headers.user_agent.empty();
    referrers += !headers.referrer.empty();
  }
  EXPECT_EQ(agents, 588u);
  EXPECT_EQ(referrers, 269u);
  EXPECT_EQ(tables.stream_headers.at(20).referrer, "https://www.dens.tv/");
}

// A database of an earlier version holds its texts as Windows-1252 bytes and no schema
// version: opening it converts them to UTF-8 once, and a second opening changes nothing.
TEST(Database, EarlierWindows1252TextsAreConvertedOnce) {
  TempDir dir;
  const auto db_file = dir.path() / "c.sqlite";
  WriteTables(dir.path() / "t", "5|Old|http://127.0.0.1/o|0|1||1|1||0|0|0|0|0|0|0\r\n");
  ImportCatalogue(db_file, dir.path() / "t", "", At("202605011200"));
  Submission s;
  s.group_id = 1;
  s.name = "x";
  CatalogueDb(db_file).Submit(s, At("202605011300"));
  {
    // What earlier versions left behind.
    SqliteConnection db(db_file);
    db.Exec("UPDATE countries SET name = CAST(X'4DE97869636F' AS BLOB) WHERE id = 1");  // México
    db.Exec(
        "UPDATE channels SET name = CAST(X'43616680E9' AS BLOB), "  // Caf€é
        "comment = CAST(X'FC' AS BLOB)");
    db.Exec("UPDATE submissions SET name = CAST(X'8A' AS BLOB)");  // Š
    db.Exec("PRAGMA user_version = 0");
  }
  for (int opening = 0; opening < 2; ++opening) {
    CatalogueDb db(db_file);
    const CatalogueTables tables = db.LoadTables();
    EXPECT_EQ(tables.countries.at(1).name, "M\xC3\xA9xico");
    EXPECT_EQ(tables.channels.at(0).name, "Caf\xE2\x82\xAC\xC3\xA9");
    EXPECT_EQ(tables.channels.at(0).comment, "\xC3\xBC");
    EXPECT_EQ(tables.channels.at(0).url, "http://127.0.0.1/o");
    EXPECT_EQ(db.Submissions().at(0).channel.name, "\xC5\xA0");
  }
  {
    SqliteConnection db(db_file);
    db.Exec("PRAGMA user_version = 7");
  }
  EXPECT_THROW(CatalogueDb{db_file}, Error);  // written by a later version: left alone
}

}  // namespace
}  // namespace vistrel
