#pragma once
// From a row of the channel list to the catalogue position of the channel it shows.

#include <cstdint>

#include "browser/visible_rows.h"
#include "catalogue/records.h"

namespace vistrel {

// Position in catalogue.channels of the channel shown in list row `row`, or -1 when the list
// has no such row or its entry is no catalogue position. Callers must check for -1 before
// indexing the catalogue with the result.
int32_t ChannelPositionOfRow(const Catalogue& catalogue, const VisibleRows& rows, int32_t row);

// Position in catalogue.channels of the record `channel`, or -1 when it is no record of the
// catalogue (a copy, or a record of another catalogue).
int32_t ChannelPositionOfRecord(const Catalogue& catalogue, const Channel& channel);

// Position of the first channel whose id is `id`, or -1 when none has it. Ids need not be
// unique (a user channel may share its id with a package channel), so a command on a list
// row uses ChannelPositionOfRow instead.
int32_t ChannelPositionById(const Catalogue& catalogue, int32_t id);

}  // namespace vistrel
