// The catalogue service over real HTTP on 127.0.0.1, with a stand-in package builder that
// keeps the tables readable.

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <mutex>
#include <regex>
#include <sstream>

#include "common/error.h"
#include "server/catalogue_db.h"
#include "server/catalogue_service.h"
#include "support/temp_dir.h"
#include "tools/vistrel-service/service_commands.h"

namespace vistrel {
namespace {

using Entries = std::map<std::string, std::string>;

const char* const kCountries =
    "0|All Countries\r\n1|Afghanistan\r\n2|Espa\xF1"
    "a\r\n";
const char* const kGenres = "0|All Genres\r\n3|Music\r\n4|News\r\n";
const char* const kTv =
    "10|First TV|http://127.0.0.1/1.m3u8|0|1|http://127.0.0.1/|1|3|720p|0|0|0|0|0|0|0\r\n"
    "11|Caf\xE9 News|http://127.0.0.1/2.m3u8|500|1||2|4||7.5|3|1|2|0|0|0\r\n";
const char* const kRadio = "20|Radio One|http://127.0.0.1/r.mp3|128|1||1|3|mp3|0|0|0|0|0|0|0\r\n";

// Entry name, size and bytes, one after the other.
std::string FakeBuild(const std::vector<PackageEntry>& entries) {
  std::string out;
  for (const auto& [name, bytes] : entries) {
    out += name + "\n" + std::to_string(bytes.size()) + "\n" + bytes;
  }
  return out;
}

Entries Unpack(std::string_view package) {
  Entries entries;
  while (!package.empty()) {
    const auto a = package.find('\n');
    const auto b = package.find('\n', a + 1);
    const std::string name(package.substr(0, a));
    const std::size_t size = std::stoul(std::string(package.substr(a + 1, b - a - 1)));
    entries[name] = std::string(package.substr(b + 1, size));
    package.remove_prefix(b + 1 + size);
  }
  return entries;
}

struct ListReply {
  uint16_t tag = 0;
  int32_t length = 0;
  std::string payload;
};

constexpr const char* kStart = "202605011200";

class ServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto tables = dir_.path() / "tables";
    std::filesystem::create_directories(tables);
    Write(tables / "version.dat", "202001010000\r\n");
    Write(tables / "countries.dat", kCountries);
    Write(tables / "genres.dat", kGenres);
    Write(tables / "tv.dat", kTv);
    Write(tables / "radio.dat", kRadio);
    Write(tables / "video.dat", "");
    std::filesystem::create_directories(dir_.path() / "media");
    Write(dir_.path() / "media" / "demo.m3u8", "#EXTM3U\n");
    Write(dir_.path() / "secret.txt", "secret");
    ImportCatalogue(db_file(), tables, "", *ParseVersionStamp(kStart));

    CatalogueServiceConfig config;
    config.db_file = db_file();
    config.port = 0;
    config.access_key = "test-key";
    config.media_dir = dir_.path() / "media";
    config.clock = [this] {
      return *ParseVersionStamp(kStart) + std::chrono::minutes(minutes_later_.load());
    };
    config.build_package = [this](const std::vector<PackageEntry>& entries) {
      ++builds_;
      if (fail_builds_) throw Error("database: disk I/O error in /srv/secret.sqlite");
      return FakeBuild(entries);
    };
    config.log = [this](const std::string& line) {
      std::lock_guard lock(log_mutex_);
      log_.push_back(line);
    };
    service_ = std::make_unique<CatalogueService>(std::move(config));
    const int port = service_->Start();
    client_ = std::make_unique<httplib::Client>("127.0.0.1", port);
    client_->set_url_encode(false);
  }

  static void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  std::filesystem::path db_file() const { return dir_.path() / "catalogue.sqlite"; }

  // The service's clock moves on to the next minute.
  void NextMinute() { ++minutes_later_; }

  httplib::Result Get(const std::string& target) { return client_->Get(target.c_str()); }

  int Status(const std::string& target) {
    auto res = Get(target);
    return res ? res->status : -1;
  }

