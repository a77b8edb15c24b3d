#pragma once
// Extended M3U playlists: "#EXTINF:<duration> key="value" ...,<title>" followed by the URL.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

// One playlist entry, texts as in the file (UTF-8).
struct M3uEntry {
  std::map<std::string, std::string> attributes;
  std::string title;
  std::string url;
};

// The attributes and title of an "#EXTINF:" line. Attribute values are quoted ("...", may hold
// spaces and commas) or bare (up to a space or comma); the title is everything after the first
// comma outside quotes, trimmed. A line without such a comma has an empty title.
M3uEntry ParseExtinf(std::string_view line);

// Every entry: the URL is the next line that is neither empty nor a "#" line. A URL without an
// "#EXTINF" before it is an entry with an empty title; an "#EXTINF" followed by another one
// before any URL is dropped. A UTF-8 byte-order mark and CR LF line ends are accepted.
std::vector<M3uEntry> ParseM3u(std::string_view text);

// The guide addresses of the playlist's "#EXTM3U" header line: its "url-tvg" and "x-tvg-url"
// values, each a comma-separated list, trimmed, in that order, without repeats. None when the
// first line is not such a header. Never fails.
std::vector<std::string> M3uGuideAddresses(std::string_view text);

}  // namespace vistrel
