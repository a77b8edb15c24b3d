#pragma once
// Reading the six catalogue tables (the package entries as plain files) from a folder.

#include <filesystem>
#include <string_view>
#include <vector>

#include "catalogue/table_writer.h"

namespace vistrel {

// "id|name" lines. Throws vistrel::Error naming `file_name` and the line when a line is
// malformed.
std::vector<Country> ParseCountryTable(std::string_view text, std::string_view file_name);
std::vector<Genre> ParseGenreTable(std::string_view text, std::string_view file_name);

// 16-field channel lines of one category; fields after the 16th are ignored. Throws
// vistrel::Error naming `file_name` and the line when a line is malformed.
std::vector<Channel> ParseChannelTable(std::string_view text, int32_t group_id,
                                       std::string_view file_name);

// Reads version.dat (optional: its stamp, when valid, is the floor of the next one),
// countries.dat, genres.dat, tv.dat, radio.dat and video.dat (each required, so that a wrong
// folder cannot empty the catalogue). Throws vistrel::Error.
CatalogueTables ReadTableFiles(const std::filesystem::path& folder);

}  // namespace vistrel
