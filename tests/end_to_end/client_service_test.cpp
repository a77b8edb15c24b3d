// The whole road over real HTTP on 127.0.0.1: the catalogue service, with the real package
// builder and a database imported from small tables, hands out packages that the program's
// client downloads and start-up loads; ratings, flags and submitted channels sent by the client
// reach the next package. vistrel-tool download runs against the same service.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/lifecycle.h"
#include "catalogue/format/codepage.h"
#include "catalogue/package.h"
#include "catalogue/user_files.h"
#include "common/date_time.h"
#include "common/files.h"
#include "playback/playback_controller.h"
#include "playlist/m3u_playlist.h"
#include "server/catalogue_db.h"
#include "server/catalogue_service.h"
#include "server/list_answer.h"
#include "server/playlist_import.h"
#include "service_client/list_download.h"
#include "service_client/service_requests.h"
#include "support/fake_media_player.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "tools/vistrel-service/service_commands.h"

namespace vistrel {
namespace {

namespace fs = std::filesystem;

// Windows-1252 tables: accents in a country and a channel name, a rated channel with report
// counters, one channel in each category.
const char* const kCountries = "0|All Countries\r\n1|Afghanistan\r\n2|M\xE9xico\r\n";
const char* const kGenres = "0|All Genres\r\n3|Music\r\n4|News\r\n";
const char* const kTv =
    "10|First TV|http://127.0.0.1/1.m3u8|0|1|http://127.0.0.1/|1|3|720p|0|0|0|0|0|0|0\r\n"
    "11|Caf\xE9 News|http://127.0.0.1/2.m3u8|500|1||2|4||7.5|3|1|2|0|0|0\r\n";
const char* const kRadio = "20|Radio One|http://127.0.0.1/r.mp3|128|1||1|3|mp3|0|0|0|0|0|0|0\r\n";
const char* const kVideo = "30|Clips|http://127.0.0.1/v.mp4|0|1||0|0||0|0|0|0|0|0|0\r\n";

// A user channel whose texts carry the characters that could cut or add query parameters.
const char* const kUserChannelLine =
    "100001|1|0|Caf\xE9 & Bar=1|http://127.0.0.1/live stream.m3u8?a=1&b=2|256|1||2|3|late #news"
    "\r\n";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Fields(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, separator);) fields.push_back(field);
  return fields;
}

// The real package builder with the build's key and IV, as vistrel-service uses it.
PackageBuilder Builder() {
  return [](const std::vector<PackageEntry>& entries) { return BuildPackage(entries); };
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path tables = dir_.path() / "tables";
    fs::create_directories(tables);
    WriteTestFile(tables / "version.dat", "202001010000\r\n");
    WriteTestFile(tables / "countries.dat", kCountries);
    WriteTestFile(tables / "genres.dat", kGenres);
    WriteTestFile(tables / "tv.dat", kTv);
    WriteTestFile(tables / "radio.dat", kRadio);
    WriteTestFile(tables / "video.dat", kVideo);
    ImportCatalogue(db_file(), tables, "", CurrentMinute());
    service_ = StartService(build::kAccessKey);
    client_.base_url = service_->BaseUrl();
  }

  std::unique_ptr<CatalogueService> StartService(const std::string& access_key) {
    CatalogueServiceConfig config;
    config.db_file = db_file();
    config.host = "127.0.0.1";
    config.port = 0;
    config.access_key = access_key;
    config.build_package = Builder();
    config.clock = [this] { return CurrentMinute() + std::chrono::minutes(minutes_later_.load()); };
    auto service = std::make_unique<CatalogueService>(std::move(config));
    service->Start();
    return service;
  }

  fs::path db_file() const { return dir_.path() / "catalogue.sqlite"; }
  // The service's clock moves on a minute: changes go out with the next minute's package.
  void NextMinute() { ++minutes_later_; }
  // Not created beforehand: the download makes it.
  fs::path data_dir() const { return dir_.path() / "data"; }
  fs::path package_file() const { return data_dir() / kPackageFileName; }

  ListDownloadResult Download(const std::string& version_text) {
    ListDownloadRequest request;
    request.version_text = version_text;
    request.data_dir = data_dir();
    return DownloadChannelList(client_, request);
  }

  // Start-up of the program on the data folder, with its own settings file.
  ProgramState& StartProgram() {
    state_.emplace(data_dir(), SettingsStore(dir_.path() / "settings.ini"));
    const LoadReport report = LoadAtStartUp(*state_, [] { return LocalNowDateTime(); });
    EXPECT_TRUE(report.ok()) << report.messages.front();
    return *state_;
  }

  void Reload() {
    const LoadReport report = ReloadCatalogue(*state_);
    ASSERT_TRUE(report.ok()) << report.messages.front();
  }

  Catalogue& info() { return state_->catalogue; }

  int32_t PositionOf(int32_t id, uint16_t user_defined = 0) {
    const auto& channels = info().channels;
    const auto it = std::find_if(channels.begin(), channels.end(), [&](const Channel& c) {
      return c.id == id && c.user_defined == user_defined;
    });
    EXPECT_NE(it, channels.end()) << "no channel " << id;
    return it == channels.end() ? -1 : static_cast<int32_t>(it - channels.begin());
  }

  const Channel& ChannelById(int32_t id, uint16_t user_defined = 0) {
    static const Channel kNone;
    const int32_t at = PositionOf(id, user_defined);
    return at < 0 ? kNone : info().channels[at];
  }

  // `vistrel-service review ...` through the service's command interface.
  std::string Review(const std::vector<std::string>& options) {
    std::vector<std::string> args = {"review", "--db", db_file().string()};
    args.insert(args.end(), options.begin(), options.end());
    std::ostringstream out, err;
    const int status = RunServiceCommand(args, Builder(), out, err);
    EXPECT_EQ(status, 0) << err.str();
    return out.str();
  }

  TempDir dir_;
  std::atomic<int> minutes_later_{0};
  std::unique_ptr<CatalogueService> service_;
  vistrel::ServiceConfig client_;
  RequestRunner runner_;
  std::optional<ProgramState> state_;
};

