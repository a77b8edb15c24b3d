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
  std::vector<Channel> file_order;
};

BrowseData& BrowseCatalogue(std::size_t channel_count) {
  static BrowseData data;
  if (data.channel_count != channel_count) {
    data = BrowseData{};  // the previous size goes before the next is built
    data.catalogue = SyntheticCatalogue(channel_count);
    data.file_order = data.catalogue.channels;
    SortState state;
    SortChannels(data.catalogue, ListColumn::kChannel, state);
    data.channel_count = channel_count;
  }
  return data;
}

// Sorts the channels in their package order by `column` with the toggle false (names and
// comments ascending, ratings descending), as the sort at start-up does.
void Sort(benchmark::State& state, std::size_t channel_count, ListColumn column) {
  BrowseData& data = BrowseCatalogue(channel_count);
  Catalogue& info = data.catalogue;
  for (auto _ : state) {
    state.PauseTiming();
    info.channels = data.file_order;
    SortState sort_state;
    state.ResumeTiming();
    SortChannels(info, column, sort_state);
    benchmark::DoNotOptimize(info.channels.data());
  }
  // Leave the catalogue sorted by name for the benchmarks that follow.
  info.channels = data.file_order;
  SortState sort_state;
  SortChannels(info, ListColumn::kChannel, sort_state);
}

// A click on "Channel" after start-up: the name-sorted catalogue sorted again, descending.
void SortNameReverse(benchmark::State& state, std::size_t channel_count) {
  BrowseData& data = BrowseCatalogue(channel_count);
  Catalogue& info = data.catalogue;
  std::vector<Channel> ascending = info.channels;
  for (auto _ : state) {
    state.PauseTiming();
    info.channels = ascending;
    SortState sort_state{.toggle = true};
    state.ResumeTiming();
    SortChannels(info, ListColumn::kChannel, sort_state);
    benchmark::DoNotOptimize(info.channels.data());
  }
  info.channels = std::move(ascending);
}

enum class Section { kNone, kName, kCountry, kGenre, kBitrate, kStatus };

// The TV view with one section on.
ViewFilter FilterWith(Section section) {
  ViewFilter filter;
  filter.view = View::kTv;
  switch (section) {
    case Section::kNone:
      break;
    case Section::kName:
      filter.name_section_on = true;
      filter.name = "TV";
      break;
    case Section::kCountry:
      filter.country_section_on = true;
      filter.country_id = 8;  // one of the large countries
      break;
    case Section::kGenre:
      filter.genre_section_on = true;
      filter.genre_id = 19;  // News
      break;
    case Section::kBitrate:
      filter.bitrate_section_on = true;
      filter.bitrate = 128;
      break;
    case Section::kStatus:
      filter.status_section_on = true;
      filter.hide_new = true;  // hides the channels nobody has reported on, most of them
      break;
  }
  return filter;
}

void Rebuild(benchmark::State& state, std::size_t channel_count, Section section) {
  Catalogue& info = BrowseCatalogue(channel_count).catalogue;
  info.filter = FilterWith(section);
  VisibleRows visible;
  for (auto _ : state) {
    ViewResult view = RebuildView(info, std::move(visible));
    visible = std::move(view.visible_rows);
    benchmark::DoNotOptimize(visible.positions.data());
  }
  state.counters["rows"] = visible.count;
}

// Find Next from the first row, in the initial direction, for a text only the last row holds.
void FindLastRow(benchmark::State& state, std::size_t channel_count, bool match_case) {
  Catalogue& info = BrowseCatalogue(channel_count).catalogue;
  info.filter = FilterWith(Section::kNone);
  ViewResult view = RebuildView(info, {});
  if (view.visible_rows.count == 0) {
    state.SkipWithError("the view is empty");
    return;
  }
  ChannelText& last_name =
      info.channels[view.visible_rows.PositionOf(view.visible_rows.count - 1)].name;
  const ChannelText kept = std::exchange(last_name, ChannelText("Zulu Marker Channel"));
  int32_t found = -1;
  for (auto _ : state) {
    const FindResult result = FindNextMatch(match_case ? "Marker" : "marker", match_case, false, 0,
                                            info, view.visible_rows);
    found = result.row.value_or(-1);
  }
  last_name = kept;
  if (found != view.visible_rows.count - 1)
    state.SkipWithError("the search did not end at the last row");
  state.counters["rows"] = view.visible_rows.count;
}

}  // namespace

void RegisterBrowseBenchmarks() {
  const std::pair<const char*, ListColumn> sorts[] = {{"Name", ListColumn::kChannel},
                                                      {"Rating", ListColumn::kRating},
                                                      {"Comment", ListColumn::kComments}};
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
      ForSize(benchmark::RegisterBenchmark(BenchmarkName("FindNextMatch", variant, size).c_str(),
                                           FindLastRow, size, match_case),
              size, false);
    }
  }
}

}  // namespace vistrel::bench
