#include "browser/view_commands.h"

namespace vistrel {

namespace {

void DeleteSectionFlags(const SettingsStore& store) {
  for (const char* name : {"name_f", "country_f", "genre_f", "bitrate_f", "flag_f"}) {
    store.Delete(name);
  }
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

void SelectCountry(const SettingsStore& store, Catalogue& catalogue, int32_t index) {
  if (index <= 0) {
    store.Delete("country_f");
    catalogue.filter.country_id = 0;
    catalogue.filter.country_section_on = false;
    return;
  }
  if (static_cast<std::size_t>(index) >= catalogue.countries.size()) return;
  const int32_t id = catalogue.countries[index].id;
  store.WriteInteger("country_f", 1);
  store.WriteInteger("country", id);
  catalogue.filter.country_id = static_cast<uint16_t>(id);
  catalogue.filter.country_section_on = true;
}

void ShowView(const SettingsStore& store, ViewFilter& filter, View view) {
  switch (view) {
    case View::kFavorites:
      // Every write of the command, the clearing included, comes before any change of the
      // filter, so a failed write leaves the view as it was.
      store.WriteInteger("selected", 0);
      store.WriteInteger("favorited", 1);
      DeleteSectionFlags(store);
      filter.view = View::kFavorites;
      filter.favorited = 1;
      SwitchSectionsOff(filter);
      return;
    case View::kTv:
      store.Delete("selected");
      store.Delete("favorited");
      SetView(filter, View::kTv);
      return;
    case View::kRadio:
    case View::kVideo:
    case View::kPlaylist:
      store.WriteInteger("selected", static_cast<int32_t>(view));
      store.Delete("favorited");
      SetView(filter, view);
      return;
  }
}

void ToggleFavoritesView(const SettingsStore& store, ViewFilter& filter, bool pressed) {
  ShowView(store, filter, pressed ? View::kFavorites : View::kTv);
}

void ClearSections(const SettingsStore& store, ViewFilter& filter) {
  DeleteSectionFlags(store);
  SwitchSectionsOff(filter);
}

}  // namespace vistrel
