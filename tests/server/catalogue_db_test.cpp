// The service's database: which files it opens, catalogues of an older layout, the record of
// handed-out packages and changes made in one piece.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "common/error.h"
#include "server/catalogue_db.h"
#include "support/temp_dir.h"

namespace vistrel {
namespace {

namespace fs = std::filesystem;

StampTime At(const char* stamp) {
  return *ParseVersionStamp(stamp);
}

void RunSql(const fs::path& file, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}

TEST(CatalogueDb, ExistingModeRefusesWhatHoldsNoCatalogueAndCreatesNothing) {
  TempDir dir;
  const fs::path missing = dir.path() / "missing.sqlite";
  const fs::path empty = dir.path() / "empty.sqlite";
  const fs::path other = dir.path() / "other.sqlite";
  const fs::path text = dir.path() / "notes.txt";
  WriteTestFile(empty, "");
  RunSql(other, "CREATE TABLE t(x)");
  WriteTestFile(text, "not a database at all, just some words in a file\n");
  struct Case {
    fs::path file;
    const char* says;
  };
  for (const Case& c : {Case{missing, "no catalogue database"}, Case{empty, "holds no catalogue"},
                        Case{other, "holds no catalogue"}, Case{text, "not a database"}}) {
    try {
      CatalogueDb db(c.file, At("202605011200"), OpenMode::kExisting);
      ADD_FAILURE() << c.file << " opened";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_EQ(fs::file_size(empty), 0u);
  CatalogueDb created(missing, At("202605011200"));  // the default creates it
  EXPECT_EQ(CatalogueDb(missing, At("202605011300"), OpenMode::kExisting).State().version,
            "202605011200");
}

TEST(CatalogueDb, OlderCatalogueKeepsItsStateAndLearnsPackageCounts) {
  TempDir dir;
  const fs::path file = dir.path() / "old.sqlite";
  RunSql(file,
         "CREATE TABLE state(only INTEGER PRIMARY KEY CHECK (only = 1), changes INTEGER NOT NULL,"
         " version TEXT NOT NULL, published TEXT NOT NULL);"
         "INSERT INTO state VALUES(1, 7, '202601010000', '202601010000');");
  CatalogueDb db(file, At("202605011200"), OpenMode::kExisting);
  const CatalogueState state = db.State();
  EXPECT_EQ(state.changes, 7);
  EXPECT_EQ(state.version, "202601010000");
  EXPECT_EQ(state.published, "202601010000");
  EXPECT_EQ(state.published_changes, -1);  // not known: the next package gets a new stamp
}

TEST(CatalogueDb, PublicationsOnlyMoveForwardAndChangesKeepTheClock) {
  TempDir dir;
  CatalogueDb db(dir.path() / "c.sqlite", At("202605011200"));
  db.RecordPublication("202605011200", 0);
  // Changes in the minute of a handed-out package keep that minute: the stamp of the next
  // package is found when it is built, once the clock has moved on.
  ASSERT_FALSE(db.Rate(1, 5, At("202605011200")));  // no such channel: nothing changes
  db.UpdateTables(
      [](CatalogueTables& tables) {
        tables.countries.push_back({1, "AF"});
      },
      At("202605011200"));
  CatalogueState state = db.State();
  EXPECT_EQ(state.changes, 1);
  EXPECT_EQ(state.version, "202605011200");
  db.RecordPublication("202605011201", 1);
  db.RecordPublication("202605011159", 5);  // older than the newest: ignored
  state = db.State();
  EXPECT_EQ(state.published, "202605011201");
  EXPECT_EQ(state.published_changes, 1);
  EXPECT_EQ(state.version, "202605011201");
}

TEST(CatalogueDb, FailedUpdateChangesNothing) {
  TempDir dir;
  CatalogueDb db(dir.path() / "c.sqlite", At("202605011200"));
  EXPECT_THROW(db.UpdateTables(
                   [](CatalogueTables& tables) {
                     tables.countries.push_back({1, "AF"});
                     throw Error("playlist broken");
                   },
                   At("202605011300")),
               Error);
  EXPECT_THROW(db.UpdateTables(
                   [](CatalogueTables& tables) {
                     Channel channel;
                     channel.id = 5;
                     tables.channels = {channel, channel};
                   },
                   At("202605011300")),
               Error);
  EXPECT_TRUE(db.LoadTables().countries.empty());
  EXPECT_EQ(db.State().changes, 0);
  EXPECT_EQ(db.State().version, "202605011200");
}

}  // namespace
}  // namespace vistrel
