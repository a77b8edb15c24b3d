#include "synthetic_catalogue.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>
#include <string_view>

#include "catalogue/lookups.h"

namespace vistrel::bench {

namespace {

// SplitMix64: small, fast and the same on every platform and library (the standard
// distributions are not), so a seed always gives the same catalogue.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // 0 <= result < n (n > 0).
  std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(Next() % n); }
  // lo <= result <= hi.
  int32_t Between(int32_t lo, int32_t hi) {
    return lo + static_cast<int32_t>(Below(static_cast<std::uint32_t>(hi - lo + 1)));
  }
  bool Percent(std::uint32_t p) { return Below(100) < p; }
  template <typename T, std::size_t N>
  const T& Pick(const std::array<T, N>& items) {
    return items[Below(static_cast<std::uint32_t>(N))];
  }

 private:
  std::uint64_t state_;
};

using Texts = std::array<std::string_view, 20>;

constexpr Texts kSyllables = {"ka", "lo",  "mar", "ten", "vi", "sta", "ro", "ne",  "bel", "dor",
                              "zu", "qui", "pha", "an",  "el", "mo",  "ri", "sol", "ter", "gan"};

// Windows-1252 accented letters: é ö ü ñ ç â í ã è à.
constexpr std::array<char, 10> kAccented = {'\xE9', '\xF6', '\xFC', '\xF1', '\xE7',
                                            '\xE2', '\xED', '\xE3', '\xE8', '\xE0'};
constexpr std::array<char, 3> kAccentedCapitals = {'\xC9', '\xC1', '\xD6'};  // É Á Ö

constexpr std::array<std::string_view, 9> kNamePrefixes = {"Radio ",
                                                           "TV ",
                                                           "Canal ",
                                                           "R\xE1"
                                                           "dio ",
                                                           "Kanal ",
                                                           "Channel ",
                                                           "T\xE9l\xE9 ",
                                                           "Rede ",
                                                           "Sky "};
constexpr std::array<std::string_view, 10> kNameSuffixes = {
    " TV", " HD", " 24", " News", " FM", " 1", " 2", " International", " Plus", " Music"};

constexpr std::array<std::string_view, 29> kGenreNames = {
    "Animation",   "Auto",        "Business",    "Classic",       "Comedy",    "Cooking",
    "Culture",     "Documentary", "Education",   "Entertainment", "Family",    "General",
    "Interactive", "Kids",        "Legislative", "Lifestyle",     "Movies",    "Music",
    "News",        "Outdoor",     "Public",      "Relax",         "Religious", "Science",
    "Series",      "Shop",        "Sports",      "Travel",        "Weather"};

constexpr std::array<std::string_view, 7> kQualities = {"720p", "1080p", "720p", "576p",
                                                        "480p", "360p",  "1080p"};
constexpr std::array<std::string_view, 6> kHostWords = {"stream", "live",  "cdn",
                                                        "media",  "video", "hls"};
constexpr std::array<std::string_view, 6> kTlds = {".com", ".net", ".tv", ".live", ".org", ".io"};
constexpr std::array<std::string_view, 5> kPlaylists = {
    "/playlist.m3u8", "/index.m3u8", "/stream.m3u8", "/chunks.m3u8", "/master.m3u8"};
constexpr std::array<int32_t, 10> kRadioBitrates = {32, 48, 64, 96, 128, 128, 128, 192, 256, 320};
constexpr std::array<int32_t, 5> kTvBitrates = {500, 1000, 1500, 2000, 3000};

// A made-up word of one to four syllables; now and then with an accented letter.
std::string Word(Random& random, bool capital, bool accents = true) {
  std::string word;
  const int syllables = random.Between(1, 4);
  for (int i = 0; i < syllables; ++i) word += random.Pick(kSyllables);
  if (accents && random.Percent(4)) {
    // One vowel becomes an accented letter.
    const std::size_t at = word.find_first_of("aeiou");
    if (at != std::string::npos) word[at] = random.Pick(kAccented);
  }
  if (capital) {
    if (word[0] >= 'a' && word[0] <= 'z') {
      word[0] = static_cast<char>(word[0] - 'a' + 'A');
    } else {
      word[0] = random.Pick(kAccentedCapitals);
    }
  }
  return word;
}

