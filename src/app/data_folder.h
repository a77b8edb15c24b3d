#pragma once
// Where the program keeps the catalogue files: $XDG_DATA_HOME (default ~/.local/share)
// followed by "/Orvane/Vistrel".

#include <filesystem>
#include <optional>

namespace vistrel {

// The data folder, or nothing when neither XDG_DATA_HOME (absolute) nor HOME is set.
std::optional<std::filesystem::path> DataFolder();

}  // namespace vistrel
