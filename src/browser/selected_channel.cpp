#include "browser/selected_channel.h"

namespace vistrel {

int32_t ChannelPositionOfRow(const Catalogue& catalogue, const VisibleRows& rows, int32_t row) {
  return rows.ChannelAt(catalogue, row) ? rows.PositionOf(row) : -1;
}

int32_t ChannelPositionById(const Catalogue& catalogue, int32_t id) {
  for (std::size_t i = 0; i < catalogue.channels.size(); ++i) {
    if (catalogue.channels[i].id == id) return static_cast<int32_t>(i);
  }
  return -1;
}

}  // namespace vistrel
