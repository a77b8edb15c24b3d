#include "browser/sort_channels.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <random>
#include <string>
#include <vector>

#include "browser/sort_text.h"
#include "catalogue/format/codepage.h"

namespace vistrel {
namespace {

// The sort as the scheme describes it, written plainly: whole records, the middle record
// copied as pivot, strict scans, exchange on L <= H, left part first. Texts compare as their
// code points, decoded from UTF-8, with a-z folded.
std::u32string RefText(const std::string& s) {
  std::u32string out;
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const int len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t cp = len == 1 ? b : b & (0x7F >> len);
    for (int k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out.push_back(cp >= U'a' && cp <= U'z' ? cp - U'a' + U'A' : cp);
    i += static_cast<std::size_t>(len);
  }
  return out;
}

// Windows-1252 text as the catalogue holds it, in UTF-8.
std::string U(const char* cp1252) {
  return Cp1252ToUtf8(cp1252);
}

bool RefBefore(const Channel& a, const Channel& b, int column, bool ascending) {
  const Channel& x = ascending ? a : b;
  const Channel& y = ascending ? b : a;
  switch (column) {
    case 0:
      return RefText(x.name) < RefText(y.name);
    case 1:
      return RefText(x.genre_name) < RefText(y.genre_name);
    case 2:
      return x.average_rating < y.average_rating;
    case 3:
      return x.bitrate < y.bitrate;
    default:
      return RefText(x.comment) < RefText(y.comment);
  }
}

// A column number as the list's column type.
ListColumn Column(int column) {
  return static_cast<ListColumn>(column);
}

void RefSort(std::vector<Channel>& a, int lo, int hi, int column, bool ascending) {
  int l = lo, h = hi;
  const Channel pivot = a[(lo + hi) / 2];
  do {
    while (RefBefore(a[l], pivot, column, ascending)) ++l;
    while (RefBefore(pivot, a[h], column, ascending)) --h;
    if (l <= h) {
      Channel t = a[l];
      a[l] = a[h];
      a[h] = t;
      ++l;
      --h;
    }
  } while (l <= h);
  if (h > lo) RefSort(a, lo, h, column, ascending);
  if (l < hi) RefSort(a, l, hi, column, ascending);
}

std::vector<int32_t> Ids(const std::vector<Channel>& items) {
  std::vector<int32_t> ids;
  for (const auto& c : items) ids.push_back(c.id);
  return ids;
}

std::vector<Channel> RandomCatalogue(std::mt19937& rng, int n) {
  // Few distinct keys, so many records share one: Latin texts as Windows-1252 packages give
  // them, and Chinese, Cyrillic, Arabic, Thai and emoji.
  static const std::string kTexts[] = {"abc",
                                       "ABC",
                                       "Abc",
                                       "Radio",
                                       "Radio 1",
                                       "Zed",
                                       U("\xC9mile"),
                                       U("\xE9mile"),
                                       U("\x80uro"),
                                       U("\xFFy"),
                                       "",
                                       "a",
                                       "A",
                                       "radio",
                                       "\xE4\xB8\xAD\xE5\xA4\xAE",
                                       "\xD0\x9C\xD0\xB8\xD1\x80",
                                       "\xD8\xA7\xD9\x84\xD8\xAC",
                                       "\xE0\xB9\x84\xE0\xB8\x97\xE0\xB8\xA2",
                                       "\xF0\x9F\x93\xBA TV",
                                       "\xEF\xBF\xBD",
                                       "\xD0\x9C"};
  static const double kRatings[] = {0, 0.5, 1.25, 4.5, -0.0, 3};
  auto pick_text = [&]() -> std::string {
    if (rng() % 4 == 0) {  // now and then a random text over a small alphabet
      static const std::string kAlphabet[] = {"a",
                                              "A",
                                              "b",
                                              "B",
                                              " ",
                                              U("\x80"),
                                              U("\x9F"),
                                              U("\xE9"),
                                              U("\xC9"),
                                              U("\xFF"),
                                              "\xE4\xB8\xAD",
                                              "\xD0\x9C",
                                              "\xF0\x9F\x93\xBA",
                                              "\xEF\xBC\xA1"};
      std::string s;
      for (int k = static_cast<int>(rng() % 4); k > 0; --k) {
        s += kAlphabet[rng() % std::size(kAlphabet)];
      }
      return s;
    }
    return kTexts[rng() % std::size(kTexts)];
  };
  std::vector<Channel> items(n);
  for (int i = 0; i < n; ++i) {
    items[i].id = i;
    items[i].name = pick_text();
    items[i].genre_name = pick_text();
    items[i].comment = pick_text();
    items[i].average_rating = kRatings[rng() % std::size(kRatings)];
    items[i].bitrate = static_cast<int32_t>(rng() % 5) * 64 - 64;
  }
  return items;
}

TEST(SortChannels, MatchesTheSchemeForEveryColumnAndDirection) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 60; ++round) {
    const int n = round < 10 ? round : static_cast<int>(rng() % 400);
    const std::vector<Channel> start = RandomCatalogue(rng, n);
    for (int column = 0; column < 5; ++column) {
      for (bool toggle : {false, true}) {
        Catalogue info;
        info.channels = start;
        SortState state{toggle, Column(9)};
        SortChannels(info, Column(column), state);
        EXPECT_EQ(state.toggle, !toggle);
        EXPECT_EQ(state.column, Column(column));

        std::vector<Channel> expected = start;
        if (n > 0) RefSort(expected, 0, n - 1, column, SortAscending(Column(column), toggle));
        ASSERT_EQ(Ids(info.channels), Ids(expected))
            << "round " << round << " column " << column << " toggle " << toggle;
      }
    }
  }
}

