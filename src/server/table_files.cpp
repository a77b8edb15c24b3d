#include "server/table_files.h"

#include <cstring>

#include "catalogue/format/codepage.h"
#include "catalogue/table_reader.h"
#include "common/error.h"
#include "common/files.h"
#include "server/version_stamp.h"

namespace vistrel {

namespace {

std::string ReadTable(const std::filesystem::path& folder, const char* name) {
  int error_code = 0;
  auto bytes = ReadWholeFile(folder / name, &error_code);
  if (!bytes) {
    throw Error("cannot read " + (folder / name).string() + ": " + std::strerror(error_code));
  }
  return std::move(*bytes);
}

}  // namespace

// The same parsers as the program's package loader, so the service reads exactly what the
// program would.
std::vector<Country> ParseCountryTable(std::string_view text, std::string_view file_name) {
  std::vector<Country> rows;
  ReadCountries(file_name, text, rows);
  return rows;
}

std::vector<Genre> ParseGenreTable(std::string_view text, std::string_view file_name) {
  std::vector<Genre> rows;
  ReadGenres(file_name, text, rows);
  return rows;
}

std::vector<Channel> ParseChannelTable(std::string_view text, int32_t group_id,
                                       std::string_view file_name) {
  std::vector<Channel> channels;
  AppendChannels(file_name, text, group_id, {}, {}, channels);
  return channels;
}

CatalogueTables ReadTableFiles(const std::filesystem::path& folder) {
  CatalogueTables tables;
  if (auto version = ReadWholeFile(folder / "version.dat")) {
    if (auto stamp = ParseVersionStamp(DecodeTextFile(*version)))
      tables.version = FormatVersionStamp(*stamp);
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
