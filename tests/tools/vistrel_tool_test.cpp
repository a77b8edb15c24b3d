#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "catalogue/format/cipher.h"
#include "catalogue/package.h"
#include "protocol/list_response.h"
#include "support/http_test_server.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/zip_fixtures.h"

namespace vistrel {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

ProcessResult Tool(std::vector<std::string> args) {
  args.insert(args.begin(), VISTREL_BINARY_DIR "/vistrel-tool");
  return RunProcess(args);
}

// Small tables in Windows-1252: accents, the euro sign, a name longer than 255 characters,
// an unknown genre, a trailing "|", an empty entry.
const std::string kLongName(300, 'A');
std::vector<PackageEntry> Tables() {
  return {
      {"version.dat", "201003141530\r\n"},
      {"countries.dat", "0|All Countries\r\n1|\xd6sterreich\r\n"},
      {"genres.dat", "0|All Genres\r\n5|News\r\n"},
      {"tv.dat",
       "1|Caf\xe9 TV|http://127.0.0.1/1.m3u8|0|1|http://127.0.0.1/|1|5|720p \x80|9|2|0|0|0|0|0\r\n"
       "2|" +
           kLongName + "|http://127.0.0.1/2.m3u8|0|1||1|99||0|0|0|0|3|0|0|\r\n"},
      {"radio.dat", "3|Radio|http://127.0.0.1/r|128|2||0|5||1.5|3|0|0|0|0|2"},
      {"video.dat", ""},
  };
}

Json ChannelJson(int id, int group_id, std::string name, std::string url, int bitrate, int type_id,
                 std::string homepage, int country_id, int genre_id, std::string genre,
                 std::string comment, double rating, int rated, double rt, int wrong, int spam,
                 int status) {
  return Json{{"id", id},
              {"favorited", 0},
              {"group_id", group_id},
              {"sent", 0},
              {"name", name},
              {"url", url},
              {"bitrate", bitrate},
              {"type_id", type_id},
              {"homepage", homepage},
              {"country_id", country_id},
              {"genre_id", genre_id},
              {"genre", genre},
              {"comment", comment},
              {"rating", rating},
              {"rated", rated},
              {"rt", rt},
              {"workfine", 0},
              {"notworking", 0},
              {"wrong", wrong},
              {"duplicate", 0},
              {"spam", spam},
              {"status", status},
              {"usdef", 0}};
}

Json ExpectedCatalogue() {
  Json out;
  out["stVersion"] = "201003141530";
  out["dtVersion"] = 40251 + 15.5 / 24;
  out["countries"] = Json::array(
      {Json{{"id", 0}, {"name", "All Countries"}}, Json{{"id", 1}, {"name", "Österreich"}}});
  out["genres"] =
      Json::array({Json{{"id", 0}, {"name", "All Genres"}}, Json{{"id", 5}, {"name", "News"}}});
  out["channels"] = Json::array({
      ChannelJson(1, 1, "Café TV", "http://127.0.0.1/1.m3u8", 0, 1, "http://127.0.0.1/", 1, 5,
                  "News", "720p €", 9, 2, 4.5, 0, 0, 2 * 0 + 2),
      ChannelJson(2, 1, std::string(255, 'A'), "http://127.0.0.1/2.m3u8", 0, 1, "", 1, 99, "", "",
                  0, 0, 0, 3, 0, 3),
      ChannelJson(3, 2, "Radio", "http://127.0.0.1/r", 128, 2, "", 0, 5, "News", "", 1.5, 3, 0.5, 0,
                  2, 5),
  });
  return out;
}

Json Dump(const fs::path& package, std::vector<std::string> extra = {}) {
  std::vector<std::string> args = {"dump", package.string()};
  args.insert(args.end(), extra.begin(), extra.end());
  const ProcessResult r = Tool(args);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  return r.exit_code == 0 ? Json::parse(r.out) : Json();
}

TEST(VistrelTool, WrongArgumentsGiveUsageAndStatus2) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {},
           {"frobnicate"},
           {"dump"},
           {"dump", "a", "b"},
           {"dump", "a", "--bogus", "x"},
           {"dump", "a", "--key-text"},
           {"dump", "a", "--key-text", "k", "--key-text", "k"},
           {"build", "-o", "out.dat"},
           {"build", "--tables", "dir"},
           {"build", "--tables", "dir", "-o", "out.dat", "extra"},
           {"encrypt", "in"},
           {"decrypt", "in", "out", "more"},
       }) {
    const ProcessResult r = Tool(args);
    EXPECT_EQ(r.exit_code, 2) << testing::PrintToString(args);
    EXPECT_NE(r.err.find("usage: vistrel-tool"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

TEST(VistrelTool, HelpPrintsUsageAndSucceeds) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--help"}, {"dump", "--help"}, {"list", "x", "-h"}, {"download", "--help"}}) {
    const ProcessResult r = Tool(args);
    EXPECT_EQ(r.exit_code, 0) << testing::PrintToString(args);
    EXPECT_NE(r.out.find("usage: vistrel-tool"), std::string::npos);
    EXPECT_EQ(r.err, "");
  }
}

TEST(VistrelTool, BuildThenDumpGivesTheCatalogue) {
  TempDir dir;
  fs::create_directory(dir.path() / "tables");
  for (const auto& [name, bytes] : Tables()) WriteTestFile(dir.path() / "tables" / name, bytes);
  WriteTestFile(dir.path() / "tables" / "notes.txt", "not a table");
  const auto package = dir.path() / "out" / "channelz.dat";
  const ProcessResult built =
      Tool({"build", "--tables", (dir.path() / "tables").string(), "-o", package.string()});
  ASSERT_EQ(built.exit_code, 0) << built.err;
  EXPECT_EQ(Dump(package), ExpectedCatalogue());

  // The package holds exactly the six tables, deflated.
  std::string zip = ReadTestFile(package);
  DecryptInPlace(zip, CipherKey(build::kKeyText, build::kIvText));
  EXPECT_THROW(LocalHeaderOffset(zip, "notes.txt"), std::runtime_error);
  EXPECT_EQ(zip[LocalHeaderOffset(zip, "tv.dat") + 8], 8);  // method 8: deflate
}

TEST(VistrelTool, KeyOptionsChooseTheCipher) {
  TempDir dir;
  fs::create_directory(dir.path() / "tables");
  for (const auto& [name, bytes] : Tables()) WriteTestFile(dir.path() / "tables" / name, bytes);
  const auto package = dir.path() / "p.dat";
  const std::vector<std::string> key = {"--key-text", "Other#Key123", "--iv-text=Other-IV-000001!"};
  std::vector<std::string> args = {"build", "--tables", (dir.path() / "tables").string(), "-o",
                                   package.string()};
  args.insert(args.end(), key.begin(), key.end());
  ASSERT_EQ(Tool(args).exit_code, 0);
  EXPECT_EQ(Dump(package, key), ExpectedCatalogue());
  // With the build's own key the data is no archive: an error, not an empty catalogue.
  const ProcessResult foreign = Tool({"dump", package.string()});
  EXPECT_EQ(foreign.exit_code, 1);
  EXPECT_EQ(foreign.out, "");
  EXPECT_NE(foreign.err.find(kNotAPackageMessage), std::string::npos) << foreign.err;
}

TEST(VistrelTool, EncryptAndDecryptAreThePackageCipher) {
  TempDir dir;
  std::string plain(37, '\0');
  for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<char>(i * 7);
  WriteTestFile(dir.path() / "plain", plain);
  ASSERT_EQ(
      Tool({"encrypt", (dir.path() / "plain").string(), (dir.path() / "enc").string()}).exit_code,
      0);
  std::string expected = plain;
  EncryptInPlace(expected, CipherKey(build::kKeyText, build::kIvText));
  EXPECT_EQ(ReadTestFile(dir.path() / "enc"), expected);
  ASSERT_EQ(
      Tool({"decrypt", (dir.path() / "enc").string(), (dir.path() / "dec").string()}).exit_code, 0);
  EXPECT_EQ(ReadTestFile(dir.path() / "dec"), plain);
}

TEST(VistrelTool, DumpFailureGoesToStandardErrorWithStatus1) {
  TempDir dir;
  const auto missing = dir.path() / "missing.dat";
  ProcessResult r = Tool({"dump", missing.string()});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find(missing.string()), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");

  auto tables = Tables();
  tables[3].second += "3|x|u|0|1||1|5||0|0|0|0|0|0\r\n";
  WriteTestFile(dir.path() / "bad.dat", BuildPackage(tables));
  r = Tool({"dump", (dir.path() / "bad.dat").string()});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err, "tv.dat, line 3: 15 fields where 16 are needed\n");
  EXPECT_EQ(r.out, "");
}

