#pragma once
// Everything the program keeps while it runs, outside the windows: the catalogue and the lists
// beside it, the sort state, and what start-up found out.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "browser/settings_store.h"
#include "browser/sort_channels.h"
#include "browser/visible_rows.h"
#include "catalogue/records.h"
#include "catalogue/user_files.h"
#include "playlist/user_playlists.h"

namespace vistrel {

struct ProgramState {
  ProgramState(std::filesystem::path data_folder, SettingsStore store)
      : data_folder(std::move(data_folder)), store(std::move(store)) {}

  std::filesystem::path data_folder;
  SettingsStore store;

  Catalogue catalogue;
  // The favourites read at start-up, which every later load consults again.
  std::vector<int32_t> favorites_list;
  VisibleRows visible_rows;
  SortState sort;

  // The package is missing or too old: the main window offers a download when activated.
  bool list_outdated = false;
  // A user file was unreadable: the program ends as soon as its message loop takes over, and
  // writes no user file on the way out.
  bool end_requested = false;
  // Only user files that this run has read are written back, so a file the program never saw
  // is never replaced.
  UserFilesRead files_read{.favorites = false, .user_channels = false};

  // The user's own playlists, in the order opened, and how many countries and genres the
  // package brought: the playlists' own follow them in the tables.
  std::vector<UserPlaylist> playlists;
  std::size_t package_countries = 0;
  std::size_t package_genres = 0;
};

}  // namespace vistrel