TEST_F(EndToEnd, StartUpLoadsExactlyTheDownloadedCatalogue) {
  const ListDownloadResult result = Download("");
  EXPECT_EQ(result.status, "Complete!");
  ASSERT_TRUE(result.complete);
  ProgramState& state = StartProgram();

  const CatalogueTables served = CatalogueDb(db_file()).LoadTables();
  ASSERT_EQ(served.version.size(), 12u);
  EXPECT_EQ(info().version_text, served.version);
  EXPECT_FALSE(state.list_outdated);  // stamped at the import, minutes ago

  std::vector<std::string> countries, genres;
  for (const Country& c : info().countries) countries.push_back(c.name);
  for (const Genre& g : info().genres) genres.push_back(g.name);
  EXPECT_EQ(countries, (std::vector<std::string>{"All Countries", "Afghanistan", "M\xC3\xA9xico"}));
  EXPECT_EQ(genres, (std::vector<std::string>{"All Genres", "Music", "News"}));

  ASSERT_EQ(info().channels.size(), 4u);
  ASSERT_EQ(served.channels.size(), 4u);
  for (const Channel& s : served.channels) {
    const Channel& c = ChannelById(s.id);
    EXPECT_EQ(c.group_id, s.group_id) << s.id;
    EXPECT_EQ(c.name, s.name) << s.id;
    EXPECT_EQ(c.url, s.url) << s.id;
    EXPECT_EQ(c.bitrate, s.bitrate) << s.id;
    EXPECT_EQ(c.country_id, s.country_id) << s.id;
    EXPECT_EQ(c.genre_id, s.genre_id) << s.id;
    EXPECT_EQ(c.comment, s.comment) << s.id;
    EXPECT_EQ(c.rating, s.rating) << s.id;
    EXPECT_EQ(c.rated, s.rated) << s.id;
    EXPECT_EQ(c.work_fine_reports, s.work_fine_reports) << s.id;
    EXPECT_EQ(c.not_working_reports, s.not_working_reports) << s.id;
  }
  const Channel& news = ChannelById(11);
  EXPECT_EQ(news.name, "Caf\xC3\xA9 News");
  EXPECT_EQ(news.genre_name, "News");
  EXPECT_DOUBLE_EQ(news.average_rating, 2.5);
  EXPECT_EQ(news.status, ChannelStatus::kNotWorking);

  // The TV view, names A to Z.
  std::vector<std::string> rows;
  for (int32_t r = 0; r < state.visible_rows.count; ++r) {
    rows.push_back(info().channels[state.visible_rows.positions[r]].name);
  }
  EXPECT_EQ(rows, (std::vector<std::string>{"Caf\xC3\xA9 News", "First TV"}));
}

