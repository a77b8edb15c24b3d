// Loading the channel package from its file, against the floor of the same work without the
// parsing: read the file, decrypt it, inflate every entry. The steps of the floor and the
// parsing alone run as well, to show where the time goes.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench_sizes.h"
#include "catalogue/format/cipher.h"
#include "catalogue/format/zip_memory.h"
#include "catalogue/format/zip_reader.h"
#include "catalogue/lookups.h"
#include "catalogue/package.h"
#include "catalogue/table_reader.h"
#include "common/build_config.h"
#include "common/error.h"
#include "common/files.h"
#include "common/large_pages.h"
#include "memory_probe.h"
#include "package_files.h"
#include "synthetic_catalogue.h"

namespace vistrel::bench {

namespace {

// Hands freed memory back to the system, outside the timing, so that every iteration of the
// load and of the floor runs on fresh pages as at start-up. Otherwise the allocator keeps the
// floor's small buffers between iterations but may return the catalogue's memory, and the two
// would be measured under different conditions.
void StartOnFreshMemory(benchmark::State& state) {
  state.PauseTiming();
  malloc_trim(0);
  state.ResumeTiming();
}

std::string ReadPackage(const PackageFile& file) {
  std::optional<std::string> bytes = ReadWholeFile(file.path);
  if (!bytes) throw Error("Cannot read " + file.path.string());
  return std::move(*bytes);
}

void Decrypt(std::string& bytes) {
  const CipherKey key(build::kKeyText, build::kIvText);
  DecryptInPlace(bytes, key);
}

// Inflates every entry the loader reads, dropping each before the next: streamed through
// minizip and zlib as the loader once did, or whole with libdeflate and its checksum as it
// does now.
std::size_t InflateEntries(const std::string& plaintext, bool whole) {
  const UnzipArchive archive = OpenZipInMemory(plaintext);
  if (!archive) throw Error("The synthetic package is not a readable archive");
  std::size_t total = 0;
  for (const char* name : kPackageEntries) {
    if (!LocateZipEntry(archive, name)) continue;
    const PreparedZipEntry entry = PrepareZipEntry(archive);
    const LargeBuffer bytes = AllocateLargeBuffer(entry.info.size);
    if (whole) {
      if (!InflatePreparedEntry(entry, bytes.get())) throw Error("The entry is damaged");
    } else {
      ReadZipEntryStreamed(archive, bytes.get());
    }
    total += entry.info.size;
  }
  return total;
}

void AddPackageCounters(benchmark::State& state, const PackageFile& file) {
  // Shown as "<MB>/s": package megabytes (10^6 bytes) per second.
  state.counters["rate_MB"] = benchmark::Counter(static_cast<double>(file.file_bytes) / 1e6,
                                                 benchmark::Counter::kIsIterationInvariantRate);
  state.counters["pkg_MB"] = static_cast<double>(file.file_bytes) / 1e6;
  state.counters["tables_MB"] = static_cast<double>(file.table_bytes) / 1e6;
}

void LoadPackage(benchmark::State& state, std::size_t channel_count) {
  const PackageFile& file = SyntheticPackageFile(channel_count);
  const std::vector<int32_t> favorites = SyntheticFavorites(channel_count);
  std::optional<Catalogue> info;
  const MemoryProbe probe;
  for (auto _ : state) {
    StartOnFreshMemory(state);
    info.emplace();
    ClearCatalogue(*info);
    LoadChannelPackage(*info, favorites, file.path);
    benchmark::DoNotOptimize(info->channels.data());
    state.PauseTiming();
    const bool complete = info->channels.size() == channel_count;
    info.reset();  // releasing the catalogue is not part of loading it
    state.ResumeTiming();
    if (!complete) {
      state.SkipWithError("the package did not load whole");
      break;
    }
  }
  probe.Report(state);
  AddPackageCounters(state, file);
}

// The reload after a download: the catalogue is cleared and loaded again, so the records'
// array keeps its room and the allocator has the freed texts at hand.
void ReloadPackage(benchmark::State& state, std::size_t channel_count) {
  const PackageFile& file = SyntheticPackageFile(channel_count);
  const std::vector<int32_t> favorites = SyntheticFavorites(channel_count);
  Catalogue info;
  ClearCatalogue(info);
  LoadChannelPackage(info, favorites, file.path);
  for (auto _ : state) {
    state.PauseTiming();
    ClearCatalogue(info);
    state.ResumeTiming();
    LoadChannelPackage(info, favorites, file.path);
    benchmark::DoNotOptimize(info.channels.data());
  }
  AddPackageCounters(state, file);
}

// Read, decrypt and inflate: the loader's work without the parsing, on one thread. The
// floor of today inflates whole with libdeflate and checks the checksum; the old one streams
// through zlib, as the loader did before.
void FloorWith(benchmark::State& state, std::size_t channel_count, bool whole) {
  const PackageFile& file = SyntheticPackageFile(channel_count);
  const MemoryProbe probe;
  for (auto _ : state) {
    StartOnFreshMemory(state);
    std::string bytes = ReadPackage(file);
    Decrypt(bytes);
    benchmark::DoNotOptimize(InflateEntries(bytes, whole));
  }
  probe.Report(state);
  AddPackageCounters(state, file);
}

void Floor(benchmark::State& state, std::size_t channel_count) {
  FloorWith(state, channel_count, true);
}

void FloorStreamed(benchmark::State& state, std::size_t channel_count) {
  FloorWith(state, channel_count, false);
}

void FloorReadOnly(benchmark::State& state, std::size_t channel_count) {
  const PackageFile& file = SyntheticPackageFile(channel_count);
  const MemoryProbe probe;
  for (auto _ : state) benchmark::DoNotOptimize(ReadPackage(file).size());
  probe.Report(state);
  AddPackageCounters(state, file);
}

void FloorReadDecrypt(benchmark::State& state, std::size_t channel_count) {
  const PackageFile& file = SyntheticPackageFile(channel_count);
  const MemoryProbe probe;
  for (auto _ : state) {
    std::string bytes = ReadPackage(file);
    Decrypt(bytes);
    benchmark::DoNotOptimize(bytes.data());
  }
  probe.Report(state);
  AddPackageCounters(state, file);
}

// The parsing alone: the channel tables, already inflated, into records.
void ParseOnly(benchmark::State& state, std::size_t channel_count) {
  const PackageFile& file = SyntheticPackageFile(channel_count);
  const std::vector<PackageEntry> entries = SyntheticPackageEntries(channel_count);
  const std::vector<int32_t> favorites = SyntheticFavorites(channel_count);
  std::vector<Genre> genres;
  ReadGenres(kGenresEntry, entries[2].second, genres);
  std::optional<std::vector<Channel>> channels;
  const MemoryProbe probe;  // above the tables' own memory, which is held throughout
  for (auto _ : state) {
    channels.emplace();
    // One reservation for the three tables, as the loader makes.
    std::size_t lines = 0;
    for (std::size_t i = 3; i < 6; ++i) lines += CountTableLines(entries[i].second);
    channels->reserve(lines);
    for (int32_t group = 1; group <= 3; ++group) {
      const PackageEntry& entry = entries[static_cast<std::size_t>(2 + group)];
      AppendChannels(entry.first, entry.second, group, favorites, genres, *channels);
    }
    benchmark::DoNotOptimize(channels->data());
    state.PauseTiming();
    channels.reset();
    state.ResumeTiming();
  }
  probe.Report(state);
  AddPackageCounters(state, file);
}

}  // namespace

void RegisterLoadBenchmarks() {
  using Runner = void (*)(benchmark::State&, std::size_t);
  const std::pair<const char*, Runner> benchmarks[] = {
      {"LoadChannelPackage", LoadPackage},   {"ReloadChannelPackage", ReloadPackage},
      {"Floor/ReadDecryptInflate", Floor},   {"Floor/ReadDecryptZlibStream", FloorStreamed},
      {"Floor/ReadOnly", FloorReadOnly},     {"Floor/ReadDecrypt", FloorReadDecrypt},
      {"ParseChannelTablesOnly", ParseOnly},
  };
  for (const std::size_t size : {kSmallCatalogue, kMediumCatalogue, kLargeCatalogue}) {
    for (const auto& [name, runner] : benchmarks) {
      ForSize(benchmark::RegisterBenchmark(BenchmarkName(name, "", size).c_str(), runner, size),
              size);
    }
  }
}

}  // namespace vistrel::bench
