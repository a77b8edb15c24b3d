#include "browser/settings_store.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <system_error>
#include <unordered_map>
#include <utility>
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

void SettingsStore::WriteString(std::string_view name, std::string_view text) const {
  const std::string create_failure = "Failed to create key " + file_.string();
  const bool existed = FileExists(file_);
  Entries entries;
  if (existed) {
    // An existing store that cannot be read is not replaced: its other values would be lost.
    std::optional<Entries> read = ReadStore(file_);
    if (!read) throw Error(create_failure);
    entries = std::move(*read);
  }
  auto same = std::find_if(entries.begin(), entries.end(),
                           [&](const auto& entry) { return entry.first == name; });
  if (same != entries.end()) {
    same->second = std::string(text);
  } else {
    entries.emplace_back(std::string(name), std::string(text));
  }
  if (!WriteFileAtomically(file_, FormatSettingsText(entries)).ok()) {
    throw Error(existed ? "Failed to set data for '" + std::string(name) + "'" : create_failure);
  }
}

void SettingsStore::WriteInteger(std::string_view name, int32_t value) const {
  WriteString(name, std::to_string(value));
}

void SettingsStore::Delete(std::string_view name) const {
  if (!FileExists(file_)) return;
  const std::string failure = "Failed to delete value '" + std::string(name) + "'";
  std::optional<Entries> entries = ReadStore(file_);
  if (!entries) throw Error(failure);
  auto same = std::find_if(entries->begin(), entries->end(),
                           [&](const auto& entry) { return entry.first == name; });
  if (same == entries->end()) return;  // no such value
  entries->erase(same);
  if (!WriteFileAtomically(file_, FormatSettingsText(*entries)).ok()) throw Error(failure);
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

void LoadSettings(const SettingsStore& store, ViewFilter& filter) {
  if (!store.Exists()) {
    filter.view = View::kTv;
    filter.favorited = 0;
    filter.country_id = 0;
    return;
  }
  // Values in reading order and their fields:
  //   "selected" view, "favorited" favorited, "name_f" name_section_on (then "name" name),
  //   "country_f" country_section_on, "country" country_id, "genre_f" genre_section_on,
  //   "genre" genre_id, "bitrate_f" bitrate_section_on, "bitrate" bitrate, "flag_f"
  //   status_section_on, and the status switches "workfine" hide_work_fine, "notworking"
  //   hide_not_working, "new" hide_new, "wrong" hide_wrong_info, "duplicate" hide_duplicate,
  //   "spam" hide_spam.
  // A stored value only counts when it reads as a number greater than 0, so a stored 0 never
  // reaches the filter; 16-bit fields keep the low 16 bits, switches the low 8 bits (non-zero
  // is on), bitrate the whole value. Every value is text here, so no value can have a wrong type.
  // Read once: the store is parsed a single time for all seventeen values.
  const SettingsValues values = store.ReadAll();
  auto read = [&](const char* name) { return SettingInteger(values.Get(name)); };
  auto word = [&](const char* name, uint16_t& field) {
    if (int64_t v = read(name); v > 0) field = static_cast<uint16_t>(v & 0xFFFF);
  };
  auto flag = [&](const char* name, bool& field) {
    if (int64_t v = read(name); v > 0) field = (v & 0xFF) != 0;
  };
  if (int64_t v = read("selected"); v > 0) filter.view = static_cast<View>(v & 0xFFFF);
  word("favorited", filter.favorited);
  if (int64_t v = read("name_f"); v > 0) {
    filter.name_section_on = (v & 0xFF) != 0;
    filter.name = values.Get("name").value_or(std::string());
  }
  flag("country_f", filter.country_section_on);
  word("country", filter.country_id);
  flag("genre_f", filter.genre_section_on);
  word("genre", filter.genre_id);
  flag("bitrate_f", filter.bitrate_section_on);
  if (int64_t v = read("bitrate"); v > 0) filter.bitrate = static_cast<int32_t>(v);
  flag("flag_f", filter.status_section_on);
  flag("workfine", filter.hide_work_fine);
  flag("notworking", filter.hide_not_working);
  flag("new", filter.hide_new);
  flag("wrong", filter.hide_wrong_info);
  flag("duplicate", filter.hide_duplicate);
  flag("spam", filter.hide_spam);
}

}  // namespace vistrel