TEST_F(EndToEnd, RatingReachesTheNextPackageAndTheCurrentOneIsUpToDate) {
  ASSERT_TRUE(Download("").complete);
  StartProgram();
  const std::string first_version = info().version_text;
  RateChannel(runner_, client_, info(), "4", PositionOf(11));
  runner_.WaitUntilIdle();
  EXPECT_TRUE(ChannelById(11).rated_mark);

  // The rating changed the database, so the loaded version is no longer current.
  NextMinute();
  const ListDownloadResult update = Download(first_version);
  ASSERT_TRUE(update.complete) << update.status;
  Reload();
  EXPECT_GT(info().version_text, first_version);
  const Channel& rated = ChannelById(11);
  EXPECT_EQ(rated.rating, 11.5);
  EXPECT_EQ(rated.rated, 4);
  EXPECT_DOUBLE_EQ(rated.average_rating, 2.875);
  EXPECT_FALSE(rated.rated_mark);  // marks last until the reload
  EXPECT_EQ(ChannelById(10).rated, 0);

  struct stat before {};
  ASSERT_EQ(::stat(package_file().c_str(), &before), 0);
  const std::string bytes = ReadTestFile(package_file());
  const ListDownloadResult again = Download(info().version_text);
  EXPECT_FALSE(again.complete);
  EXPECT_EQ(again.status, kUpToDateMessage);
  struct stat after {};
  ASSERT_EQ(::stat(package_file().c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // not even rewritten
  EXPECT_EQ(ReadTestFile(package_file()), bytes);
}

TEST_F(EndToEnd, FlagsAndAcceptedSubmissionsReachTheNextPackage) {
  ASSERT_TRUE(Download("").complete);
  WriteTestFile(data_dir() / kUserChannelsFileName, kUserChannelLine);
  ProgramState& state = StartProgram();
  EXPECT_EQ(ChannelById(10).status, ChannelStatus::kNew);
  FlagChannel(runner_, client_, info(), "bad", PositionOf(10));
  FlagChannel(runner_, client_, info(), "ok", PositionOf(20));

  // The user channel is a TV channel: it has a row in the TV view.
  int32_t row = -1;
  for (int32_t r = 0; r < state.visible_rows.count; ++r) {
    if (info().channels[state.visible_rows.positions[r]].user_defined == 1) row = r;
  }
  ASSERT_GE(row, 0);
  SubmitUserChannel(runner_, client_, info(), state.visible_rows, row);
  runner_.WaitUntilIdle();

  const std::vector<std::string> listed = Lines(Review({"--list"}));
  ASSERT_EQ(listed.size(), 2u);  // heading and the one submission
  const std::vector<std::string> waiting = Fields(listed[1], '\t');
  ASSERT_EQ(waiting.size(), 11u) << listed[1];
  EXPECT_EQ(std::vector<std::string>(waiting.begin() + 2, waiting.end()),
            (std::vector<std::string>{"1", "Caf\xC3\xA9 & Bar=1",
                                      "http://127.0.0.1/live stream.m3u8?a=1&b=2", "256", "1", "",
                                      "2", "3", "late #news"}));
  const std::string accepted = Review({"--accept", waiting[0]});
  const std::string prefix = "accepted submission " + waiting[0] + " as channel ";
  ASSERT_EQ(accepted.rfind(prefix, 0), 0u) << accepted;
  const int32_t new_id = std::stoi(accepted.substr(prefix.size()));
  EXPECT_EQ(new_id, 31);  // one above the highest channel id

  NextMinute();
  const ListDownloadResult update = Download(info().version_text);
  ASSERT_TRUE(update.complete) << update.status;
  Reload();
  EXPECT_EQ(ChannelById(10).not_working_reports, 1);
  EXPECT_EQ(ChannelById(10).status, ChannelStatus::kNotWorking);
  EXPECT_EQ(ChannelById(20).work_fine_reports, 1);
  EXPECT_EQ(ChannelById(20).status, ChannelStatus::kWorkFine);
  EXPECT_EQ(ChannelById(11).not_working_reports, 2);  // untouched

  const Channel& added = ChannelById(new_id);
  EXPECT_EQ(added.group_id, 1);
  EXPECT_EQ(added.name, "Caf\xC3\xA9 & Bar=1");
  EXPECT_EQ(added.url, "http://127.0.0.1/live stream.m3u8?a=1&b=2");
  EXPECT_EQ(added.bitrate, 256);
  EXPECT_EQ(added.country_id, 2);
  EXPECT_EQ(added.genre_name, "Music");
  EXPECT_EQ(added.comment, "late #news");
  EXPECT_EQ(added.status, ChannelStatus::kNew);
  EXPECT_EQ(ChannelById(100001, 1).name, "Caf\xC3\xA9 & Bar=1");  // the user's own copy stays
  EXPECT_EQ(Lines(Review({"--list"})).size(), 1u);                // heading only
}

// A playlist whose streams want headers, imported with "vistrel-service import --m3u": the
// package the program downloads brings each channel's headers, which the player gets with
// its address, while the channel tables hold the bare addresses.
TEST_F(EndToEnd, PlaylistHeadersReachThePlayer) {
  const fs::path playlist = dir_.path() / "guarded.m3u";
  WriteTestFile(playlist,
                "#EXTM3U\n#EXTINF:-1,Guarded One\n#EXTVLCOPT:http-user-agent=Agent/1.0 (X11, "
                "Linux)\n#EXTVLCOPT:http-referrer=http://127.0.0.1/page\n"
                "http://127.0.0.1/one.m3u8\n#EXTINF:-1,Guarded Two\n"
                "http://127.0.0.1/two.m3u8|User-Agent=Two%2F2&Origin=http%3A%2F%2F127.0.0.1\n"
                "#EXTINF:-1,Open Three\nhttp://127.0.0.1/three.m3u8\n");
  std::ostringstream out, err;
  ASSERT_EQ(RunServiceCommand({"import", "--db", db_file().string(), "--m3u", playlist.string()},
                              Builder(), out, err),
            0)
      << err.str();
  ASSERT_TRUE(Download("").complete);
  StartProgram();
  std::map<std::string, int32_t> ids;
  for (const Channel& c : info().channels) ids[std::string(c.name)] = c.id;
  ASSERT_TRUE(ids.contains("Guarded One") && ids.contains("Guarded Two"));
  EXPECT_EQ(info().stream_headers.size(), 2u);
  EXPECT_EQ(ChannelById(ids["Guarded Two"]).url, "http://127.0.0.1/two.m3u8");

  FakeMediaPlayer player;
  PlaybackController controller(*state_, &player, PlaybackHooks{});
  for (const char* name : {"Guarded One", "Guarded Two", "Open Three"}) {
    const int32_t position = PositionOf(ids[name]);
    ASSERT_GE(position, 0) << name;
    controller.CueChannel(&info().channels[position]);
  }
  const std::vector<std::string> cued(player.calls.end() - 3, player.calls.end());
  EXPECT_EQ(cued, (std::vector<std::string>{
                      "SetUrl(http://127.0.0.1/one.m3u8 UA=Agent/1.0 (X11, Linux) "
                      "Referer=http://127.0.0.1/page)",
                      "SetUrl(http://127.0.0.1/two.m3u8 UA=Two/2 Origin: http://127.0.0.1)",
                      "SetUrl(http://127.0.0.1/three.m3u8)"}));
}

// The public iptv-org playlist, names in every script, through the import, the service, the
// download and start-up: every name arrives as the playlist writes it, byte for byte but for a
// "|", which the tables cannot hold and which arrives as the look-alike stand-in.
TEST(EndToEndPlaylist, EveryIptvOrgNameSurvivesUnchanged) {
  const fs::path playlist = "/work/shared/data/iptv-org/iptv-org.m3u";
  if (!fs::exists(playlist)) GTEST_SKIP() << "no iptv-org data";
  const std::vector<M3uEntry> entries = ParseM3u(ReadTestFile(playlist));
  ASSERT_EQ(entries.size(), 15155u);

  TempDir dir;
  const fs::path db = dir.path() / "catalogue.sqlite";
  ImportCatalogue(db, "", playlist, CurrentMinute());
  CatalogueServiceConfig config;
  config.db_file = db;
  config.host = "127.0.0.1";
  config.port = 0;
  config.access_key = build::kAccessKey;
  config.build_package = Builder();
  CatalogueService service(std::move(config));
  service.Start();
  vistrel::ServiceConfig client;
  client.base_url = service.BaseUrl();
  ListDownloadRequest request;
  request.data_dir = dir.path() / "data";
  const ListDownloadResult result = DownloadChannelList(client, request);
  ASSERT_TRUE(result.complete) << result.status;

  ProgramState state(request.data_dir, SettingsStore(dir.path() / "settings.ini"));
  const LoadReport report = LoadAtStartUp(state, [] { return LocalNowDateTime(); });
  ASSERT_TRUE(report.ok()) << report.messages.front();
  // The import numbers the channels 1, 2, ... in playlist order; start-up sorted them by name.
  std::vector<const Channel*> by_id(entries.size() + 1, nullptr);
  for (const Channel& c : state.catalogue.channels) {
    ASSERT_TRUE(c.id >= 1 && static_cast<std::size_t>(c.id) <= entries.size()) << c.id;
    by_id[static_cast<std::size_t>(c.id)] = &c;
  }
  std::size_t survived = 0, exact = 0, non_ascii = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Channel* c = by_id[i + 1];
    ASSERT_NE(c, nullptr) << "channel " << i + 1 << " missing";
    std::string expected;
    for (char ch : entries[i].title) {
      expected += ch == '|' ? std::string(kVerticalBarStandIn) : std::string(1, ch);
    }
    EXPECT_EQ(c->name, expected) << "channel " << i + 1;
    survived += c->name == expected ? 1 : 0;
    exact += c->name == entries[i].title ? 1 : 0;
    non_ascii += IsAscii(entries[i].title) ? 0 : 1;
  }
  EXPECT_EQ(survived, 15155u);
  EXPECT_EQ(exact, 15152u);     // three names hold a "|"
  EXPECT_GT(non_ascii, 1000u);  // the names that earlier versions turned into "?"
  std::cout << survived << " of " << entries.size() << " names arrive, " << exact
            << " byte for byte; " << non_ascii << " outside ASCII\n";
}

ProcessResult Tool(std::vector<std::string> args) {
  args.insert(args.begin(), VISTREL_BINARY_DIR "/vistrel-tool");
  return RunProcess(args);
}

std::string LastLine(const std::string& text) {
  const std::vector<std::string> lines = Lines(text);
  return lines.empty() ? "" : lines.back();
}

TEST_F(EndToEnd, ToolDownloadsWhatDumpShowsAndReportsRefusals) {
  const ProcessResult got = Tool(
      {"download", "--base-url", service_->BaseUrl() + "/", "--data-dir", data_dir().string()});
  ASSERT_EQ(got.exit_code, 0) << got.out << got.err;
  EXPECT_EQ(LastLine(got.out), "Complete!");
  EXPECT_NE(got.out.find("100% downloading  "), std::string::npos) << got.out;

  const ProcessResult dumped = Tool({"dump", package_file().string()});
  ASSERT_EQ(dumped.exit_code, 0) << dumped.err;
  const auto catalogue = nlohmann::json::parse(dumped.out);
  const std::string version = CatalogueDb(db_file()).State().version;
  EXPECT_EQ(catalogue["stVersion"], version);
  EXPECT_EQ(catalogue["countries"][2]["name"], "M\xC3\xA9xico");
  std::vector<std::string> names;
  for (const auto& c : catalogue["channels"]) names.push_back(c["name"]);
  EXPECT_EQ(names,
            (std::vector<std::string>{"First TV", "Caf\xC3\xA9 News", "Radio One", "Clips"}));

  const std::string bytes = ReadTestFile(package_file());
  const ProcessResult current = Tool({"download", "--base-url", service_->BaseUrl(), "--date",
                                      version, "--data-dir", data_dir().string()});
  EXPECT_EQ(current.exit_code, 1);
  EXPECT_EQ(LastLine(current.out), kUpToDateMessage);
  EXPECT_EQ(ReadTestFile(package_file()), bytes);

  for (const auto& args : std::vector<std::vector<std::string>>{
           {"download"}, {"download", "--data-dir"}, {"download", "--data-dir", "d", "--bogus"}}) {
    const ProcessResult wrong = Tool(args);
    EXPECT_EQ(wrong.exit_code, 2) << testing::PrintToString(args);
    EXPECT_NE(wrong.err.find("usage: vistrel-tool download"), std::string::npos) << wrong.err;
  }

  const auto other = StartService("another-key");
  TempDir empty;
  const ProcessResult refused =
      Tool({"download", "--base-url", other->BaseUrl(), "--data-dir", empty.path().string()});
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_EQ(LastLine(refused.out), kWrongKeyMessage);
  EXPECT_FALSE(fs::exists(empty.path() / kPackageFileName));
}

}  // namespace
}  // namespace vistrel
