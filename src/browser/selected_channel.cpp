#include "browser/selected_channel.h"

#include <functional>

namespace vistrel {

int32_t ChannelPositionOfRow(const Catalogue& catalogue, const VisibleRows& rows, int32_t row) {
  return rows.ChannelAt(catalogue, row) ? rows.PositionOf(row) : -1;
}

int32_t ChannelPositionOfRecord(const Catalogue& catalogue, const Channel& channel) {
  const Channel* const first = catalogue.channels.data();
  const Channel* const end = first + catalogue.channels.size();
  // std::less orders any two addresses, so a record of no catalogue compares safely too.
  const std::less<const Channel*> before;
  if (before(&channel, first) || !before(&channel, end)) return -1;
  return static_cast<int32_t>(&channel - first);
}

int32_t ChannelPositionById(const Catalogue& catalogue, int32_t id) {
  for (std::size_t i = 0; i < catalogue.channels.size(); ++i) {
    if (catalogue.channels[i].id == id) return static_cast<int32_t>(i);
  }
  return -1;
}

}  // namespace vistrel
