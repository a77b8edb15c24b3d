#pragma once
// Extended M3U playlists: "#EXTINF:<duration> key="value" ...,<title>" followed by the URL.

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/stream_headers.h"

namespace vistrel {

// The attributes of an entry, as name and value in the order written; of a name given twice
// the first counts. A short list searched in place: a large playlist has hundreds of thousands
// of entries, and a tree of a few names each cost more than the reading itself.
class M3uAttributes {
 public:
  using value_type = std::pair<std::string, std::string>;
  using iterator = std::vector<value_type>::iterator;
  using const_iterator = std::vector<value_type>::const_iterator;

  M3uAttributes() = default;
  M3uAttributes(std::initializer_list<value_type> attributes);

  // Adds `name` unless it is there already; false then. Never fails but for memory.
  bool emplace(std::string name, std::string value);
  // The attribute named `name`, or end().
  iterator find(std::string_view name);
  const_iterator find(std::string_view name) const;
  // The value of `name`. Throws std::out_of_range when there is none.
  const std::string& at(std::string_view name) const;

  iterator begin() { return items_.begin(); }
  iterator end() { return items_.end(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }
  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  bool operator==(const M3uAttributes&) const = default;

 private:
  std::vector<value_type> items_;
};

// One playlist entry, texts as in the file (UTF-8).
struct M3uEntry {
  M3uAttributes attributes;
  std::string title;
  std::string url;
  StreamHeaders headers;  // what the entry's server wants on every request
};

// The attributes and title of an "#EXTINF:" line. Attribute values are quoted ("...", may hold
// spaces and commas) or bare (up to a space or comma); the title is everything after the first
// comma outside quotes, trimmed. A line without such a comma has an empty title.
M3uEntry ParseExtinf(std::string_view line);

// A problem found in one line of a playlist; what it concerns is skipped or read as well as it
// can be.
struct M3uWarning {
  std::size_t line_number = 0;
  std::string text;
  bool operator==(const M3uWarning&) const = default;
};

// Reads a playlist one line at a time, so that a file of any size is read in bounded memory:
// each entry is handed to `on_entry` as soon as its URL line has been read, each problem to
// `on_warning` (when set) as soon as it is seen.
class M3uReader {
 public:
  explicit M3uReader(std::function<void(M3uEntry&&)> on_entry,
                     std::function<void(M3uWarning&&)> on_warning = {})
      : on_entry_(std::move(on_entry)), on_warning_(std::move(on_warning)) {}

  // One line without its line end (a trailing CR is ignored); `line_number` counts from 1.
  // A UTF-8 byte-order mark before the first line is skipped. Warns about a first line that is
  // no "#EXTM3U" header and an "#EXTINF" that another one follows before any address. Never
  // fails.
  void ReadLine(std::string_view line, std::size_t line_number);

  // After the last line: warns about an "#EXTINF" still waiting for its address. Never fails.
  void Finish();

 private:
  void Warn(std::size_t line_number, std::string text);

  std::function<void(M3uEntry&&)> on_entry_;
  std::function<void(M3uWarning&&)> on_warning_;
  std::optional<M3uEntry> pending_;
  // The headers of the option lines ("#EXTVLCOPT:", "#EXTHTTP:") since the last entry: they
  // apply to the next entry only.
  StreamHeaders option_headers_;
  std::size_t pending_line_ = 0;
  bool header_seen_ = false;  // the first line that is not empty has been looked at
};

// Every entry: the URL is the next line that is neither empty nor a "#" line; what follows a
// "|" in it are the entry's headers (SplitStreamAddress), set over those of the option lines
// before it: "#EXTVLCOPT:http-user-agent=", "http-referrer=" and "http-origin=", and
// "#EXTHTTP:" with a JSON object of headers; option lines apply to the next entry only. A URL
// without an "#EXTINF" before it is an entry with an empty title; an "#EXTINF" followed by
// another one before any URL is dropped. A UTF-8 byte-order mark and CR LF line ends are
// accepted.
std::vector<M3uEntry> ParseM3u(std::string_view text);

// The guide addresses of the playlist's "#EXTM3U" header line: its "url-tvg" and "x-tvg-url"
// values, each a comma-separated list, trimmed, in that order, without repeats. None when the
// first line is not such a header. Never fails.
std::vector<std::string> M3uGuideAddresses(std::string_view text);

}  // namespace vistrel
