#include "server/playlist_import.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <unordered_map>

#include "catalogue/format/codepage.h"
#include "common/error.h"

namespace vistrel {

namespace {

int32_t NextId(int64_t highest) {
  if (highest >= std::numeric_limits<int32_t>::max()) throw Error("no free ids left");
  return static_cast<int32_t>(highest + 1);
}

std::string FirstValue(const M3uEntry& entry, const char* key) {
  const auto it = entry.attributes.find(key);
  if (it == entry.attributes.end()) return {};
  return PlaylistText(it->second.substr(0, it->second.find(';')));
}

// Ids of an id/name table by name, creating rows for new names.
template <typename Row>
class NameIndex {
 public:
  NameIndex(std::vector<Row>& rows, const char* all_name) : rows_(rows) {
    if (rows_.empty()) rows_.push_back(Row{0, all_name});
    for (const Row& row : rows_) {
      ids_.emplace(row.name, row.id);  // first row of a name wins, as the lookups do
      highest_ = std::max<int64_t>(highest_, row.id);
    }
  }

  int32_t IdOf(const std::string& name) {
    if (name.empty()) return 0;
    if (auto it = ids_.find(name); it != ids_.end()) return it->second;
    const int32_t id = NextId(highest_);
    highest_ = id;
    rows_.push_back(Row{id, name});
    ids_.emplace(name, id);
    return id;
  }

 private:
  std::vector<Row>& rows_;
  std::unordered_map<std::string, int32_t> ids_;
  int64_t highest_ = 0;
};

}  // namespace

std::string PlaylistText(std::string_view utf8) {
  std::string text;
  for (const char c : Utf8OrCp1252(utf8)) {
    if (c == '|') {
      text += kVerticalBarStandIn;
    } else if (static_cast<unsigned char>(c) >= 0x20) {
      text += c;
    }
  }
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string PlaylistUrl(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url;
  for (const char ch : utf8) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0x80) {
      url += '%';
      url += kHex[b >> 4];
      url += kHex[b & 0xF];
    } else if (b >= 0x20 && ch != '|') {
      url += ch;
    }
  }
  return url;
}

std::size_t AddPlaylist(CatalogueTables& tables, const std::vector<M3uEntry>& entries) {
  NameIndex<Country> countries(tables.countries, "All Countries");
  NameIndex<Genre> genres(tables.genres, "All Genres");
  int64_t highest = 0;
  for (const Channel& c : tables.channels) highest = std::max<int64_t>(highest, c.id);
  for (const M3uEntry& entry : entries) {
    Channel c;
    c.id = NextId(highest);
    highest = c.id;
    c.group_id = 1;
    c.url = PlaylistUrl(entry.url);
    c.name = PlaylistText(entry.title);
    if (c.name.empty()) c.name = c.url;
    c.type_id = 1;
    c.country_id = countries.IdOf(FirstValue(entry, "tvg-country"));
    c.genre_id = genres.IdOf(FirstValue(entry, "group-title"));
    if (!entry.headers.empty()) tables.stream_headers[c.id] = entry.headers;
    tables.channels.push_back(std::move(c));
  }
  return entries.size();
}

}  // namespace vistrel
