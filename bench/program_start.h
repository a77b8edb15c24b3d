#pragma once
// One start of the real program (offscreen, user folders under a given root), timed from the
// process start to the first paint of its list, which the program reports itself
// (VISTREL_EXIT_AFTER_FIRST_PAINT) before it ends. Used by the start-up benchmarks.

#include <filesystem>
#include <string>

namespace vistrel::bench {

struct ProgramStart {
  double ms = -1;     // wall time, process start to the reported paint; < 0 when none came
  double cpu_ms = 0;  // the program's processor time, user and system, at the paint
  long rss_kb = -1;   // its resident memory then
};

// Starts `program` with XDG_DATA_HOME at root/share and XDG_CONFIG_HOME at root/config, and
// `argument` as its one argument unless empty. Never throws; a start that reports no paint
// has ms < 0.
ProgramStart StartProgramOnce(const char* program, const std::filesystem::path& root,
                              const std::string& argument = {});

}  // namespace vistrel::bench
