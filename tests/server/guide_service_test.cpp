// The programme guide end to end: imports from files, from addresses on 127.0.0.1 (gzip too)
// and from a playlist's header, and the service's guide answers over real HTTP.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <ctime>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "common/error.h"
#include "guide/xmltv_time.h"
#include "playlist/m3u_playlist.h"
#include "server/catalogue_service.h"
#include "server/guide_store.h"
#include "support/error_matchers.h"
#include "support/gzip_bytes.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"
#include "tools/vistrel-service/service_commands.h"

namespace vistrel {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Json = nlohmann::json;

const char* const kTv =
    "10|First TV|http://127.0.0.1/1.m3u8|0|1||0|0||0|0|0|0|0|0|0\r\n"
    "11|Caf\xE9 News|http://127.0.0.1/2.m3u8|0|1||0|0||0|0|0|0|0|0|0\r\n"
    "12|No Guide|http://127.0.0.1/3.m3u8|0|1||0|0||0|0|0|0|0|0|0\r\n";

int64_t Now() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// Hourly programmes "<id> <n>" for n from -30 (hours before this hour) to 15 days ahead, on
// each guide channel; "first" is named like catalogue channel 10, "news" has only an id,
// "stranger" matches nothing.
std::string GuideXml(int64_t hour, const std::string& suffix = "") {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n"
      "<channel id=\"first\"><display-name> FIRST tv </display-name></channel>\n"
      "<channel id=\"news\"><display-name>Nachrichten</display-name></channel>\n"
      "<channel id=\"stranger\"><display-name>Stranger</display-name></channel>\n";
  for (const char* id : {"first", "news", "stranger"}) {
    for (int n = -30; n < 15 * 24; ++n) {
      xml += "<programme start=\"" + FormatXmltvTime(hour + n * 3600) + "\" stop=\"" +
             FormatXmltvTime(hour + (n + 1) * 3600) + "\" channel=\"" + id + "\"><title>" + id +
             " " + std::to_string(n) + suffix + "</title><desc>About " + std::to_string(n) +
             "</desc></programme>\n";
    }
  }
  return xml + "</tv>\n";
}

std::string Gzip(std::string_view bytes) {
  return GzipBytes(bytes);
}

std::vector<std::string> Titles(const std::vector<StoredProgramme>& programmes) {
  std::vector<std::string> titles;
  for (const StoredProgramme& p : programmes) titles.push_back(p.title);
  return titles;
}

class GuideServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hour_ = Now() / 3600 * 3600;
    const auto tables = dir_.path() / "tables";
    std::filesystem::create_directories(tables);
    Write(tables / "countries.dat", "0|All Countries\r\n");
    Write(tables / "genres.dat", "0|All Genres\r\n");
    Write(tables / "tv.dat", kTv);
    Write(tables / "radio.dat", "");
    Write(tables / "video.dat", "");
    Write(dir_.path() / "guide-ids.txt", "# guide id|channel id\nnews|11\n");
    Write(dir_.path() / "guide.xml", GuideXml(hour_));
    Import({"--tables", tables.string(), "--guide-ids", (dir_.path() / "guide-ids.txt").string()});
  }

  static void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  // Runs "vistrel-service import --db DB ARGS..." and returns its output; fails the test
  // unless it succeeds (or fails, with `expect_ok` false).
  std::string Import(const std::vector<std::string>& args, bool expect_ok = true) {
    std::vector<std::string> words = {"import", "--db", db_file().string()};
    words.insert(words.end(), args.begin(), args.end());
    std::ostringstream out, err;
    const int status = RunServiceCommand(
        words, [](const std::vector<PackageEntry>&) { return ""; }, out, err);
    EXPECT_EQ(status == 0, expect_ok) << out.str() << err.str();
    return out.str() + err.str();
  }

  std::vector<std::string> StoredTitles(int32_t channel_id) {
    return Titles(GuideStore(db_file()).ChannelProgrammes(channel_id, hour_, hour_ + 3 * 3600));
  }

  std::filesystem::path db_file() const { return dir_.path() / "catalogue.sqlite"; }

  TempDir dir_;
  int64_t hour_ = 0;
};

