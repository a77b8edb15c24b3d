#pragma once
// The programme guide in the catalogue's SQLite file: the guide ids of catalogue channels and
// the programmes of matched channels. A new guide is written beside the old one and takes its
// place in one short transaction once it is complete, so a failed or interrupted import leaves
// the old guide. Not thread-safe: one user at a time. Failures throw vistrel::Error.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "guide/guide_match.h"
#include "guide/xmltv_reader.h"
#include "server/sqlite_db.h"

namespace vistrel {

// A stored programme, as the guide answers hand it out.
struct StoredProgramme {
  int32_t channel_id = 0;
  int64_t start = 0;
  int64_t stop = 0;
  std::string title;
  std::string sub_title;
  std::string description;
  std::string category;
  std::string episode_num;
};

class GuideStore {
 public:
  // Opens the catalogue's file (which must exist) and adds the guide's tables when missing.
  explicit GuideStore(const std::filesystem::path& db_file);

  // Sets the guide ids of these channels (an empty id removes the channel's); with
  // `replace_all` the guide ids of all other channels are removed.
  void SetGuideIds(const std::vector<std::pair<int32_t, std::string>>& ids,
                   bool replace_all = false);
  // Every catalogue channel with its name and guide id, for matching.
  std::vector<GuideTarget> Targets();

  // Starts a new guide beside the one in use (dropping what an interrupted import left).
  void BeginGuide();
  // Adds a programme for `channel_id` to the new guide; a second one of the same channel and
  // start is ignored. Rows are committed in batches, outside the guide in use.
  void AddProgramme(int32_t channel_id, const Programme& programme);
  // Puts the new guide in place of the old one, in one transaction; returns its programmes.
  int64_t CommitGuide();
  // Drops the new guide; the old one stays.
  void AbandonGuide();

  // The channel's programmes that end after `from` and start before `to`, by start.
  std::vector<StoredProgramme> ChannelProgrammes(int32_t channel_id, int64_t from, int64_t to);
  // For every channel with a guide: the programme running at `now` (when there is one) and the
  // one after it (when there is one), by channel id then start.
  std::vector<StoredProgramme> NowAndNext(int64_t now);

 private:
  void FlushBatch();

  SqliteConnection db_;
  std::optional<SqliteTransaction> batch_;
  std::optional<SqliteStatement> insert_;
  int64_t batch_rows_ = 0;
  int64_t added_ = 0;
  int64_t longest_ = 0;  // the new guide's longest programme, seconds
};

}  // namespace vistrel
