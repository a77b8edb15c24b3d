#pragma once
// The main window's view commands: each writes its settings values, then changes the filter.
// Every command is followed by RebuildView on the caller's side. A write that fails throws
// vistrel::Error before the filter has changed; the caller then must not rebuild.

#include <cstdint>

#include "browser/settings_store.h"
#include "catalogue/records.h"

namespace vistrel {

// Country list change. Index 0 or less: all countries (deletes "country_f"). Index i within
// the table: "country_f" := 1, "country" := the whole id of countries[i]; the filter keeps its
// low 16 bits. An index past the end of the table changes nothing.
void CountryALComboBoxChange(const SettingsStore& store, TInfo& info, int32_t index);

// Favorites toggle: pressed enters the favourites view (and clears every section, as the
// Clear label does); released returns to the TV view.
void FavAdvToolButtonClick(const SettingsStore& store, TFilter& filter, bool pressed);

// Enters the favourites view, as the toggle pressed down.
void FavoritesAdvToolButtonClick(const SettingsStore& store, TFilter& filter);

void TvAdvToolButtonClick(const SettingsStore& store, TFilter& filter);
void RadioAdvToolButtonClick(const SettingsStore& store, TFilter& filter);
void VideoAdvToolButtonClick(const SettingsStore& store, TFilter& filter);

// The Clear label: every section off; the section values stay.
void ClearFilterLabelClick(const SettingsStore& store, TFilter& filter);

}  // namespace vistrel