TEST_F(GuideServiceTest, ServiceAnswersAChannelsDayAndEveryNowAndNext) {
  const std::string summary = Import({"--guide", (dir_.path() / "guide.xml").string()});
  EXPECT_THAT(summary, HasSubstr("read 3 channels (2 matched)"));
  CatalogueServiceConfig config;
  config.db_file = db_file();
  config.port = 0;
  config.build_package = [](const std::vector<PackageEntry>&) { return std::string(); };
  CatalogueService service(std::move(config));
  httplib::Client client("127.0.0.1", service.Start());
  const auto get = [&](const std::string& target) {
    const auto res = client.Get(target.c_str());
    EXPECT_TRUE(res) << target;
    return res ? std::make_pair(res->status, res->body) : std::make_pair(-1, std::string());
  };

  // Matched by name (10) and by the guide-id file (11): two hours back to 24 ahead.
  for (const auto& [id, guide_id] : {std::pair{10, "first"}, std::pair{11, "news"}}) {
    const int64_t before = Now() / 60 * 60;
    const auto [status, body] = get("/service/guide.php?id=" + std::to_string(id));
    const int64_t after = Now() / 60 * 60;
    ASSERT_EQ(status, 200);
    const Json list = Json::parse(body);
    ASSERT_GE(list.size(), 26u) << body.substr(0, 200);
    // From the one running two hours ago to the one running 24 hours ahead, hour by hour.
    EXPECT_LE(list.front()["start"].get<int64_t>(), after - 2 * 3600);
    EXPECT_GT(list.front()["stop"].get<int64_t>(), before - 2 * 3600);
    EXPECT_LT(list.back()["start"].get<int64_t>(), after + 24 * 3600);
    EXPECT_GE(list.back()["stop"].get<int64_t>(), before + 24 * 3600);
    for (std::size_t i = 0; i < list.size(); ++i) {
      const int64_t start = list[i]["start"].get<int64_t>();
      const std::string n = std::to_string((start - hour_) / 3600);
      EXPECT_EQ(list[i]["title"], std::string(guide_id) + " " + n);
      EXPECT_EQ(list[i]["description"], "About " + n);
      EXPECT_EQ(list[i]["stop"].get<int64_t>(), start + 3600);
      if (i > 0) {
        EXPECT_EQ(list[i]["start"], list[i - 1]["stop"]);
      }
    }
  }

  const auto [status, body] = get("/service/guide.php?now=1");
  ASSERT_EQ(status, 200);
  const Json now_next = Json::parse(body);
  ASSERT_EQ(now_next.size(), 2u);
  const int64_t now = Now() / 60 * 60;
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(now_next[i]["id"], 10 + i);
    const Json& pair = now_next[i]["programmes"];
    ASSERT_EQ(pair.size(), 2u);
    EXPECT_LE(pair[0]["start"].get<int64_t>(), now);
    EXPECT_GT(pair[0]["stop"].get<int64_t>(), now);
    EXPECT_EQ(pair[1]["start"], pair[0]["stop"]);
  }

  EXPECT_EQ(get("/service/guide.php?id=12"), std::make_pair(200, std::string("[]")));
  EXPECT_EQ(get("/service/guide.php?id=999"), std::make_pair(200, std::string("[]")));
  for (const char* bad :
       {"", "?id=x", "?id=", "?id=-1", "?id=1&id=2", "?now=2", "?now=1&id=10", "?id=99999999999"}) {
    EXPECT_EQ(get(std::string("/service/guide.php") + bad).first, 400) << bad;
  }
}

TEST_F(GuideServiceTest, GzipGuideOverLoopbackFromAPlaylistHeaderAndItsTvgIds) {
  HttpTestServer web;
  web.Answer("/guide.xml.gz", 200, Gzip(GuideXml(hour_)));
  web.Answer("/gone.xml", 404, "not here");
  web.Start();
  // "news" is this playlist entry's tvg-id; the header names the guide twice.
  Write(dir_.path() / "list.m3u",
        "#EXTM3U url-tvg=\"" + web.base_url() + "/guide.xml.gz, " + web.base_url() +
            "/guide.xml.gz\"\n#EXTINF:-1 tvg-id=\"news\",Nachrichten Plus\nhttp://127.0.0.1/n\n");
  const std::string summary = Import({"--m3u", (dir_.path() / "list.m3u").string()});
  EXPECT_THAT(summary, HasSubstr("read 3 channels (2 matched)")) << summary;
  EXPECT_THAT(StoredTitles(13), ElementsAre("news 0", "news 1", "news 2"));  // the new channel
  EXPECT_THAT(StoredTitles(10), ElementsAre("first 0", "first 1", "first 2"));
  // One guide channel feeds every catalogue channel it matches.
  EXPECT_THAT(StoredTitles(11), ElementsAre("news 0", "news 1", "news 2"));

  // A failed fetch names the server but not the path, and keeps the guide.
  const std::string failed = Import({"--guide", web.base_url() + "/gone.xml?token=s3cret"}, false);
  EXPECT_THAT(failed, HasSubstr("answered 404"));
  EXPECT_THAT(failed, HasSubstr("127.0.0.1"));
  EXPECT_THAT(failed, ::testing::Not(HasSubstr("s3cret")));
  EXPECT_THAT(StoredTitles(13), ElementsAre("news 0", "news 1", "news 2"));
}

TEST_F(GuideServiceTest, BrokenOrInterruptedImportKeepsTheOldGuide) {
  Import({"--guide", (dir_.path() / "guide.xml").string()});
  const std::string good = GuideXml(hour_, " (new)");
  Write(dir_.path() / "broken.xml", good.substr(0, good.size() / 2) + "<oops></programme>");
  Write(dir_.path() / "new.xml.gz", Gzip(good));  // gzip under any name
  const std::string failed = Import({"--guide", (dir_.path() / "new.xml.gz").string(), "--guide",
                                     (dir_.path() / "broken.xml").string()},
                                    false);
  EXPECT_THAT(failed, HasSubstr("broken.xml: line "));
  EXPECT_THAT(StoredTitles(10), ElementsAre("first 0", "first 1", "first 2"));
  {
    // An import that stops half-way (its process ends) leaves its rows aside.
    GuideStore store(db_file());
    store.BeginGuide();
    store.AddProgramme(10, Programme{"first", hour_, hour_ + 60, "Half", {}, {}, {}, {}});
  }
  EXPECT_THAT(StoredTitles(10), ElementsAre("first 0", "first 1", "first 2"));
  Import({"--guide", (dir_.path() / "new.xml.gz").string()});
  EXPECT_THAT(StoredTitles(10), ElementsAre("first 0 (new)", "first 1 (new)", "first 2 (new)"));
}

}  // namespace
}  // namespace vistrel
