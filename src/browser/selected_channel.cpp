#include "browser/selected_channel.h"

namespace vistrel {

int32_t ChannelPositionOfRow(const TInfo& info, const std::vector<int32_t>& visible,
                             int32_t row_count, int32_t row) {
  if (row < 0 || row >= row_count || static_cast<std::size_t>(row) >= visible.size()) return -1;
  const int32_t position = visible[static_cast<std::size_t>(row)];
  if (position < 0 || static_cast<std::size_t>(position) >= info.channels.size()) return -1;
  return position;
}

int32_t ChannelPositionById(const TInfo& info, int32_t id) {
  for (std::size_t i = 0; i < info.channels.size(); ++i) {
    if (info.channels[i].id == id) return static_cast<int32_t>(i);
  }
  return -1;
}

}  // namespace vistrel
