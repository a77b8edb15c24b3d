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
  Result<std::string> bytes = ReadFile(folder / name);
  if (!bytes.ok()) throw Error(bytes.error);
  return std::move(*bytes.value);
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
  if (auto version = ReadWholeFile(folder / kVersionEntry)) {
    if (auto stamp = ParseVersionStamp(DecodeTextFile(*version)))
      tables.version = FormatVersionStamp(*stamp);
  }
  tables.countries = ParseCountryTable(ReadTable(folder, kCountriesEntry), kCountriesEntry);
  tables.genres = ParseGenreTable(ReadTable(folder, kGenresEntry), kGenresEntry);
  for (const ChannelEntry& entry : kChannelEntries) {
    auto channels = ParseChannelTable(ReadTable(folder, entry.name), entry.group_id, entry.name);
    tables.channels.insert(tables.channels.end(), std::make_move_iterator(channels.begin()),
                           std::make_move_iterator(channels.end()));
  }
  return tables;
}

}  // namespace vistrel
