#include "server/catalogue_db.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "catalogue/format/codepage.h"
#include "catalogue/stream_headers.h"
#include "common/error.h"

namespace vistrel {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS state(
  only INTEGER PRIMARY KEY CHECK (only = 1),
  changes INTEGER NOT NULL,
  version TEXT NOT NULL,
  published TEXT NOT NULL,
  published_changes INTEGER NOT NULL DEFAULT -1);
CREATE TABLE IF NOT EXISTS countries(
  pos INTEGER PRIMARY KEY, id INTEGER NOT NULL, name BLOB NOT NULL);
CREATE TABLE IF NOT EXISTS genres(
  pos INTEGER PRIMARY KEY, id INTEGER NOT NULL, name BLOB NOT NULL);
CREATE TABLE IF NOT EXISTS channels(
  pos INTEGER PRIMARY KEY, id INTEGER NOT NULL UNIQUE, group_id INTEGER NOT NULL,
  name BLOB NOT NULL, url BLOB NOT NULL, bitrate INTEGER NOT NULL, type_id INTEGER NOT NULL,
  homepage BLOB NOT NULL, country_id INTEGER NOT NULL, genre_id INTEGER NOT NULL,
  comment BLOB NOT NULL, rating REAL NOT NULL, rated INTEGER NOT NULL,
  workfine INTEGER NOT NULL, notworking INTEGER NOT NULL, wrong INTEGER NOT NULL,
  duplicate INTEGER NOT NULL, spam INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS channel_headers(
  id INTEGER PRIMARY KEY, headers BLOB NOT NULL);
CREATE TABLE IF NOT EXISTS submissions(
  id INTEGER PRIMARY KEY AUTOINCREMENT, received TEXT NOT NULL, group_id INTEGER NOT NULL,
  name BLOB NOT NULL, url BLOB NOT NULL, bitrate INTEGER NOT NULL, type_id INTEGER NOT NULL,
  homepage BLOB NOT NULL, country_id INTEGER NOT NULL, genre_id INTEGER NOT NULL,
  comment BLOB NOT NULL);
)sql";

// Schema version in the database header: 0 for databases whose texts are Windows-1252 (the
// first version set none), 1 since texts are UTF-8.
constexpr int64_t kSchemaVersion = 1;

// The text columns of every table, with the column that identifies a row.
struct TextColumns {
  const char* table;
  const char* key;
  std::vector<const char*> columns;
};
const TextColumns kTextColumns[] = {
    {"countries", "pos", {"name"}},
    {"genres", "pos", {"name"}},
    {"channels", "pos", {"name", "url", "homepage", "comment"}},
    {"submissions", "id", {"name", "url", "homepage", "comment"}},
};

// Rewrites every Windows-1252 text of a database of schema version 0 as UTF-8. The rows are
// read first and updated afterwards, so that no scan runs over rows being changed.
void ConvertLegacyTexts(SqliteConnection& db) {
  for (const TextColumns& table : kTextColumns) {
    for (const char* column : table.columns) {
      std::vector<std::pair<int64_t, std::string>> changed;
      SqliteStatement select(
          db,
          (std::string("SELECT ") + table.key + ", " + column + " FROM " + table.table).c_str());
      while (select.Step()) {
        std::string bytes = select.Bytes(1);
        if (!IsAscii(bytes)) changed.emplace_back(select.Int(0), Cp1252ToUtf8(bytes));
      }
      SqliteStatement update(db, (std::string("UPDATE ") + table.table + " SET " + column +
                                  " = ?2 WHERE " + table.key + " = ?1")
                                     .c_str());
      for (const auto& [key, text] : changed) update.Bind(1, key).BindBytes(2, text).Run();
    }
  }
}

constexpr const char* kInsertChannel =
    "INSERT INTO channels(id, group_id, name, url, bitrate, type_id, homepage, country_id, "
    "genre_id, comment, rating, rated, workfine, notworking, wrong, duplicate, spam) "
    "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17)";

// Counters saturate rather than wrap: the tables hold signed 32-bit numbers.
const char* FlagUpdate(ChannelStatus flag) {
  switch (flag) {
    case ChannelStatus::kWorkFine:
      return "UPDATE channels SET workfine = MIN(workfine + 1, 2147483647) WHERE id = ?1";
    case ChannelStatus::kNotWorking:
      return "UPDATE channels SET notworking = MIN(notworking + 1, 2147483647) WHERE id = ?1";
    case ChannelStatus::kWrongInfo:
      return "UPDATE channels SET wrong = MIN(wrong + 1, 2147483647) WHERE id = ?1";
    case ChannelStatus::kDuplicate:
      return "UPDATE channels SET duplicate = MIN(duplicate + 1, 2147483647) WHERE id = ?1";
    case ChannelStatus::kSpam:
      return "UPDATE channels SET spam = MIN(spam + 1, 2147483647) WHERE id = ?1";
    case ChannelStatus::kNew:
      break;
  }
  throw Error("unknown flag");
}

int32_t Int32(const SqliteStatement& row, int column) {
  return static_cast<int32_t>(row.Int(column));
}

void InsertChannel(SqliteConnection& db, const Channel& c) {
  SqliteStatement insert(db, kInsertChannel);
  insert.Bind(1, c.id).Bind(2, c.group_id).BindBytes(3, c.name).BindBytes(4, c.url);
  insert.Bind(5, c.bitrate).Bind(6, c.type_id).BindBytes(7, c.homepage);
  insert.Bind(8, c.country_id).Bind(9, c.genre_id).BindBytes(10, c.comment);
  insert.BindDouble(11, c.rating).Bind(12, c.rated).Bind(13, c.work_fine_reports);
  insert.Bind(14, c.not_working_reports)
      .Bind(15, c.wrong_info_reports)
      .Bind(16, c.duplicate_reports)
      .Bind(17, c.spam_reports);
  insert.Run();
}

template <typename Row>
void ReplaceIdNames(SqliteConnection& db, const char* table, const std::vector<Row>& rows) {
  db.Exec((std::string("DELETE FROM ") + table).c_str());
  SqliteStatement insert(
      db, (std::string("INSERT INTO ") + table + "(id, name) VALUES(?1, ?2)").c_str());
  for (const Row& row : rows) insert.Bind(1, row.id).BindBytes(2, row.name).Run();
}

template <typename Row>
std::vector<Row> LoadIdNames(SqliteConnection& db, const char* table) {
  std::vector<Row> rows;
  SqliteStatement select(db,
                         (std::string("SELECT id, name FROM ") + table + " ORDER BY pos").c_str());
  while (select.Step()) rows.push_back(Row{Int32(select, 0), select.Bytes(1)});
  return rows;
}

bool HasTable(SqliteConnection& db, const char* table) {
  SqliteStatement select(db,
                         "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = ?1");
  select.BindText(1, table);
  return select.Step() && select.Int(0) > 0;
}

// Catalogues made before packages were recorded with their change count.
void AddPublishedChanges(SqliteConnection& db) {
  SqliteStatement select(
      db, "SELECT COUNT(*) FROM pragma_table_info('state') WHERE name = 'published_changes'");
  if (select.Step() && select.Int(0) == 0) {
    db.Exec("ALTER TABLE state ADD COLUMN published_changes INTEGER NOT NULL DEFAULT -1");
  }
}

SqliteConnection Open(const std::filesystem::path& file, OpenMode mode) {
  if (mode == OpenMode::kExisting && !std::filesystem::exists(file)) {
    throw Error("no catalogue database " + file.string() + " (import creates one)");
  }
  return SqliteConnection(file, mode == OpenMode::kCreate);
}

}  // namespace

