#pragma once
// The main window's view commands: each writes its settings values (one write of the store),
// then changes the filter.
// Every command that succeeds is followed by RebuildView on the caller's side. A write that
// fails makes the command fail with the store's message before the filter has changed; the
// caller then shows the message and must not rebuild.

#include <cstdint>

#include "browser/settings_store.h"
#include "catalogue/records.h"
#include "common/error.h"

namespace vistrel {

// Selects a country in the country list. Index 0 or less: all countries (deletes
// "country_f"). Index i within the table: "country_f" := 1, "country" := the whole id of
// countries[i]; the filter keeps its low 16 bits. An index past the end of the table changes
// nothing. Fails when the store cannot be written.
Outcome SelectCountry(const SettingsStore& store, Catalogue& catalogue, int32_t index);

// Shows `view`. The favourites view also clears every section, as ClearSections does; the
// others keep them. A value that is no view changes nothing. Fails when the store cannot be
// written.
Outcome ShowView(const SettingsStore& store, ViewFilter& filter, View view);

// The favourites toggle: pressed shows the favourites view, released the TV view. Fails as
// ShowView.
Outcome ToggleFavoritesView(const SettingsStore& store, ViewFilter& filter, bool pressed);

// Every section off; the section values stay. Fails when the store cannot be written.
Outcome ClearSections(const SettingsStore& store, ViewFilter& filter);

}  // namespace vistrel
