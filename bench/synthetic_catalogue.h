#pragma once
// Synthetic channel catalogues for the benchmarks: the six package tables with field lengths and
// value spreads like those of a real catalogue (names of 10 to 40 bytes, some with
// Windows-1252 accents, URLs of 40 to 120 bytes, mostly zero ratings and counters with many
// ties). The same count and seed always give the same bytes.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/package.h"
#include "catalogue/records.h"

namespace vistrel::bench {

inline constexpr std::uint64_t kSyntheticSeed = 0x5EED20260430ULL;

// Countries in the table besides entry 0 ("All Countries"), and genres besides entry 0.
inline constexpr int32_t kSyntheticCountries = 180;
inline constexpr int32_t kSyntheticGenres = 30;  // the last one is "Undefined"

// How the channels split over the three channel tables.
struct SyntheticSplit {
  std::size_t tv = 0;
  std::size_t radio = 0;
  std::size_t video = 0;
};
SyntheticSplit SplitChannels(std::size_t channel_count);

// The six entries (version, countries, genres, tv, radio, video) as Windows-1252 "|"-separated
// texts with CR LF line ends, ready for BuildPackage. Channel ids run from 1.
std::vector<PackageEntry> SyntheticPackageEntries(std::size_t channel_count,
                                                  std::uint64_t seed = kSyntheticSeed);

// A few favourite ids spread over the catalogue, as a user would have.
std::vector<int32_t> SyntheticFavorites(std::size_t channel_count);

// The catalogue as start-up leaves it before sorting: cleared, then loaded from the package
// built of SyntheticPackageEntries (in memory, through the real loader) with the
// SyntheticFavorites.
Catalogue SyntheticCatalogue(std::size_t channel_count, std::uint64_t seed = kSyntheticSeed);

}  // namespace vistrel::bench
