#include "browser/filter_form.h"

#include <optional>

#include "catalogue/lookups.h"

namespace vistrel {

namespace {

// The low 16 bits of the id of the table entry at `index`, or `current` when no entry is there.
template <typename Table>
uint16_t SelectedId(const Table& table, int32_t index, uint16_t current) {
  if (index < 0 || static_cast<std::size_t>(index) >= table.size()) return current;
  return static_cast<uint16_t>(table[static_cast<std::size_t>(index)].id & 0xFFFF);
}

}  // namespace

FilterFormState FilterFormFromFilter(const Catalogue& catalogue) {
  const ViewFilter& f = catalogue.filter;
  FilterFormState form;
  form.name_on = f.name_section_on;
  form.name = f.name;
  form.country_on = f.country_section_on;
  form.country_index = CountryIndexById(catalogue.countries, f.country_id);
  form.genre_on = f.genre_section_on;
  form.genre_index = GenreIndexById(catalogue.genres, f.genre_id);
  form.bitrate_on = f.bitrate_section_on;
  form.bitrate_text = std::to_string(f.bitrate);
  form.status_on = f.status_section_on;
  form.hide_work_fine = f.hide_work_fine;
  form.hide_not_working = f.hide_not_working;
  form.hide_new = f.hide_new;
  form.hide_wrong_info = f.hide_wrong_info;
  form.hide_duplicate = f.hide_duplicate;
  form.hide_spam = f.hide_spam;
  return form;
}

FilterFormFocus OpeningFocus(const FilterFormState& form) {
  if (form.status_on) return FilterFormFocus::kStatus;
  if (form.bitrate_on) return FilterFormFocus::kBitrate;
  if (form.genre_on) return FilterFormFocus::kGenre;
  if (form.country_on) return FilterFormFocus::kCountry;
  if (form.name_on) return FilterFormFocus::kName;
  return FilterFormFocus::kNone;
}

std::string InvalidIntegerMessage(std::string_view text) {
  return "''" + std::string(text) + "'' is not a valid integer value";
}

Outcome SetFilter(const SettingsStore& store, Catalogue& catalogue, const FilterFormState& form) {
  // Checked first, so that a bad number leaves every section as it was.
  std::optional<int32_t> bitrate;
  if (form.bitrate_on) {
    bitrate = ParseIntegerText(form.bitrate_text);
    if (!bitrate) return Outcome::Fail(InvalidIntegerMessage(form.bitrate_text));
  }

  ViewFilter f = catalogue.filter;
  f.name_section_on = form.name_on;
  if (form.name_on) f.name = form.name;
  f.country_section_on = form.country_on;
  if (form.country_on)
    f.country_id = SelectedId(catalogue.countries, form.country_index, f.country_id);
  f.genre_section_on = form.genre_on;
  if (form.genre_on) f.genre_id = SelectedId(catalogue.genres, form.genre_index, f.genre_id);
  f.bitrate_section_on = form.bitrate_on;
  if (bitrate) f.bitrate = *bitrate;
  f.status_section_on = form.status_on;
  if (form.status_on) {
    f.hide_work_fine = form.hide_work_fine;
    f.hide_not_working = form.hide_not_working;
    f.hide_new = form.hide_new;
    f.hide_wrong_info = form.hide_wrong_info;
    f.hide_duplicate = form.hide_duplicate;
    f.hide_spam = form.hide_spam;
  }

  Outcome written = store.Update(SectionChanges(f));
  if (!written.ok()) return written;
  catalogue.filter = f;
  return Outcome::Ok();
}

}  // namespace vistrel
