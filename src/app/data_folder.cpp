#include "app/data_folder.h"

#include <cstdlib>

namespace vistrel {

namespace {

// A variable that is unset, empty or relative gives nothing: a relative folder would move
// with the working directory, and the base-directory rules call such a value invalid.
std::optional<std::filesystem::path> AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::nullopt;
  std::filesystem::path path(value);
  if (!path.is_absolute()) return std::nullopt;
  return path;
}

}  // namespace

std::optional<std::filesystem::path> DataFolder() {
  std::filesystem::path base;
  if (auto xdg = AbsoluteFromEnvironment("XDG_DATA_HOME")) {
    base = *xdg;
  } else if (auto home = AbsoluteFromEnvironment("HOME")) {
    base = *home / ".local" / "share";
  } else {
    return std::nullopt;
  }
  return base / "Orvane" / "Vistrel";
}

std::string NoDataFolderMessage() {
  return "Cannot find a folder for the channel list and your own channels: neither "
         "XDG_DATA_HOME nor HOME is set to an absolute path. Set one of them and start the "
         "program again.";
}

}  // namespace vistrel