  ListReply List(const std::string& query) {
    auto res = Get("/service/get.php?" + query);
    EXPECT_TRUE(res);
    if (!res) return {};
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("Content-Type"), "application/octet-stream");
    EXPECT_EQ(res->get_header_value("Content-Length"), std::to_string(res->body.size()));
    const std::string& body = res->body;
    EXPECT_GE(body.size(), 6u);
    if (body.size() < 6) return {};
    auto byte = [&](int i) { return static_cast<uint32_t>(static_cast<unsigned char>(body[i])); };
    ListReply reply;
    reply.tag = static_cast<uint16_t>(byte(0) | byte(1) << 8);
    reply.length = static_cast<int32_t>(byte(2) | byte(3) << 8 | byte(4) << 16 | byte(5) << 24);
    reply.payload = body.substr(6);
    EXPECT_EQ(static_cast<std::size_t>(reply.length), body.size());
    return reply;
  }

  Entries Package() {
    const ListReply reply = List("key=test-key");
    EXPECT_EQ(reply.tag, 258);
    return Unpack(reply.payload);
  }

  // The channel line of `id` in its table, split into fields.
  std::vector<std::string> ChannelFields(const Entries& package, const std::string& table,
                                         const std::string& id) {
    std::istringstream lines(package.at(table));
    std::string line;
    while (std::getline(lines, line)) {
      if (line.rfind(id + "|", 0) == 0) {
        line.pop_back();  // CR
        std::vector<std::string> fields;
        std::istringstream parts(line);
        std::string field;
        while (std::getline(parts, field, '|')) fields.push_back(field);
        return fields;
      }
    }
    ADD_FAILURE() << "no channel " << id << " in " << table;
    return std::vector<std::string>(16);
  }

  TempDir dir_;
  std::atomic<int> minutes_later_{0};
  std::atomic<bool> fail_builds_{false};
  std::atomic<int> builds_{0};
  std::mutex log_mutex_;
  std::vector<std::string> log_;
  std::unique_ptr<CatalogueService> service_;
  std::unique_ptr<httplib::Client> client_;
};

TEST_F(ServiceTest, WrongOrMissingKeyGetsAMessage) {
  for (const char* query : {"key=wrong", "", "key=TEST-KEY&date=202605011200"}) {
    const ListReply reply = List(query);
    EXPECT_EQ(reply.tag, 259) << query;
    EXPECT_EQ(reply.payload, "Access denied: wrong access key.") << query;
  }
  EXPECT_EQ(builds_, 0);
}

TEST_F(ServiceTest, RightKeyGetsThePackageOfTheImportedTables) {
  const Entries package = Package();
  EXPECT_EQ(package.size(), 6u);
  // The import happened after the tables' own stamp, so the version is the import's minute.
  EXPECT_EQ(package.at("version.dat"), std::string(kStart) + "\r\n");
  EXPECT_EQ(package.at("countries.dat"), kCountries);
  EXPECT_EQ(package.at("genres.dat"), kGenres);
  EXPECT_EQ(package.at("tv.dat"), kTv);
  EXPECT_EQ(package.at("radio.dat"), kRadio);
  EXPECT_EQ(package.at("video.dat"), "");
}

TEST_F(ServiceTest, PackageIsBuiltOncePerChange) {
  const ListReply first = List("key=test-key");
  const ListReply second = List("key=test-key&date=199901010000");
  EXPECT_EQ(first.payload, second.payload);
  EXPECT_EQ(builds_, 1);
  ASSERT_EQ(Status("/service/rate.php?rating=3&id=20"), 200);
  // In the minute of the package handed out, the change waits for the next minute's package.
  EXPECT_EQ(List("key=test-key").payload, first.payload);
  EXPECT_EQ(builds_, 1);
  NextMinute();
  List("key=test-key");
  EXPECT_EQ(builds_, 2);
}

TEST_F(ServiceTest, DateOfTheCurrentVersionIsUpToDate) {
  const ListReply reply = List(std::string("key=test-key&date=") + kStart);
  EXPECT_EQ(reply.tag, 259);
  EXPECT_EQ(reply.payload, "Your list of channels is up to date.");
}

