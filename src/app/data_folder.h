#pragma once
// Where the program keeps the catalogue files: $XDG_DATA_HOME (default ~/.local/share)
// followed by "/Orvane/Vistrel".

#include <filesystem>
#include <optional>
#include <string>

namespace vistrel {

// The data folder, or nothing when neither XDG_DATA_HOME nor HOME is set to an absolute path.
// The folder itself is created by the start-up sequence (LoadAtStartUp), not here.
std::optional<std::filesystem::path> DataFolder();

// What the program shows before it stops when DataFolder() gives nothing.
std::string NoDataFolderMessage();

}  // namespace vistrel
