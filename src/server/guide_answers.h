#pragma once
// The service's guide answers: "/service/guide.php?id=N" (the channel's programmes from two
// hours back to 24 hours ahead) and "/service/guide.php?now=1" (the running and the next
// programme of every channel with a guide), as JSON with times in UTC seconds. Each answer is
// built at most once a minute and shared, so load stays flat however many clients ask.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "server/guide_store.h"
#include "server/http_server.h"

namespace vistrel {

// The JSON of one channel's programmes: [{"start":S,"stop":S,"title":"...","sub_title":"...",
// "description":"...","category":"...","episode":"..."}, ...] (empty texts left out).
std::string ChannelGuideJson(const std::vector<StoredProgramme>& programmes);
// The JSON of now and next: [{"id":N,"programmes":[{"start":S,"stop":S,"title":"..."}, ...]},
// ...] with one or two programmes per channel, by channel id.
std::string NowAndNextJson(const std::vector<StoredProgramme>& programmes);

class GuideAnswers {
 public:
  // Opens the catalogue's file (which must exist). Throws vistrel::Error.
  explicit GuideAnswers(const std::filesystem::path& db_file);

  // The answer to the query at `now` (UTC seconds): 400 for anything but one "id" that is a
  // channel id or "now=1"; an id without a guide is an empty list. Throws vistrel::Error when
  // the database fails.
  HttpResponse Answer(const QueryParams& params, int64_t now);

 private:
  std::mutex mutex_;  // guards everything below
  GuideStore store_;
  int64_t minute_ = -1;  // the minute the answers below were built in
  std::shared_ptr<const std::string> now_and_next_;
  std::map<int32_t, std::shared_ptr<const std::string>> channels_;
};

}  // namespace vistrel
