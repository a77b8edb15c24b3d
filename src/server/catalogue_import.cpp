#include "server/catalogue_import.h"

#include <optional>
#include <vector>

#include "common/error.h"
#include "common/files.h"
#include "server/catalogue_db.h"
#include "server/m3u_playlist.h"
#include "server/playlist_import.h"
#include "server/table_files.h"

namespace vistrel {

std::string ImportCatalogue(const std::filesystem::path& db_file,
                            const std::filesystem::path& tables_dir,
                            const std::filesystem::path& m3u_file, StampTime now) {
  // Read every input before the database is touched, so a bad file changes nothing.
  std::optional<CatalogueTables> from_files;
  if (!tables_dir.empty()) from_files = ReadTableFiles(tables_dir);
  std::vector<M3uEntry> playlist;
  if (!m3u_file.empty()) {
    const Result<std::string> text = ReadFile(m3u_file);
    if (!text.ok()) throw Error(text.error);
    playlist = ParseM3u(*text.value);
  }
  CatalogueDb db(db_file, now);
  std::size_t added = 0, countries = 0, genres = 0, channels = 0;
  const auto add_playlist = [&](CatalogueTables& tables) {
    added = AddPlaylist(tables, playlist);
    countries = tables.countries.size();
    genres = tables.genres.size();
    channels = tables.channels.size();
  };
  if (from_files) {
    add_playlist(*from_files);
    db.ReplaceTables(*from_files, now);
  } else {
    // Read and written in one transaction: a rating the running service stores meanwhile
    // waits for it instead of being overwritten by the tables read before.
    db.UpdateTables(add_playlist, now);
  }
  return "imported " + std::to_string(countries) + " countries, " + std::to_string(genres) +
         " genres, " + std::to_string(channels) + " channels (" + std::to_string(added) +
         " from the playlist); version " + db.State().version;
}

}  // namespace vistrel
