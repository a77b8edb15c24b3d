#include "vistrel-service/table_files.h"

#include <cstring>

#include "catalogue/fields.h"
#include "common/error.h"
#include "common/files.h"
#include "vistrel-service/version_stamp.h"

namespace vistrel {

namespace {

constexpr std::size_t kChannelFields = 16;

[[noreturn]] void Malformed(std::string_view file_name, std::size_t line, const std::string& why) {
  throw Error(std::string(file_name) + " line " + std::to_string(line + 1) + ": " + why);
}

template <typename Row>
std::vector<Row> ParseIdNameTable(std::string_view text, std::string_view file_name) {
  std::vector<Row> rows;
  const auto lines = SplitLines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto fields = SplitFields("|", lines[i]);
    if (fields.size() < 2) Malformed(file_name, i, "expected id|name");
    try {
      rows.push_back(Row{ParseInt32(fields[0]), std::string(fields[1])});
    } catch (const Error& e) {
      Malformed(file_name, i, e.what());
    }
  }
  return rows;
}

TItem ParseChannelFields(const std::vector<std::string_view>& f, int32_t group_id) {
  TItem c;
  c.id = ParseInt32(f[0]);
  c.group_id = group_id;
  c.name = std::string(f[1]);
  c.url = std::string(f[2]);
  c.bitrate = ParseInt32(f[3]);
  c.type_id = ParseInt32(f[4]);
  c.homepage = std::string(f[5]);
  c.country_id = ParseInt32(f[6]);
  c.genre_id = ParseInt32(f[7]);
  c.comment = std::string(f[8]);
  c.rating = ParseDecimal(f[9]);
  c.rated = ParseInt32(f[10]);
  c.workfine = ParseInt32(f[11]);
  c.notworking = ParseInt32(f[12]);
  c.wrong = ParseInt32(f[13]);
  c.duplicate = ParseInt32(f[14]);
  c.spam = ParseInt32(f[15]);
  return c;
}

std::string ReadTable(const std::filesystem::path& folder, const char* name) {
  int error_code = 0;
  auto bytes = ReadWholeFile(folder / name, &error_code);
  if (!bytes) {
    throw Error("cannot read " + (folder / name).string() + ": " + std::strerror(error_code));
  }
  return std::move(*bytes);
}

}  // namespace

std::vector<Tcountry> ParseCountryTable(std::string_view text, std::string_view file_name) {
  return ParseIdNameTable<Tcountry>(text, file_name);
}

std::vector<Tgenre> ParseGenreTable(std::string_view text, std::string_view file_name) {
  return ParseIdNameTable<Tgenre>(text, file_name);
}

std::vector<TItem> ParseChannelTable(std::string_view text, int32_t group_id,
                                     std::string_view file_name) {
  std::vector<TItem> channels;
  const auto lines = SplitLines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto fields = SplitFields("|", lines[i]);
    if (fields.size() < kChannelFields) {
      Malformed(file_name, i, "expected 16 fields, found " + std::to_string(fields.size()));
    }
    try {
      channels.push_back(ParseChannelFields(fields, group_id));
    } catch (const Error& e) {
      Malformed(file_name, i, e.what());
    }
  }
  return channels;
}

CatalogueTables ReadTableFiles(const std::filesystem::path& folder) {
  CatalogueTables tables;
  if (auto version = ReadWholeFile(folder / "version.dat")) {
    if (auto stamp = ParseVersionStamp(*version)) tables.version = FormatVersionStamp(*stamp);
  }
  tables.countries = ParseCountryTable(ReadTable(folder, "countries.dat"), "countries.dat");
  tables.genres = ParseGenreTable(ReadTable(folder, "genres.dat"), "genres.dat");
  for (int32_t group = 1; group <= 3; ++group) {
    const std::string name(ChannelTableName(group));
    auto channels = ParseChannelTable(ReadTable(folder, name.c_str()), group, name);
    tables.channels.insert(tables.channels.end(), std::make_move_iterator(channels.begin()),
                           std::make_move_iterator(channels.end()));
  }
  return tables;
}

}  // namespace vistrel
