#pragma once
// The filter dialog's contents and its Set Filter command: the five optional sections of the
// view filter (name, country, genre, bitrate, status), as the dialog shows and edits them.

#include <cstdint>
#include <string>
#include <string_view>

#include "browser/settings_store.h"
#include "catalogue/records.h"
#include "common/error.h"

namespace vistrel {

// What the dialog's controls hold. Texts are UTF-8, exactly as typed.
struct FilterFormState {
  bool name_on = false;
  std::string name;
  bool country_on = false;
  int32_t country_index = -1;  // position in catalogue.countries; -1: no entry selected
  bool genre_on = false;
  int32_t genre_index = -1;  // position in catalogue.genres; -1: no entry selected
  bool bitrate_on = false;
  std::string bitrate_text;
  bool status_on = false;
  bool hide_work_fine = false;
  bool hide_not_working = false;
  bool hide_new = false;
  bool hide_wrong_info = false;
  bool hide_duplicate = false;
  bool hide_spam = false;
};

// The dialog's contents when it opens: every switch and value from catalogue.filter (the values
// also of sections that are off, so switching one on offers its last value); the lists select
// the first entry with the filter's country and genre id, or none (-1).
FilterFormState FilterFormFromFilter(const Catalogue& catalogue);

// The editor that has the focus after opening: that of the last section switched on, in the
// order name, country, genre, bitrate, status ("Works fine" for status); kNone when all are off.
enum class FilterFormFocus { kNone, kName, kCountry, kGenre, kBitrate, kStatus };
FilterFormFocus OpeningFocus(const FilterFormState& form);

// "''<text>''" + " is not a valid integer value": the refusal of a bitrate that is no integer.
std::string InvalidIntegerMessage(std::string_view text);

// Set Filter. With the bitrate section on, its text must be an integer text (ParseIntegerText);
// otherwise the result is InvalidIntegerMessage and nothing changes. Then the store takes every
// section in one write (SectionChanges: a section that is on stores its switch and its values,
// one that is off deletes its switch and keeps its values). A country or genre section that is
// on with no entry selected keeps its id. catalogue.filter takes the new sections once the
// write has succeeded; a write that fails ends the command with the store's message, the store
// and the filter in memory unchanged. On success the caller rebuilds the view.
Outcome SetFilter(const SettingsStore& store, Catalogue& catalogue, const FilterFormState& form);

}  // namespace vistrel
