#include "memory_probe.h"

#include <malloc.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace vistrel::bench {

std::optional<double> ProcStatusMiB(const char* field) {
  std::ifstream status("/proc/self/status");
  const std::string prefix = std::string(field) + ":";
  for (std::string line; std::getline(status, line);) {
    if (line.compare(0, prefix.size(), prefix) != 0) continue;
    // "VmHWM:     2100 kB"
    return std::strtod(line.c_str() + prefix.size(), nullptr) / 1024.0;
  }
  return std::nullopt;
}

MemoryProbe::MemoryProbe() {
  malloc_trim(0);
  // Writing 5 resets the peak resident size to the current one (Linux 4.0 and later).
  std::ofstream clear_refs("/proc/self/clear_refs");
  clear_refs << "5";
  clear_refs.flush();
  reset_ = clear_refs.good();
  baseline_ = ProcStatusMiB("VmRSS");
}

void MemoryProbe::Report(benchmark::State& state) const {
  if (!reset_) return;
  const std::optional<double> peak = ProcStatusMiB("VmHWM");
  if (!peak) return;
  state.counters["peak_MiB"] = *peak;
  if (baseline_) state.counters["extra_MiB"] = *peak - *baseline_;
}

}  // namespace vistrel::bench
