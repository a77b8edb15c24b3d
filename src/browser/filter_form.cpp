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

void WriteSwitch(const SettingsStore& store, const char* name, bool on) {
  if (on) {
    store.write_reg_integer(name, 1);
  } else {
    store.delete_reg(name);
  }
}

void WriteFilter(const SettingsStore& store, const TFilter& f) {
  WriteSwitch(store, "name_f", f.name_flag);
  if (f.name_flag) store.write_reg_string("name", f.name);
  WriteSwitch(store, "country_f", f.country_flag);
  if (f.country_flag) store.write_reg_integer("country", f.country_id);
  WriteSwitch(store, "genre_f", f.genre_flag);
  if (f.genre_flag) store.write_reg_integer("genre", f.genre_id);
  WriteSwitch(store, "bitrate_f", f.bitrate_flag);
  if (f.bitrate_flag) store.write_reg_integer("bitrate", f.bitrate);
  WriteSwitch(store, "flag_f", f.flag_flag);
  if (f.flag_flag) {
    store.write_reg_integer("workfine", f.workfine ? 1 : 0);
    store.write_reg_integer("notworking", f.notworking ? 1 : 0);
    store.write_reg_integer("new", f.new_ ? 1 : 0);
    store.write_reg_integer("wrong", f.wrong ? 1 : 0);
    store.write_reg_integer("duplicate", f.duplicate ? 1 : 0);
    store.write_reg_integer("spam", f.spam ? 1 : 0);
  }
}

}  // namespace

FilterFormState FilterFormFromFilter(const TInfo& info) {
  const TFilter& f = info.filter;
  FilterFormState form;
  form.name_on = f.name_flag;
  form.name = f.name;
  form.country_on = f.country_flag;
  form.country_index = CountryIndexById(info.countries, f.country_id);
  form.genre_on = f.genre_flag;
  form.genre_index = GenreIndexById(info.genres, f.genre_id);
  form.bitrate_on = f.bitrate_flag;
  form.bitrate_text = std::to_string(f.bitrate);
  form.status_on = f.flag_flag;
  form.workfine = f.workfine;
  form.notworking = f.notworking;
  form.new_ = f.new_;
  form.wrong = f.wrong;
  form.duplicate = f.duplicate;
  form.spam = f.spam;
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

Outcome SetFilter(const SettingsStore& store, TInfo& info, const FilterFormState& form) {
  // Checked first, so that a bad number leaves every section as it was.
  std::optional<int32_t> bitrate;
  if (form.bitrate_on) {
    bitrate = ParseIntegerText(form.bitrate_text);
    if (!bitrate) return Outcome::Fail(InvalidIntegerMessage(form.bitrate_text));
  }

  TFilter f = info.filter;
  f.name_flag = form.name_on;
  if (form.name_on) f.name = form.name;
  f.country_flag = form.country_on;
  if (form.country_on) f.country_id = SelectedId(info.countries, form.country_index, f.country_id);
  f.genre_flag = form.genre_on;
  if (form.genre_on) f.genre_id = SelectedId(info.genres, form.genre_index, f.genre_id);
  f.bitrate_flag = form.bitrate_on;
  if (bitrate) f.bitrate = *bitrate;
  f.flag_flag = form.status_on;
  if (form.status_on) {
    f.workfine = form.workfine;
    f.notworking = form.notworking;
    f.new_ = form.new_;
    f.wrong = form.wrong;
    f.duplicate = form.duplicate;
    f.spam = form.spam;
  }

  try {
    WriteFilter(store, f);
  } catch (const Error& e) {
    return Outcome::Fail(e.what());
  }
  info.filter = f;
  return Outcome::Ok();
}

}  // namespace vistrel
