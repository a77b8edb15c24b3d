#include "catalogue/package_tables.h"

#include <algorithm>
#include <chrono>

#include "catalogue/fields.h"
#include "catalogue/lookups.h"
#include "common/error.h"

namespace vistrel {

namespace {

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
  const std::vector<std::string_view> lines = SplitLines(text);
  rows.clear();
  rows.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    try {
      const std::vector<std::string_view> fields = SplitFields("|", lines[i]);
      if (fields.size() < 2) throw TooFewFields(fields.size(), 2);
      Row row;
      row.id = ParseInt32(fields[0]);
      row.name = CutText(fields[1]);
      rows.push_back(std::move(row));
    } catch (const Error& e) {
      throw LineError(entry_name, i, e.what());
    }
  }
}

int TwoDigits(std::string_view text, std::size_t at) {
  return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

}  // namespace

double DaysSince18991230(int year, int month, int day, int hour, int minute) {
  using namespace std::chrono;
  const sys_days date{std::chrono::year{year} / std::chrono::month(static_cast<unsigned>(month)) /
                      std::chrono::day(static_cast<unsigned>(day))};
  const auto days = (date - sys_days{std::chrono::year{1899} / December / 30}).count();
  const double time = (hour * 60 + minute) / 1440.0;
  return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

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
  return PackageVersion{std::string(head), DaysSince18991230(year, month, day, hour, minute)};
}

void ReadCountries(std::string_view entry_name, std::string_view text,
                   std::vector<Tcountry>& rows) {
  ReadIdNameRows(entry_name, text, rows);
}

void ReadGenres(std::string_view entry_name, std::string_view text, std::vector<Tgenre>& rows) {
  ReadIdNameRows(entry_name, text, rows);
}

TItem ChannelFromFields(const std::vector<std::string_view>& fields, int32_t group_id,
                        const std::vector<int32_t>& favorites_list,
                        const std::vector<Tgenre>& genres) {
  if (fields.size() < kChannelFields) throw TooFewFields(fields.size(), kChannelFields);
  TItem item;
  item.id = ParseInt32(fields[0]);
  item.name = CutText(fields[1]);
  item.url = fields[2];
  item.bitrate = ParseInt32(fields[3]);
  item.type_id = ParseInt32(fields[4]);
  item.homepage = fields[5];
  item.country_id = ParseInt32(fields[6]);
  item.genre_id = ParseInt32(fields[7]);
  item.comment = fields[8];
  item.rating = ParseDecimal(fields[9]);
  item.rated = ParseInt32(fields[10]);
  item.workfine = ParseInt32(fields[11]);
  item.notworking = ParseInt32(fields[12]);
  item.wrong = ParseInt32(fields[13]);
  item.duplicate = ParseInt32(fields[14]);
  item.spam = ParseInt32(fields[15]);

  item.group_id = group_id;
  item.sent = 0;
  item.usdef = 0;
  item.favorited = IsFavorite(favorites_list, item.id);
  item.genre = GenreName(item.genre_id, genres);
  item.rt = item.rated >= 1 ? item.rating / item.rated : 0;
  item.status =
      ChannelStatus(item.workfine, item.notworking, item.wrong, item.duplicate, item.spam);
  return item;
}

void AppendChannels(std::string_view entry_name, std::string_view text, int32_t group_id,
                    const std::vector<int32_t>& favorites_list, const std::vector<Tgenre>& genres,
                    std::vector<TItem>& channels) {
  const std::vector<std::string_view> lines = SplitLines(text);
  channels.reserve(channels.size() + lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    try {
      channels.push_back(
          ChannelFromFields(SplitFields("|", lines[i]), group_id, favorites_list, genres));
    } catch (const Error& e) {
      throw LineError(entry_name, i, e.what());
    }
  }
}

}  // namespace vistrel
