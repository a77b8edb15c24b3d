#pragma once
// Peak resident memory of a benchmark: the kernel's high-water mark (VmHWM) is reset to the
// current size before the timed loop and read after it. Where the kernel does not allow the
// reset or the status file is missing, no memory figures are reported.

#include <benchmark/benchmark.h>

#include <optional>

namespace vistrel::bench {

// A field of /proc/self/status in MiB ("VmHWM", "VmRSS"); nothing when unavailable.
std::optional<double> ProcStatusMiB(const char* field);

class MemoryProbe {
 public:
  // Hands freed memory back to the system, resets the peak and notes the resident size, so
  // the peak measured later belongs to what runs after this.
  MemoryProbe();

  // Adds "peak_MiB" (the high-water mark since the reset) and "extra_MiB" (its rise over the
  // resident size at the reset) to the benchmark's counters.
  void Report(benchmark::State& state) const;

 private:
  bool reset_ = false;
  std::optional<double> baseline_;
};

}  // namespace vistrel::bench
