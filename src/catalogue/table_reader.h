#pragma once
// The text tables inside the channel package, parsed into catalogue records. Pure functions:
// the loader finds the entries, these turn their text into records. An entry without a
// byte-order mark is Windows-1252; a UTF-8 or UTF-16 mark at its start marks that encoding.
// The records' texts are UTF-8 either way.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/records.h"

namespace vistrel {

// Number of fields a channel line needs; fields after these are ignored.
inline constexpr std::size_t kChannelFields = 16;

struct PackageVersion {
  std::string text;  // the first 12 characters
  double date = 0;   // DateTimeFromCivil of them
};

// "version.dat": its first 12 characters are the digits of year, month, day, hour and minute;
// the rest is ignored. Throws vistrel::Error when they are missing or not a valid date and time.
PackageVersion ParsePackageVersion(std::string_view text);

// Number of lines of a table, as the readers below see them.
std::size_t CountTableLines(std::string_view text);

// "countries.dat" / "genres.dat": one "id|name" line per row; they replace `rows`. On a
// malformed line, vistrel::Error names the entry, the line and the problem, and `rows` keeps
// the rows before it.
void ReadCountries(std::string_view entry_name, std::string_view text, std::vector<Country>& rows);
void ReadGenres(std::string_view entry_name, std::string_view text, std::vector<Genre>& rows);

// One channel line's fields (at least kChannelFields, Windows-1252) as a record of category
// `group_id`, with the derived fields filled. Throws vistrel::Error naming a value that does not
// convert.
Channel ChannelFromFields(std::span<const std::string_view> fields, int32_t group_id,
                          const std::vector<int32_t>& favorites_list,
                          const std::vector<Genre>& genres);

// "tv.dat", "radio.dat", "video.dat": appends one record per line behind `channels`. On a
// malformed line, vistrel::Error names the entry, the line and the problem, and `channels`
// holds the records appended before it, none after. Callers that know how many lines come
// reserve room for them first, so that the array grows once.
void AppendChannels(std::string_view entry_name, std::string_view text, int32_t group_id,
                    const std::vector<int32_t>& favorites_list, const std::vector<Genre>& genres,
                    std::vector<Channel>& channels);

// The same over a table whose bytes are in `bytes`: the records' texts point into that block
// where they are taken as they are, so the table's bytes stay in memory as long as they do.
// Throws as above, and std::bad_alloc when memory runs out.
void AppendChannels(std::string_view entry_name, TextBlockHold bytes, int32_t group_id,
                    const std::vector<int32_t>& favorites_list, const std::vector<Genre>& genres,
                    std::vector<Channel>& channels);

// A channel table made ready to be parsed in pieces, on as many threads as there are pieces:
// its text decoded as AppendChannels decodes it and the lookups made once. The records' texts
// point into `bytes` (or into a decoded copy), which therefore stays in memory as long as they
// do.
class ChannelTableParser {
 public:
  // Throws std::bad_alloc. The favourites and genres must outlive the parser.
  ChannelTableParser(std::string_view entry_name, TextBlockHold bytes, int32_t group_id,
                     const std::vector<int32_t>& favorites_list, const std::vector<Genre>& genres);
  ~ChannelTableParser();
  ChannelTableParser(const ChannelTableParser&) = delete;
  ChannelTableParser& operator=(const ChannelTableParser&) = delete;

  // The text whose lines are parsed, up to its first zero byte, where the table ends.
  std::string_view text() const;

  // Fills `records` (fresh ones) from the lines of `piece`, a part of text() that starts at a
  // line's start and whose first line is line `first_line` of the table: one record per line,
  // as AppendChannels makes them. Returns the number of lines of the piece, which may exceed
  // records.size(); the lines beyond are not parsed. `filled` counts the records filled so
  // far. On a malformed line, throws vistrel::Error as AppendChannels does, with `filled`
  // telling how many records before it are complete. Safe on several threads at once.
  std::size_t Parse(std::string_view piece, std::size_t first_line, std::span<Channel> records,
                    std::size_t& filled) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vistrel
