#include "browser/view_builder.h"

#include "browser/view_filter.h"
#include "build_config.h"

namespace vistrel {

std::optional<std::string> CaptionSuffix(uint16_t group_id) {
  switch (group_id) {
    case 0:
      return " - Favorites";
    case 1:
      return " - Tv";
    case 2:
      return " - Radio";
    case 3:
      return " - Video";
    default:
      return std::nullopt;
  }
}

std::string BaseCaption() {
  return std::string(build::kProductName) + " - " + build::kVersion;
}

std::string ViewCaption(const std::string& suffix) {
  return BaseCaption() + suffix;
}

ViewResult ApplyFilter(const TInfo& info, std::vector<int32_t> visible) {
  ViewResult view;
  view.caption_suffix = CaptionSuffix(info.filter.group_id);
  // Sized once to the catalogue, so filling never grows it.
  visible.resize(info.channels.size(), 0);
  int32_t n = 0;
  for (std::size_t p = 0; p < info.channels.size(); ++p) {
    if (ChannelPassesFilter(info.filter, info.channels[p])) visible[n++] = static_cast<int32_t>(p);
  }
  view.visible = std::move(visible);
  view.row_count = n;
  view.clear_label_visible = AnySectionOn(info.filter);
  return view;
}

namespace {

int32_t SelectedCountry(const TInfo& info) {
  if (info.countries.empty()) return -1;
  if (!info.filter.country_flag) return 0;
  const auto wanted = static_cast<int32_t>(info.filter.country_id);
  for (auto i = static_cast<int32_t>(info.countries.size()) - 1; i >= 0; --i) {
    if (info.countries[i].id == wanted) return i;
  }
  return 0;
}

}  // namespace

ViewResult RebuildView(const TInfo& info, std::vector<int32_t> visible) {
  ViewResult view = ApplyFilter(info, std::move(visible));
  view.country_names.reserve(info.countries.size());
  for (const auto& c : info.countries) view.country_names.push_back(c.name);
  view.country_index = SelectedCountry(info);
  view.editor_country_index = info.countries.empty() ? -1 : 0;
  view.genre_names.reserve(info.genres.size());
  for (const auto& g : info.genres) view.genre_names.push_back(g.name);
  view.filter_genre_index = info.genres.empty() ? -1 : 0;
  view.editor_genre_index = -1;
  return view;
}

}  // namespace vistrel
