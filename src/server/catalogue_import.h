#pragma once
// Filling a catalogue database from table files and M3U playlists.

#include <filesystem>
#include <string>

#include "server/version_stamp.h"

namespace vistrel {

// Loads tables (replacing countries, genres and channels, and dropping every guide id) and/or
// adds an M3U playlist to the catalogue in `db_file`, keeping each entry's tvg-id as its
// channel's guide id. Returns a one-line summary. Throws vistrel::Error.
std::string ImportCatalogue(const std::filesystem::path& db_file,
                            const std::filesystem::path& tables_dir,
                            const std::filesystem::path& m3u_file, StampTime now);

}  // namespace vistrel
