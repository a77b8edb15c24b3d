#pragma once
// Sorting the catalogue in place by one of the list's five columns. One toggle chooses the
// direction for every column and flips after each sort.

#include <cstdint>

#include "browser/list_rows.h"
#include "catalogue/records.h"

namespace vistrel {

struct SortState {
  bool toggle = false;                       // flips after every sort; see SortAscending
  ListColumn column = ListColumn::kChannel;  // column of the last sort
};

// Direction of `column` for a toggle value: texts ascend while the toggle is false, numbers
// (rating, bitrate) descend.
bool SortAscending(ListColumn column, bool toggle);

// Sorts the whole catalogue by `column` (the name, the genre text of the record, the average
// rating, the bitrate or the comment) in the direction the toggle selects, flips the toggle
// and stores the column. A value that is no column sorts nothing and leaves the toggle, but
// is stored. Records with equal keys end in the order that Hoare partitioning around the
// middle record gives (see sort_channels.cpp), so the order is reproducible from the previous
// one. Records are moved, never copied. Does not fail.
void SortChannels(Catalogue& catalogue, ListColumn column, SortState& state);

// A click on a column header: nothing when the list has no rows (`row_count` 0); otherwise
// sorts the whole catalogue by `column` and returns true, and the caller runs RebuildView.
bool SortByColumn(Catalogue& catalogue, int32_t row_count, ListColumn column, SortState& state);

}  // namespace vistrel