TEST_F(ServiceTest, RatingsChangeTheNextPackageAndItsStamp) {
  const Entries before = Package();
  ASSERT_EQ(Status("/service/rate.php?rating=4&id=11"), 200);
  ASSERT_EQ(Status("/service/rate.php?rating=5&id=11"), 200);
  // Same minute as the package handed out before: that package stays the current one, so its
  // stamp never has to run ahead of the clock.
  EXPECT_EQ(Package(), before);
  EXPECT_EQ(List(std::string("key=test-key&date=") + kStart).tag, 259);
  NextMinute();
  const Entries after = Package();
  const auto fields = ChannelFields(after, "tv.dat", "11");
  EXPECT_EQ(fields[9], "16.5");  // 7.5 + 4 + 5
  EXPECT_EQ(fields[10], "5");
  EXPECT_EQ(ChannelFields(after, "tv.dat", "10"), ChannelFields(before, "tv.dat", "10"));
  // The next minute: the stamp moves on by one minute, once for both changes, and the old
  // stamp is no longer "up to date".
  EXPECT_EQ(after.at("version.dat"), "202605011201\r\n");
  EXPECT_EQ(List(std::string("key=test-key&date=") + kStart).tag, 258);
  ASSERT_EQ(Status("/service/rate.php?rating=1&id=11"), 200);
  NextMinute();
  EXPECT_EQ(Package().at("version.dat"), "202605011202\r\n");
}

TEST_F(ServiceTest, FlagsAndBrokenReportsCountPerChannel) {
  for (const char* flag : {"ok", "bad", "wrong", "duplicate", "spam", "spam"}) {
    ASSERT_EQ(Status(std::string("/service/flag.php?flag=") + flag + "&id=10"), 200) << flag;
  }
  ASSERT_EQ(Status("/service/bad.php?channel_id=10"), 200);
  ASSERT_EQ(Status("/service/bad.php?channel_id=20"), 200);
  const Entries package = Package();
  const auto tv = ChannelFields(package, "tv.dat", "10");
  EXPECT_EQ(std::vector<std::string>(tv.begin() + 11, tv.end()),
            (std::vector<std::string>{"1", "2", "1", "1", "2"}));
  EXPECT_EQ(ChannelFields(package, "radio.dat", "20")[12], "1");
}

TEST_F(ServiceTest, BadRequestsAre400AndChangeNothing) {
  const ListReply before = List("key=test-key");
  const char* const targets[] = {
      "/service/rate.php?rating=0&id=10",
      "/service/rate.php?rating=6&id=10",
      "/service/rate.php?rating=x&id=10",
      "/service/rate.php?rating=4.5&id=10",
      "/service/rate.php?rating=&id=10",
      "/service/rate.php?id=10",
      "/service/rate.php?rating=3&id=999",
      "/service/rate.php?rating=3&id=1x",
      "/service/rate.php?rating=3",
      "/service/flag.php?flag=OK&id=10",
      "/service/flag.php?flag=fine&id=10",
      "/service/flag.php?id=10",
      "/service/flag.php?flag=ok&id=999",
      "/service/flag.php?flag=ok&id=",
      "/service/bad.php?channel_id=999",
      "/service/bad.php?channel_id=",
      "/service/bad.php",
      "/service/new2.php?&group=1&url=u&bitrate=0&type=1&homepage=&country=0&genre=0&comment=",
      "/service/"
      "new2.php?&group=1&name=n&url=&bitrate=0&type=1&homepage=&country=0&genre=0&comment=",
      "/service/"
      "new2.php?&group=0&name=n&url=u&bitrate=0&type=1&homepage=&country=0&genre=0&comment=",
      "/service/"
      "new2.php?&group=4&name=n&url=u&bitrate=0&type=1&homepage=&country=0&genre=0&comment=",
      "/service/"
      "new2.php?&group=1&name=n&url=u&bitrate=x&type=1&homepage=&country=0&genre=0&comment=",
      "/service/new2.php?&group=1&name=n&url=u&bitrate=0&type=1&homepage=&country=0&genre=0",
      "/service/"
      "new2.php?&group=1&name=a%7Cb&url=u&bitrate=0&type=1&homepage=&country=0&genre=0&comment=",
      "/service/"
      "new2.php?&group=1&name=n&url=u&bitrate=0&type=1&homepage=&country=0&genre=0&comment=a%0D%"
      "0Ab",
  };
  for (const char* target : targets) EXPECT_EQ(Status(target), 400) << target;
  EXPECT_EQ(List("key=test-key").payload, before.payload);
  EXPECT_EQ(builds_, 1);
  EXPECT_TRUE(CatalogueDb(db_file()).Submissions().empty());
}

