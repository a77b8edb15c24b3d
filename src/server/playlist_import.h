#pragma once
// Adding the streams of an M3U playlist to the catalogue as TV channels.

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/table_writer.h"
#include "server/m3u_playlist.h"

namespace vistrel {

// UTF-8 text as a table value: Windows-1252 ("?" for what it cannot hold), without "|", line
// breaks and other control characters (which would break the table's lines and fields), trimmed.
std::string PlaylistText(std::string_view utf8);

// A stream URL as a table value: bytes outside ASCII percent-encoded (as UTF-8), so that no
// character is lost to the 8-bit code page; control characters and "|" removed.
std::string PlaylistUrl(std::string_view utf8);

// Appends every entry as a TV channel (group 1) with new ids above the highest one present:
// the title is the name (the URL when there is no title), the first of the ";"-separated
// "tvg-country" values the country and the first "group-title" value the genre, matched by
// exact name or created with the next free id; without one the id is 0. Row 0 ("All Countries",
// "All Genres") is added when a table is empty. Returns the number of channels added. Throws
// vistrel::Error when the ids run out.
std::size_t AddPlaylist(CatalogueTables& tables, const std::vector<M3uEntry>& entries);

}  // namespace vistrel
