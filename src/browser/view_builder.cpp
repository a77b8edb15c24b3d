#include "browser/view_builder.h"

#include "browser/view_filter.h"
#include "common/build_config.h"

namespace vistrel {

std::optional<std::string> CaptionSuffix(View view) {
  switch (view) {
    case View::kFavorites:
      return " - Favorites";
    case View::kTv:
      return " - Tv";
    case View::kRadio:
      return " - Radio";
    case View::kVideo:
      return " - Video";
    case View::kPlaylist:
      return " - Playlist";
  }
  return std::nullopt;
}

std::string BaseCaption() {
  return std::string(build::kProductName) + " - " + build::kVersion;
}

std::string ViewCaption(const std::string& suffix) {
  return BaseCaption() + suffix;
}

ViewResult ApplyFilter(const Catalogue& catalogue, VisibleRows previous) {
  ViewResult view;
  view.caption_suffix = CaptionSuffix(catalogue.filter.view);
  // Sized once to the catalogue, so filling never grows it.
  std::vector<int32_t> visible = std::move(previous.positions);
  visible.resize(catalogue.channels.size(), 0);
  // Long names live in their own allocations, scattered in memory: with the name section on,
  // fetching them ahead keeps the scan from waiting on each one in turn.
  const bool by_name = catalogue.filter.name_section_on && !catalogue.filter.name.empty();
  constexpr std::size_t kFetchAhead = 16;
  const std::size_t count = catalogue.channels.size();
  int32_t n = 0;
  for (std::size_t p = 0; p < count; ++p) {
    if (by_name && p + kFetchAhead < count) {
      __builtin_prefetch(catalogue.channels[p + kFetchAhead].name.data());
    }
    if (ChannelPassesFilter(catalogue.filter, catalogue.channels[p]))
      visible[n++] = static_cast<int32_t>(p);
  }
  view.visible_rows.positions = std::move(visible);
  view.visible_rows.count = n;
  view.clear_label_visible = AnySectionOn(catalogue.filter);
  return view;
}

namespace {

int32_t SelectedCountry(const Catalogue& catalogue) {
  if (catalogue.countries.empty()) return -1;
  if (!catalogue.filter.country_section_on) return 0;
  const auto wanted = static_cast<int32_t>(catalogue.filter.country_id);
  for (auto i = static_cast<int32_t>(catalogue.countries.size()) - 1; i >= 0; --i) {
    if (catalogue.countries[i].id == wanted) return i;
  }
  return 0;
}

}  // namespace

ViewResult RebuildView(const Catalogue& catalogue, VisibleRows previous) {
  ViewResult view = ApplyFilter(catalogue, std::move(previous));
  view.country_names.reserve(catalogue.countries.size());
  for (const auto& c : catalogue.countries) view.country_names.push_back(c.name);
  view.country_index = SelectedCountry(catalogue);
  view.editor_country_index = catalogue.countries.empty() ? -1 : 0;
  view.genre_names.reserve(catalogue.genres.size());
  for (const auto& g : catalogue.genres) view.genre_names.push_back(g.name);
  view.filter_genre_index = catalogue.genres.empty() ? -1 : 0;
  view.editor_genre_index = -1;
  return view;
}

}  // namespace vistrel