CatalogueDb::CatalogueDb(const std::filesystem::path& file, StampTime now, OpenMode mode)
    : db_(Open(file, mode)) {
  // Checked before anything is written: a file refused stays as it was.
  if (mode == OpenMode::kExisting && !HasTable(db_, "state")) {
    throw Error(file.string() + " holds no catalogue (import creates one)");
  }
  db_.Exec("PRAGMA journal_mode = WAL");
  SqliteTransaction transaction(db_);
  SqliteStatement version(db_, "PRAGMA user_version");
  const int64_t schema = version.Step() ? version.Int(0) : 0;
  version.Reset();
  if (schema > kSchemaVersion) {
    throw Error("database " + file.string() + " is of a later version (" + std::to_string(schema) +
                ") than this program knows");
  }
  SqliteStatement tables(db_, "SELECT COUNT(*) FROM sqlite_master WHERE name = 'state'");
  const bool existed = tables.Step() && tables.Int(0) > 0;
  tables.Reset();
  db_.Exec(kSchema);
  if (existed && schema == 0) ConvertLegacyTexts(db_);
  AddPublishedChanges(db_);
  db_.Exec(("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
  // A new catalogue is versioned from its creation, so every package has a valid stamp.
  SqliteStatement init(db_,
                       "INSERT OR IGNORE INTO state(only, changes, version, published) "
                       "VALUES(1, 0, ?1, '')");
  init.BindText(1, FormatVersionStamp(now)).Run();
  transaction.Commit();
}

CatalogueState CatalogueDb::State() {
  SqliteStatement select(db_, "SELECT changes, version, published, published_changes FROM state");
  if (!select.Step()) throw Error("database: version state missing");
  return CatalogueState{select.Int(0), select.Bytes(1), select.Bytes(2), select.Int(3)};
}

void CatalogueDb::MarkChanged(StampTime now, const std::string& floor) {
  // The clock, unless the version or the floor is later: a stamp never goes back.
  StampTime stamp = now;
  for (const std::string& text : {State().version, floor}) {
    if (const auto other = ParseVersionStamp(text); other && *other > stamp) stamp = *other;
  }
  SqliteStatement update(db_, "UPDATE state SET changes = changes + 1, version = ?1");
  update.BindText(1, FormatVersionStamp(stamp)).Run();
}

CatalogueTables CatalogueDb::LoadTables() {
  return Snapshot().tables;
}

CatalogueSnapshot CatalogueDb::Snapshot() {
  SqliteTransaction read(db_, false);
  CatalogueSnapshot snapshot = ReadSnapshot();
  read.Commit();
  return snapshot;
}

CatalogueSnapshot CatalogueDb::ReadSnapshot() {
  CatalogueSnapshot snapshot;
  snapshot.state = State();
  CatalogueTables& tables = snapshot.tables;
  tables.version = snapshot.state.version;
  tables.countries = LoadIdNames<Country>(db_, "countries");
  tables.genres = LoadIdNames<Genre>(db_, "genres");
  SqliteStatement select(db_,
                         "SELECT id, group_id, name, url, bitrate, type_id, homepage, country_id, "
                         "genre_id, comment, rating, rated, workfine, notworking, wrong, "
                         "duplicate, spam FROM channels ORDER BY group_id, pos");
  while (select.Step()) {
    Channel c;
    c.id = Int32(select, 0);
    c.group_id = Int32(select, 1);
    c.name = select.Bytes(2);
    c.url = select.Bytes(3);
    c.bitrate = Int32(select, 4);
    c.type_id = Int32(select, 5);
    c.homepage = select.Bytes(6);
    c.country_id = Int32(select, 7);
    c.genre_id = Int32(select, 8);
    c.comment = select.Bytes(9);
    c.rating = select.Double(10);
    c.rated = Int32(select, 11);
    c.work_fine_reports = Int32(select, 12);
    c.not_working_reports = Int32(select, 13);
    c.wrong_info_reports = Int32(select, 14);
    c.duplicate_reports = Int32(select, 15);
    c.spam_reports = Int32(select, 16);
    tables.channels.push_back(std::move(c));
  }
  // Each row holds its channel's line of the package's headers entry, id first.
  std::unordered_map<int32_t, StreamHeaders> headers;
  std::string lines;
  SqliteStatement select_headers(db_, "SELECT headers FROM channel_headers ORDER BY id");
  while (select_headers.Step()) lines += select_headers.Bytes(0) + "\n";
  ReadStreamHeadersTable(lines, headers);
  tables.stream_headers.insert(headers.begin(), headers.end());
  return snapshot;
}

void CatalogueDb::ReplaceTables(const CatalogueTables& tables, StampTime now) {
  SqliteTransaction transaction(db_);
  WriteTables(tables, now);
  transaction.Commit();
}

void CatalogueDb::UpdateTables(const std::function<void(CatalogueTables&)>& change, StampTime now) {
  SqliteTransaction transaction(db_);
  CatalogueTables tables = ReadSnapshot().tables;
  change(tables);
  WriteTables(tables, now);
  transaction.Commit();
}

void CatalogueDb::WriteTables(const CatalogueTables& tables, StampTime now) {
  std::unordered_set<int32_t> ids;
  for (const Channel& c : tables.channels) {
    if (!ids.insert(c.id).second) {
      throw Error("channel id " + std::to_string(c.id) + " appears more than once");
    }
  }
  ReplaceIdNames(db_, "countries", tables.countries);
  ReplaceIdNames(db_, "genres", tables.genres);
  db_.Exec("DELETE FROM channels");
  for (const Channel& c : tables.channels) InsertChannel(db_, c);
  // The headers of channels that are gone go with them.
  db_.Exec("DELETE FROM channel_headers");
  SqliteStatement insert_headers(db_, "INSERT INTO channel_headers(id, headers) VALUES(?1, ?2)");
  for (const auto& [id, headers] : tables.stream_headers) {
    if (headers.empty() || !ids.contains(id)) continue;
    insert_headers.Bind(1, id).BindBytes(2, FormatStreamHeadersLine(id, headers)).Run();
  }
  MarkChanged(now, tables.version);
}

void CatalogueDb::RecordPublication(const std::string& stamp, int64_t changes) {
  SqliteStatement update(db_,
                         "UPDATE state SET published = ?1, published_changes = ?2, "
                         "version = MAX(version, ?1) WHERE published <= ?1");
  update.BindText(1, stamp).Bind(2, changes).Run();
}

bool CatalogueDb::Rate(int32_t channel_id, int stars, StampTime now) {
  SqliteTransaction transaction(db_);
  SqliteStatement update(db_,
                         "UPDATE channels SET rating = rating + ?2, "
                         "rated = MIN(rated + 1, 2147483647) WHERE id = ?1");
  update.Bind(1, channel_id).Bind(2, stars).Run();
  if (db_.ChangedRows() == 0) return false;
  MarkChanged(now);
  transaction.Commit();
  return true;
}

bool CatalogueDb::Flag(int32_t channel_id, ChannelStatus flag, StampTime now) {
  SqliteTransaction transaction(db_);
  SqliteStatement update(db_, FlagUpdate(flag));
  update.Bind(1, channel_id).Run();
  if (db_.ChangedRows() == 0) return false;
  MarkChanged(now);
  transaction.Commit();
  return true;
}

int64_t CatalogueDb::Submit(const Submission& s, StampTime now) {
  SqliteStatement insert(db_,
                         "INSERT INTO submissions(received, group_id, name, url, bitrate, "
                         "type_id, homepage, country_id, genre_id, comment) "
                         "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
  insert.BindText(1, FormatVersionStamp(now)).Bind(2, s.group_id).BindBytes(3, s.name);
  insert.BindBytes(4, s.url).Bind(5, s.bitrate).Bind(6, s.type_id).BindBytes(7, s.homepage);
  insert.Bind(8, s.country_id).Bind(9, s.genre_id).BindBytes(10, s.comment);
  insert.Run();
  return db_.LastInsertId();
}

std::vector<StoredSubmission> CatalogueDb::Submissions() {
  std::vector<StoredSubmission> out;
  SqliteStatement select(db_,
                         "SELECT id, received, group_id, name, url, bitrate, type_id, homepage, "
                         "country_id, genre_id, comment FROM submissions ORDER BY id");
  while (select.Step()) {
    StoredSubmission s;
    s.id = select.Int(0);
    s.received = select.Bytes(1);
    s.channel.group_id = Int32(select, 2);
    s.channel.name = select.Bytes(3);
    s.channel.url = select.Bytes(4);
    s.channel.bitrate = Int32(select, 5);
    s.channel.type_id = Int32(select, 6);
    s.channel.homepage = select.Bytes(7);
    s.channel.country_id = Int32(select, 8);
    s.channel.genre_id = Int32(select, 9);
    s.channel.comment = select.Bytes(10);
    out.push_back(std::move(s));
  }
  return out;
}

int64_t CatalogueDb::SubmissionCount() {
  SqliteStatement count(db_, "SELECT COUNT(*) FROM submissions");
  count.Step();
  return count.Int(0);
}

std::optional<int32_t> CatalogueDb::Accept(int64_t submission_id, StampTime now) {
  SqliteTransaction transaction(db_);
  std::optional<StoredSubmission> found;
  for (StoredSubmission& s : Submissions()) {
    if (s.id == submission_id) found = std::move(s);
  }
  if (!found) return std::nullopt;
  SqliteStatement highest(db_, "SELECT MAX(id) FROM channels");
  highest.Step();
  const int64_t top = highest.IsNull(0) ? 0 : highest.Int(0);
  if (top >= std::numeric_limits<int32_t>::max()) throw Error("no free channel ids left");
  Channel c;
  c.id = static_cast<int32_t>(std::max<int64_t>(top, 0) + 1);
  c.group_id = found->channel.group_id;
  c.name = found->channel.name;
  c.url = found->channel.url;
  c.bitrate = found->channel.bitrate;
  c.type_id = found->channel.type_id;
  c.homepage = found->channel.homepage;
  c.country_id = found->channel.country_id;
  c.genre_id = found->channel.genre_id;
  c.comment = found->channel.comment;
  InsertChannel(db_, c);
  SqliteStatement remove(db_, "DELETE FROM submissions WHERE id = ?1");
  remove.Bind(1, submission_id).Run();
  MarkChanged(now);
  transaction.Commit();
  return c.id;
}

bool CatalogueDb::Reject(int64_t submission_id) {
  SqliteStatement remove(db_, "DELETE FROM submissions WHERE id = ?1");
  remove.Bind(1, submission_id).Run();
  return db_.ChangedRows() > 0;
}

}  // namespace vistrel
