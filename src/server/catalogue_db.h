#pragma once
// The service's data in one SQLite file: countries, genres and channels (texts as UTF-8 bytes),
// the HTTP headers of the channels that need some (one row per channel, its line of the
// package's headers entry),
// channels waiting for review, and the catalogue's version state. A database of earlier
// versions, whose texts are Windows-1252, is converted to UTF-8 once when it is opened.
// Not thread-safe: one user at a time (the service guards it with a mutex).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/table_writer.h"
#include "server/request_rules.h"
#include "server/sqlite_db.h"
#include "server/version_stamp.h"

namespace vistrel {

// The version of the catalogue: `changes` counts every change of what a package carries, so a
// package built at one count stays valid until the count moves.
struct CatalogueState {
  int64_t changes = 0;
  std::string version;    // 12-digit stamp of the last change, or of the newest package if later
  std::string published;  // stamp of the newest package handed out; empty before the first
  int64_t published_changes = -1;  // `changes` that package was built at; -1: not known
};

struct CatalogueSnapshot {
  CatalogueState state;
  CatalogueTables tables;  // tables.version is state.version
};

enum class OpenMode {
  kCreate,    // a missing file becomes a new, empty catalogue
  kExisting,  // the file must hold a catalogue already
};

struct StoredSubmission {
  int64_t id = 0;
  std::string received;  // stamp of arrival
  Submission channel;
};

class CatalogueDb {
 public:
  // Opens the file and brings its tables up to date; a new catalogue's version is `now`.
  // Converts the texts of a database written before they were UTF-8, all in the transaction
  // that opens it. Throws vistrel::Error (nothing changed), also for a database of a later
  // schema than this program knows, and with kExisting when the file is missing or holds no
  // catalogue (and then creates nothing).
  explicit CatalogueDb(const std::filesystem::path& file, StampTime now = CurrentMinute(),
                       OpenMode mode = OpenMode::kCreate);

  CatalogueState State();
  // Countries, genres and channels (TV, radio, video, each in table order) and the version.
  CatalogueTables LoadTables();
  // The same with the version state, read consistently.
  CatalogueSnapshot Snapshot();

  // Replaces countries, genres and channels. `tables.version`, when set, is a floor for the new
  // stamp. Throws vistrel::Error (nothing changed) when a channel id appears twice.
  void ReplaceTables(const CatalogueTables& tables, StampTime now);
  // Reads the tables, lets `change` alter them and writes them back, all in one transaction:
  // what others store meanwhile waits, so nothing they were told is stored gets lost. Throws
  // vistrel::Error (nothing changed) as ReplaceTables does, or what `change` throws.
  void UpdateTables(const std::function<void(CatalogueTables&)>& change, StampTime now);

  // Records that a package with this stamp, built when the change count was `changes`, was
  // handed out; an older stamp than the newest recorded changes nothing.
  void RecordPublication(const std::string& stamp, int64_t changes);

  // Adds `stars` to the channel's rating total and one to its count. False for an unknown id.
  bool Rate(int32_t channel_id, int stars, StampTime now);
  // Adds one to the counter of the flag. False for an unknown id.
  bool Flag(int32_t channel_id, ChannelStatus flag, StampTime now);

  // Keeps a submitted channel for review; returns its submission id.
  int64_t Submit(const Submission& channel, StampTime now);
  std::vector<StoredSubmission> Submissions();
  int64_t SubmissionCount();
  // Moves a submission into the channels of its category under a new id (one above the highest
  // channel id), which is returned; nothing when there is no such submission.
  std::optional<int32_t> Accept(int64_t submission_id, StampTime now);
  // Drops a submission; false when there is no such submission.
  bool Reject(int64_t submission_id);

 private:
  CatalogueSnapshot ReadSnapshot();                                // inside a transaction
  void WriteTables(const CatalogueTables& tables, StampTime now);  // inside a transaction
  void MarkChanged(StampTime now, const std::string& floor = {});

  SqliteConnection db_;
};

}  // namespace vistrel
