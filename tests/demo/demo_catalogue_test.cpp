// The demo catalogue in demo/: UTF-8 tables with a byte-order mark that the program's own
// parsers read line by line, a catalogue that shows every status class, every category and
// names in several scripts, channel URLs that reach the demo media or fail in the known ways,
// media small enough to commit, and a sample user folder that the user-file loaders accept.

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "browser/sort_channels.h"
#include "catalogue/lookups.h"
#include "catalogue/table_reader.h"
#include "catalogue/user_files.h"
#include "demo/demo_files.h"
#include "support/temp_dir.h"

namespace vistrel {
namespace {

namespace fs = std::filesystem;

const fs::path& kDemo = kDemoFolder;
// The address the tables are written with; scripts/demo_service.sh replaces it when the
// service runs on another port.
constexpr std::string_view kServiceBase = "http://127.0.0.1:8780/";
constexpr std::string_view kRefusedBase = "http://127.0.0.1:9/";

// The code points of UTF-8 text; fails the test when the text is not valid UTF-8.
std::u32string DecodeUtf8(const std::string& text) {
  iconv_t cd = iconv_open("UTF-32LE", "UTF-8");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string out(text.size() * 4, '\0');
  char* in_ptr = const_cast<char*>(text.data());
  char* out_ptr = out.data();
  size_t in_left = text.size(), out_left = out.size();
  const size_t done = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  iconv_close(cd);
  EXPECT_NE(done, static_cast<size_t>(-1)) << "not UTF-8 at byte " << text.size() - in_left;
  std::u32string points((out.size() - out_left) / 4, U'\0');
  for (size_t i = 0; i < points.size(); ++i) {
    const auto* b = reinterpret_cast<const unsigned char*>(out.data() + 4 * i);
    points[i] = char32_t(b[0]) | char32_t(b[1]) << 8 | char32_t(b[2]) << 16 | char32_t(b[3]) << 24;
  }
  return points;
}

// A table's bytes, which must start with a UTF-8 byte-order mark; without the mark when
// `keep_mark` is false.
std::string TableBytes(const std::string& name, bool keep_mark) {
  const std::string bytes = ReadTestFile(kDemo / "tables" / name);
  const bool marked = bytes.starts_with(kDemoTableMark);
  EXPECT_TRUE(marked) << name << " must start with a UTF-8 byte-order mark";
  return marked && !keep_mark ? bytes.substr(kDemoTableMark.size()) : bytes;
}

// A table's text after its mark.
std::string TableText(const std::string& name) {
  return TableBytes(name, false);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "every line ends with CR LF, the last one too";
  return lines;
}

// The tables as the package loader reads them, marks included when the parsers know them;
// throws vistrel::Error on a malformed line.
Catalogue LoadDemoCatalogue() {
  const bool keep_mark = TableParsersKnowByteOrderMarks();
  Catalogue catalogue;
  ReadCountries("countries.dat", TableBytes("countries.dat", keep_mark), catalogue.countries);
  ReadGenres("genres.dat", TableBytes("genres.dat", keep_mark), catalogue.genres);
  const char* const names[] = {"tv.dat", "radio.dat", "video.dat"};
  for (int32_t group = 1; group <= 3; ++group) {
    AppendChannels(names[group - 1], TableBytes(names[group - 1], keep_mark), group, {},
                   catalogue.genres, catalogue.channels);
  }
  return catalogue;
}

TEST(DemoCatalogueTest, TablesAreUtf8LinesWithTheirFieldCounts) {
  struct Table {
    const char* name;
    size_t fields;
  };
  for (const Table& table :
       {Table{"countries.dat", 2}, Table{"genres.dat", 2}, Table{"tv.dat", kChannelFields},
        Table{"radio.dat", kChannelFields}, Table{"video.dat", kChannelFields}}) {
    SCOPED_TRACE(table.name);
    const std::string text = TableText(table.name);
    DecodeUtf8(text);
    const std::vector<std::string> lines = Lines(text);
    EXPECT_FALSE(lines.empty());
    for (const std::string& line : lines) {
      EXPECT_EQ(std::count(line.begin(), line.end(), '|') + 1, std::ptrdiff_t(table.fields))
          << line;
    }
  }
  // The version stamp stays plain digits: a mark before them would hide the date.
  EXPECT_EQ(ReadTestFile(kDemo / "tables" / "version.dat").substr(0, 12),
            ParsePackageVersion(ReadTestFile(kDemo / "tables" / "version.dat")).text);
}

TEST(DemoCatalogueTest, CoversEveryCategoryStatusAndSeveralScripts) {
  const Catalogue catalogue = LoadDemoCatalogue();
  ASSERT_GE(catalogue.channels.size(), 30u);
  EXPECT_EQ(catalogue.countries.front().id, 0);
  EXPECT_EQ(catalogue.genres.front().id, 0);

  std::set<int32_t> groups, statuses, ids;
  for (const Channel& c : catalogue.channels) {
    SCOPED_TRACE(c.name);
    groups.insert(c.group_id);
    statuses.insert(static_cast<int32_t>(c.status));
    EXPECT_TRUE(ids.insert(c.id).second) << "ids are unique";
    EXPECT_LT(c.id, kUserIdBase);
    EXPECT_EQ(c.type_id, 1) << "the list shows only Media Player channels";
    EXPECT_TRUE(std::any_of(catalogue.countries.begin() + 1, catalogue.countries.end(),
                            [&](const Country& x) { return x.id == c.country_id; }));
    EXPECT_FALSE(c.genre_name.empty()) << "genre id " << c.genre_id << " is in the genre table";
  }
  EXPECT_EQ(groups, (std::set<int32_t>{1, 2, 3}));
  EXPECT_EQ(statuses, (std::set<int32_t>{0, 1, 2, 3, 4, 5}));

  // Accented Latin, Cyrillic, Greek, CJK and Arabic letters among the channel names.
  struct Script {
    const char* name;
    char32_t first, last;
  };
  for (const Script& script : {Script{"Latin-1 letters", 0xC0, 0xFF},
                               Script{"Cyrillic", 0x400, 0x4FF}, Script{"Greek", 0x370, 0x3FF},
                               Script{"CJK", 0x4E00, 0x9FFF}, Script{"Arabic", 0x600, 0x6FF}}) {
    const bool found =
        std::any_of(catalogue.channels.begin(), catalogue.channels.end(), [&](auto& c) {
          const std::u32string points = DecodeUtf8(c.name);
          return std::any_of(points.begin(), points.end(),
                             [&](char32_t p) { return p >= script.first && p <= script.last; });
        });
    EXPECT_TRUE(found) << "no channel name in " << script.name;
  }
}

TEST(DemoCatalogueTest, UrlsReachTheDemoMediaOrFailInTheKnownWays) {
  const Catalogue catalogue = LoadDemoCatalogue();
  std::set<std::string> endpoints;
  for (const Channel& c : catalogue.channels) {
    SCOPED_TRACE(c.name + " " + c.url);
    std::string_view rest(c.url);
    if (rest.starts_with(kRefusedBase)) {
      endpoints.insert("refused");
      continue;
    }
    ASSERT_TRUE(rest.starts_with(kServiceBase));
    rest.remove_prefix(kServiceBase.size());
    const size_t slash = rest.find('/');
    ASSERT_NE(slash, std::string_view::npos);
    const std::string endpoint(rest.substr(0, slash));
    const std::string file(rest.substr(slash + 1));
    EXPECT_TRUE(endpoint == "media" || endpoint == "live" || endpoint == "stall") << endpoint;
    const bool missing = file.starts_with("missing-");
    endpoints.insert(missing ? "missing" : endpoint);
    EXPECT_EQ(fs::exists(kDemo / "media" / file), !missing);
  }
  EXPECT_EQ(endpoints, (std::set<std::string>{"media", "live", "stall", "missing", "refused"}));
}

TEST(DemoCatalogueTest, FirstTvChannelByNameIsALiveStream) {
  Catalogue catalogue = LoadDemoCatalogue();
  SortState sort;
  SortChannels(catalogue, ListColumn::kChannel, sort);
  const auto first_tv = std::find_if(catalogue.channels.begin(), catalogue.channels.end(),
                                     [](const Channel& c) { return c.group_id == 1; });
  ASSERT_NE(first_tv, catalogue.channels.end());
  EXPECT_EQ(first_tv->url, std::string(kServiceBase) + "live/tv-pattern.ts");
  EXPECT_EQ(first_tv->status, ChannelStatus::kWorkFine);
}

TEST(DemoCatalogueTest, MediaStayUnderFiveMegabytes) {
  uintmax_t total = 0;
  for (const auto& entry : fs::directory_iterator(kDemo / "media")) {
    if (entry.is_regular_file()) total += entry.file_size();
  }
  EXPECT_GT(total, 0u);
  EXPECT_LT(total, 5u * 1000 * 1000);
}

TEST(DemoCatalogueTest, SampleUserFolderLoads) {
  TempDir dir;  // the favourites loader deletes a bad file, so it reads a copy
  for (const char* name : {kFavoritesFileName, kUserChannelsFileName}) {
    WriteTestFile(dir.path() / name, ReadTestFile(kDemo / "user" / name));
  }
  std::vector<int32_t> favorites;
  ASSERT_TRUE(LoadFavorites(dir.path(), favorites).ok());
  EXPECT_EQ(favorites, (std::vector<int32_t>{1, 101, 100001}));

  Catalogue catalogue;
  ClearCatalogue(catalogue);
  const Outcome load = LoadUserChannels(dir.path(), catalogue, favorites);
  ASSERT_TRUE(load.ok()) << load.error;
  ASSERT_EQ(catalogue.channels.size(), 2u);
  EXPECT_EQ(catalogue.highest_user_id, 100002);
  EXPECT_EQ(catalogue.channels[0].group_id, 1);
  EXPECT_EQ(catalogue.channels[0].favorited, 1);
  EXPECT_EQ(catalogue.channels[0].comment, "Added by hand");
  EXPECT_EQ(catalogue.channels[1].group_id, 2);
  EXPECT_EQ(catalogue.channels[1].sent, 1);
  EXPECT_EQ(catalogue.channels[1].comment, "");
  for (const Channel& c : catalogue.channels) {
    EXPECT_EQ(c.user_defined, 1);
    EXPECT_TRUE(c.url.starts_with(std::string(kServiceBase) + "live/")) << c.url;
  }
}

}  // namespace
}  // namespace vistrel
