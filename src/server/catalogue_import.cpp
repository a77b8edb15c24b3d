#include "server/catalogue_import.h"

#include <optional>
#include <vector>

#include "common/error.h"
#include "common/files.h"
#include "playlist/m3u_playlist.h"
#include "server/catalogue_db.h"
#include "server/guide_store.h"
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
  std::vector<std::pair<int32_t, std::string>> guide_ids;  // the playlist's tvg-id values
  const auto add_playlist = [&](CatalogueTables& tables) {
    added = AddPlaylist(tables, playlist);
    guide_ids.clear();
    const std::size_t first = tables.channels.size() - added;
    for (std::size_t i = 0; i < added; ++i) {
      const auto id = playlist[i].attributes.find("tvg-id");
      if (id == playlist[i].attributes.end()) continue;
      const std::string guide_id = PlaylistText(id->second);
      if (!guide_id.empty()) guide_ids.emplace_back(tables.channels[first + i].id, guide_id);
    }
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
  // New tables bring new channels under old ids: the guide ids of the old ones go.
  if (from_files || !guide_ids.empty())
    GuideStore(db_file).SetGuideIds(guide_ids, from_files.has_value());
  return "imported " + std::to_string(countries) + " countries, " + std::to_string(genres) +
         " genres, " + std::to_string(channels) + " channels (" + std::to_string(added) +
         " from the playlist); version " + db.State().version;
}

}  // namespace vistrel