TEST_F(ServiceTest, SubmissionsWaitForReview) {
  const ListReply before = List("key=test-key");
  ASSERT_EQ(Status("/service/new2.php?&group=2&name=Caf%C3%A9%20Radio&url=http%3A%2F%2F127.0.0.1"
                   "%2Fa%20b.mp3&bitrate=64&type=1&homepage=&country=2&genre=3&comment=hi%20there"),
            200);
  ASSERT_EQ(Status("/service/new2.php?&group=1&name=Caf%E9&url=u&bitrate=0&type=1&homepage=h"
                   "&country=0&genre=0&comment="),
            200);
  EXPECT_EQ(List("key=test-key").payload, before.payload);  // not in the catalogue yet

  const auto waiting = CatalogueDb(db_file()).Submissions();
  ASSERT_EQ(waiting.size(), 2u);
  EXPECT_EQ(waiting[0].channel.name, "Caf\xC3\xA9 Radio");
  EXPECT_EQ(waiting[0].channel.url, "http://127.0.0.1/a b.mp3");
  EXPECT_EQ(waiting[1].channel.name, "Caf\xC3\xA9");  // not UTF-8: read as Windows-1252

  std::ostringstream out, err;
  const auto review = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"review", "--db", db_file().string()});
    return RunServiceCommand(args, FakeBuild, out, err);
  };
  ASSERT_EQ(review({"--list"}), 0) << err.str();
  EXPECT_NE(out.str().find("Caf\xC3\xA9 Radio"), std::string::npos) << out.str();
  ASSERT_EQ(review({"--accept", std::to_string(waiting[0].id)}), 0) << err.str();
  ASSERT_EQ(review({"--reject", std::to_string(waiting[1].id)}), 0) << err.str();
  EXPECT_EQ(review({"--reject", std::to_string(waiting[1].id)}), 1);
  EXPECT_EQ(review({"--accept", "x"}), 2);
  EXPECT_TRUE(CatalogueDb(db_file()).Submissions().empty());

  NextMinute();  // the accepted channel goes out with the next minute's package
  const Entries after = Package();
  EXPECT_EQ(after.at("tv.dat"), kTv);
  EXPECT_EQ(after.at("radio.dat"),
            std::string(kRadio) +
                "21|Caf\xE9 Radio|http://127.0.0.1/a b.mp3|64|1||2|3|hi there|0|0|0|0|0|0|0\r\n");
}

TEST_F(ServiceTest, ReviewListShowsControlCharactersEscaped) {
  // DEL and a byte that Windows-1252 leaves undefined (a C1 control in UTF-8) pass the
  // submission rules; the listing must not hand them to the terminal.
  ASSERT_EQ(Status("/service/new2.php?&group=1&name=a%7Fb%81c&url=u&bitrate=0&type=1&homepage="
                   "&country=0&genre=0&comment=caf%E9"),
            200);
  std::ostringstream out, err;
  ASSERT_EQ(
      RunServiceCommand({"review", "--db", db_file().string(), "--list"}, FakeBuild, out, err), 0)
      << err.str();
  const std::string listed = out.str();
  EXPECT_NE(listed.find("\ta\\x7Fb\\x81c\tu\t"), std::string::npos) << listed;
  EXPECT_NE(listed.find("\tcaf\xC3\xA9\n"), std::string::npos) << listed;
  EXPECT_EQ(listed.find('\x7F'), std::string::npos);
}

TEST_F(ServiceTest, MediaFilesAreServedAndNothingOutside) {
  auto res = Get("/media/demo.m3u8");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(res->body, "#EXTM3U\n");
  EXPECT_NE(Status("/media/../secret.txt"), 200);
  EXPECT_NE(Status("/media/%2E%2E/secret.txt"), 200);
  EXPECT_EQ(Status("/media/missing.m3u8"), 404);
}

TEST_F(ServiceTest, LogsOneLinePerRequest) {
  Status("/service/rate.php?rating=9&id=10");
  Status("/service/flag.php?flag=ok&id=10");
  // Terminal escapes and the access key stay out of the log.
  Status("/service/get.php?key=test-key&x=\x1b[2J\x9b");
  service_->Stop();  // the server logs after answering: wait for its threads
  std::lock_guard lock(log_mutex_);
  const std::vector<std::string> expected = {
      "GET /service/rate.php?rating=9&id=10 400",
      "GET /service/flag.php?flag=ok&id=10 200",
      "GET /service/get.php?key=***&x=%1B[2J%9B 200",
  };
  ASSERT_EQ(log_.size(), expected.size());
  const std::regex time_and_client(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ 127\.0\.0\.1 )");
  for (std::size_t i = 0; i < expected.size(); ++i) {
    std::smatch prefix;
    EXPECT_TRUE(
        std::regex_search(log_[i], prefix, time_and_client, std::regex_constants::match_continuous))
        << log_[i];
    EXPECT_EQ(prefix.suffix().str(), expected[i]);
  }
}

