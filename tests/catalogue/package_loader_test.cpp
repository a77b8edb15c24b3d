#include <gtest/gtest.h>

#include <fstream>

#include "catalogue/format/cipher.h"
#include "catalogue/lookups.h"
#include "catalogue/package.h"
#include "catalogue/stream_headers.h"
#include "common/error.h"
#include "support/error_matchers.h"
#include "support/temp_dir.h"
#include "support/zip_fixtures.h"

namespace vistrel {
namespace {

const std::string kVersion = "201003141530xyz";
const std::string kCountries = "0|All Countries\r\n1|Austria\r\n2|Brazil\r\n";
const std::string kGenres = "0|All Genres\r\n5|News\r\n6|Music\r\n";
const std::string kTv =
    "10|Tv one|http://127.0.0.1/1|0|1||1|5||9|2|0|0|0|0|0\r\n"
    "11|Tv two|http://127.0.0.1/2|0|1||2|77||0|0|0|0|0|0|0\r\n";
const std::string kRadio = "20|Radio|http://127.0.0.1/r|128|1||1|6||0|0|1|0|0|0|0|\r\n";
const std::string kVideo = "30|Video|http://127.0.0.1/v|0|1||2|6||0|0|0|0|0|0|0";

std::vector<PackageEntry> AllEntries() {
  return {{"version.dat", kVersion}, {"countries.dat", kCountries}, {"genres.dat", kGenres},
          {"tv.dat", kTv},           {"radio.dat", kRadio},         {"video.dat", kVideo}};
}

// A cleared catalogue holding one user channel, as the loaders before this one leave it.
Catalogue WithUserChannel() {
  Catalogue info;
  ClearCatalogue(info);
  Channel mine;
  mine.id = 100001;
  mine.name = "Mine";
  mine.user_defined = 1;
  info.channels.push_back(mine);
  return info;
}

std::vector<int32_t> Ids(const Catalogue& info) {
  std::vector<int32_t> ids;
  for (const Channel& c : info.channels) ids.push_back(c.id);
  return ids;
}

std::string Encrypted(std::string zip) {
  EncryptInPlace(zip, CipherKey(build::kKeyText, build::kIvText));
  return zip;
}

TEST(LoadChannelPackage, FillsTablesAndAppendsTvRadioVideoBehindUserChannels) {
  TempDir dir;
  const auto file = dir.path() / "channelz.dat";
  std::ofstream(file, std::ios::binary) << BuildPackage(AllEntries());
  Catalogue info = WithUserChannel();
  LoadChannelPackage(info, {11, 30}, file);

  EXPECT_EQ(info.version_text, "201003141530");
  EXPECT_DOUBLE_EQ(info.version_date, 40251 + 15.5 / 24);
  ASSERT_EQ(info.countries.size(), 3u);
  EXPECT_EQ(info.countries[2].name, "Brazil");
  ASSERT_EQ(info.genres.size(), 3u);
  ASSERT_EQ(Ids(info), (std::vector<int32_t>{100001, 10, 11, 20, 30}));
  const auto& c = info.channels;
  EXPECT_EQ(c[0].user_defined, 1);
  EXPECT_EQ((std::vector<int32_t>{c[1].group_id, c[2].group_id, c[3].group_id, c[4].group_id}),
            (std::vector<int32_t>{1, 1, 2, 3}));
  EXPECT_EQ((std::vector<int32_t>{c[1].favorited, c[2].favorited, c[3].favorited, c[4].favorited}),
            (std::vector<int32_t>{0, 1, 0, 1}));
  EXPECT_EQ(c[1].genre_name, "News");
  EXPECT_EQ(c[2].genre_name, "");  // genre 77 is not in the table
  EXPECT_DOUBLE_EQ(c[1].average_rating, 4.5);
  EXPECT_EQ(c[3].status, ChannelStatus::kWorkFine);
  EXPECT_EQ(c[3].bitrate, 128);
}

// The headers ride in an entry of their own: with it and an entry of a later version beside the
// tables, the channels load exactly as without them, and the headers by channel id, except
// over the user's own channel's.
TEST(LoadChannelPackage, HeadersEntryAndUnknownEntriesLeaveTheTablesAlone) {
  Catalogue plain = WithUserChannel();
  LoadChannelPackageBytes(plain, {11}, BuildPackage(AllEntries()));
  std::vector<PackageEntry> entries = AllEntries();
  entries.emplace_back(kHeadersEntry,
                       "10|Agent/1.0 (a, b)|http://127.0.0.1/|Origin|http://127.0.0.1\r\n"
                       "100001|Not mine|\r\nbroken line\r\n30||http://127.0.0.1/v\r\n");
  entries.emplace_back("later.dat", "anything \x01\x02|||\r\n");
  Catalogue read = WithUserChannel();
  read.stream_headers[100001] = StreamHeaders{"Mine", "", {}};
  LoadChannelPackageBytes(read, {11}, BuildPackage(entries));
  EXPECT_EQ(read.channels, plain.channels);
  EXPECT_EQ(read.version_text, plain.version_text);
  ASSERT_EQ(read.stream_headers.size(), 3u);
  EXPECT_EQ(
      read.stream_headers.at(10),
      (StreamHeaders{"Agent/1.0 (a, b)", "http://127.0.0.1/", {{"Origin", "http://127.0.0.1"}}}));
  EXPECT_EQ(read.stream_headers.at(30), (StreamHeaders{"", "http://127.0.0.1/v", {}}));
  EXPECT_EQ(read.stream_headers.at(100001).user_agent, "Mine");
  EXPECT_TRUE(plain.stream_headers.empty());
}

TEST(LoadChannelPackage, EntryNamesMatchInAnyCase) {
  Catalogue info = WithUserChannel();
  LoadChannelPackageBytes(
      info, {},
      BuildPackage({{"VERSION.DAT", kVersion}, {"TV.DAT", kTv}, {"Genres.Dat", kGenres}}));
  EXPECT_EQ(info.version_text, "201003141530");
  ASSERT_EQ(Ids(info), (std::vector<int32_t>{100001, 10, 11}));
  EXPECT_EQ(info.channels[1].genre_name, "News");  // genres are read before the channels
}

// Room for the channels is reserved from a quick count that lines ended by a CR alone escape;
// such entries still load whole and in order.
TEST(LoadChannelPackage, EntriesWithAnyLineBreaksLoadWhole) {
  std::string tv_cr = kTv;
  std::erase(tv_cr, '\n');
  Catalogue info = WithUserChannel();
  LoadChannelPackageBytes(info, {},
                          BuildPackage({{"tv.dat", tv_cr + tv_cr},
                                        {"radio.dat", kRadio + kRadio},
                                        {"video.dat", kVideo + "\n" + kVideo}}));
  EXPECT_EQ(Ids(info), (std::vector<int32_t>{100001, 10, 11, 10, 11, 20, 20, 30, 30}));
}

TEST(LoadChannelPackage, MissingEntriesLeaveTheirPartAlone) {
  Catalogue info = WithUserChannel();
  LoadChannelPackageBytes(info, {},
                          BuildPackage({{"video.dat", kVideo},
                                        {"radio.dat", kRadio},
                                        {"tv.dat.bak", kTv},
                                        {"countries.dat", ""}}));
  ASSERT_EQ(Ids(info), (std::vector<int32_t>{100001, 20, 30}));
  EXPECT_EQ(info.version_text, "");
  EXPECT_EQ(info.version_date, 0);
  EXPECT_TRUE(info.countries.empty());
  EXPECT_EQ(info.channels[1].genre_name, "");  // no genre table
}

// Bytes that do not decipher to an archive are an error, never a package without channels,
// which would replace a working list with an empty one.
TEST(LoadChannelPackage, DataThatIsNoArchiveIsRefusedAndLoadsNothing) {
  std::string foreign_key = BuildPackage(AllEntries(), "Another#Key1", build::kIvText);
  std::string plain_zip = BuildZipArchive(AllEntries());
  for (const std::string& bytes : {std::string(), std::string(5000, 'x'), foreign_key, plain_zip}) {
    Catalogue info = WithUserChannel();
    EXPECT_THAT([&] { LoadChannelPackageBytes(info, {}, bytes); },
                ThrowsErrorSaying(kNotAPackageMessage));
    EXPECT_EQ(Ids(info), std::vector<int32_t>{100001});
    EXPECT_EQ(info.version_text, "");
    EXPECT_EQ(info.version_date, 0);
    EXPECT_TRUE(info.countries.empty());
    EXPECT_TRUE(info.genres.empty());
  }
}

// An archive without entries is a package, if an empty one.
TEST(LoadChannelPackage, ArchiveWithoutEntriesLoadsAsAnEmptyPackage) {
  Catalogue info = WithUserChannel();
  LoadChannelPackageBytes(info, {}, BuildPackage({}));
  EXPECT_EQ(Ids(info), std::vector<int32_t>{100001});
  EXPECT_EQ(info.version_text, "");
  EXPECT_TRUE(info.countries.empty());
}

TEST(LoadChannelPackage, FileThatCannotBeReadRaisesErrorNamingIt) {
  TempDir dir;
  for (const auto& path : {dir.path() / "channelz.dat", dir.path()}) {
    Catalogue info = WithUserChannel();
    EXPECT_THAT([&] { LoadChannelPackage(info, {}, path); }, ThrowsErrorContaining(path.string()));
    EXPECT_EQ(info.channels.size(), 1u);
  }
}

TEST(LoadChannelPackage, MalformedLineKeepsWhatWasLoadedBeforeIt) {
  auto entries = AllEntries();
  entries[4].second = kRadio + "21|Bad|http://127.0.0.1/b|fast|1||1|6||0|0|0|0|0|0|0\r\n" + kRadio;
  Catalogue info = WithUserChannel();
  EXPECT_THAT([&] { LoadChannelPackageBytes(info, {}, BuildPackage(entries)); },
              ThrowsErrorSaying("radio.dat, line 2: 'fast' is not a valid integer value"));
  EXPECT_EQ(Ids(info), (std::vector<int32_t>{100001, 10, 11, 20}));
  EXPECT_EQ(info.version_text, "201003141530");
  EXPECT_EQ(info.countries.size(), 3u);
}

TEST(LoadChannelPackage, BadVersionEndsTheLoad) {
  auto entries = AllEntries();
  entries[0].second = "2010-03-14 15:30";
  Catalogue info = WithUserChannel();
  EXPECT_THAT([&] { LoadChannelPackageBytes(info, {}, BuildPackage(entries)); },
              ThrowsErrorContaining("2010-03-14 1"));
  EXPECT_EQ(info.version_text, "");
  EXPECT_EQ(info.channels.size(), 1u);
}

TEST(LoadChannelPackage, DamagedEntryRaisesErrorNeverGarbage) {
  auto entries = AllEntries();
  entries[3].second = std::string();
  for (int i = 0; i < 200; ++i) entries[3].second += kTv;
  std::string zip = BuildZipArchive(entries);
  const std::size_t at = EntryDataOffset(zip, "tv.dat");
  for (std::size_t i = 10; i < 30; ++i) zip[at + i] = static_cast<char>(i * 91);
  Catalogue info = WithUserChannel();
  EXPECT_THAT([&] { LoadChannelPackageBytes(info, {}, Encrypted(zip)); },
              ThrowsErrorContaining("\"tv.dat\""));
  EXPECT_EQ(Ids(info), std::vector<int32_t>{100001});
  EXPECT_EQ(info.genres.size(), 3u);
}

TEST(LoadChannelPackage, EntryDeclaringAbsurdSizeIsRefused) {
  std::string zip = BuildZipArchive(AllEntries());
  PutLe32(zip, CentralHeaderOffset(zip, "countries.dat") + 24, 0x40000000u);  // 1 GiB
  Catalogue info = WithUserChannel();
  EXPECT_THAT([&] { LoadChannelPackageBytes(info, {}, Encrypted(zip)); },
              ThrowsErrorContaining("\"countries.dat\""));
  EXPECT_TRUE(info.countries.empty());
}

// However a package is cut short, what loads is either an error or correct tables.
TEST(LoadChannelPackage, TruncatedPackageNeverLoadsGarbage) {
  const std::string full = BuildPackage(AllEntries());
  Catalogue expected = WithUserChannel();
  LoadChannelPackageBytes(expected, {}, full);
  for (std::size_t cut = 1; cut < full.size(); ++cut) {
    SCOPED_TRACE(cut);
    // Cutting the ciphertext would change how its tail deciphers; cut the plaintext instead.
    std::string zip = BuildZipArchive(AllEntries());
    zip.resize(zip.size() - cut);
    Catalogue info = WithUserChannel();
    try {
      LoadChannelPackageBytes(info, {}, Encrypted(zip));
    } catch (const Error&) {
    }
    EXPECT_TRUE(info.countries.empty() || info.countries.size() == expected.countries.size());
    EXPECT_TRUE(info.genres.empty() || info.genres.size() == expected.genres.size());
    for (std::size_t i = 1; i < info.channels.size(); ++i) {
      bool known = false;
      for (const Channel& e : expected.channels) {
        known |= e.id == info.channels[i].id && e.name == info.channels[i].name &&
                 e.url == info.channels[i].url;
      }
      EXPECT_TRUE(known) << info.channels[i].id;
    }
  }
}

// The error a load ends with, or "(no error)".
std::string ErrorText(Catalogue& info, const std::string& package) {
  try {
    LoadChannelPackageBytes(info, {}, package);
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

std::string Repeated(const std::string& piece, std::size_t bytes) {
  std::string out;
  while (out.size() < bytes) out += piece;
  return out;
}

// Bytes that deflate hardly at all: any bytes, or letters only, which fit any text field.
std::string Noise(std::size_t bytes, bool letters, std::uint32_t seed = 1) {
  std::string out(bytes, 'a');
  for (char& c : out) {
    seed = seed * 1664525u + 1013904223u;
    c = static_cast<char>(letters ? 'a' + (seed >> 24) % 26 : seed >> 24);
  }
  return out;
}

// Channel lines with comments of noise, each its own: text as catalogues have it, which
// deflates to a fraction but nowhere near a fiftieth.
std::string DistinctLines(std::size_t bytes) {
  std::string out;
  for (std::uint32_t i = 1; out.size() < bytes; ++i) {
    out += std::to_string(i) + "|Tv|http://127.0.0.1/1|0|1||1|5|" + Noise(40, true, i) +
           "|9|2|0|0|0|0|0\r\n";
  }
  return out;
}

// Entries that inflate far beyond their compressed size are refused before they are inflated;
// small ones may compress as well as they like.
TEST(LoadChannelPackage, EntriesThatInflateMoreThanATableCanAreRefused) {
  struct Case {
    const char* entry;
    std::string text;
    bool refused;
  };
  const std::string line = "10|Tv one|http://127.0.0.1/1|0|1||1|5||9|2|0|0|0|0|0\r\n";
  for (const Case& c : {Case{"tv.dat", std::string(10 << 20, '\n'), true},
                        Case{"countries.dat", std::string(1 << 20, '\n'), true},
                        Case{"radio.dat", Repeated(line, 200 * 1024), true},
                        Case{"radio.dat", Repeated(line, 60 * 1024), false},
                        Case{"tv.dat", DistinctLines(200 * 1024), false}}) {
    SCOPED_TRACE(std::string(c.entry) + " of " + std::to_string(c.text.size()));
    auto entries = AllEntries();
    for (auto& [name, text] : entries) {
      if (name == c.entry) text = c.text;
    }
    Catalogue info = WithUserChannel();
    const std::string error = ErrorText(info, BuildPackage(entries));
    if (c.refused) {
      EXPECT_EQ(error.rfind("The archive entry \"" + std::string(c.entry) + "\" inflates ", 0), 0u)
          << error;
      // Refused before anything is loaded.
      EXPECT_EQ(Ids(info), std::vector<int32_t>{100001});
      EXPECT_EQ(info.version_text, "");
    } else {
      EXPECT_NE(error.find("(no error)"), std::string::npos);
    }
  }
}

TEST(LoadChannelPackage, PackageInflatingToMoreThanOneGibibyteIsRefused) {
  // Every entry claims 250 MiB from 5 MiB of real deflated data (the noise entry's): each is
  // possible on its own, together they are too much.
  std::string zip = BuildZipArchive({{"version.dat", kVersion},
                                     {"countries.dat", kCountries},
                                     {"genres.dat", kGenres},
                                     {"tv.dat", kTv},
                                     {"radio.dat", kRadio},
                                     {"video.dat", kVideo},
                                     {"noise.dat", Noise(6 << 20, false)}});
  for (const char* name :
       {"version.dat", "countries.dat", "genres.dat", "tv.dat", "radio.dat", "video.dat"}) {
    PutLe32(zip, CentralHeaderOffset(zip, name) + 20, 5u << 20);
    PutLe32(zip, CentralHeaderOffset(zip, name) + 24, 250u << 20);
  }
  Catalogue info = WithUserChannel();
  EXPECT_EQ(ErrorText(info, Encrypted(zip)), "The channel package inflates to " +
                                                 std::to_string(6 * (250ull << 20)) +
                                                 " bytes, more than the 1073741824 allowed");
  EXPECT_EQ(Ids(info), std::vector<int32_t>{100001});
}

}  // namespace
}  // namespace vistrel
