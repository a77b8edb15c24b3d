#pragma once
// Which channels the list shows: the filter predicate.

#include <string_view>

#include "catalogue/records.h"

namespace vistrel {

// Whether `text` occurs in `haystack`, byte for byte (so case-sensitive). An empty text occurs
// nowhere: a name section or search with no text finds nothing.
bool TextOccurs(std::string_view text, std::string_view haystack);

// Whether `channel` belongs in the view `filter` describes: player type at most 1, the view's
// group (or, in the favourites view, the favourite mark), then every section that is on.
bool ChannelPassesFilter(const ViewFilter& filter, const Channel& channel);

// Whether any of the five sections is on; the Clear label shows exactly then.
bool AnySectionOn(const ViewFilter& filter);

}  // namespace vistrel
