// Reading the settings at start-up from a settings file that has grown long: 20,000 names
// (about 200 KB) besides the seventeen the filter reads.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "bench_sizes.h"
#include "browser/settings_store.h"
#include "catalogue/records.h"
#include "common/error.h"
#include "common/files.h"

namespace vistrel::bench {

namespace {

constexpr int kExtraNames = 20'000;

void LoadLongSettings(benchmark::State& state) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("vistrel-settings-bench-" + std::to_string(::getpid()));
  const std::filesystem::path file = folder / "settings.ini";
  std::string text;
  for (int i = 0; i < kExtraNames; ++i) text += "unrelated_" + std::to_string(i) + "=value\n";
  text += "selected=2\nfavorited=1\nname_f=1\nname=news\ncountry_f=1\ncountry=7\n";
  if (!WriteFileAtomically(file, text).ok()) throw Error("Cannot write " + file.string());
  const SettingsStore store(file);
  for (auto _ : state) {
    ViewFilter filter;
    LoadSettings(store, filter);
    benchmark::DoNotOptimize(filter);
  }
  state.counters["file_KB"] = static_cast<double>(text.size()) / 1000.0;
  std::filesystem::remove_all(folder);
}

}  // namespace

void RegisterSettingsBenchmarks() {
  benchmark::RegisterBenchmark("LoadSettings/20k_names", LoadLongSettings)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->MinTime(0.5);
}

}  // namespace vistrel::bench
