#include "common/xdg_folders.h"

#include <cstdlib>

namespace vistrel {

namespace fs = std::filesystem;

namespace {

std::optional<fs::path> AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::nullopt;
  fs::path path(value);
  if (!path.is_absolute()) return std::nullopt;
  return path;
}

std::optional<fs::path> BaseFolder(const char* variable, const fs::path& below_home) {
  if (auto folder = AbsoluteFromEnvironment(variable)) return folder;
  if (auto home = AbsoluteFromEnvironment("HOME")) return *home / below_home;
  return std::nullopt;
}

}  // namespace

fs::path ProgramSubfolder() {
  return fs::path("Orvane") / "Vistrel";
}

std::optional<fs::path> XdgDataHome() {
  return BaseFolder("XDG_DATA_HOME", fs::path(".local") / "share");
}

std::optional<fs::path> XdgConfigHome() {
  return BaseFolder("XDG_CONFIG_HOME", ".config");
}

}  // namespace vistrel
