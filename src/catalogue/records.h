#pragma once
// The catalogue: the package's version, countries, genres and every channel, including the
// user's own. Texts are UTF-8; the files they come from are converted when read.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

// Capacity, in characters, of the short texts.
inline constexpr std::size_t kShortTextCapacity = 255;
inline constexpr std::size_t kVersionTextCapacity = 12;

// A short UTF-8 text keeps at most `capacity` characters; longer values are cut at a character
// boundary, never inside a multi-byte sequence.
std::string CutText(std::string_view text, std::size_t capacity = kShortTextCapacity);

// Which channels the list shows: the current view and five optional sections.
struct TFilter {
  uint16_t group_id = 0;  // 0 favourites, 1 TV, 2 radio, 3 video
  uint16_t favorited = 0;
  bool name_flag = false;
  bool country_flag = false;
  bool genre_flag = false;
  bool bitrate_flag = false;
  bool flag_flag = false;
  std::string name;
  uint16_t country_id = 0;
  uint16_t genre_id = 0;
  int32_t bitrate = 0;
  // Status switches: hide channels of that status.
  bool workfine = false;
  bool notworking = false;
  bool new_ = false;  // "new" status (no reports yet); trailing _ because `new` is reserved
  bool wrong = false;
  bool duplicate = false;
  bool spam = false;
};

struct Tcountry {
  int32_t id = 0;
  std::string name;  // short text
};

struct Tgenre {
  int32_t id = 0;
  std::string name;  // short text
};

// Report class of a channel, derived from its report counters by ChannelStatus.
enum : int32_t {
  kStatusWorkFine = 0,
  kStatusNotWorking = 1,
  kStatusNew = 2,
  kStatusWrongInfo = 3,
  kStatusDuplicate = 4,
  kStatusSpam = 5,
};

struct TItem {
  int32_t id = 0;
  int32_t favorited = 0;
  int32_t group_id = 0;  // 1 TV, 2 radio, 3 video
  int32_t sent = 0;
  std::string name;  // short text
  std::string url;
  int32_t bitrate = 0;
  int32_t type_id = 0;
  std::string homepage;
  int32_t country_id = 0;
  int32_t genre_id = 0;
  std::string genre;  // short text: the genre's name when the channel was loaded or edited
  std::string comment;
  double rating = 0;
  int32_t rated = 0;
  double rt = 0;
  int32_t workfine = 0;
  int32_t notworking = 0;
  int32_t wrong = 0;
  int32_t duplicate = 0;
  int32_t spam = 0;
  int32_t status = 0;
  uint16_t usdef = 0;  // 1 for a channel the user added
  // Rated or flagged in this session. The marks travel with the record through sorts and
  // removals, and go with the records when the catalogue is cleared.
  bool rated_mark = false;
  bool flagged_mark = false;
};

struct TInfo {
  std::string stVersion;  // at most 12 characters
  double dtVersion = 0;   // days since 30 December 1899
  TFilter filter;
  std::vector<Tcountry> countries;
  std::vector<Tgenre> genres;
  std::vector<TItem> channels;
  int32_t ud_max = 0;
};

// The catalogue record and the favourites list read at start-up, which every later load
// consults again.
struct Catalogue {
  TInfo info;
  std::vector<int32_t> favorites_list;
};

}  // namespace vistrel
