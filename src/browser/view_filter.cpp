#include "browser/view_filter.h"

namespace vistrel {

bool TextOccurs(std::string_view text, std::string_view haystack) {
  return !text.empty() && haystack.find(text) != std::string_view::npos;
}

namespace {

// A status switch that is on hides the channels of its status.
bool StatusHidden(const TFilter& f, int32_t status) {
  switch (status) {
    case kStatusWorkFine:
      return f.workfine;
    case kStatusNotWorking:
      return f.notworking;
    case kStatusNew:
      return f.new_;
    case kStatusWrongInfo:
      return f.wrong;
    case kStatusDuplicate:
      return f.duplicate;
    case kStatusSpam:
      return f.spam;
    default:
      return false;
  }
}

}  // namespace

bool ChannelPassesFilter(const TFilter& f, const TItem& c) {
  if (c.type_id > 1) return false;
  if (f.group_id > 0) {
    if (c.group_id != f.group_id) return false;
  } else if (c.favorited != f.favorited) {
    return false;
  }
  if (f.name_flag && !TextOccurs(f.name, c.name)) return false;
  // The filter keeps 16-bit ids; they widen without sign.
  if (f.country_flag && c.country_id != static_cast<int32_t>(f.country_id)) return false;
  if (f.genre_flag && c.genre_id != static_cast<int32_t>(f.genre_id)) return false;
  if (f.bitrate_flag && !(c.bitrate > f.bitrate)) return false;
  if (f.flag_flag && StatusHidden(f, c.status)) return false;
  return true;
}

bool AnySectionOn(const TFilter& f) {
  return f.name_flag || f.country_flag || f.genre_flag || f.bitrate_flag || f.flag_flag;
}

}  // namespace vistrel
