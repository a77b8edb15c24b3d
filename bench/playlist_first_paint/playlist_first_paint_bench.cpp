// Starts the program on an M3U playlist of 600k channels given on the command line (offscreen,
// with fresh user folders and no package) and measures the time from process start to the
// first paint of the playlist's list, and the program's resident memory then; then once more
// with the playlist remembered from the first run (read from the data folder's copy). The
// playlist is the synthetic catalogue's channels, written at run time into a temporary folder.
// Usage: vistrel-playlist-first-paint [CHANNELS] [RUNS]

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "program_start.h"
#include "synthetic_catalogue.h"
#include "synthetic_playlist.h"

namespace fs = std::filesystem;

namespace {

using vistrel::bench::ProgramStart;
using vistrel::bench::StartProgramOnce;

void Report(const char* what, std::vector<ProgramStart> results) {
  if (results.empty()) {
    std::printf("  %s: no run reported a first paint\n", what);
    return;
  }
  std::sort(results.begin(), results.end(),
            [](const ProgramStart& a, const ProgramStart& b) { return a.ms < b.ms; });
  const ProgramStart& median = results[results.size() / 2];
  const double mib = median.rss_kb / 1024.0;
  std::printf(
      "  %s median: %8.1f ms (processor %8.1f ms; goal < 600 ms: %s)  %7.1f MiB (goal < "
      "250 MiB: %s)\n",
      what, median.ms, median.cpu_ms, median.ms < 600 ? "met" : "missed", mib,
      mib < 250 ? "met" : "missed");
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t channels = argc > 1 ? std::stoul(argv[1]) : 600'000;
  const int runs = argc > 2 ? std::stoi(argv[2]) : 3;
  char pattern[] = "/tmp/vistrel-playlist-paint-XXXXXX";
  if (!mkdtemp(pattern)) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path root = pattern;
  const fs::path playlist = root / "channels.m3u";
  vistrel::bench::WriteSyntheticPlaylist(vistrel::bench::SyntheticCatalogue(channels), playlist);
  std::printf("\nProgram start to first paint of a playlist, %zu channels (%.1f MB), offscreen\n",
              channels, static_cast<double>(fs::file_size(playlist)) / 1e6);
  std::vector<ProgramStart> opened, remembered;
  for (int i = 0; i < runs; ++i) {
    // Fresh folders: the playlist is opened as new, copied into the data folder.
    fs::remove_all(root / "config");
    fs::remove_all(root / "share");
    const ProgramStart open = StartProgramOnce(VISTREL_PROGRAM, root, playlist.string());
    // The same folders again without an argument: the remembered copy is read.
    const ProgramStart again = StartProgramOnce(VISTREL_PROGRAM, root);
    std::printf(
        "  run %d: opened %8.1f ms (processor %8.1f ms) %7.1f MiB; remembered %8.1f ms "
        "(processor %8.1f ms) %7.1f MiB\n",
        i + 1, open.ms, open.cpu_ms, open.rss_kb / 1024.0, again.ms, again.cpu_ms,
        again.rss_kb / 1024.0);
    if (open.ms >= 0) opened.push_back(open);
    if (again.ms >= 0) remembered.push_back(again);
  }
  fs::remove_all(root);
  Report("opened", opened);
  Report("remembered", remembered);
  return opened.empty() ? 1 : 0;
}
