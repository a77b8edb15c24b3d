#include "browser/view_builder.h"

#include "browser/view_filter.h"
#include "common/build_config.h"

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
  // Long names live in their own allocations, scattered in memory: with the name section on,
  // fetching them ahead keeps the scan from waiting on each one in turn.
  const bool by_name = info.filter.name_flag && !info.filter.name.empty();
  constexpr std::size_t kFetchAhead = 16;
  const std::size_t count = info.channels.size();
  int32_t n = 0;
  for (std::size_t p = 0; p < count; ++p) {
    if (by_name && p + kFetchAhead < count) {
      __builtin_prefetch(info.channels[p + kFetchAhead].name.data());
    }
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