TEST_F(ServiceTest, InternalErrorsTellTheLogNotTheClient) {
  fail_builds_ = true;
  auto res = Get("/service/get.php?key=test-key");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 500);
  EXPECT_EQ(res->body, "internal error\n");
  service_->Stop();
  std::lock_guard lock(log_mutex_);
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_NE(log_[0].find(" 500 (database: disk I/O error in /srv/secret.sqlite)"),
            std::string::npos)
      << log_[0];
}

TEST(ServiceLifecycle, StopsWithoutStartAndListensOnlyOnLoopback) {
  TempDir dir;
  CatalogueServiceConfig config;
  config.db_file = dir.path() / "c.sqlite";
  config.port = 0;
  config.build_package = FakeBuild;
  {
    CatalogueService idle(config);
    idle.Stop();
  }
  CatalogueService service(config);
  const int port = service.Start();
  EXPECT_GT(port, 0);
  EXPECT_EQ(service.BaseUrl(), "http://127.0.0.1:" + std::to_string(port));
  // A fresh database still hands out a valid package: a stamp and empty tables.
  httplib::Client client("127.0.0.1", port);
  auto res = client.Get("/service/get.php?key=vistrel-demo");
  ASSERT_TRUE(res);
  const Entries package = Unpack(res->body.substr(6));
  EXPECT_TRUE(ParseVersionStamp(package.at("version.dat")));
  EXPECT_EQ(package.at("tv.dat"), "");
  service.Stop();
  EXPECT_FALSE(client.Get("/service/get.php?key=vistrel-demo"));
  config.media_dir = dir.path() / "missing";
  CatalogueService no_media(config);
  EXPECT_THROW(no_media.Start(), Error);
}

TEST(ServiceCommandLine, WrongWordsGiveUsageAndStatus2HelpGives0) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string named;  // in the error output
  };
  for (const Case& c : {
           Case{{"import", "--help"}, 0, ""},
           Case{{"review", "-h"}, 0, ""},
           Case{{"import"}, 2, "--db"},
           Case{{"import", "--db", "a", "--db", "b"}, 2, "--db"},
           Case{{"import", "--db", "a", "--bogus", "x"}, 2, "--bogus x"},
           Case{{"import", "--db", "a", "stray"}, 2, "stray"},
           Case{{"import", "--db", "a"},
                2,
                "import needs --tables DIR, --m3u FILE, --guide-ids FILE or --guide SOURCE"},
           Case{{"serve", "--db", "a", "--port"}, 2, "--port"},
           Case{{"serve", "--db", "a", "--port", "70000"}, 2, "bad port: 70000"},
           Case{{"serve", "--db", "a", "--connections", "0"}, 2, "bad --connections: 0"},
           Case{{"serve", "--db", "a", "--connections-per-address", "x"},
                2,
                "bad --connections-per-address: x"},
           Case{{"serve", "--db", "a", "--timeout", "3601"}, 2, "bad --timeout: 3601 (1 to 3600)"},
           Case{{"review", "--db", "a", "--list", "--list"}, 2, "--list"},
           Case{{"review", "--db", "a", "--list", "--accept", "1"}, 2, "review needs one of"},
           Case{{"frobnicate"}, 2, "frobnicate"},
       }) {
    std::ostringstream out, err;
    EXPECT_EQ(RunServiceCommand(c.args, FakeBuild, out, err), c.status)
        << testing::PrintToString(c.args) << err.str();
    if (c.status == 0) {
      EXPECT_NE(out.str().find("usage: vistrel-service"), std::string::npos);
      EXPECT_EQ(err.str(), "");
    } else {
      EXPECT_NE(err.str().find(c.named), std::string::npos) << err.str();
      EXPECT_NE(err.str().find("usage: vistrel-service"), std::string::npos);
      EXPECT_EQ(out.str(), "");
    }
  }
}

}  // namespace
}  // namespace vistrel
