#pragma once
// The programme guide of the user's own playlists: a playlist whose "#EXTM3U" header names
// XMLTV guides ("url-tvg", "x-tvg-url") gets the programmes of its channels from them, read
// on the request runner's worker and kept in memory by playlist channel id, from now to a day
// ahead. The guide addresses are fetched directly, never through the catalogue service.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/records.h"
#include "common/error.h"
#include "guide/guide_match.h"
#include "guide/xmltv_reader.h"
#include "service_client/programme_guide.h"

namespace vistrel {

// How far ahead programmes are kept, and how long a kept text may be: a large guide must not
// fill the memory with a week of long descriptions.
inline constexpr int64_t kPlaylistGuideSeconds = 24 * 60 * 60;
inline constexpr std::size_t kPlaylistGuideMaxText = 2000;
// The largest guide document fetched (plain or gzip).
inline constexpr int64_t kPlaylistGuideMaxBytes = 512LL * 1024 * 1024;
// A playlist's guide is fetched again after this long at the earliest.
inline constexpr int64_t kPlaylistGuideRefreshSeconds = 4 * 60 * 60;

// The programmes of playlist channels, by channel id, each channel's sorted by start.
class PlaylistGuide {
 public:
  // The channel's programmes, or null when it has none.
  const std::vector<GuideProgramme>* Find(int32_t channel_id) const;
  // The programme on at `now` (or the next one) and the one after it, as the now/next line
  // wants them; nullopt when the channel has none left after `now`.
  std::optional<ChannelNowNext> NowNext(int32_t channel_id, int64_t now) const;
  // Takes `programme` for the channel when it overlaps [now, now + kPlaylistGuideSeconds),
  // its texts cut to kPlaylistGuideMaxText bytes (at a character boundary). Never fails.
  void Add(int32_t channel_id, Programme&& programme, int64_t now);
  // Sorts each channel's programmes by start and drops repeated starts. Never fails.
  void Settle();
  // Replaces every channel of `fresh` with its programmes there; others stay. Never fails.
  void Merge(PlaylistGuide&& fresh);
  // Drops the channels for which `drop` is true. Never fails.
  void DropChannels(const std::function<bool(int32_t)>& drop);
  std::size_t size() const { return channels_.size(); }

 private:
  std::unordered_map<int32_t, std::vector<GuideProgramme>> channels_;
};

// The guide addresses of the playlist file `copy` (M3uGuideAddresses of its first line); none
// when it has none or cannot be read. Never fails.
std::vector<std::string> PlaylistGuideAddressesOf(const std::filesystem::path& copy);

// The XMLTV document that `feed` gives to a reader, matched to `targets` (MatchGuideChannels:
// the guide id, else the name) and kept for the window from `now`. Fails with the reader's
// or `feed`'s message.
Result<PlaylistGuide> ReadPlaylistGuide(const std::function<Outcome(XmltvReader&)>& feed,
                                        const std::vector<GuideTarget>& targets, int64_t now);

// Feeds the guide at `address` to `reader` and finishes it: an http or https address is
// fetched (at most kPlaylistGuideMaxBytes; `cancelled` aborts), a "file:" address or a path is
// read from disk. Fails with the client's message (which never holds the whole address), or
// the reader's.
Outcome FeedGuideAddress(const std::string& address, XmltvReader& reader,
                         const std::atomic<bool>* cancelled);

// A playlist channel as its guide needs it.
struct PlaylistGuideChannel {
  int32_t id = 0;
  std::string name;
  std::string url;
};

// One playlist's guide as the worker fetches it: its copy, its guide addresses and its
// channels.
struct PlaylistGuideJob {
  std::string playlist_name;
  std::filesystem::path copy;
  std::vector<std::string> addresses;
  std::vector<PlaylistGuideChannel> channels;
};

// The channels of `channels` with their guide ids ("tvg-id") read from the playlist file
// `copy` in one pass, by the rule of ReadPlaylistChannelDetails (the first entry with the same
// address and name). Fails with CannotReadMessage.
Result<std::vector<GuideTarget>> PlaylistGuideTargets(
    const std::filesystem::path& copy, const std::vector<PlaylistGuideChannel>& channels);

// Reads each address of `job` for its channels (PlaylistGuideTargets), the first guide to give
// a channel programmes winning. A guide that fails is told in `failures` ("guide 2: reason",
// never its address) and skipped. Fails only when the copy cannot be read for the guide ids.
Result<PlaylistGuide> FetchPlaylistGuide(const PlaylistGuideJob& job, int64_t now,
                                         const std::atomic<bool>* cancelled,
                                         std::vector<std::string>& failures);

}  // namespace vistrel
