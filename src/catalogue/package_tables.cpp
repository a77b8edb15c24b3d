#include "catalogue/package_tables.h"

#include <algorithm>
#include <array>
#include <chrono>

#include "catalogue/fields.h"
#include "catalogue/lookups.h"
#include "catalogue/table_scan.h"
#include "common/date_time.h"
#include "common/error.h"

namespace vistrel {

namespace {

constexpr char kSeparator = '|';

Error LineError(std::string_view entry_name, std::size_t index, std::string_view problem) {
  return Error(std::string(entry_name) + ", line " + std::to_string(index + 1) + ": " +
               std::string(problem));
}

Error TooFewFields(std::size_t have, std::size_t need) {
  return Error(std::to_string(have) + (have == 1 ? " field" : " fields") + " where " +
               std::to_string(need) + " are needed");
}

// Countries and genres share the shape id|name.
template <typename Row>
void ReadIdNameRows(std::string_view entry_name, std::string_view text, std::vector<Row>& rows) {
  rows.clear();
  rows.reserve(CountTableLines(text));
  std::size_t index = 0;
  ForEachLine(text, [&](std::string_view line) {
    try {
      std::array<std::string_view, 2> fields;
      if (std::size_t n = SplitFieldsInto(line, kSeparator, fields); n < fields.size()) {
        throw TooFewFields(n, fields.size());
      }
      Row row;
      row.id = ParseInt32(fields[0]);
      row.name = CutText(fields[1]);
      rows.push_back(std::move(row));
    } catch (const Error& e) {
      throw LineError(entry_name, index, e.what());
    }
    ++index;
  });
}

// ParseInt32 with a shortcut for the common case of at most nine plain digits, which cannot
// overflow; everything else (signs, long numbers, errors) goes through ParseInt32.
int32_t ParseCount(std::string_view field) {
  if (field.empty() || field.size() > 9) return ParseInt32(field);
  int32_t value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return ParseInt32(field);
    value = value * 10 + (c - '0');
  }
  return value;
}

// Fills a fresh record from a channel line's fields; `is_favorite` answers for an id.
template <typename IsFavoriteFn>
void FillChannel(TItem& item, std::span<const std::string_view> fields, int32_t group_id,
                 const IsFavoriteFn& is_favorite, const std::vector<Tgenre>& genres) {
  if (fields.size() < kChannelFields) throw TooFewFields(fields.size(), kChannelFields);
  item.id = ParseCount(fields[0]);
  item.name = CutText(fields[1]);
  item.url = fields[2];
  item.bitrate = ParseCount(fields[3]);
  item.type_id = ParseCount(fields[4]);
  item.homepage = fields[5];
  item.country_id = ParseCount(fields[6]);
  item.genre_id = ParseCount(fields[7]);
  item.comment = fields[8];
  item.rating = ParseDecimal(fields[9]);
  item.rated = ParseCount(fields[10]);
  item.workfine = ParseCount(fields[11]);
  item.notworking = ParseCount(fields[12]);
  item.wrong = ParseCount(fields[13]);
  item.duplicate = ParseCount(fields[14]);
  item.spam = ParseCount(fields[15]);

  item.group_id = group_id;
  item.sent = 0;
  item.usdef = 0;
  item.favorited = is_favorite(item.id) ? 1 : 0;
  item.genre = GenreName(item.genre_id, genres);
  item.rt = item.rated >= 1 ? item.rating / item.rated : 0;
  item.status =
      ChannelStatus(item.workfine, item.notworking, item.wrong, item.duplicate, item.spam);
}

int TwoDigits(std::string_view text, std::size_t at) {
  return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

}  // namespace

PackageVersion ParsePackageVersion(std::string_view text) {
  if (std::size_t zero = text.find('\0'); zero != std::string_view::npos) {
    text = text.substr(0, zero);
  }
  const std::string_view head = text.substr(0, std::min<std::size_t>(text.size(), 12));
  auto invalid = [&] {
    return Error("The package version \"" + std::string(head) +
                 "\" is not a date and time (YYYYMMDDhhmm)");
  };
  if (head.size() < 12 || head.find_first_not_of("0123456789") != std::string_view::npos) {
    throw invalid();
  }
  const int year = TwoDigits(head, 0) * 100 + TwoDigits(head, 2);
  const int month = TwoDigits(head, 4);
  const int day = TwoDigits(head, 6);
  const int hour = TwoDigits(head, 8);
  const int minute = TwoDigits(head, 10);
  const std::chrono::year_month_day date{std::chrono::year{year},
                                         std::chrono::month(static_cast<unsigned>(month)),
                                         std::chrono::day(static_cast<unsigned>(day))};
  if (year < 1 || !date.ok() || hour > 23 || minute > 59) throw invalid();
  return PackageVersion{std::string(head), DateTimeFromCivil(year, month, day, hour, minute)};
}

std::size_t CountTableLines(std::string_view text) {
  std::size_t count = 0;
  ForEachLine(text, [&](std::string_view) { ++count; });
  return count;
}

void ReadCountries(std::string_view entry_name, std::string_view text,
                   std::vector<Tcountry>& rows) {
  ReadIdNameRows(entry_name, text, rows);
}

void ReadGenres(std::string_view entry_name, std::string_view text, std::vector<Tgenre>& rows) {
  ReadIdNameRows(entry_name, text, rows);
}

TItem ChannelFromFields(std::span<const std::string_view> fields, int32_t group_id,
                        const std::vector<int32_t>& favorites_list,
                        const std::vector<Tgenre>& genres) {
  TItem item;
  FillChannel(
      item, fields, group_id, [&](int32_t id) { return IsFavorite(favorites_list, id) != 0; },
      genres);
  return item;
}

void AppendChannels(std::string_view entry_name, std::string_view text, int32_t group_id,
                    const std::vector<int32_t>& favorites_list, const std::vector<Tgenre>& genres,
                    std::vector<TItem>& channels) {
  // Radio and video follow TV: grow geometrically so that each entry does not move every
  // record loaded before it once more.
  const std::size_t needed = channels.size() + CountTableLines(text);
  if (needed > channels.capacity()) channels.reserve(std::max(needed, channels.capacity() * 2));

  // The same membership test as IsFavorite, without a scan of the list per channel.
  std::vector<int32_t> favorites = favorites_list;
  std::sort(favorites.begin(), favorites.end());
  const auto is_favorite = [&](int32_t id) {
    return std::binary_search(favorites.begin(), favorites.end(), id);
  };

  std::size_t index = 0;
  std::array<std::string_view, kChannelFields> fields;
  ForEachLine(text, [&](std::string_view line) {
    const std::size_t count = SplitFieldsInto(line, kSeparator, fields);
    // Filled in place; a record whose line turns out malformed is taken away again.
    TItem& item = channels.emplace_back();
    try {
      FillChannel(item, std::span(fields).first(count), group_id, is_favorite, genres);
    } catch (const Error& e) {
      channels.pop_back();
      throw LineError(entry_name, index, e.what());
    }
    ++index;
  });
}

}  // namespace vistrel
