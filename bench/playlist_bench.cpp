// Reading a user's playlist of the synthetic catalogue's channels (written at run time into a
// temporary folder): the reader alone, and the reader making the playlist view's channels, as
// start-up does with a remembered playlist.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>

#include "bench_sizes.h"
#include "catalogue/lookups.h"
#include "playlist/m3u_file.h"
#include "playlist/user_playlists.h"
#include "synthetic_catalogue.h"
#include "synthetic_playlist.h"

namespace vistrel::bench {

namespace {

namespace fs = std::filesystem;

// The playlist file of a size, written once and removed at the end of the run.
class PlaylistFile {
 public:
  explicit PlaylistFile(std::size_t channel_count) {
    char pattern[] = "/tmp/vistrel-playlist-bench-XXXXXX";
    if (!mkdtemp(pattern)) throw Error("Cannot make a temporary folder");
    folder_ = pattern;
    path_ = folder_ / "channels.m3u";
    WriteSyntheticPlaylist(SyntheticCatalogue(channel_count), path_);
  }
  ~PlaylistFile() {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path folder_;
  fs::path path_;
};

const fs::path& PlaylistOf(std::size_t channel_count) {
  static std::unique_ptr<PlaylistFile> file;
  static std::size_t made_for = 0;
  if (!file || made_for != channel_count) {
    file.reset();
    file = std::make_unique<PlaylistFile>(channel_count);
    made_for = channel_count;
  }
  return file->path();
}

void ReadOnly(benchmark::State& state, std::size_t channel_count) {
  const fs::path& path = PlaylistOf(channel_count);
  for (auto _ : state) {
    std::size_t entries = 0;
    const Result<M3uReadReport> report = ReadM3uFile(path, [&](M3uEntry&&) { ++entries; });
    if (!report.ok() || entries != channel_count) state.SkipWithError("the playlist did not read");
  }
}

void MakeChannels(benchmark::State& state, std::size_t channel_count) {
  const fs::path& path = PlaylistOf(channel_count);
  const UserPlaylist playlist{"channels.m3u", path.string(), "1.m3u"};
  for (auto _ : state) {
    state.PauseTiming();
    auto catalogue = std::make_unique<Catalogue>();
    ClearCatalogue(*catalogue);
    state.ResumeTiming();
    if (!ReadPlaylistChannels(*catalogue, playlist, path, {}).ok()) {
      state.SkipWithError("the playlist did not read");
    }
    state.PauseTiming();
    catalogue.reset();
    state.ResumeTiming();
  }
}

}  // namespace

void RegisterPlaylistBenchmarks() {
  for (const std::size_t size : {kMediumCatalogue, kLargeCatalogue}) {
    ForSize(benchmark::RegisterBenchmark(BenchmarkName("Playlist", "Read", size).c_str(), ReadOnly,
                                         size),
            size);
    ForSize(benchmark::RegisterBenchmark(BenchmarkName("Playlist", "Channels", size).c_str(),
                                         MakeChannels, size),
            size);
  }
}

}  // namespace vistrel::bench