TEST(SortChannels, DirectionPerColumnAndToggle) {
  // Texts ascend while the toggle is false, numbers descend.
  EXPECT_TRUE(SortAscending(ListColumn::kChannel, false));
  EXPECT_FALSE(SortAscending(ListColumn::kChannel, true));
  EXPECT_TRUE(SortAscending(ListColumn::kGenre, false));
  EXPECT_TRUE(SortAscending(ListColumn::kComments, false));
  EXPECT_FALSE(SortAscending(ListColumn::kRating, false));
  EXPECT_TRUE(SortAscending(ListColumn::kRating, true));
  EXPECT_FALSE(SortAscending(ListColumn::kBitrate, false));
}

Catalogue NamedCatalogue(std::vector<std::string> names) {
  Catalogue info;
  for (std::size_t i = 0; i < names.size(); ++i) {
    Channel c;
    c.id = static_cast<int32_t>(i);
    c.name = names[i];
    c.average_rating = static_cast<double>(i);
    info.channels.push_back(c);
  }
  return info;
}

std::vector<std::string> Names(const Catalogue& info) {
  std::vector<std::string> names;
  for (const auto& c : info.channels) names.push_back(c.name);
  return names;
}

TEST(SortChannels, StartUpThenHeaderClicks) {
  Catalogue info = NamedCatalogue({"b", "C", "a"});
  SortState state;
  SortChannels(info, ListColumn::kChannel, state);  // start-up sort by name
  EXPECT_EQ(Names(info), (std::vector<std::string>{"a", "b", "C"}));
  ASSERT_TRUE(SortByColumn(info, 3, ListColumn::kChannel, state));
  EXPECT_EQ(Names(info), (std::vector<std::string>{"C", "b", "a"}));
  ASSERT_TRUE(SortByColumn(info, 3, ListColumn::kChannel, state));
  EXPECT_EQ(Names(info), (std::vector<std::string>{"a", "b", "C"}));

  // Start-up, then the rating header first: lowest average first.
  Catalogue rated = NamedCatalogue({"x", "y", "z"});
  rated.channels[0].average_rating = 4.5;
  rated.channels[1].average_rating = 0.5;
  rated.channels[2].average_rating = 2;
  SortState fresh;
  SortChannels(rated, ListColumn::kChannel, fresh);
  ASSERT_TRUE(SortByColumn(rated, 3, ListColumn::kRating, fresh));
  EXPECT_EQ(Names(rated), (std::vector<std::string>{"y", "z", "x"}));
  EXPECT_EQ(fresh.column, ListColumn::kRating);
}

TEST(SortText, OnlyAToZFoldAndCharactersCompareByCodeValue) {
  EXPECT_EQ(CompareSortTexts("abc", "ABC"), 0);
  EXPECT_LT(CompareSortTexts("Zed", U("\xC9mile")), 0);  // É is above Z
  EXPECT_LT(CompareSortTexts("Radio", "Radio 1"), 0);    // a prefix first
  EXPECT_NE(CompareSortTexts(U("\xE9"), U("\xC9")), 0);  // only a-z fold
  EXPECT_LT(CompareSortTexts(U("\xFF"), U("\x80")), 0);  // euro sign U+20AC above ÿ U+00FF
  EXPECT_LT(CompareSortTexts(U("\x8A"), U("\x9A")), 0);  // Š U+0160 below š U+0161
  EXPECT_GT(CompareSortTexts("_", "a"), 0);              // a folds to A (0x41), below _ (0x5F)
  // Beyond Windows-1252: by code value, a 4-byte emoji above a 3-byte ideograph above Cyrillic.
  EXPECT_LT(CompareSortTexts("\xD0\x9C", "\xE4\xB8\xAD"), 0);          // U+041C below U+4E2D
  EXPECT_LT(CompareSortTexts("\xE4\xB8\xAD", "\xF0\x9F\x93\xBA"), 0);  // U+4E2D below U+1F4FA
  EXPECT_LT(CompareSortTexts(U("\x80"), "\xE4\xB8\xAD"), 0);           // U+20AC below U+4E2D
}

