#pragma once
// The words of the catalogue service's requests, written once for the program that sends them
// and the service that reads them: the paths under /service/, the parameter names, the rating
// values and the flag words.

#include <optional>
#include <string_view>

#include "catalogue/records.h"

namespace vistrel {

// Request paths.
inline constexpr const char* kListDownloadPath = "/service/get.php";
inline constexpr const char* kRatePath = "/service/rate.php";
inline constexpr const char* kFlagPath = "/service/flag.php";
inline constexpr const char* kReportPath = "/service/bad.php";  // a stream that failed to play
inline constexpr const char* kSubmitPath = "/service/new2.php";
// The programme guide: ?id=N for one channel, ?now=1 for every channel's now and next.
inline constexpr const char* kGuidePath = "/service/guide.php";

// Parameters of the list download.
inline constexpr const char* kAccessKeyParam = "key";
inline constexpr const char* kDateParam = "date";  // the version stamp the program holds
// Parameters of ratings, flags and reports.
inline constexpr const char* kRatingParam = "rating";
inline constexpr const char* kFlagParam = "flag";
inline constexpr const char* kIdParam = "id";
inline constexpr const char* kReportIdParam = "channel_id";
// Parameters of a submitted channel, in the order the program sends them.
inline constexpr const char* kGroupParam = "group";
inline constexpr const char* kNameParam = "name";
inline constexpr const char* kUrlParam = "url";
inline constexpr const char* kBitrateParam = "bitrate";
inline constexpr const char* kTypeParam = "type";
inline constexpr const char* kHomepageParam = "homepage";
inline constexpr const char* kCountryParam = "country";
inline constexpr const char* kGenreParam = "genre";
inline constexpr const char* kCommentParam = "comment";

// Ratings are whole stars, sent as one digit.
inline constexpr int kFewestStars = 1;
inline constexpr int kMostStars = 5;

// The rating value of `stars` ("1" to "5"); nothing outside kFewestStars..kMostStars.
constexpr const char* RatingWord(int stars) {
  constexpr const char* kWords[] = {"1", "2", "3", "4", "5"};
  return stars >= kFewestStars && stars <= kMostStars ? kWords[stars - kFewestStars] : nullptr;
}

// A rating value as whole stars: exactly one digit from "1" to "5", nothing otherwise.
std::optional<int> ParseRating(std::string_view text);

// The flag word on the wire of a status a user may flag a channel as: "ok", "bad", "wrong",
// "duplicate", "spam"; nothing (null) for kNew, which no one flags.
constexpr const char* FlagWord(ChannelStatus flag) {
  switch (flag) {
    case ChannelStatus::kWorkFine:
      return "ok";
    case ChannelStatus::kNotWorking:
      return "bad";
    case ChannelStatus::kWrongInfo:
      return "wrong";
    case ChannelStatus::kDuplicate:
      return "duplicate";
    case ChannelStatus::kSpam:
      return "spam";
    case ChannelStatus::kNew:
      break;
  }
  return nullptr;
}

// The status of a flag word, exactly as FlagWord writes it (case included); nothing otherwise
// (never kNew).
std::optional<ChannelStatus> ParseFlag(std::string_view text);

}  // namespace vistrel
