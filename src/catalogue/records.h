#pragma once
// The catalogue: the package's version, countries, genres and every channel, including the
// user's own. Texts are UTF-8; the files they come from are converted when read.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/channel_text.h"
#include "catalogue/stream_headers.h"

namespace vistrel {

// Capacity, in characters, of the short texts.
inline constexpr std::size_t kShortTextCapacity = 255;
inline constexpr std::size_t kVersionTextCapacity = 12;

// A short UTF-8 text keeps at most `capacity` characters; longer values are cut at a character
// boundary, never inside a multi-byte sequence.
std::string CutText(std::string_view text, std::size_t capacity = kShortTextCapacity);

// The five views of the list. The value is the one stored as the "selected" setting; a
// stored value that is no view is kept as it is and shows no channel. The playlist view shows
// the channels of the user's own M3U playlists.
enum class View : uint16_t {
  kFavorites = 0,
  kTv = 1,
  kRadio = 2,
  kVideo = 3,
  kPlaylist = 4,
};

// Which channels the list shows: the current view and five optional sections.
struct ViewFilter {
  View view = View::kFavorites;
  uint16_t favorited = 0;  // in the favourites view: the favourite mark a channel must carry
  bool name_section_on = false;
  bool country_section_on = false;
  bool genre_section_on = false;
  bool bitrate_section_on = false;
  bool status_section_on = false;
  std::string name;
  uint16_t country_id = 0;
  uint16_t genre_id = 0;
  int32_t bitrate = 0;  // channels above this bitrate pass
  // The status section's switches: each hides the channels of that status.
  bool hide_work_fine = false;
  bool hide_not_working = false;
  bool hide_new = false;  // no reports yet
  bool hide_wrong_info = false;
  bool hide_duplicate = false;
  bool hide_spam = false;
};

struct Country {
  int32_t id = 0;
  std::string name;  // short text
  bool operator==(const Country&) const = default;
};

struct Genre {
  int32_t id = 0;
  std::string name;  // short text
  bool operator==(const Genre&) const = default;
};

// Report class of a channel, derived from its report counters by StatusOfReports; also what a
// user may flag a channel as (all but kNew). The numbers are those vistrel-tool prints.
enum class ChannelStatus : int32_t {
  kWorkFine = 0,
  kNotWorking = 1,
  kNew = 2,  // no reports yet
  kWrongInfo = 3,
  kDuplicate = 4,
  kSpam = 5,
};

struct Channel {
  int32_t id = 0;
  // Listed in favorites.dat; the favourites view compares it as the mark 1 (else 0).
  bool favorited = false;
  int32_t group_id = 0;  // category: 1 TV, 2 radio, 3 video
  // A user channel already submitted to the service; userdef.dat holds it as a number, where
  // any value but 0 means submitted.
  bool sent = false;
  ChannelText name;  // short text
  ChannelText url;
  int32_t bitrate = 0;
  int32_t type_id = 0;  // player type; the list shows channels of type 0 and 1 only
  ChannelText homepage;
  int32_t country_id = 0;
  int32_t genre_id = 0;
  ChannelText genre_name;  // short text: the genre's name when the channel was loaded or edited
  ChannelText comment;
  double rating = 0;          // total of the stars given
  double average_rating = 0;  // rating / rated, 0 while unrated
  // After the doubles, where it pairs with the counters: between them it left two holes, 8
  // bytes a record, 5 MB of a large catalogue.
  int32_t rated = 0;  // number of ratings
  int32_t work_fine_reports = 0;
  int32_t not_working_reports = 0;
  int32_t wrong_info_reports = 0;
  int32_t duplicate_reports = 0;
  int32_t spam_reports = 0;
  ChannelStatus status = ChannelStatus::kWorkFine;  // StatusOfReports of the five counters
  bool user_defined = false;                        // a channel the user added
  bool from_playlist = false;  // a channel of one of the user's playlists (IsPlaylistChannel)
  // Rated or flagged in this session. The marks travel with the record through sorts and
  // removals, and go with the records when the catalogue is cleared.
  bool rated_mark = false;
  bool flagged_mark = false;
  // Field by field (doubles by value).
  bool operator==(const Channel&) const = default;
};

// A channel from one of the user's own playlists (from_playlist). Its group_id is the
// playlist view's and its id negative (package and user channels have positive ids), so that a
// favourite made of it never takes another channel's place. Its address may hold the user's
// credentials: nothing about it is ever sent to the catalogue service.
inline bool IsPlaylistChannel(const Channel& channel) {
  return channel.from_playlist;
}

// The catalogue: the package's version, the view filter, the tables and every channel, the
// user's own included.
struct Catalogue {
  std::string version_text;  // at most 12 characters
  double version_date = 0;   // days since 30 December 1899
  ViewFilter filter;
  std::vector<Country> countries;
  std::vector<Genre> genres;
  std::vector<Channel> channels;
  int32_t highest_user_id = 0;  // new user channels are numbered above it
  // The HTTP headers of the channels whose servers want some, by channel id: few channels need
  // them, so they live beside the records rather than in each.
  std::unordered_map<int32_t, StreamHeaders> stream_headers;
};

}  // namespace vistrel
