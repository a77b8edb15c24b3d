// The service's M3U import: parse a playlist, add its streams to a catalogue, and write the
// package tables from it.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "catalogue/table_writer.h"
#include "common/error.h"
#include "playlist/m3u_playlist.h"
#include "server/playlist_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vistrel;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<M3uEntry> entries = ParseM3u(text);
  CatalogueTables tables;
  tables.version = "201003141530";
  try {
    const std::size_t added = AddPlaylist(tables, entries);
    if (added != entries.size()) __builtin_trap();
    (void)TablesToEntries(tables);
  } catch (const Error&) {
  }
  return 0;
}
