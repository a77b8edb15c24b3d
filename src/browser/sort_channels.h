#pragma once
// Sorting the catalogue in place by one of the list's five columns. One toggle chooses the
// direction for every column and flips after each sort.

#include <cstdint>

#include "catalogue/records.h"

namespace vistrel {

struct SortState {
  bool SortToggle = false;
  int32_t SortColumn = 0;  // column of the last sort
};

// Columns: 0 name, 1 genre text of the record, 2 average rating, 3 bitrate, 4 comment.
inline constexpr int32_t kSortColumnCount = 5;

// Direction of `column` for a toggle value: texts ascend while the toggle is false, numbers
// (rating, bitrate) descend.
bool SortAscending(int32_t column, bool toggle);

// Sorts channels[0..last_index] by `column` in the direction the toggle selects, flips the
// toggle and stores the column. Callers pass channels.size() - 1. A column outside 0..4 sorts
// nothing and leaves the toggle, but is stored. Records with equal keys end in the order that
// Hoare partitioning around the middle record gives (see sort_channels.cpp), so the order is
// reproducible from the previous one. Records are moved, never copied.
void SortChannels(TInfo& info, int32_t last_index, int32_t column, SortState& state);

// The core of a click on a column header: nothing when the list has no rows; otherwise sorts
// the whole catalogue by `column` and returns true, and the caller runs RebuildView.
bool MainAdvListViewColumnClick(TInfo& info, int32_t row_count, int32_t column, SortState& state);

}  // namespace vistrel
