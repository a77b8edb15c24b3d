// vistrel-tool list: the list as the program shows it after start-up, run as a process.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "catalogue/package.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vistrel {
namespace {

namespace fs = std::filesystem;

// Texts in Windows-1252 (\xe9 is é, \x80 the euro sign). Fields: id|name|url|bitrate|type_id|
// homepage|country_id|genre_id|comment|rating|rated|workfine|notworking|wrong|duplicate|spam
std::string Package() {
  return BuildPackage({
      {"version.dat", "201003141530"},
      {"countries.dat", "0|All Countries\r\n7|Norway\r\n"},
      {"genres.dat", "0|All Genres\r\n5|News\r\n6|Music\r\n"},
      {"tv.dat",
       "1|Zeta News|http://127.0.0.1/1|800|1||7|5|late \x80|9|2|0|0|0|0|0\r\n"
       "2|alpha TV|http://127.0.0.1/2|500|0||0|6||0|0|3|0|0|0|0\r\n"
       "3|Beta News|http://127.0.0.1/3|128|1||7|5||4|1|0|2|0|0|0\r\n"},
      {"radio.dat", "10|Caf\xe9 Radio|http://127.0.0.1/r|128|1||7|6||0|0|0|0|0|0|0\r\n"},
  });
}

const std::string kUserLine = "100005|1|0|My Stream|http://127.0.0.1/u|256|1||7|5|mine\r\n";

// Rows: name, genre, rating, bitrate, comment, state image, user channel.
const std::string kAlpha = "alpha TV\tMusic\t0.00\t500\t\t0\t0\n";
const std::string kBeta = "Beta News\tNews\t4.00\t128\t\t1\t0\n";
const std::string kMine = "My Stream\tNews\tno\t256\tmine\t0\t1\n";
const std::string kZeta = "Zeta News\tNews\t4.50\t800\tlate \xe2\x82\xac\t2\t0\n";
const std::string kCafe = "Caf\xc3\xa9 Radio\tMusic\t0.00\t128\t\t2\t0\n";

class VistrelList : public testing::Test {
 protected:
  void SetUp() override {
    WriteTestFile(package_, Package());
    WriteTestFile(user_ / "userdef.dat", kUserLine);
  }

  ProcessResult List(std::vector<std::string> args) const {
    args.insert(args.begin(), {VISTREL_BINARY_DIR "/vistrel-tool", "list", package_.string()});
    return RunProcess(args);
  }

  TempDir dir_;
  fs::path package_ = dir_.path() / "channelz.dat";
  fs::path user_ = dir_.path() / "user";
};

TEST_F(VistrelList, PrintsTheListAsTheProgramShowsIt) {
  struct Case {
    std::vector<std::string> args;
    std::string out;
  };
  const std::string user_dir = user_.string();
  for (const Case& c : {
           Case{{"--user-dir", user_dir}, " - Tv\n" + kAlpha + kBeta + kMine + kZeta},
           Case{{}, " - Tv\n" + kAlpha + kBeta + kZeta},
           Case{{"--set", "selected=2"}, " - Radio\n" + kCafe},
           // The value arrives as UTF-8 and matches the name read from Windows-1252.
           Case{{"--set", "selected=2", "--set", "name_f=1", "--set", "name=Caf\xc3\xa9"},
                " - Radio\n" + kCafe},
           Case{{"--set", "name_f=1", "--set", "name=news"}, " - Tv\n"},
           Case{{"--set", "selected=7"}, "\n"},
           Case{{"--sort", "0"}, " - Tv\n" + kZeta + kBeta + kAlpha},
           Case{{"--sort", "0", "--sort", "0"}, " - Tv\n" + kAlpha + kBeta + kZeta},
           Case{{"--user-dir", user_dir, "--find", "news", "--find", "news", "--find", "news"},
                " - Tv\n" + kAlpha + kBeta + kMine + kZeta +
                    "found 1\nfound 3\nCould not find \"news\"\n"},
           Case{{"--find", "news", "--match-case", "--find", "News"},
                " - Tv\n" + kAlpha + kBeta + kZeta + "Could not find \"news\"\nfound 1\n"},
           // Moving to lower rows from row 0: a match there, then nothing is left.
           Case{{"--sort", "0", "--down", "--find", "news", "--find=news"},
                " - Tv\n" + kZeta + kBeta + kAlpha + "found 0\nCould not find \"news\"\n"},
       }) {
    const ProcessResult r = List(c.args);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, c.out) << testing::PrintToString(c.args);
  }
}

TEST_F(VistrelList, NamesInEveryScriptArePrintedAndFound) {
  WriteTestFile(package_,
                BuildPackage({
                    {"version.dat", "201003141530"},
                    {"tv.dat",
                     "\xEF\xBB\xBF"
                     "1|\xE0\xB9\x84\xE0\xB8\x97\xE0\xB8\xA2|u|0|1||0|0||0|0|0|0|0|0|0\r\n"
                     "2|\xD0\x9C\xD0\xB8\xD1\x80|u|0|1||0|0||0|0|0|0|0|0|0\r\n"},
                }));
  const ProcessResult r =
      List({"--find", "\xD0\xB8\xD1\x80", "--set", "name_f=1", "--set", "name=\xD0\xB8"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, " - Tv\n\xD0\x9C\xD0\xB8\xD1\x80\t\t0.00\t0\t\t2\t0\nfound 0\n");
}

TEST_F(VistrelList, WrongArgumentsGiveUsageAndStatus2) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"extra"},
           {"--set", "bogus=1"},
           {"--set", "selected"},
           {"--sort", "5"},
           {"--sort", "-1"},
           {"--find"},
           {"--down=1"},
           {"--user-dir", "a", "--user-dir", "b"},
           {"--frobnicate"},
       }) {
    const ProcessResult r = List(args);
    EXPECT_EQ(r.exit_code, 2) << testing::PrintToString(args);
    EXPECT_NE(r.err.find("usage: vistrel-tool"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(VistrelList, FailuresGoToStandardErrorWithStatus1) {
  WriteTestFile(dir_.path() / "bad" / "favorites.dat", "1\r\n\r\n2\r\n");
  struct Case {
    std::vector<std::string> args;
    std::string error_start;
  };
  for (const Case& c : {
           Case{{"--user-dir", (dir_.path() / "nowhere").string()}, "Not a folder"},
           Case{{"--user-dir", (dir_.path() / "bad").string()}, "Please, restart application"},
       }) {
    const ProcessResult r = List(c.args);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.err.rfind(c.error_start, 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
  }
  // The user's folder is only read, even where the program would delete a bad file.
  EXPECT_EQ(ReadTestFile(dir_.path() / "bad" / "favorites.dat"), "1\r\n\r\n2\r\n");

  const ProcessResult missing = RunProcess(
      {VISTREL_BINARY_DIR "/vistrel-tool", "list", (dir_.path() / "missing.dat").string()});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_NE(missing.err.find("missing.dat"), std::string::npos) << missing.err;
  EXPECT_EQ(missing.out, "");
}

}  // namespace
}  // namespace vistrel
