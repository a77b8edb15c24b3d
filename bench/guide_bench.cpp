// The programme guide: importing a synthetic guide (plain XML and gzip) into a catalogue that
// carries every second one of its channels, and building the service's guide answers (what a
// request costs when the minute's answer is not on hand yet) for 15,000 channels.
//
// The guide has VISTREL_BENCH_GUIDE_CHANNELS channels (default 400, about 100 MB) over 14
// days; 4000 makes the 1 GB guide of a large provider (run that by hand: it takes minutes).
// The files are made at run time in a temporary folder and removed at the end.

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "bench_sizes.h"
#include "memory_probe.h"
#include "server/catalogue_import.h"
#include "server/guide_answers.h"
#include "server/guide_import.h"
#include "server/guide_store.h"
#include "service_client/programme_guide.h"
#include "synthetic_guide.h"

namespace vistrel::bench {

namespace {

constexpr int kGuideDays = 14;
constexpr int kAnswerChannels = 15'000;

int64_t NowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

int GuideChannels() {
  const char* text = std::getenv("VISTREL_BENCH_GUIDE_CHANNELS");
  const int channels = text != nullptr ? std::atoi(text) : 400;
  return channels > 0 ? channels : 400;
}

class TempFolder {
 public:
  TempFolder() {
    char folder[] = "/tmp/vistrel-bench-guide-XXXXXX";
    if (!::mkdtemp(folder)) throw std::runtime_error("no temporary folder");
    path_ = folder;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The guide files and the catalogue they are imported into, made once.
struct ImportFiles {
  TempFolder folder;
  int64_t programmes = 0;
  int64_t now = NowSeconds();

  ImportFiles() {
    const int channels = GuideChannels();
    const int64_t begin = now - 86400;  // within the days an import keeps
    programmes =
        WriteSyntheticGuide(folder.path() / "guide.xml", channels, kGuideDays, begin, false);
    WriteSyntheticGuide(folder.path() / "guide.xml.gz", channels, kGuideDays, begin, true);
    WriteGuideCatalogueTables(folder.path() / "tables", channels, 0);
    ImportCatalogue(db(), folder.path() / "tables", "", CurrentMinute());
  }
  std::filesystem::path db() const { return folder.path() / "catalogue.sqlite"; }
};

ImportFiles& Files() {
  static ImportFiles files;
  return files;
}

void GuideImport(benchmark::State& state, const char* file) {
  ImportFiles& files = Files();
  state.counters["file_MiB"] =
      static_cast<double>(std::filesystem::file_size(files.folder.path() / file)) / (1 << 20);
  MemoryProbe probe;
  for (auto _ : state) {
    ImportGuide(files.db(), {(files.folder.path() / file).string()}, files.now);
  }
  state.counters["programmes_per_s"] = benchmark::Counter(
      static_cast<double>(files.programmes * state.iterations()), benchmark::Counter::kIsRate);
  probe.Report(state);
}

// 15,000 channels with two days of programmes around now, written straight into the store.
struct AnswerFiles {
  TempFolder folder;
  int64_t now = NowSeconds();

  AnswerFiles() {
    WriteGuideCatalogueTables(folder.path() / "tables", 0, kAnswerChannels);
    ImportCatalogue(db(), folder.path() / "tables", "", CurrentMinute());
    GuideStore store(db());
    store.BeginGuide();
    Programme p;
    p.description.assign(800, 'd');
    p.sub_title = "A sub-title";
    p.category = "News";
    for (int32_t id = 1; id <= kAnswerChannels; ++id) {
      int64_t start = now - 86400 + id % 3600;
      for (int n = 0; start < now + 86400; ++n) {
        p.start = start;
        p.stop = start + (30 + (id + n * 7) % 91) * 60;
        p.title = "Programme " + std::to_string(n) + " of channel " + std::to_string(id);
        store.AddProgramme(id, p);
        start = p.stop;
      }
    }
    store.CommitGuide();
  }
  std::filesystem::path db() const { return folder.path() / "catalogue.sqlite"; }
};

AnswerFiles& Answers() {
  static AnswerFiles files;
  return files;
}

void GuideChannelAnswer(benchmark::State& state) {
  AnswerFiles& files = Answers();
  GuideStore store(files.db());
  int32_t id = 0;
  std::size_t bytes = 0;
  for (auto _ : state) {
    id = id % kAnswerChannels + 1;
    const std::string json =
        ChannelGuideJson(store.ChannelProgrammes(id, files.now - 2 * 3600, files.now + 24 * 3600));
    bytes = json.size();
    benchmark::DoNotOptimize(json.data());
  }
  state.counters["answer_KiB"] = static_cast<double>(bytes) / 1024;
}

void GuideNowAndNextAnswer(benchmark::State& state) {
  AnswerFiles& files = Answers();
  GuideStore store(files.db());
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string json = NowAndNextJson(store.NowAndNext(files.now));
    bytes = json.size();
    benchmark::DoNotOptimize(json.data());
  }
  state.counters["answer_KiB"] = static_cast<double>(bytes) / 1024;
}

// The database's part of it alone.
void GuideNowAndNextRows(benchmark::State& state) {
  AnswerFiles& files = Answers();
  GuideStore store(files.db());
  for (auto _ : state) {
    const auto rows = store.NowAndNext(files.now);
    benchmark::DoNotOptimize(rows.data());
  }
}

// The program's side: the now-and-next answer for 15,000 channels read and kept, as the window
// keeps it. held_MiB is the heap the kept guide holds (what is in use after reading it, less
// what was before; the reader's temporaries are freed by then).
void GuideNowAndNextHeld(benchmark::State& state) {
  AnswerFiles& files = Answers();
  GuideStore store(files.db());
  const std::string json = NowAndNextJson(store.NowAndNext(files.now));
  double held_mib = 0;
  std::size_t channels = 0;
  for (auto _ : state) {
    const std::size_t before = mallinfo2().uordblks;
    Result<NowAndNextGuide> guide = ParseNowAndNext(json);
    held_mib = static_cast<double>(mallinfo2().uordblks - before) / (1024.0 * 1024.0);
    channels = guide.ok() ? guide.value->size() : 0;
    benchmark::DoNotOptimize(guide);
  }
  state.counters["held_MiB"] = held_mib;
  state.counters["channels"] = static_cast<double>(channels);
}

}  // namespace

void RegisterGuideBenchmarks() {
  const std::string channels = std::to_string(GuideChannels());
  for (const char* file : {"guide.xml", "guide.xml.gz"}) {
    benchmark::RegisterBenchmark(("GuideImport/" + std::string(file) + "/" + channels).c_str(),
                                 [file](benchmark::State& state) { GuideImport(state, file); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1);
  }
  benchmark::RegisterBenchmark("GuideAnswer/id/15k", GuideChannelAnswer)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->MinTime(0.5);
  benchmark::RegisterBenchmark("GuideAnswer/now/15k", GuideNowAndNextAnswer)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->MinTime(0.5);
  benchmark::RegisterBenchmark("GuideAnswer/now-rows/15k", GuideNowAndNextRows)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->MinTime(0.5);
  benchmark::RegisterBenchmark("GuideNowAndNext/program-held/15k", GuideNowAndNextHeld)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->MinTime(0.5);
}

}  // namespace vistrel::bench