// Archives written by other zip programs, enciphered with `encrypt`, load like our own.
TEST(VistrelTool, ArchivesOfOtherZipToolsLoad) {
  struct Maker {
    const char* what;
    std::string (*zip)(const std::vector<PackageEntry>&, const ZipToolOptions&);
    ZipToolOptions options;
    bool upper_case = false;
  };
  const std::vector<Maker> makers = {
      {"zip", ZipWithInfoZip, {}},
      {"zip -0 (stored)", ZipWithInfoZip, {.deflated = false}},
      {"zip to a pipe (data descriptors)", ZipWithInfoZip, {.stream = true}},
      {"zip -fz (zip64)", ZipWithInfoZip, {.zip64 = true}},
      {"python stored", ZipWithPython, {.deflated = false}},
      {"python deflated, upper-case names", ZipWithPython, {}, true},
      {"python to a pipe (data descriptors)", ZipWithPython, {.stream = true}},
      {"python zip64", ZipWithPython, {.zip64 = true}},
      {"python stored zip64 to a pipe",
       ZipWithPython,
       {.deflated = false, .zip64 = true, .stream = true}},
  };
  for (const Maker& maker : makers) {
    SCOPED_TRACE(maker.what);
    std::vector<PackageEntry> tables = Tables();
    if (maker.upper_case) {
      for (auto& entry : tables) {
        for (char& c : entry.first) c = static_cast<char>(std::toupper(c));
      }
    }
    TempDir dir;
    WriteTestFile(dir.path() / "a.zip", maker.zip(tables, maker.options));
    const ProcessResult enc =
        Tool({"encrypt", (dir.path() / "a.zip").string(), (dir.path() / "channelz.dat").string()});
    ASSERT_EQ(enc.exit_code, 0) << enc.err;
    EXPECT_EQ(Dump(dir.path() / "channelz.dat"), ExpectedCatalogue());
  }
}

