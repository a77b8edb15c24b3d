#include "browser/sort_channels.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "browser/sort_text.h"
#include "common/two_threads.h"

namespace vistrel {

namespace {

// Quicksort with Hoare partitioning: the middle element's key copied as pivot, two strict
// scans, exchange while L <= H, then the parts [lo, H] and [L, hi]. Equal keys end in the
// order this exact scheme produces. The two parts are disjoint, so sorting the smaller one
// first and looping on the larger gives the same result as the plain recursion, with a depth
// that stays logarithmic whatever the input.
// One partition step of the scheme over [lo, hi]: on return the parts are [lo, h] and [l, hi].
template <typename Entry, typename Before>
void Partition(Entry* a, int32_t lo, int32_t hi, const Before& before, int32_t& l, int32_t& h) {
  l = lo;
  h = hi;
  const Entry pivot = a[lo + (hi - lo) / 2];
  do {
    while (before(a[l], pivot)) ++l;
    while (before(pivot, a[h])) --h;
    if (l <= h) {
      std::swap(a[l], a[h]);
      ++l;
      --h;
    }
  } while (l <= h);
}

template <typename Entry, typename Before>
void HoareSort(Entry* a, int32_t lo, int32_t hi, const Before& before) {
  while (lo < hi) {
    int32_t l = 0;
    int32_t h = 0;
    Partition(a, lo, hi, before, l, h);
    if (h - lo < hi - l) {
      if (h > lo) HoareSort(a, lo, h, before);
      lo = l;
    } else {
      if (l < hi) HoareSort(a, l, hi, before);
      hi = h;
    }
  }
}

// A large list is sorted on two threads: the first partition step here, then each part on a
// thread of its own. The parts never touch, so the order is exactly the one-thread order.
constexpr int32_t kTwoThreadsFrom = 50000;

template <typename Entry, typename Before>
void HoareSortOnTwoThreads(Entry* a, int32_t lo, int32_t hi, const Before& before) {
  if (hi - lo < kTwoThreadsFrom) {
    HoareSort(a, lo, hi, before);
    return;
  }
  int32_t l = 0;
  int32_t h = 0;
  Partition(a, lo, hi, before, l, h);
  OnTwoThreads([&](int part) {
    if (part == 0 && h > lo) HoareSort(a, lo, h, before);
    if (part == 1 && l < hi) HoareSort(a, l, hi, before);
  });
}

// Sort keys are taken out of the records once; the entries are sorted, then the records are
// put in the entries' order. The scheme's decisions depend only on the keys, so the result
// equals sorting the records themselves.
template <typename Key>
struct Entry {
  Key key;
  int32_t index;
};

// A text key: its first eight ranked bytes packed for a quick comparison, and the text.
struct TextKey {
  uint64_t prefix;
  const char* data;
  std::size_t size;
};

TextKey MakeTextKey(std::string_view text) {
  const auto& rank = SortTextRanks();
  uint64_t prefix = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    prefix <<= 8;
    if (i < text.size()) prefix |= rank[static_cast<unsigned char>(text[i])];
  }
  return {prefix, text.data(), text.size()};
}

// Differing prefixes decide (padding only differs from a real character where one text is a
// prefix of the other); equal prefixes need the whole texts.
int CompareTextKeys(const TextKey& a, const TextKey& b) {
  if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
  return CompareSortTexts(std::string_view(a.data, a.size), std::string_view(b.data, b.size));
}

// Puts the records in the entries' order: position p takes the record that was at
// order[p].index. Follows each cycle of the permutation with one temporary.
template <typename E>
void Permute(std::vector<Channel>& items, const std::vector<E>& order) {
  std::vector<bool> placed(order.size(), false);
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (placed[i] || order[i].index == static_cast<int32_t>(i)) continue;
    Channel held = std::move(items[i]);
    std::size_t j = i;
    for (;;) {
      placed[j] = true;
      const auto k = static_cast<std::size_t>(order[j].index);
      if (k == i) {
        items[j] = std::move(held);
        break;
      }
      items[j] = std::move(items[k]);
      j = k;
    }
  }
}

template <typename Key, typename GetKey, typename Less>
void SortBy(std::vector<Channel>& items, int32_t last, bool ascending, GetKey get_key, Less less) {
  std::vector<Entry<Key>> entries(static_cast<std::size_t>(last) + 1);
  for (int32_t i = 0; i <= last; ++i) entries[i] = {get_key(items[i]), i};
  if (ascending) {
    HoareSortOnTwoThreads(entries.data(), 0, last, [&](const Entry<Key>& a, const Entry<Key>& b) {
      return less(a.key, b.key);
    });
  } else {
    HoareSortOnTwoThreads(entries.data(), 0, last, [&](const Entry<Key>& a, const Entry<Key>& b) {
      return less(b.key, a.key);
    });
  }
  Permute(items, entries);
}

void SortByText(std::vector<Channel>& items, int32_t last, bool ascending,
                ChannelText Channel::*field) {
  SortBy<TextKey>(
      items, last, ascending, [field](const Channel& c) { return MakeTextKey(c.*field); },
      [](const TextKey& a, const TextKey& b) { return CompareTextKeys(a, b) < 0; });
}

}  // namespace

bool SortAscending(ListColumn column, bool toggle) {
  const bool numeric = column == ListColumn::kRating || column == ListColumn::kBitrate;
  return numeric ? toggle : !toggle;
}

void SortChannels(Catalogue& catalogue, ListColumn column, SortState& state) {
  state.column = column;
  const auto number = static_cast<int32_t>(column);
  if (number < 0 || number >= kListColumnCount) return;
  const bool ascending = SortAscending(column, state.toggle);
  auto& items = catalogue.channels;
  const auto last = static_cast<int32_t>(items.size()) - 1;
  if (last > 0) {
    switch (column) {
      case ListColumn::kChannel:
        SortByText(items, last, ascending, &Channel::name);
        break;
      case ListColumn::kGenre:
        SortByText(items, last, ascending, &Channel::genre_name);
        break;
      case ListColumn::kRating:
        SortBy<double>(
            items, last, ascending, [](const Channel& c) { return c.average_rating; },
            [](double a, double b) { return a < b; });
        break;
      case ListColumn::kBitrate:
        SortBy<int32_t>(
            items, last, ascending, [](const Channel& c) { return c.bitrate; },
            [](int32_t a, int32_t b) { return a < b; });
        break;
      case ListColumn::kComments:
        SortByText(items, last, ascending, &Channel::comment);
        break;
    }
  }
  state.toggle = !state.toggle;
}

bool SortByColumn(Catalogue& catalogue, int32_t row_count, ListColumn column, SortState& state) {
  if (row_count <= 0) return false;
  SortChannels(catalogue, column, state);
  return true;
}

}  // namespace vistrel
