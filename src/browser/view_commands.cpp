#include "browser/view_commands.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace vistrel {

namespace {

constexpr std::string_view kViewName = FilterSettingName(&ViewFilter::view);
constexpr std::string_view kFavoriteMarkName = FilterSettingName(&ViewFilter::favorited);
constexpr std::string_view kCountrySwitchName = FilterSettingName(&ViewFilter::country_section_on);
constexpr std::string_view kCountryName = FilterSettingName(&ViewFilter::country_id);

SettingsChange Stored(std::string_view name, int32_t value) {
  return {std::string(name), std::to_string(value)};
}

SettingsChange Deleted(std::string_view name) {
  return {std::string(name), std::nullopt};
}

void SwitchSectionsOff(ViewFilter& f) {
  f.name_section_on = f.country_section_on = f.genre_section_on = f.bitrate_section_on =
      f.status_section_on = false;
}

void SetView(ViewFilter& f, View view) {
  f.view = view;
  f.favorited = 0;
}

}  // namespace

Outcome SelectCountry(const SettingsStore& store, Catalogue& catalogue, int32_t index) {
  if (index <= 0) {
    Outcome written = store.Update({Deleted(kCountrySwitchName)});
    if (!written.ok()) return written;
    catalogue.filter.country_id = 0;
    catalogue.filter.country_section_on = false;
    return Outcome::Ok();
  }
  if (static_cast<std::size_t>(index) >= catalogue.countries.size()) return Outcome::Ok();
  const int32_t id = catalogue.countries[index].id;
  Outcome written = store.Update({Stored(kCountrySwitchName, 1), Stored(kCountryName, id)});
  if (!written.ok()) return written;
  catalogue.filter.country_id = static_cast<uint16_t>(id);
  catalogue.filter.country_section_on = true;
  return Outcome::Ok();
}

Outcome ShowView(const SettingsStore& store, ViewFilter& filter, View view) {
  Outcome written = Outcome::Ok();
  switch (view) {
    case View::kFavorites: {
      // The whole command, the clearing included, is one write before any change of the
      // filter, so a failed write leaves the view as it was.
      SettingsChanges changes = {Stored(kViewName, 0), Stored(kFavoriteMarkName, 1)};
      for (SettingsChange& deletion : SectionSwitchDeletions()) {
        changes.push_back(std::move(deletion));
      }
      written = store.Update(changes);
      if (!written.ok()) return written;
      filter.view = View::kFavorites;
      filter.favorited = 1;
      SwitchSectionsOff(filter);
      return Outcome::Ok();
    }
    case View::kTv:
      written = store.Update({Deleted(kViewName), Deleted(kFavoriteMarkName)});
      if (!written.ok()) return written;
      SetView(filter, View::kTv);
      return Outcome::Ok();
    case View::kRadio:
    case View::kVideo:
    case View::kPlaylist:
      written =
          store.Update({Stored(kViewName, static_cast<int32_t>(view)), Deleted(kFavoriteMarkName)});
      if (!written.ok()) return written;
      SetView(filter, view);
      return Outcome::Ok();
  }
  return Outcome::Ok();
}

Outcome ToggleFavoritesView(const SettingsStore& store, ViewFilter& filter, bool pressed) {
  return ShowView(store, filter, pressed ? View::kFavorites : View::kTv);
}

Outcome ClearSections(const SettingsStore& store, ViewFilter& filter) {
  Outcome written = store.Update(SectionSwitchDeletions());
  if (!written.ok()) return written;
  SwitchSectionsOff(filter);
  return Outcome::Ok();
}

}  // namespace vistrel
