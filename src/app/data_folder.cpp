#include "app/data_folder.h"

#include <cstdlib>

namespace vistrel {

std::optional<std::filesystem::path> DataFolder() {
  std::filesystem::path base;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  // A relative XDG value is invalid and ignored, as the base-directory rules say.
  if (xdg && *xdg && std::filesystem::path(xdg).is_absolute()) {
    base = xdg;
  } else if (home && *home) {
    base = std::filesystem::path(home) / ".local" / "share";
  } else {
    return std::nullopt;
  }
  return base / "Orvane" / "Vistrel";
}

}  // namespace vistrel
