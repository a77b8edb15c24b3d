#pragma once
// The per-user settings store: one small text file of named string values. The file's
// existence is the key's existence; every operation opens, acts and closes; writes are atomic.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "catalogue/records.h"

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

  // Create the key when missing and store the value. Throw vistrel::Error
  // "Failed to create key <path>" or "Failed to set data for '<name>'".
  void WriteInteger(std::string_view name, int32_t value) const;
  void WriteString(std::string_view name, std::string_view text) const;
  // Deletes the value when the key exists; a missing key or value is no error.
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

// Fills the filter from the store, read once; see the table of values in settings_store.cpp.
void LoadSettings(const SettingsStore& store, ViewFilter& filter);

}  // namespace vistrel
