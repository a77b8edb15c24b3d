// The channel browser on large catalogues: sorting by a column, the data half of a view
// rebuild with each filter section, and a search that only the last row matches.

#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

#include "bench_sizes.h"
#include "browser/find_in_list.h"
#include "browser/sort_channels.h"
#include "browser/view_builder.h"
#include "synthetic_catalogue.h"

namespace vistrel::bench {

namespace {

// One catalogue at a time (the large ones are big): sorted by name as after start-up, plus
// the channels in the order the package lists them, from which every sort starts.
struct BrowseData {
  std::size_t channel_count = 0;
  Catalogue catalogue;
  std::vector<TItem> file_order;
};

BrowseData& BrowseCatalogue(std::size_t channel_count) {
  static BrowseData data;
  if (data.channel_count != channel_count) {
    data = BrowseData{};  // the previous size goes before the next is built
    data.catalogue = SyntheticCatalogue(channel_count);
    data.file_order = data.catalogue.info.channels;
    SortState state;
    SortChannels(data.catalogue.info, static_cast<int32_t>(channel_count) - 1, 0, state);
    data.channel_count = channel_count;
  }
  return data;
}

// Sorts the channels in their package order by `column` with the toggle false (names and
// comments ascending, ratings descending), as the sort at start-up does.
void Sort(benchmark::State& state, std::size_t channel_count, int32_t column) {
  BrowseData& data = BrowseCatalogue(channel_count);
  TInfo& info = data.catalogue.info;
  const auto last = static_cast<int32_t>(info.channels.size()) - 1;
  for (auto _ : state) {
    state.PauseTiming();
    info.channels = data.file_order;
    SortState sort_state;
    state.ResumeTiming();
    SortChannels(info, last, column, sort_state);
    benchmark::DoNotOptimize(info.channels.data());
  }
  // Leave the catalogue sorted by name for the benchmarks that follow.
  info.channels = data.file_order;
  SortState sort_state;
  SortChannels(info, last, 0, sort_state);
}

// A click on "Channel" after start-up: the name-sorted catalogue sorted again, descending.
void SortNameReverse(benchmark::State& state, std::size_t channel_count) {
  BrowseData& data = BrowseCatalogue(channel_count);
  TInfo& info = data.catalogue.info;
  const auto last = static_cast<int32_t>(info.channels.size()) - 1;
  std::vector<TItem> ascending = info.channels;
  for (auto _ : state) {
    state.PauseTiming();
    info.channels = ascending;
    SortState sort_state{.SortToggle = true};
    state.ResumeTiming();
    SortChannels(info, last, 0, sort_state);
    benchmark::DoNotOptimize(info.channels.data());
  }
  info.channels = std::move(ascending);
}

enum class Section { kNone, kName, kCountry, kGenre, kBitrate, kStatus };

// The TV view with one section on.
TFilter FilterWith(Section section) {
  TFilter filter;
  filter.group_id = 1;
  switch (section) {
    case Section::kNone:
      break;
    case Section::kName:
      filter.name_flag = true;
      filter.name = "TV";
      break;
    case Section::kCountry:
      filter.country_flag = true;
      filter.country_id = 8;  // one of the large countries
      break;
    case Section::kGenre:
      filter.genre_flag = true;
      filter.genre_id = 19;  // News
      break;
    case Section::kBitrate:
      filter.bitrate_flag = true;
      filter.bitrate = 128;
      break;
    case Section::kStatus:
      filter.flag_flag = true;
      filter.new_ = true;  // hides the channels nobody has reported on, most of them
      break;
  }
  return filter;
}

void Rebuild(benchmark::State& state, std::size_t channel_count, Section section) {
  TInfo& info = BrowseCatalogue(channel_count).catalogue.info;
  info.filter = FilterWith(section);
  std::vector<int32_t> visible;
  int32_t rows = 0;
  for (auto _ : state) {
    ViewResult view = RebuildView(info, std::move(visible));
    rows = view.row_count;
    visible = std::move(view.visible);
    benchmark::DoNotOptimize(visible.data());
  }
  state.counters["rows"] = rows;
}

// Find Next from the first row, in the initial direction, for a text only the last row holds.
void FindLastRow(benchmark::State& state, std::size_t channel_count, bool match_case) {
  TInfo& info = BrowseCatalogue(channel_count).catalogue.info;
  info.filter = FilterWith(Section::kNone);
  ViewResult view = RebuildView(info, {});
  if (view.row_count == 0) {
    state.SkipWithError("the view is empty");
    return;
  }
  std::string& last_name = info.channels[view.visible[view.row_count - 1]].name;
  const std::string kept = std::exchange(last_name, "Zulu Marker Channel");
  int32_t found = -1;
  for (auto _ : state) {
    const FindResult result = FindDialogFind(match_case ? "Marker" : "marker", match_case, false, 0,
                                             info, view.visible, view.row_count);
    found = result.row.value_or(-1);
  }
  last_name = kept;
  if (found != view.row_count - 1) state.SkipWithError("the search did not end at the last row");
  state.counters["rows"] = view.row_count;
}

}  // namespace

void RegisterBrowseBenchmarks() {
  const std::pair<const char*, int32_t> sorts[] = {{"Name", 0}, {"Rating", 2}, {"Comment", 4}};
  const std::pair<const char*, Section> sections[] = {
      {"None", Section::kNone},   {"Name", Section::kName},       {"Country", Section::kCountry},
      {"Genre", Section::kGenre}, {"Bitrate", Section::kBitrate}, {"Status", Section::kStatus}};
  for (const std::size_t size : {kMediumCatalogue, kLargeCatalogue}) {
    for (const auto& [name, column] : sorts) {
      ForSize(benchmark::RegisterBenchmark(BenchmarkName("SortChannels", name, size).c_str(), Sort,
                                           size, column),
              size);
    }
    ForSize(benchmark::RegisterBenchmark(
                BenchmarkName("SortChannels", "NameAgainDescending", size).c_str(), SortNameReverse,
                size),
            size);
    for (const auto& [name, section] : sections) {
      ForSize(benchmark::RegisterBenchmark(BenchmarkName("RebuildView", name, size).c_str(),
                                           Rebuild, size, section),
              size, false);
    }
    for (const bool match_case : {false, true}) {
      const char* variant = match_case ? "LastRowMatchCase" : "LastRow";
      ForSize(benchmark::RegisterBenchmark(BenchmarkName("FindDialogFind", variant, size).c_str(),
                                           FindLastRow, size, match_case),
              size, false);
    }
  }
}

}  // namespace vistrel::bench
