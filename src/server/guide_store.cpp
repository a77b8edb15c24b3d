#include "server/guide_store.h"

#include <algorithm>
#include <unordered_map>

#include "common/error.h"

namespace vistrel {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS guide_ids(channel_id INTEGER PRIMARY KEY, guide_id BLOB NOT NULL);
CREATE TABLE IF NOT EXISTS guide_state(
  only INTEGER PRIMARY KEY CHECK (only = 1), generation INTEGER NOT NULL,
  longest INTEGER NOT NULL, programmes INTEGER NOT NULL);
INSERT OR IGNORE INTO guide_state(only, generation, longest, programmes) VALUES(1, 0, 0, 0);
)sql";

// The programmes in a table with row ids: a row of about a kilobyte (the description) stays in
// its page there, where a table keyed by channel and start would move it to a page of its own.
// Channel and start are a unique index, named with the guide's generation, as are the others.
std::string GuideTable(const char* name) {
  return std::string("CREATE TABLE IF NOT EXISTS ") + name +
         "(channel_id INTEGER NOT NULL, start INTEGER NOT NULL, stop INTEGER NOT NULL, "
         "title BLOB NOT NULL, sub_title BLOB NOT NULL, description BLOB NOT NULL, "
         "category BLOB NOT NULL, episode_num BLOB NOT NULL)";
}

// The generation the next guide gets.
int64_t NextGeneration(SqliteConnection& db) {
  SqliteStatement state(db, "SELECT generation FROM guide_state");
  return state.Step() ? state.Int(0) + 1 : 1;
}

constexpr int64_t kBatchRows = 20000;

}  // namespace

GuideStore::GuideStore(const std::filesystem::path& db_file) : db_(db_file, false) {
  // A replaced guide's pages are freed, not overwritten with zeros (which this SQLite does by
  // default, doubling an import's writes): a guide holds nothing private.
  db_.Exec("PRAGMA secure_delete = FAST");
  SqliteTransaction transaction(db_);
  db_.Exec(kSchema);
  db_.Exec(GuideTable("guide").c_str());
  transaction.Commit();
}

void GuideStore::SetGuideIds(const std::vector<std::pair<int32_t, std::string>>& ids,
                             bool replace_all) {
  SqliteTransaction transaction(db_);
  if (replace_all) db_.Exec("DELETE FROM guide_ids");
  SqliteStatement set(db_, "INSERT OR REPLACE INTO guide_ids(channel_id, guide_id) VALUES(?1, ?2)");
  SqliteStatement clear(db_, "DELETE FROM guide_ids WHERE channel_id = ?1");
  for (const auto& [channel_id, guide_id] : ids) {
    if (guide_id.empty()) {
      clear.Bind(1, channel_id).Run();
    } else {
      set.Bind(1, channel_id).BindBytes(2, guide_id).Run();
    }
  }
  transaction.Commit();
}

std::vector<GuideTarget> GuideStore::Targets() {
  SqliteTransaction read(db_, false);
  std::vector<GuideTarget> targets;
  SqliteStatement select(db_,
                         "SELECT c.id, c.name, g.guide_id FROM channels c "
                         "LEFT JOIN guide_ids g ON g.channel_id = c.id ORDER BY c.pos");
  while (select.Step()) {
    targets.push_back(GuideTarget{static_cast<int32_t>(select.Int(0)), select.Bytes(1),
                                  select.IsNull(2) ? std::string() : select.Bytes(2)});
  }
  read.Commit();
  return targets;
}

void GuideStore::BeginGuide() {
  AbandonGuide();
  // The new guide's rows need not reach the disk one batch at a time: until the swap nothing
  // reads them, and an import cut short starts again. WAL keeps the file sound either way.
  db_.Exec("PRAGMA synchronous = NORMAL");
  // Each copy of the log into the file waits for the disk: fewer, larger ones (40 MB).
  db_.Exec("PRAGMA wal_autocheckpoint = 10000");
  // Enough cache for the indexes being built, well inside the import's memory.
  db_.Exec("PRAGMA cache_size = -16384");
  db_.Exec(GuideTable("guide_next").c_str());
  db_.Exec(("CREATE UNIQUE INDEX guide_key_" + std::to_string(NextGeneration(db_)) +
            " ON guide_next(channel_id, start)")
               .c_str());
  added_ = 0;
  longest_ = 0;
}

