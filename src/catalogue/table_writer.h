#pragma once
// The catalogue as the service keeps it, and its six package tables as text.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/package.h"
#include "catalogue/records.h"

namespace vistrel {

// Everything a package carries. Channels hold their category in `group_id` (1 TV, 2 radio,
// 3 video) and keep their table order within it. Texts are UTF-8.
struct CatalogueTables {
  std::string version;  // 12-digit stamp
  std::vector<Country> countries;
  std::vector<Genre> genres;
  std::vector<Channel> channels;
  // The HTTP headers of the channels whose servers want some, by channel id.
  std::map<int32_t, StreamHeaders> stream_headers;
};

// Table entry name of a category ("tv.dat", "radio.dat", "video.dat"); empty for others.
std::string_view ChannelTableName(int32_t group_id);

// A number with a fraction as the tables write it: "." as decimal point, shortest form that
// reads back exactly ("0", "4.5").
std::string FormatDecimal(double value);

// The 16 fields of a channel line, without line end.
std::string FormatChannelLine(const Channel& channel);

// The six package entries in package order, then, when a channel of the tables has headers,
// the headers entry (kHeadersEntry: one FormatStreamHeadersLine per such channel, by id); the
// six are the same with or without headers. Every line ends with CR LF, and an empty table is
// an empty entry. Each entry is Windows-1252 when all its texts fit, as packages always were,
// and UTF-8 behind the UTF-8 byte-order mark otherwise.
std::vector<PackageEntry> TablesToEntries(const CatalogueTables& tables);

}  // namespace vistrel
