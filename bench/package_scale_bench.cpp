// The channel package at 10,000, 100,000 and 600,000 channels: the floor (reading, deciphering
// and inflating the file as the loader does, without parsing), a load into a fresh catalogue,
// and a reload into a catalogue that has just been cleared, as the program does after a
// download.
//
// Floor and load hand freed memory back to the system between iterations, so that both run
// on fresh pages as at start-up. Otherwise the allocator keeps the floor's buffers for the
// next iteration but, depending on its thresholds, returns the larger catalogue's memory, and
// the two would be measured under different conditions.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "catalogue/cipher.h"
#include "catalogue/lookups.h"
#include "catalogue/package.h"
#include "catalogue/zip_reader.h"
#include "common/files.h"

namespace vistrel {
namespace {

std::string ScaleChannelLines(int first, int count) {
  std::string out;
  for (int i = first; i < first + count; ++i) {
    const std::string n = std::to_string(i);
    out += n + "|Channel " + n + " HD|https://stream" + std::to_string(i % 977) +
           ".example.invalid/live/" + n + "/index.m3u8|0|1|https://www.example.invalid/channel" +
           n + "|" + std::to_string(i % 177 + 1) + "|" + std::to_string(i % 30) +
           "|720p [Not 24/7]|" + std::to_string(i % 50) + "|" + std::to_string(i % 7) + "|" +
           std::to_string(i % 3) + "|0|" + std::to_string(i % 2) + "|0|0\r\n";
  }
  return out;
}

std::string ScaleIdNames(int count, const char* what) {
  std::string out;
  for (int i = 0; i < count; ++i)
    out += std::to_string(i) + "|" + what + std::to_string(i) + "\r\n";
  return out;
}

// A package file of `channels` channels (80% TV, 10% radio, 10% video), removed at exit.
class ScalePackage {
 public:
  explicit ScalePackage(int channels)
      : path_(std::filesystem::temp_directory_path() /
              ("vistrel-scale-bench-" + std::to_string(::getpid()) + "-" +
               std::to_string(channels) + ".dat")) {
    const int tv = channels * 8 / 10;
    const int radio = channels / 10;
    std::ofstream(path_, std::ios::binary) << BuildPackage({
        {"version.dat", "202604300337"},
        {"countries.dat", ScaleIdNames(178, "Country ")},
        {"genres.dat", ScaleIdNames(31, "Genre ")},
        {"tv.dat", ScaleChannelLines(1, tv)},
        {"radio.dat", ScaleChannelLines(tv + 1, radio)},
        {"video.dat", ScaleChannelLines(tv + radio + 1, channels - tv - radio)},
    });
  }
  ~ScalePackage() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

const std::filesystem::path& PackageOf(int channels) {
  static std::map<int, std::unique_ptr<ScalePackage>> packages;
  auto& package = packages[channels];
  if (!package) package = std::make_unique<ScalePackage>(channels);
  return package->path();
}

const std::vector<int32_t> kFavorites = {5, 500, 5000, 50000};

void ReleaseFreedMemory() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

void BM_PackageFloor(benchmark::State& state) {
  const auto& file = PackageOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::string bytes = *ReadWholeFile(file);
    DecryptInPlace(bytes, CipherKey(build::kKeyText, build::kIvText));
    UnzipArchive archive = OpenZipInMemory(bytes);
    std::size_t total = 0;
    for (const char* name : kPackageEntries) {
      if (LocateZipEntry(archive.get(), name)) total += ReadZipEntryBytes(archive.get()).size;
    }
    benchmark::DoNotOptimize(total);
    state.PauseTiming();
    bytes = std::string();
    archive.reset();
    ReleaseFreedMemory();
    state.ResumeTiming();
  }
}

void BM_PackageLoad(benchmark::State& state) {
  const auto& file = PackageOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TInfo info;
    ClearCatalogue(info);
    LoadChannelPackage(info, kFavorites, file);
    benchmark::DoNotOptimize(info.channels.data());
    state.PauseTiming();  // releasing the catalogue is not part of loading it
    info = TInfo();
    ReleaseFreedMemory();
    state.ResumeTiming();
  }
}

void BM_PackageReload(benchmark::State& state) {
  const auto& file = PackageOf(static_cast<int>(state.range(0)));
  TInfo info;
  ClearCatalogue(info);
  LoadChannelPackage(info, kFavorites, file);
  for (auto _ : state) {
    state.PauseTiming();
    ClearCatalogue(info);
    state.ResumeTiming();
    LoadChannelPackage(info, kFavorites, file);
    benchmark::DoNotOptimize(info.channels.data());
  }
}

BENCHMARK(BM_PackageFloor)->Arg(10000)->Arg(100000)->Arg(600000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackageLoad)->Arg(10000)->Arg(100000)->Arg(600000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackageReload)->Arg(10000)->Arg(100000)->Arg(600000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vistrel
