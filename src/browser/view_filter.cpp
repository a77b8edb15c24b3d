#include "browser/view_filter.h"

namespace vistrel {

bool TextOccurs(std::string_view text, std::string_view haystack) {
  return !text.empty() && haystack.find(text) != std::string_view::npos;
}

namespace {

// A status switch that is on hides the channels of its status.
bool StatusHidden(const ViewFilter& f, ChannelStatus status) {
  switch (status) {
    case ChannelStatus::kWorkFine:
      return f.hide_work_fine;
    case ChannelStatus::kNotWorking:
      return f.hide_not_working;
    case ChannelStatus::kNew:
      return f.hide_new;
    case ChannelStatus::kWrongInfo:
      return f.hide_wrong_info;
    case ChannelStatus::kDuplicate:
      return f.hide_duplicate;
    case ChannelStatus::kSpam:
      return f.hide_spam;
  }
  return false;  // a value outside the enumeration, which no file can give
}

}  // namespace

bool ChannelPassesFilter(const ViewFilter& f, const Channel& c) {
  if (c.type_id > 1) return false;
  if (f.view != View::kFavorites) {
    if (c.group_id != static_cast<int32_t>(f.view)) return false;
  } else if (uint16_t{c.favorited} != f.favorited) {
    // A channel carries the mark 1 when it is a favourite, else 0; a stored mark of any other
    // value shows no channel.
    return false;
  }
  if (f.name_section_on && !TextOccurs(f.name, c.name)) return false;
  // The filter keeps 16-bit ids; they widen without sign.
  if (f.country_section_on && c.country_id != static_cast<int32_t>(f.country_id)) return false;
  if (f.genre_section_on && c.genre_id != static_cast<int32_t>(f.genre_id)) return false;
  if (f.bitrate_section_on && !(c.bitrate > f.bitrate)) return false;
  if (f.status_section_on && StatusHidden(f, c.status)) return false;
  return true;
}

bool AnySectionOn(const ViewFilter& f) {
  return f.name_section_on || f.country_section_on || f.genre_section_on || f.bitrate_section_on ||
         f.status_section_on;
}

}  // namespace vistrel
