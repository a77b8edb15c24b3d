// The settings file: any text parses, and what it holds is written so that it reads back the
// same.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "browser/settings_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vistrel;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const SettingsEntries entries = ParseSettingsText(text);
  if (ParseSettingsText(FormatSettingsText(entries)) != entries) __builtin_trap();
  for (const auto& [name, value] : entries) (void)SettingInteger(value);
  return 0;
}
