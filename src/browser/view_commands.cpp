#include "browser/view_commands.h"

namespace vistrel {

namespace {

void DeleteSectionFlags(const SettingsStore& store) {
  for (const char* name : {"name_f", "country_f", "genre_f", "bitrate_f", "flag_f"}) {
    store.delete_reg(name);
  }
}

void SwitchSectionsOff(TFilter& f) {
  f.name_flag = f.country_flag = f.genre_flag = f.bitrate_flag = f.flag_flag = false;
}

void SetView(TFilter& f, uint16_t group_id) {
  f.group_id = group_id;
  f.favorited = 0;
}

}  // namespace

void CountryALComboBoxChange(const SettingsStore& store, TInfo& info, int32_t index) {
  if (index <= 0) {
    store.delete_reg("country_f");
    info.filter.country_id = 0;
    info.filter.country_flag = false;
    return;
  }
  if (static_cast<std::size_t>(index) >= info.countries.size()) return;
  const int32_t id = info.countries[index].id;
  store.write_reg_integer("country_f", 1);
  store.write_reg_integer("country", id);
  info.filter.country_id = static_cast<uint16_t>(id);
  info.filter.country_flag = true;
}

void FavAdvToolButtonClick(const SettingsStore& store, TFilter& filter, bool pressed) {
  if (!pressed) {
    TvAdvToolButtonClick(store, filter);
    return;
  }
  // Every write of the command, the Clear part included, comes before any change of the
  // filter, so a failed write leaves the view as it was.
  store.write_reg_integer("selected", 0);
  store.write_reg_integer("favorited", 1);
  DeleteSectionFlags(store);
  filter.group_id = 0;
  filter.favorited = 1;
  SwitchSectionsOff(filter);
}

void FavoritesAdvToolButtonClick(const SettingsStore& store, TFilter& filter) {
  FavAdvToolButtonClick(store, filter, true);
}

void TvAdvToolButtonClick(const SettingsStore& store, TFilter& filter) {
  store.delete_reg("selected");
  store.delete_reg("favorited");
  SetView(filter, 1);
}

void RadioAdvToolButtonClick(const SettingsStore& store, TFilter& filter) {
  store.write_reg_integer("selected", 2);
  store.delete_reg("favorited");
  SetView(filter, 2);
}

void VideoAdvToolButtonClick(const SettingsStore& store, TFilter& filter) {
  store.write_reg_integer("selected", 3);
  store.delete_reg("favorited");
  SetView(filter, 3);
}

void ClearFilterLabelClick(const SettingsStore& store, TFilter& filter) {
  DeleteSectionFlags(store);
  SwitchSectionsOff(filter);
}

}  // namespace vistrel
