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

#include "synthetic_catalogue.h"
#include "synthetic_playlist.h"

namespace fs = std::filesystem;

namespace {

struct Run {
  double ms = -1;     // wall time, process start to the reported paint
  double cpu_ms = 0;  // the program's processor time, user and system, at the paint
  long rss_kb = -1;
};

// One start of the program, with `playlist` as its argument unless empty.
Run StartOnce(const fs::path& root, const std::string& playlist) {
  int out[2];
  if (pipe(out) != 0) return {};
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("VISTREL_EXIT_AFTER_FIRST_PAINT", "1", 1);
    setenv("XDG_DATA_HOME", (root / "share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    if (playlist.empty()) {
      execl(VISTREL_PROGRAM, VISTREL_PROGRAM, static_cast<char*>(nullptr));
    } else {
      execl(VISTREL_PROGRAM, VISTREL_PROGRAM, playlist.c_str(), static_cast<char*>(nullptr));
    }
    _exit(127);
  }
  close(out[1]);
  std::string text;
  Run run;
  char buf[512];
  ssize_t n;
  while ((n = read(out[0], buf, sizeof buf)) > 0) {
    text.append(buf, static_cast<std::size_t>(n));
    const std::size_t at = text.find("first-paint rss_kb=");
    if (at != std::string::npos && text.find('\n', at) != std::string::npos) {
      run.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                   .count();
      char* rest = nullptr;
      run.rss_kb = std::strtol(text.c_str() + at + std::strlen("first-paint rss_kb="), &rest, 10);
      if (const char* cpu = std::strstr(rest, "cpu_ms="))
        run.cpu_ms = std::strtod(cpu + 7, nullptr);
      break;
    }
  }
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return run;
}

void Report(const char* what, std::vector<Run> results) {
  if (results.empty()) {
    std::printf("  %s: no run reported a first paint\n", what);
    return;
  }
  std::sort(results.begin(), results.end(), [](const Run& a, const Run& b) { return a.ms < b.ms; });
  const Run& median = results[results.size() / 2];
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
  std::vector<Run> opened, remembered;
  for (int i = 0; i < runs; ++i) {
    // Fresh folders: the playlist is opened as new, copied into the data folder.
    fs::remove_all(root / "config");
    fs::remove_all(root / "share");
    const Run open = StartOnce(root, playlist.string());
    // The same folders again without an argument: the remembered copy is read.
    const Run again = StartOnce(root, "");
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