// Table files in either form: Windows-1252 without a mark, or UTF-8 behind the mark.
TEST(VistrelTool, BuildTakesTablesInEitherForm) {
  TempDir dir;
  const fs::path tables = dir.path() / "tables";
  fs::create_directories(tables);
  WriteTestFile(tables / "version.dat", "201003141530\r\n");
  WriteTestFile(tables / "countries.dat", "0|All Countries\r\n1|\xd6sterreich\r\n");
  WriteTestFile(tables / "tv.dat",
                "\xEF\xBB\xBF"
                "1|\xE4\xB8\xAD\xE5\xA4\xAE \xF0\x9F\x93\xBA|http://127.0.0.1/1|0|1||1|0|"
                "\xD0\x9C\xD0\xB8\xD1\x80|0|0|0|0|0|0|0\r\n");
  const auto package = dir.path() / "channelz.dat";
  const ProcessResult built = Tool({"build", "--tables", tables.string(), "-o", package.string()});
  ASSERT_EQ(built.exit_code, 0) << built.err;
  const Json catalogue = Dump(package);
  EXPECT_EQ(catalogue["countries"][1]["name"], "\xC3\x96sterreich");
  ASSERT_EQ(catalogue["channels"].size(), 1u);
  EXPECT_EQ(catalogue["channels"][0]["name"], "\xE4\xB8\xAD\xE5\xA4\xAE \xF0\x9F\x93\xBA");
  EXPECT_EQ(catalogue["channels"][0]["comment"], "\xD0\x9C\xD0\xB8\xD1\x80");
}

TEST(VistrelTool, DumpsTheIptvOrgCatalogue) {
  const fs::path tables = VISTREL_SOURCE_DIR "/../shared/data/iptv-org/tables";
  if (!fs::is_directory(tables)) GTEST_SKIP() << "no sample data at " << tables;
  TempDir dir;
  const auto package = dir.path() / "channelz.dat";
  const ProcessResult built = Tool({"build", "--tables", tables.string(), "-o", package.string()});
  ASSERT_EQ(built.exit_code, 0) << built.err;
  const Json catalogue = Dump(package);
  EXPECT_EQ(catalogue["stVersion"], "202604300337");
  EXPECT_EQ(catalogue["countries"].size(), 178u);
  EXPECT_EQ(catalogue["countries"][0]["name"], "All Countries");
  EXPECT_EQ(catalogue["genres"].size(), 31u);
  ASSERT_EQ(catalogue["channels"].size(), 15155u);
  for (const Json& c : catalogue["channels"]) ASSERT_EQ(c["group_id"], 1);
  EXPECT_EQ(catalogue["channels"][0]["name"], "AMC");
  EXPECT_EQ(catalogue["channels"][15154]["id"], 15155);
}

// What the service says reaches the terminal as text: its control characters are shown, not
// obeyed. A --date in UTF-8 goes on the wire as that UTF-8, percent-encoded once.
TEST(VistrelTool, DownloadShowsTheServicesMessageAsTextAndSendsTheDateOnce) {
  HttpTestServer server;
  server.Answer("/service/get.php", 200,
                FrameListResponse(kTagMessage, "Key \x1B[31mexpired\x1B]0;title\x07 \xE9"));
  server.Start();
  TempDir dir;
  const ProcessResult got = Tool({"download", "--base-url", server.base_url(), "--date",
                                  "\xC3\xA9t\xC3\xA9", "--data-dir", dir.path().string()});
  EXPECT_EQ(got.exit_code, 1) << got.err;
  EXPECT_EQ(got.out.substr(got.out.rfind('\n', got.out.size() - 2) + 1),
            "Key \\x1B[31mexpired\\x1B]0;title\\x07 \xC3\xA9\n");
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_NE(requests[0].query.find("&date=%C3%A9t%C3%A9"), std::string::npos) << requests[0].query;
}

}  // namespace
}  // namespace vistrel
