#include "browser/settings_store.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <system_error>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "catalogue/format/codepage.h"
#include "catalogue/format/fields.h"
#include "common/error.h"
#include "common/files.h"
#include "common/xdg_folders.h"

// The store is a text file of "name=value" lines (LF after each). Names and values are escaped
// so that any text survives exactly: "\\" for a backslash, "\n", "\r" and "\t" for those
// controls, "\xHH" for any other control byte (and for a "#" or ";" opening a name), and "\="
// for an "=" in a name. Every other byte, non-ASCII included, is stored as it is: texts are
// UTF-8, and a value that is not valid UTF-8 was stored by an earlier version in Windows-1252
// and reads as that. Empty lines and lines starting with "#" or ";" are comments; a line that
// does not parse is skipped. When a name occurs twice the last value holds (in the first one's
// place).

namespace vistrel {

namespace fs = std::filesystem;

namespace {

using Entries = SettingsEntries;

std::string Escape(std::string_view text, bool is_name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto b = static_cast<unsigned char>(c);
    // A name starting with a comment character must not turn its line into a comment.
    const bool comment_start = is_name && i == 0 && (c == '#' || c == ';');
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (b < 0x20 || b == 0x7F || comment_start) {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    } else if (c == '=' && is_name) {
      out += "\\=";
    } else {
      out += c;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Unescapes `text` up to an unescaped `stop` character (or the end when stop is 0). Returns
// false on a malformed escape; `*rest` receives what follows the stop character.
bool Unescape(std::string_view text, char stop, std::string& out, std::string_view* rest) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (stop != 0 && c == stop) {
      if (rest) *rest = text.substr(i + 1);
      return true;
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i >= text.size()) return false;
    switch (text[i]) {
      case '\\':
        out += '\\';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case '=':
        out += '=';
        break;
      case 'x': {
        if (i + 2 >= text.size()) return false;
        const int hi = HexDigit(text[i + 1]);
        const int lo = HexDigit(text[i + 2]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        break;
      }
      default:
        return false;
    }
  }
  return stop == 0;
}

}  // namespace

SettingsEntries ParseSettingsText(std::string_view text) {
  Entries entries;
  // Where each name stands in `entries`, so that a long file is read in one pass.
  std::unordered_map<std::string, std::size_t> places;
  for (std::string_view line : SplitLines(text)) {
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    std::string name, value;
    std::string_view rest;
    if (!Unescape(line, '=', name, &rest) || name.empty()) continue;
    if (!Unescape(rest, 0, value, nullptr)) continue;
    // A repeated name keeps its first place and its last value.
    const auto [place, added] = places.try_emplace(name, entries.size());
    if (added) {
      entries.emplace_back(std::move(name), std::move(value));
    } else {
      entries[place->second].second = std::move(value);
    }
  }
  return entries;
}

std::string FormatSettingsText(const SettingsEntries& entries) {
  std::string out;
  for (const auto& [name, value] : entries) {
    out += Escape(name, true);
    out += '=';
    out += Escape(value, false);
    out += '\n';
  }
  return out;
}

namespace {

// The entries of an existing store; nothing when it cannot be read.
std::optional<Entries> ReadStore(const fs::path& file) {
  std::optional<std::string> bytes = ReadWholeFile(file);
  if (!bytes) return std::nullopt;
  return ParseSettingsText(*bytes);
}

bool FileExists(const fs::path& file) {
  std::error_code ec;
  return fs::exists(file, ec);
}

}  // namespace

fs::path SettingsStore::DefaultPath() {
  std::optional<fs::path> base = XdgConfigHome();
  if (!base) return {};
  return *base / ProgramSubfolder() / "settings.ini";
}

bool SettingsStore::Exists() const {
  return FileExists(file_);
}

std::optional<std::string> SettingsStore::Read(std::string_view name) const {
  return ReadAll().Get(name);
}

SettingsValues SettingsStore::ReadAll() const {
  SettingsValues values;
  if (std::optional<Entries> entries = ReadStore(file_)) {
    for (auto& [name, value] : *entries) values.values_.emplace(std::move(name), std::move(value));
  }
  return values;
}

std::optional<std::string> SettingsValues::Get(std::string_view name) const {
  const auto found = values_.find(std::string(name));
  if (found == values_.end()) return std::nullopt;
  return Utf8OrCp1252(found->second);
}

Outcome SettingsStore::Update(const SettingsChanges& changes) const {
  const bool existed = FileExists(file_);
  // The message of a change that could not be made: to store a value into a key that is
  // missing or unreadable, to store into a readable key, or to delete.
  auto failure = [&](const SettingsChange& change, bool readable) {
    if (!change.text) return "Failed to delete value '" + change.name + "'";
    if (!existed || !readable) return "Failed to create key " + file_.string();
    return "Failed to set data for '" + change.name + "'";
  };
  Entries entries;
  if (existed) {
    // An existing store that cannot be read is not replaced: its other values would be lost.
    std::optional<Entries> read = ReadStore(file_);
    if (!read) {
      return changes.empty() ? Outcome::Ok() : Outcome::Fail(failure(changes.front(), false));
    }
    entries = std::move(*read);
  }
  const SettingsChange* first_change = nullptr;  // the first that alters the store
  for (const SettingsChange& change : changes) {
    auto same = std::find_if(entries.begin(), entries.end(),
                             [&](const auto& entry) { return entry.first == change.name; });
    if (change.text) {
      if (same != entries.end()) {
        same->second = *change.text;
      } else {
        entries.emplace_back(change.name, *change.text);
      }
    } else if (same != entries.end()) {
      entries.erase(same);
    } else {
      continue;  // no such value
    }
    if (first_change == nullptr) first_change = &change;
  }
  if (first_change == nullptr) return Outcome::Ok();
  if (!WriteFileAtomically(file_, FormatSettingsText(entries)).ok()) {
    return Outcome::Fail(failure(*first_change, true));
  }
  return Outcome::Ok();
}

namespace {

void UpdateOrThrow(const SettingsStore& store, SettingsChange change) {
  const Outcome updated = store.Update({std::move(change)});
  if (!updated.ok()) throw Error(updated.error);
}

}  // namespace

void SettingsStore::WriteString(std::string_view name, std::string_view text) const {
  UpdateOrThrow(*this, {std::string(name), std::string(text)});
}

void SettingsStore::WriteInteger(std::string_view name, int32_t value) const {
  UpdateOrThrow(*this, {std::string(name), std::to_string(value)});
}

void SettingsStore::Delete(std::string_view name) const {
  UpdateOrThrow(*this, {std::string(name), std::nullopt});
}

std::optional<int32_t> ParseIntegerText(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int base = 10;
  if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == s.size()) return std::nullopt;
  // Accumulate the magnitude; anything outside the signed 32-bit range fails like bad text.
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (; i < s.size(); ++i) {
    const int d = HexDigit(s[i]);
    if (d < 0 || d >= base) return std::nullopt;
    magnitude = magnitude * base + d;
    if (magnitude > kLimit) return std::nullopt;
  }
  if (!negative && magnitude == kLimit) return std::nullopt;
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

int64_t SettingInteger(const std::optional<std::string>& text) {
  if (!text) return 0;
  return ParseIntegerText(*text).value_or(0);
}

bool IsFilterSettingName(std::string_view name) {
  return std::any_of(std::begin(kFilterSettings), std::end(kFilterSettings),
                     [&](const FilterSetting& setting) { return setting.name == name; });
}

namespace {

template <typename... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

}  // namespace

void LoadSettings(const SettingsStore& store, ViewFilter& filter) {
  if (!store.Exists()) {
    filter.view = View::kTv;
    filter.favorited = 0;
    filter.country_id = 0;
    return;
  }
  // Every value is text here, so no value can have a wrong type. Read once: the store is
  // parsed a single time for all the values.
  const SettingsValues values = store.ReadAll();
  bool switch_stored = false;  // the last section switch read as a number greater than 0
  for (const FilterSetting& setting : kFilterSettings) {
    const std::optional<std::string> text = values.Get(setting.name);
    const int64_t v = SettingInteger(text);
    if (setting.role == FilterSettingRole::kSectionSwitch) switch_stored = v > 0;
    std::visit(Overloaded{
                   [&](View ViewFilter::*field) {
                     if (v > 0) filter.*field = static_cast<View>(v & 0xFFFF);
                   },
                   [&](uint16_t ViewFilter::*field) {
                     if (v > 0) filter.*field = static_cast<uint16_t>(v & 0xFFFF);
                   },
                   [&](bool ViewFilter::*field) {
                     if (v > 0) filter.*field = (v & 0xFF) != 0;
                   },
                   [&](int32_t ViewFilter::*field) {
                     if (v > 0) filter.*field = static_cast<int32_t>(v);
                   },
                   [&](std::string ViewFilter::*field) {
                     if (switch_stored) filter.*field = text.value_or(std::string());
                   },
               },
               setting.field);
  }
}

SettingsChanges SectionChanges(const ViewFilter& filter) {
  SettingsChanges changes;
  bool section_on = false;
  for (const FilterSetting& setting : kFilterSettings) {
    if (setting.role == FilterSettingRole::kSectionSwitch) {
      section_on = filter.*std::get<bool ViewFilter::*>(setting.field);
      changes.push_back(
          {std::string(setting.name), section_on ? std::optional<std::string>("1") : std::nullopt});
    } else if (setting.role == FilterSettingRole::kSectionValue && section_on) {
      std::string text = std::visit(
          Overloaded{
              [&](View ViewFilter::*field) {
                return std::to_string(static_cast<int32_t>(filter.*field));
              },
              [&](uint16_t ViewFilter::*field) { return std::to_string(filter.*field); },
              [&](bool ViewFilter::*field) { return std::string(filter.*field ? "1" : "0"); },
              [&](int32_t ViewFilter::*field) { return std::to_string(filter.*field); },
              [&](std::string ViewFilter::*field) { return filter.*field; },
          },
          setting.field);
      changes.push_back({std::string(setting.name), std::move(text)});
    }
  }
  return changes;
}

SettingsChanges SectionSwitchDeletions() {
  SettingsChanges changes;
  for (const FilterSetting& setting : kFilterSettings) {
    if (setting.role == FilterSettingRole::kSectionSwitch) {
      changes.push_back({std::string(setting.name), std::nullopt});
    }
  }
  return changes;
}

}  // namespace vistrel
