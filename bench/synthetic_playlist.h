#pragma once
// The synthetic catalogue's channels as an extended M3U playlist, for the playlist benchmarks:
// each entry with the attributes real lists carry (tvg-id, tvg-logo, tvg-country,
// group-title), the name as title and the address on the next line.

#include <filesystem>

#include "catalogue/records.h"

namespace vistrel::bench {

// Writes the playlist of `catalogue`'s channels to `path`, in chunks. Throws vistrel::Error
// when the file cannot be written.
void WriteSyntheticPlaylist(const Catalogue& catalogue, const std::filesystem::path& path);

}  // namespace vistrel::bench
