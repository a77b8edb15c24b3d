// Benchmarks of the package loader, the channel browser and the catalogue service on synthetic
// catalogues.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "bench_sizes.h"

namespace vistrel::bench {

std::string SizeLabel(std::size_t channel_count) {
  if (channel_count % 1000 == 0) return std::to_string(channel_count / 1000) + "k";
  return std::to_string(channel_count);
}

std::string BenchmarkName(std::string_view group, std::string_view variant,
                          std::size_t channel_count) {
  std::string name(group);
  if (!variant.empty()) name.append("/").append(variant);
  return name.append("/").append(SizeLabel(channel_count));
}

benchmark::internal::Benchmark* ForSize(benchmark::internal::Benchmark* benchmark,
                                        std::size_t channel_count, bool heavy) {
  benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
  if (heavy && channel_count >= kLargeCatalogue) return benchmark->Iterations(3);
  return benchmark->MinTime(0.5);
}

namespace {

std::string LoadAverage() {
  std::ifstream file("/proc/loadavg");
  std::string one, five, fifteen;
  file >> one >> five >> fifteen;
  return file ? one + " " + five + " " + fifteen : "unknown";
}

}  // namespace

}  // namespace vistrel::bench

int main(int argc, char** argv) {
  using namespace vistrel::bench;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::AddCustomContext("load_average_at_start", LoadAverage());
  RegisterLoadBenchmarks();
  RegisterBrowseBenchmarks();
  RegisterSettingsBenchmarks();
  RegisterServiceBenchmarks();
  RegisterGuideBenchmarks();
  RegisterPlaylistBenchmarks();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("load average at end: %s\n", LoadAverage().c_str());
  return 0;
}
