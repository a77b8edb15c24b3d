#pragma once
// From a row of the channel list to the channel it shows.

#include <cstdint>
#include <vector>

#include "catalogue/records.h"

namespace vistrel {

// Position in info.channels of the channel shown in list row `row` (row -> visible -> channels),
// or -1 when the row is not one of the `row_count` rows shown or its entry is no catalogue
// position. Callers must check for -1 before indexing the catalogue with the result.
int32_t ChannelPositionOfRow(const TInfo& info, const std::vector<int32_t>& visible,
                             int32_t row_count, int32_t row);

// Position of the first channel whose id is `id`, or -1 when none has it. Ids need not be
// unique (a user channel may share its id with a package channel), so a command on a list
// row uses ChannelPositionOfRow instead.
int32_t ChannelPositionById(const TInfo& info, int32_t id);

}  // namespace vistrel
