// Loading a channel package of 100,000 channels, against the floor of reading, deciphering and
// inflating it without parsing.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "catalogue/cipher.h"
#include "catalogue/lookups.h"
#include "catalogue/package.h"
#include "catalogue/zip_reader.h"
#include "common/files.h"

namespace vistrel {
namespace {

constexpr int kChannels = 100000;

std::string ChannelLines(int count) {
  std::string out;
  for (int i = 1; i <= count; ++i) {
    out += std::to_string(i) + "|Channel " + std::to_string(i) + " HD|https://stream" +
           std::to_string(i % 977) + ".example.invalid/live/" + std::to_string(i) +
           "/index.m3u8|0|1|https://www.example.invalid/channel" + std::to_string(i) + "|" +
           std::to_string(i % 177 + 1) + "|" + std::to_string(i % 30) + "|720p [Not 24/7]|" +
           std::to_string(i % 50) + "|" + std::to_string(i % 7) + "|" + std::to_string(i % 3) +
           "|0|" + std::to_string(i % 2) + "|0|0\r\n";
  }
  return out;
}

std::string IdNames(int count, const char* what) {
  std::string out;
  for (int i = 0; i < count; ++i)
    out += std::to_string(i) + "|" + what + std::to_string(i) + "\r\n";
  return out;
}

// The package file, written once and removed at exit.
struct PackageFixture {
  std::filesystem::path path = std::filesystem::temp_directory_path() /
                               ("vistrel-bench-" + std::to_string(::getpid()) + ".dat");
  PackageFixture() {
    std::ofstream(path, std::ios::binary) << BuildPackage({
        {"version.dat", "202604300337"},
        {"countries.dat", IdNames(178, "Country ")},
        {"genres.dat", IdNames(31, "Genre ")},
        {"tv.dat", ChannelLines(kChannels * 8 / 10)},
        {"radio.dat", ChannelLines(kChannels / 10)},
        {"video.dat", ChannelLines(kChannels / 10)},
    });
  }
  ~PackageFixture() {
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }
};

const std::filesystem::path& PackageFile() {
  static const PackageFixture fixture;
  return fixture.path;
}

void BM_ReadDecryptInflate(benchmark::State& state) {
  for (auto _ : state) {
    std::string bytes = *ReadWholeFile(PackageFile());
    DecryptInPlace(bytes, CipherKey(build::kKeyText, build::kIvText));
    UnzipArchive archive = OpenZipInMemory(bytes);
    std::size_t total = 0;
    for (const char* name : kPackageEntries) {
      if (LocateZipEntry(archive.get(), name)) total += ReadZipEntry(archive.get()).size();
    }
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_ReadDecryptInflate)->Unit(benchmark::kMillisecond);

void BM_LoadChannelPackage(benchmark::State& state) {
  const std::vector<int32_t> favorites = {5, 500, 5000, 50000};
  for (auto _ : state) {
    TInfo info;
    ClearCatalogue(info);
    LoadChannelPackage(info, favorites, PackageFile());
    benchmark::DoNotOptimize(info.channels.data());
    state.PauseTiming();  // releasing the catalogue is not part of loading it
    info = TInfo();
    state.ResumeTiming();
  }
  state.counters["channels"] = kChannels;
}
BENCHMARK(BM_LoadChannelPackage)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vistrel