std::string ChannelName(Random& random) {
  std::string name;
  if (random.Percent(3)) {
    // A name in a script Windows-1252 cannot hold, as the conversion leaves it.
    name.assign(static_cast<std::size_t>(random.Between(10, 24)), '?');
    if (random.Percent(50)) return name;
    name += random.Pick(kNameSuffixes);
    return name;
  }
  const bool lower = random.Percent(5);
  if (random.Percent(30)) name += random.Pick(kNamePrefixes);
  const int words = random.Between(1, 3);
  for (int i = 0; i < words; ++i) {
    if (i > 0) name += ' ';
    name += Word(random, !lower);
  }
  if (random.Percent(40)) name += random.Pick(kNameSuffixes);
  while (name.size() < 10) name += ' ' + Word(random, !lower);
  if (name.size() > 40) name.resize(40);
  while (name.back() == ' ') name.pop_back();
  return name;
}

void AppendHex(Random& random, std::string& out, std::size_t count) {
  static constexpr char kHex[] = "0123456789abcdef";
  for (std::size_t i = 0; i < count; ++i) out += kHex[random.Below(16)];
}

std::string StreamUrl(Random& random) {
  // Lengths cluster around 65 with a tail up to 120, as in real playlists.
  const std::size_t target = static_cast<std::size_t>(
      std::min(120, random.Between(40, 80) + (random.Percent(25) ? random.Between(0, 40) : 0)));
  std::string url = random.Percent(85) ? "https://" : "http://";
  if (random.Percent(50)) {
    AppendHex(random, url, static_cast<std::size_t>(random.Between(4, 12)));
    url += '.';
  }
  url += Word(random, false, false);
  url += random.Pick(kHostWords);
  url += random.Pick(kTlds);
  if (random.Percent(15)) url += ":8080";
  url += random.Percent(50) ? "/hls/" : "/live/";
  const std::string_view playlist = random.Pick(kPlaylists);
  const std::size_t so_far = url.size() + playlist.size();
  AppendHex(random, url, target > so_far ? target - so_far : 4);
  url += playlist;
  return url;
}

std::string Homepage(Random& random, const std::string& name) {
  if (random.Percent(32)) return {};
  std::string page = random.Percent(70) ? "https://" : "http://";
  if (random.Percent(50)) page += "www.";
  std::size_t letters = 0;
  for (char c : name) {
    if (letters == 14) break;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c >= 'a' && c <= 'z') {
      page += c;
      ++letters;
    }
  }
  if (letters == 0) page += "channel";
  page += random.Pick(kTlds);
  page += '/';
  return page;
}

std::string Comment(Random& random) {
  if (random.Percent(21)) return {};
  std::string comment(random.Pick(kQualities));
  if (random.Percent(25)) {
    comment += " [Geo-blocked]";
  } else if (random.Percent(15)) {
    comment += " [Not 24/7]";
  }
  return comment;
}

int32_t CountryId(Random& random) {
  if (random.Percent(1)) return 0;  // unknown country
  // Half the channels come from a handful of large countries.
  if (random.Percent(50)) return random.Between(1, 20) * 7 % kSyntheticCountries + 1;
  return random.Between(1, kSyntheticCountries);
}

int32_t GenreId(Random& random) {
  if (random.Percent(33)) return kSyntheticGenres;  // Undefined
  if (random.Percent(50)) return std::array<int32_t, 5>{10, 12, 18, 19, 27}[random.Below(5)];
  return random.Between(1, kSyntheticGenres - 1);
}

int32_t SmallCounter(Random& random, int32_t often_zero_percent, int32_t max) {
  return random.Percent(static_cast<std::uint32_t>(often_zero_percent)) ? 0
                                                                        : random.Between(1, max);
}

// Appends one channel line: 16 fields, CR LF.
void AppendChannelLine(Random& random, int32_t id, int32_t group_id, const std::string& name,
                       std::string& out) {
  const auto field = [&out](std::string_view value) {
    out += value;
    out += '|';
  };
  const auto number = [&field](long long value) { field(std::to_string(value)); };

  number(id);
  field(name);
  field(StreamUrl(random));
  int32_t bitrate = 0;
  if (group_id == 2) {
    bitrate = random.Pick(kRadioBitrates);
  } else if (random.Percent(20)) {
    bitrate = random.Pick(kTvBitrates);
  }
  number(bitrate);
  number(random.Percent(90) ? 1 : (random.Percent(80) ? 0 : 2));
  field(Homepage(random, name));
  number(CountryId(random));
  number(GenreId(random));
  field(Comment(random));

  const bool reported = random.Percent(30);
  const int32_t rated = reported ? SmallCounter(random, 40, 40) : 0;
  if (rated == 0) {
    field("0");
  } else {
    // Sum of ratings of 1 to 5, in halves now and then.
    const int32_t tenths = rated * random.Between(10, 50) / 5 * 5;
    char text[32];
    std::snprintf(text, sizeof text, tenths % 10 == 0 ? "%.0f" : "%.1f", tenths / 10.0);
    field(text);
  }
  number(rated);
  number(reported ? SmallCounter(random, 30, 50) : 0);                // works fine
  number(reported ? SmallCounter(random, 60, 20) : 0);                // not working
  number(reported ? SmallCounter(random, 85, 5) : 0);                 // wrong info
  number(reported ? SmallCounter(random, 90, 5) : 0);                 // duplicate
  out += std::to_string(reported ? SmallCounter(random, 95, 3) : 0);  // spam, the last field
  out += "\r\n";
}

