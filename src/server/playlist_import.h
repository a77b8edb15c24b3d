#pragma once
// Adding the streams of an M3U playlist to the catalogue as TV channels.

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/table_writer.h"
#include "playlist/m3u_playlist.h"

namespace vistrel {

// What a "|" in a playlist text becomes: the tables separate fields with "|" and have no
// escape, and this character (U+2223 DIVIDES) looks the same, so "News | Sport" still reads so.
inline constexpr std::string_view kVerticalBarStandIn = "\xE2\x88\xA3";

// A playlist text as a table value: UTF-8 as written (a text that is not valid UTF-8 is read as
// Windows-1252), with "|" as kVerticalBarStandIn and without line breaks and other control
// characters (which would break the table's lines), trimmed of spaces.
std::string PlaylistText(std::string_view utf8);

// A stream URL as a table value: bytes outside ASCII percent-encoded (as UTF-8), the form every
// player takes, so that the URL stays plain ASCII; control characters and "|" removed.
std::string PlaylistUrl(std::string_view utf8);

// Appends every entry as a TV channel (group 1) with new ids above the highest one present:
// the title is the name (the URL when there is no title), the first of the ";"-separated
// "tvg-country" values the country and the first "group-title" value the genre, matched by
// exact name or created with the next free id; without one the id is 0. An entry's headers
// are kept in tables.stream_headers under its channel's id. Row 0 ("All Countries",
// "All Genres") is added when a table is empty. Returns the number of channels added. Throws
// vistrel::Error when the ids run out.
std::size_t AddPlaylist(CatalogueTables& tables, const std::vector<M3uEntry>& entries);

}  // namespace vistrel
