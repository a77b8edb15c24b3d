#include "protocol/service_protocol.h"

namespace vistrel {

std::optional<int> ParseRating(std::string_view text) {
  for (int stars = kFewestStars; stars <= kMostStars; ++stars) {
    if (text == RatingWord(stars)) return stars;
  }
  return std::nullopt;
}

std::optional<ChannelStatus> ParseFlag(std::string_view text) {
  for (const ChannelStatus flag :
       {ChannelStatus::kWorkFine, ChannelStatus::kNotWorking, ChannelStatus::kWrongInfo,
        ChannelStatus::kDuplicate, ChannelStatus::kSpam}) {
    if (text == FlagWord(flag)) return flag;
  }
  return std::nullopt;
}

}  // namespace vistrel
