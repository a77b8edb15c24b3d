#pragma once
// The per-user base folders of the XDG base-directory rules, and the program's folder below
// them. One resolver for the data folder and the settings store.

#include <filesystem>
#include <optional>

namespace vistrel {

// The program's folder below a base folder: "Orvane/Vistrel".
std::filesystem::path ProgramSubfolder();

// $XDG_DATA_HOME, else $HOME/.local/share. A variable that is unset, empty or relative is
// ignored (a relative folder would move with the working directory, and the rules call such a
// value invalid); nothing when neither gives an absolute folder.
std::optional<std::filesystem::path> XdgDataHome();

// $XDG_CONFIG_HOME, else $HOME/.config, with the same rules as XdgDataHome.
std::optional<std::filesystem::path> XdgConfigHome();

}  // namespace vistrel
