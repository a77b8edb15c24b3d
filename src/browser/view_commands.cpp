#include "browser/view_commands.h"

#include "common/error.h"

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

// Runs the store's writes of a command; a write that fails ends it with the store's message.
template <typename Writes>
Outcome Stored(Writes writes) {
  try {
    writes();
  } catch (const Error& e) {
    return Outcome::Fail(e.what());
  }
  return Outcome::Ok();
}

}  // namespace

Outcome SelectCountry(const SettingsStore& store, Catalogue& catalogue, int32_t index) {
  if (index <= 0) {
    Outcome written = Stored([&] { store.Delete("country_f"); });
    if (!written.ok()) return written;
    catalogue.filter.country_id = 0;
    catalogue.filter.country_section_on = false;
    return Outcome::Ok();
  }
  if (static_cast<std::size_t>(index) >= catalogue.countries.size()) return Outcome::Ok();
  const int32_t id = catalogue.countries[index].id;
  Outcome written = Stored([&] {
    store.WriteInteger("country_f", 1);
    store.WriteInteger("country", id);
  });
  if (!written.ok()) return written;
  catalogue.filter.country_id = static_cast<uint16_t>(id);
  catalogue.filter.country_section_on = true;
  return Outcome::Ok();
}

Outcome ShowView(const SettingsStore& store, ViewFilter& filter, View view) {
  Outcome written = Outcome::Ok();
  switch (view) {
    case View::kFavorites:
      // Every write of the command, the clearing included, comes before any change of the
      // filter, so a failed write leaves the view as it was.
      written = Stored([&] {
        store.WriteInteger("selected", 0);
        store.WriteInteger("favorited", 1);
        DeleteSectionFlags(store);
      });
      if (!written.ok()) return written;
      filter.view = View::kFavorites;
      filter.favorited = 1;
      SwitchSectionsOff(filter);
      return Outcome::Ok();
    case View::kTv:
      written = Stored([&] {
        store.Delete("selected");
        store.Delete("favorited");
      });
      if (!written.ok()) return written;
      SetView(filter, View::kTv);
      return Outcome::Ok();
    case View::kRadio:
    case View::kVideo:
      written = Stored([&] {
        store.WriteInteger("selected", static_cast<int32_t>(view));
        store.Delete("favorited");
      });
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
  Outcome written = Stored([&] { DeleteSectionFlags(store); });
  if (!written.ok()) return written;
  SwitchSectionsOff(filter);
  return Outcome::Ok();
}

}  // namespace vistrel