TEST(SortChannels, PrefixFirstAndLettersAboveZAfterIt) {
  Catalogue info = NamedCatalogue({U("\xC9mile"), "Radio 1", "Zed", "Radio"});
  SortState state;
  SortChannels(info, ListColumn::kChannel, state);
  EXPECT_EQ(Names(info), (std::vector<std::string>{"Radio", "Radio 1", "Zed", U("\xC9mile")}));
}

TEST(SortChannels, EmptyCatalogueAndColumnsOutsideTheList) {
  Catalogue empty;
  SortState state;
  SortChannels(empty, ListColumn::kBitrate, state);
  EXPECT_TRUE(state.toggle);
  EXPECT_EQ(state.column, ListColumn::kBitrate);
  EXPECT_FALSE(SortByColumn(empty, 0, ListColumn::kGenre, state));
  EXPECT_TRUE(state.toggle);
  EXPECT_EQ(state.column, ListColumn::kBitrate);

  Catalogue info = NamedCatalogue({"b", "a"});
  for (int column : {5, -1}) {
    SortState s{false, ListColumn::kChannel};
    SortChannels(info, Column(column), s);
    EXPECT_FALSE(s.toggle);
    EXPECT_EQ(s.column, Column(column));
    EXPECT_EQ(Names(info), (std::vector<std::string>{"b", "a"}));
  }

  // Catalogue not empty but every channel hidden: the click does nothing.
  SortState s;
  EXPECT_FALSE(SortByColumn(info, 0, ListColumn::kChannel, s));
  EXPECT_EQ(Names(info), (std::vector<std::string>{"b", "a"}));
  EXPECT_FALSE(s.toggle);

  // The sort always takes the whole catalogue.
  SortChannels(info, ListColumn::kChannel, s);
  EXPECT_EQ(Names(info), (std::vector<std::string>{"a", "b"}));
}

TEST(SortChannels, MovesRecordsWithoutCopyingTexts) {
  Catalogue info =
      NamedCatalogue({"z: a name too long to be kept in place", "b: another long name"});
  const char* z = info.channels[0].name.data();
  SortState state;
  SortChannels(info, ListColumn::kChannel, state);
  EXPECT_EQ(info.channels[1].id, 0);
  EXPECT_EQ(info.channels[1].name.data(), z);
}

Catalogue BitrateCatalogue(int n, int32_t (*key)(int, int)) {
  Catalogue info;
  info.channels.resize(n);
  for (int i = 0; i < n; ++i) {
    info.channels[i].id = i;
    info.channels[i].bitrate = key(i, n);
  }
  return info;
}

void ExpectSortedByBitrate(const Catalogue& info, bool ascending) {
  for (std::size_t i = 1; i < info.channels.size(); ++i) {
    const int32_t a = info.channels[i - 1].bitrate, b = info.channels[i].bitrate;
    ASSERT_TRUE(ascending ? a <= b : a >= b) << i;
  }
}

int32_t OrganPipe(int i, int n) {
  return i < n / 2 ? i : n - i;
}

TEST(SortChannels, LargeOrderedInputsSortCorrectly) {
  const std::pair<const char*, int32_t (*)(int, int)> shapes[] = {
      {"all equal", [](int, int) { return 7; }},
      {"ascending", [](int i, int) { return i; }},
      {"descending", [](int i, int n) { return n - i; }},
  };
  for (const auto& [what, key] : shapes) {
    for (bool toggle : {false, true}) {
      Catalogue info = BitrateCatalogue(200000, key);
      SortState state{toggle, ListColumn::kChannel};
      SortChannels(info, ListColumn::kBitrate, state);
      SCOPED_TRACE(what);
      ExpectSortedByBitrate(info, SortAscending(ListColumn::kBitrate, toggle));
    }
  }
}

// Organ-pipe keys sorted ascending drive the scheme's plain recursion n/2 levels deep (and
// take quadratic time, hence the modest size). On a 128 KiB stack a recursion that deep
// overflows; the sort must not.
TEST(SortChannels, DeepPartitioningOnASmallStack) {
  struct Job {
    Catalogue info;
    SortState state{true, ListColumn::kChannel};
  } job{BitrateCatalogue(20000, OrganPipe)};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 128 * 1024);
  pthread_t thread;
  ASSERT_EQ(pthread_create(
                &thread, &attr,
                [](void* p) -> void* {
                  auto* j = static_cast<Job*>(p);
                  SortChannels(j->info, ListColumn::kBitrate, j->state);
                  return nullptr;
                },
                &job),
            0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  ExpectSortedByBitrate(job.info, true);
}

}  // namespace
}  // namespace vistrel
