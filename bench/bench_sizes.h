#pragma once
// Catalogue sizes the benchmarks run at, and how long each size runs.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace vistrel::bench {

inline constexpr std::size_t kSmallCatalogue = 10'000;
inline constexpr std::size_t kMediumCatalogue = 100'000;
inline constexpr std::size_t kLargeCatalogue = 600'000;

// "10k", "100k", "600k".
std::string SizeLabel(std::size_t channel_count);

// "group/variant/size" ("group/size" without a variant).
std::string BenchmarkName(std::string_view group, std::string_view variant,
                          std::size_t channel_count);

// Settles a registered benchmark's time unit and run length for a catalogue size: a heavy
// benchmark (one that takes a large fraction of a second per run) on the large catalogue runs
// a fixed few iterations, so the whole run stays within minutes.
benchmark::internal::Benchmark* ForSize(benchmark::internal::Benchmark* benchmark,
                                        std::size_t channel_count, bool heavy = true);

// Benchmarks of the two groups, registered in the order they run.
void RegisterLoadBenchmarks();
void RegisterBrowseBenchmarks();
void RegisterSettingsBenchmarks();
void RegisterServiceBenchmarks();
void RegisterGuideBenchmarks();
void RegisterPlaylistBenchmarks();

}  // namespace vistrel::bench
