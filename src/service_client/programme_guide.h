#pragma once
// The programme guide as the program reads it from the catalogue service: the programme on now
// and the next one of every channel ("/service/guide.php?now=1"), and one channel's programmes
// ("/service/guide.php?id=N"). Times are UTC seconds; shown in local time.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/error.h"
#include "service_client/service_config.h"

namespace vistrel {

struct GuideProgramme {
  int64_t start = 0;
  int64_t stop = 0;
  std::string title;
  std::string sub_title;
  std::string description;
  std::string category;
  std::string episode;
};

// The programme on now and the next one of a channel, as the service last told them: the
// fewest bytes per channel, since it is held for every channel (15,000 take about 3 MB).
struct ChannelNowNext {
  struct Slot {
    int64_t start = 0;
    int64_t stop = 0;
    std::string title;
  };
  Slot first;
  Slot second;
  bool has_second = false;
};

// Every channel's now and next, by channel id.
class NowAndNextGuide {
 public:
  NowAndNextGuide() = default;
  explicit NowAndNextGuide(std::vector<std::pair<int32_t, ChannelNowNext>> channels);

  // The channel's entry, or null when it has none.
  const ChannelNowNext* Find(int32_t channel_id) const;
  std::size_t size() const { return channels_.size(); }

 private:
  std::vector<std::pair<int32_t, ChannelNowNext>> channels_;  // sorted by id
};

// "http://host:port/service/guide.php?now=1" and "...?id=N".
std::string NowAndNextUrl(std::string_view base_url);
std::string ChannelGuideUrl(std::string_view base_url, int32_t channel_id);

// The service's answers read. Fail with the reason when the text is not JSON of the expected
// shape (an entry without numbers for its times, a channel without id); texts that are not
// valid UTF-8 are mended.
Result<NowAndNextGuide> ParseNowAndNext(std::string_view json);
Result<std::vector<GuideProgramme>> ParseChannelGuide(std::string_view json);

// The two lines of the selected channel at `now` (UTC seconds), in local time:
// "Now: 20:00 Title · Next: 21:00 Title"; a part without a programme is left out ("Next: ..."
// alone between two programmes); empty when neither is known. Programmes that ended by `now`
// are skipped, so an answer fetched a while ago still reads right.
std::string NowNextLine(const ChannelNowNext& channel, int64_t now);

// "20:00": the local hour and minute of a UTC time.
std::string LocalClockText(int64_t utc_seconds);

// The requests. Fail with the client's message (a service without a guide answers 404) or the
// reason the answer cannot be read; callers without a guide just show none.
// A `cancelled` flag that turns true aborts the transfer (the request runner's cancel).
Result<NowAndNextGuide> FetchNowAndNext(const ServiceConfig& service,
                                        const std::atomic<bool>* cancelled = nullptr);
Result<std::vector<GuideProgramme>> FetchChannelGuide(const ServiceConfig& service,
                                                      int32_t channel_id,
                                                      const std::atomic<bool>* cancelled = nullptr);

}  // namespace vistrel
