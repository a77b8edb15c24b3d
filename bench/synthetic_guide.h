#pragma once
// Synthetic programme guides for the benchmarks, at the sizes of real ones: channels "Guide
// Channel N" (XMLTV ids "gc.N"), programmes of 30 to 120 minutes, titles of 10 to 50 bytes and
// descriptions of 250 to 1,050 bytes (some accented), sub-titles, categories and episode
// numbers; about 1 GB for 4,000 channels over 14 days. The same arguments give the same bytes.

#include <cstdint>
#include <filesystem>

namespace vistrel::bench {

// Writes the guide (gzip-compressed when `gzip`) with programmes from `begin` (UTC seconds)
// for `days` days on each of `channels` channels; returns the number of programmes. Throws
// std::runtime_error when the file cannot be written.
int64_t WriteSyntheticGuide(const std::filesystem::path& file, int channels, int days,
                            int64_t begin, bool gzip);

// The six table files of a TV catalogue with every second guide channel (by name, as
// matching finds them) and `extra` channels no guide knows, in `dir`. Throws
// std::runtime_error.
void WriteGuideCatalogueTables(const std::filesystem::path& dir, int guide_channels, int extra);

}  // namespace vistrel::bench
