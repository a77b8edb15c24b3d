#include "protocol/service_protocol.h"

namespace vistrel {

std::optional<int> ParseRating(std::string_view text) {
  for (int stars = kFewestStars; stars <= kMostStars; ++stars) {
    if (text == RatingWord(stars)) return stars;
  }
  return std::nullopt;
}

std::optional<ChannelFlag> ParseFlag(std::string_view text) {
  for (const ChannelFlag flag :
       {ChannelFlag::kWorkFine, ChannelFlag::kNotWorking, ChannelFlag::kWrongInfo,
        ChannelFlag::kDuplicate, ChannelFlag::kSpam}) {
    if (text == FlagWord(flag)) return flag;
  }
  return std::nullopt;
}

}  // namespace vistrel
