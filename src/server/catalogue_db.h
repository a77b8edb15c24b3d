#pragma once
// The service's data in one SQLite file: countries, genres and channels (texts as UTF-8 bytes),
// channels waiting for review, and the catalogue's version state. A database of earlier
// versions, whose texts are Windows-1252, is converted to UTF-8 once when it is opened.
// Not thread-safe: one user at a time (the service guards it with a mutex).

#include <cstdint>
#include <filesystem>
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
  std::string version;  // 12-digit stamp of the last change
};

struct CatalogueSnapshot {
  int64_t changes = 0;
  CatalogueTables tables;
};

struct StoredSubmission {
  int64_t id = 0;
  std::string received;  // stamp of arrival
  Submission channel;
};

class CatalogueDb {
 public:
  // Opens the file, creating it and its tables when missing; a new catalogue's version is
  // `now`. Converts the texts of a database written before they were UTF-8, all in the
  // transaction that opens it. Throws vistrel::Error (nothing changed), also for a database of
  // a later schema than this program knows.
  explicit CatalogueDb(const std::filesystem::path& file, StampTime now = CurrentMinute());

  CatalogueState State();
  // Countries, genres and channels (TV, radio, video, each in table order) and the version.
  CatalogueTables LoadTables();
  // The same with its change count, read consistently.
  CatalogueSnapshot Snapshot();

  // Replaces countries, genres and channels. `tables.version`, when set, is a floor for the new
  // stamp. Throws vistrel::Error (nothing changed) when a channel id appears twice.
  void ReplaceTables(const CatalogueTables& tables, StampTime now);

  // Records that a package with this version stamp was handed out: later changes get a later
  // stamp.
  void MarkPublished(const std::string& version);

  // Adds `stars` to the channel's rating total and one to its count. False for an unknown id.
  bool Rate(int32_t channel_id, int stars, StampTime now);
  // Adds one to the counter of the flag. False for an unknown id.
  bool Flag(int32_t channel_id, ChannelFlag flag, StampTime now);

  // Keeps a submitted channel for review; returns its submission id.
  int64_t Submit(const Submission& channel, StampTime now);
  std::vector<StoredSubmission> Submissions();
  // Moves a submission into the channels of its category under a new id (one above the highest
  // channel id), which is returned; nothing when there is no such submission.
  std::optional<int32_t> Accept(int64_t submission_id, StampTime now);
  // Drops a submission; false when there is no such submission.
  bool Reject(int64_t submission_id);

 private:
  void MarkChanged(StampTime now, const std::string& floor = {});

  SqliteConnection db_;
};

}  // namespace vistrel