std::string ChannelTable(Random& random, std::size_t count, int32_t first_id, int32_t group_id,
                         std::vector<std::string>& recent_names) {
  std::string out;
  out.reserve(count * 150);
  for (std::size_t i = 0; i < count; ++i) {
    // Channels with several streams repeat their name: ties for the sort and the search.
    std::string name;
    if (!recent_names.empty() && random.Percent(10)) {
      name = recent_names[random.Below(static_cast<std::uint32_t>(recent_names.size()))];
    } else {
      name = ChannelName(random);
      recent_names[random.Below(static_cast<std::uint32_t>(recent_names.size()))] = name;
    }
    AppendChannelLine(random, first_id + static_cast<int32_t>(i), group_id, name, out);
  }
  return out;
}

std::string CountryTable(Random& random) {
  std::string out = "0|All Countries\r\n";
  std::set<std::string> names;
  for (int32_t id = 1; id <= kSyntheticCountries; ++id) {
    std::string name = Word(random, true);
    if (random.Percent(30)) name += ' ' + Word(random, true);
    if (random.Percent(10)) name = "Republic of " + name;
    // Country names are distinct and rarely very short.
    while (name.size() < 4 || names.count(name) != 0) name += ' ' + Word(random, true);
    names.insert(name);
    out += std::to_string(id) + '|' + name + "\r\n";
  }
  return out;
}

std::string GenreTable() {
  std::string out = "0|All Genres\r\n";
  for (std::size_t i = 0; i < kGenreNames.size(); ++i) {
    out += std::to_string(i + 1) + '|' + std::string(kGenreNames[i]) + "\r\n";
  }
  out += std::to_string(kSyntheticGenres) + "|Undefined\r\n";
  return out;
}

}  // namespace

SyntheticSplit SplitChannels(std::size_t channel_count) {
  SyntheticSplit split;
  split.radio = channel_count / 10;
  split.video = channel_count / 20;
  split.tv = channel_count - split.radio - split.video;
  return split;
}

std::vector<PackageEntry> SyntheticPackageEntries(std::size_t channel_count, std::uint64_t seed) {
  Random random(seed);
  const SyntheticSplit split = SplitChannels(channel_count);
  std::vector<std::string> recent_names;
  for (int i = 0; i < 64; ++i) recent_names.push_back(ChannelName(random));

  std::vector<PackageEntry> entries;
  entries.emplace_back(kVersionEntry, "202604300337");
  entries.emplace_back(kCountriesEntry, CountryTable(random));
  entries.emplace_back(kGenresEntry, GenreTable());
  int32_t next_id = 1;
  const std::size_t counts[] = {split.tv, split.radio, split.video};
  for (std::size_t i = 0; i < std::size(kChannelEntries); ++i) {
    const ChannelEntry& entry = kChannelEntries[i];
    entries.emplace_back(entry.name,
                         ChannelTable(random, counts[i], next_id, entry.group_id, recent_names));
    next_id += static_cast<int32_t>(counts[i]);
  }
  return entries;
}

std::vector<int32_t> SyntheticFavorites(std::size_t channel_count) {
  std::vector<int32_t> favorites;
  const std::size_t step = std::max<std::size_t>(1, channel_count / 20);
  for (std::size_t id = step / 2 + 1; id <= channel_count; id += step) {
    favorites.push_back(static_cast<int32_t>(id));
  }
  return favorites;
}

Catalogue SyntheticCatalogue(std::size_t channel_count, std::uint64_t seed) {
  Catalogue catalogue;
  const std::vector<int32_t> favorites_list = SyntheticFavorites(channel_count);
  ClearCatalogue(catalogue);
  LoadChannelPackageBytes(catalogue, favorites_list,
                          BuildPackage(SyntheticPackageEntries(channel_count, seed)));
  return catalogue;
}

}  // namespace vistrel::bench
