#pragma once
// The per-user settings store: one small text file of named string values. The file's
// existence is the key's existence; every operation opens, acts and closes; writes are atomic.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "catalogue/records.h"
#include "common/error.h"

namespace vistrel {

// Every value of the store as read at one moment, looked up by name.
class SettingsValues {
 public:
  // The text of `name`; nothing when there is no such value.
  std::optional<std::string> Get(std::string_view name) const;

 private:
  friend class SettingsStore;
  std::unordered_map<std::string, std::string> values_;
};

// One change of the store: the value's new text, or no text to delete the value.
struct SettingsChange {
  std::string name;
  std::optional<std::string> text;
};
using SettingsChanges = std::vector<SettingsChange>;

class SettingsStore {
 public:
  explicit SettingsStore(std::filesystem::path file) : file_(std::move(file)) {}

  // XdgConfigHome() + "/Orvane/Vistrel/settings.ini"; empty when neither XDG_CONFIG_HOME nor
  // HOME is set to an absolute path.
  static std::filesystem::path DefaultPath();

  const std::filesystem::path& file() const { return file_; }
  bool Exists() const;

  // The stored text of `name` in UTF-8 (a value that is not valid UTF-8 is read as
  // Windows-1252); nothing when the key or the value is missing.
  std::optional<std::string> Read(std::string_view name) const;
  // Every stored value, from one reading of the store; none when the key is missing or cannot
  // be read.
  SettingsValues ReadAll() const;

  // Makes every change in order with a single write of the file, so a command that changes
  // several values leaves either all of them or none. A change with text stores it (creating
  // the key when missing); one without deletes the value, where a missing key or value is no
  // error. Nothing is written when nothing changes (only deletes of missing values). Fails,
  // the store unchanged, with the message of the first change that would have altered the
  // store: for a stored value "Failed to create key <path>" when the key is missing or cannot
  // be read and "Failed to set data for '<name>'" when it cannot be written, for a deleted
  // value "Failed to delete value '<name>'".
  Outcome Update(const SettingsChanges& changes) const;

  // Update with one change. Throw vistrel::Error with its message.
  void WriteInteger(std::string_view name, int32_t value) const;
  void WriteString(std::string_view name, std::string_view text) const;
  void Delete(std::string_view name) const;

 private:
  std::filesystem::path file_;
};

// An integer text: optional leading blanks, an optional sign, decimal digits, or hexadecimal
// digits after "$", "x" or "0x" (x in either case), within the signed 32-bit range. Nothing
// for an empty text, trailing blanks, a decimal point, letters or a value out of range.
std::optional<int32_t> ParseIntegerText(std::string_view text);

// Integer text of a stored value (ParseIntegerText). Missing, empty or anything else gives 0.
int64_t SettingInteger(const std::optional<std::string>& text);

// The store's text: names and values in the order they are kept. Parsing skips lines that
// do not parse; a repeated name keeps its first place and its last value. Formatting escapes
// whatever would break a line, so any name and value read back exactly. Neither fails.
using SettingsEntries = std::vector<std::pair<std::string, std::string>>;
SettingsEntries ParseSettingsText(std::string_view text);
std::string FormatSettingsText(const SettingsEntries& entries);

// A field of the view filter that the store keeps.
using FilterField = std::variant<View ViewFilter::*, uint16_t ViewFilter::*, bool ViewFilter::*,
                                 int32_t ViewFilter::*, std::string ViewFilter::*>;

// What a stored value of the filter is to the commands that write it.
enum class FilterSettingRole {
  kView,           // the view or the favourite mark: written by the view commands
  kSectionSwitch,  // a section's switch: "1" while the section is on, deleted while it is off
  kSectionValue,   // a value of the section whose switch comes before it in the table: written
                   // while the section is on, kept while it is off
};

struct FilterSetting {
  std::string_view name;
  FilterSettingRole role;
  FilterField field;
};

// Every value of the store that belongs to the view filter, in reading order, with its field:
// the one list of these names.
inline constexpr FilterSetting kFilterSettings[] = {
    {"selected", FilterSettingRole::kView, &ViewFilter::view},
    {"favorited", FilterSettingRole::kView, &ViewFilter::favorited},
    {"name_f", FilterSettingRole::kSectionSwitch, &ViewFilter::name_section_on},
    {"name", FilterSettingRole::kSectionValue, &ViewFilter::name},
    {"country_f", FilterSettingRole::kSectionSwitch, &ViewFilter::country_section_on},
    {"country", FilterSettingRole::kSectionValue, &ViewFilter::country_id},
    {"genre_f", FilterSettingRole::kSectionSwitch, &ViewFilter::genre_section_on},
    {"genre", FilterSettingRole::kSectionValue, &ViewFilter::genre_id},
    {"bitrate_f", FilterSettingRole::kSectionSwitch, &ViewFilter::bitrate_section_on},
    {"bitrate", FilterSettingRole::kSectionValue, &ViewFilter::bitrate},
    {"flag_f", FilterSettingRole::kSectionSwitch, &ViewFilter::status_section_on},
    {"workfine", FilterSettingRole::kSectionValue, &ViewFilter::hide_work_fine},
    {"notworking", FilterSettingRole::kSectionValue, &ViewFilter::hide_not_working},
    {"new", FilterSettingRole::kSectionValue, &ViewFilter::hide_new},
    {"wrong", FilterSettingRole::kSectionValue, &ViewFilter::hide_wrong_info},
    {"duplicate", FilterSettingRole::kSectionValue, &ViewFilter::hide_duplicate},
    {"spam", FilterSettingRole::kSectionValue, &ViewFilter::hide_spam},
};

// The stored name of `field`. A field missing from the table throws std::logic_error, which
// does not compile where the name is a constant expression.
template <typename T>
constexpr std::string_view FilterSettingName(T ViewFilter::*field) {
  for (const FilterSetting& setting : kFilterSettings) {
    // By reference, not std::get_if: the sanitizer builds make a global's address no constant.
    if (std::holds_alternative<T ViewFilter::*>(setting.field) &&
        std::get<T ViewFilter::*>(setting.field) == field) {
      return setting.name;
    }
  }
  throw std::logic_error("a filter field without a stored name");
}

// Whether `name` is one of kFilterSettings.
bool IsFilterSettingName(std::string_view name);

// Fills the filter from the store, read once. A stored value only counts when it reads as a
// number greater than 0 (SettingInteger), so a stored 0 never reaches the filter: the view and
// 16-bit fields keep its low 16 bits, switches its low 8 bits (non-zero is on), the bitrate the
// whole value. The name is read only when its switch is stored greater than 0. A missing store
// gives the TV view, favourite mark 0 and country 0. Never fails.
void LoadSettings(const SettingsStore& store, ViewFilter& filter);

// The changes that store the sections of `filter`, section by section in table order: a section
// that is on stores its switch ("1") and its values, one that is off deletes its switch and
// keeps its values. Switches are stored as "1" or "0", numbers in decimal, the name as it is.
SettingsChanges SectionChanges(const ViewFilter& filter);

// The changes that delete every section switch, the values staying.
SettingsChanges SectionSwitchDeletions();

}  // namespace vistrel