void GuideStore::AddProgramme(int32_t channel_id, const Programme& p) {
  if (!batch_) {
    batch_.emplace(db_);
    insert_.emplace(db_,
                    "INSERT OR IGNORE INTO guide_next(channel_id, start, stop, title, sub_title, "
                    "description, category, episode_num) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
  }
  insert_->Bind(1, channel_id).Bind(2, p.start).Bind(3, p.stop).BindBytes(4, p.title);
  insert_->BindBytes(5, p.sub_title).BindBytes(6, p.description).BindBytes(7, p.category);
  insert_->BindBytes(8, p.episode_num).Run();
  if (db_.ChangedRows() > 0) {
    ++added_;
    longest_ = std::max(longest_, p.stop - p.start);
  }
  if (++batch_rows_ >= kBatchRows) FlushBatch();
}

void GuideStore::FlushBatch() {
  insert_.reset();
  if (batch_) batch_->Commit();
  batch_.reset();
  batch_rows_ = 0;
}

int64_t GuideStore::CommitGuide() {
  FlushBatch();
  const int64_t generation = NextGeneration(db_);
  // Built once the rows are in, in one sorted pass, before the swap that readers wait for.
  db_.Exec(("CREATE INDEX guide_start_" + std::to_string(generation) +
            " ON guide_next(start, channel_id, stop, title)")
               .c_str());
  db_.Exec("PRAGMA synchronous = FULL");
  db_.Exec("PRAGMA wal_autocheckpoint = 1000");
  SqliteTransaction transaction(db_);
  db_.Exec("DROP TABLE IF EXISTS guide");
  db_.Exec("ALTER TABLE guide_next RENAME TO guide");
  SqliteStatement update(db_,
                         "UPDATE guide_state SET generation = ?1, longest = ?2, programmes = ?3");
  update.Bind(1, generation).Bind(2, longest_).Bind(3, added_).Run();
  transaction.Commit();
  return added_;
}

void GuideStore::AbandonGuide() {
  insert_.reset();
  batch_.reset();  // rolls back the open batch
  batch_rows_ = 0;
  db_.Exec("DROP TABLE IF EXISTS guide_next");
}

std::vector<StoredProgramme> GuideStore::ChannelProgrammes(int32_t channel_id, int64_t from,
                                                           int64_t to) {
  SqliteTransaction read(db_, false);
  SqliteStatement longest(db_, "SELECT longest FROM guide_state");
  const int64_t reach = longest.Step() ? longest.Int(0) : 0;
  longest.Reset();
  // The start bound lets the key's order do the work; the stop bound picks the exact ones.
  SqliteStatement select(db_,
                         "SELECT start, stop, title, sub_title, description, category, "
                         "episode_num FROM guide WHERE channel_id = ?1 AND start >= ?2 AND "
                         "start < ?3 AND stop > ?4 ORDER BY start");
  select.Bind(1, channel_id).Bind(2, from - reach).Bind(3, to).Bind(4, from);
  std::vector<StoredProgramme> programmes;
  while (select.Step()) {
    programmes.push_back(StoredProgramme{channel_id, select.Int(0), select.Int(1), select.Bytes(2),
                                         select.Bytes(3), select.Bytes(4), select.Bytes(5),
                                         select.Bytes(6)});
  }
  read.Commit();
  return programmes;
}

std::vector<StoredProgramme> GuideStore::NowAndNext(int64_t now) {
  SqliteTransaction read(db_, false);
  SqliteStatement longest(db_, "SELECT longest FROM guide_state");
  const int64_t reach = longest.Step() ? longest.Int(0) : 0;
  longest.Reset();
  // A programme running now started at most `reach` ago; the one after it starts before the
  // running one ends, so at most `reach` ahead.
  SqliteStatement select(db_,
                         "SELECT channel_id, start, stop, title FROM guide "
                         "WHERE start > ?1 AND start <= ?2 ORDER BY start");
  select.Bind(1, now - reach).Bind(2, now + reach);
  struct Slot {
    int64_t now_start = 0, now_stop = 0, next_start = 0, next_stop = 0;
    bool has_now = false, has_next = false;
    std::string now_title, next_title;
  };
  std::unordered_map<int32_t, Slot> channels;
  while (select.Step()) {
    const int64_t stop = select.Int(2);
    if (stop <= now) continue;
    const int64_t start = select.Int(1);
    Slot& slot = channels[static_cast<int32_t>(select.Int(0))];
    if (start <= now) {
      slot.has_now = true;
      slot.now_start = start;
      slot.now_stop = stop;
      slot.now_title = select.Bytes(3);
    } else if (!slot.has_next) {
      slot.has_next = true;
      slot.next_start = start;
      slot.next_stop = stop;
      slot.next_title = select.Bytes(3);
    }
  }
  read.Commit();
  std::vector<int32_t> ids;
  ids.reserve(channels.size());
  for (const auto& [channel_id, slot] : channels) ids.push_back(channel_id);
  std::sort(ids.begin(), ids.end());
  std::vector<StoredProgramme> programmes;
  programmes.reserve(channels.size() * 2);
  for (const int32_t channel_id : ids) {
    Slot& slot = channels[channel_id];
    if (slot.has_now) {
      programmes.push_back(StoredProgramme{
          channel_id, slot.now_start, slot.now_stop, std::move(slot.now_title), {}, {}, {}, {}});
    }
    if (slot.has_next) {
      programmes.push_back(StoredProgramme{
          channel_id, slot.next_start, slot.next_stop, std::move(slot.next_title), {}, {}, {}, {}});
    }
  }
  return programmes;
}

}  // namespace vistrel
