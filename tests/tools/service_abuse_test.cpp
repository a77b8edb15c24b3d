// The catalogue service under load and abuse, over real connections on 127.0.0.1: the built
// vistrel-service runs as a process of its own on a catalogue of a few thousand channels, so
// the memory measured is its own. Figures (latency, peak memory, requests per second) are
// printed as "[ figure ]" lines; only generous bounds are asserted, never a speed.

#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <numeric>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "server/catalogue_db.h"
#include "support/process.h"
#include "support/service_process.h"
#include "support/temp_dir.h"

namespace vistrel {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr int kChannels = 3000;
constexpr double kMemoryGoalMiB = 100;
constexpr int kSlowConnections = 1000;
const char* const kKey = "vistrel-demo";

void Figure(const std::string& text) {
  std::printf("[ figure   ] %s\n", text.c_str());
  std::fflush(stdout);
}

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// A connection for what no HTTP client does: trickling a header, sending far too much.
class RawConnection {
 public:
  explicit RawConnection(int port) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const timeval limit{2, 0};  // a send the service no longer reads gives up
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawConnection() { ::close(fd_); }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool connected() const { return connected_; }

  // False once the service has closed its side or stopped reading.
  bool Send(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
  }

  // Whether the service closes its side within `timeout`; what it sends first is kept.
  bool ClosedWithin(milliseconds timeout) {
    if (closed_) return true;
    const auto until = Clock::now() + timeout;
    do {
      pollfd ready{fd_, POLLIN, 0};
      const auto left = std::chrono::duration_cast<milliseconds>(until - Clock::now());
      if (::poll(&ready, 1, static_cast<int>(std::max<int64_t>(left.count(), 0))) <= 0) continue;
      char buffer[4096];
      const ssize_t got = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
      if (got > 0) {
        received.append(buffer, static_cast<std::size_t>(got));
      } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
        closed_ = true;
        return true;
      }
    } while (Clock::now() < until);
    return false;
  }

  std::string received;

 private:
  int fd_;
  bool connected_ = false;
  bool closed_ = false;
};

// Every connection of this test needs a descriptor; returns the limit now in force.
rlim_t RaiseOpenFileLimit(rlim_t wanted) {
  rlimit files{};
  getrlimit(RLIMIT_NOFILE, &files);
  if (files.rlim_cur < wanted) {
    files.rlim_cur = files.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, files.rlim_max);
    setrlimit(RLIMIT_NOFILE, &files);
    getrlimit(RLIMIT_NOFILE, &files);
  }
  return files.rlim_cur;
}

class ServiceUnderAbuse : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path tables = dir_.path() / "tables";
    WriteTestFile(tables / "countries.dat", "0|All Countries\r\n");
    WriteTestFile(tables / "genres.dat", "0|All Genres\r\n");
    std::string tv;
    for (int id = 1; id <= kChannels; ++id) {
      const std::string n = std::to_string(id);
      tv += n + "|Channel " + n + "|http://127.0.0.1/" + n + ".m3u8|0|1||0|0||0|0|0|0|0|0|0\r\n";
    }
    WriteTestFile(tables / "tv.dat", tv);
    WriteTestFile(tables / "radio.dat", "");
    WriteTestFile(tables / "video.dat", "");
    const ProcessResult imported =
        Service({"import", "--db", db().string(), "--tables", tables.string()});
    ASSERT_EQ(imported.exit_code, 0) << imported.err;
  }

  static ProcessResult Service(std::vector<std::string> args) {
    args.insert(args.begin(), VISTREL_BINARY_DIR "/vistrel-service");
    return RunProcess(args);
  }

  std::unique_ptr<ServiceProcess> Serve(const std::vector<std::string>& options = {}) {
    return std::make_unique<ServiceProcess>(db(), options, dir_.path() / "service.log");
  }

  fs::path db() const { return dir_.path() / "catalogue.sqlite"; }

  static std::unique_ptr<httplib::Client> Client(const ServiceProcess& service) {
    auto client = std::make_unique<httplib::Client>("127.0.0.1", service.port());
    client->set_keep_alive(true);
    client->set_url_encode(false);  // targets go out exactly as written
    client->set_read_timeout(10, 0);
    return client;
  }

  static int Status(httplib::Client& client, const std::string& target) {
    const auto res = client.Get(target.c_str());
    return res ? res->status : -1;
  }

  static std::string Rate(int channel, int stars = 4) {
    return "/service/rate.php?rating=" + std::to_string(stars) + "&id=" + std::to_string(channel);
  }

  void ExpectMemoryWithinGoal(const ServiceProcess& service, const std::string& after) {
    const auto peak = service.StatusMiB("VmHWM");
    ASSERT_TRUE(peak) << "no /proc status";
    Figure("peak memory of the service " + after + ": " + std::to_string(*peak) + " MiB");
    EXPECT_LT(*peak, kMemoryGoalMiB);
  }

  TempDir dir_;
};

TEST_F(ServiceUnderAbuse, SlowAndIdleConnectionsHoldUpNoOneAndEndAtTheDeadline) {
  if (RaiseOpenFileLimit(4096) < kSlowConnections + 200) {
    GTEST_SKIP() << "too few open files allowed";
  }
  const auto service =
      Serve({"--connections", "1200", "--connections-per-address", "1100", "--timeout", "3"});
  // Half idle, half part-way through a header of 24 KB that the service holds meanwhile.
  std::string partial = "GET /service/get.php?key=vistrel-demo HTTP/1.1\r\nHost: 127.0.0.1\r\n";
  for (int i = 0; i < 24; ++i) {
    partial += "X-Padding-" + std::to_string(i) + ": " + std::string(1000, 'a') + "\r\n";
  }
  std::vector<std::unique_ptr<RawConnection>> slow;
  const auto opened = Clock::now();
  for (int i = 0; i < kSlowConnections; ++i) {
    slow.push_back(std::make_unique<RawConnection>(service->port()));
    ASSERT_TRUE(slow.back()->connected()) << i;
    if (i % 2 == 1) {
      ASSERT_TRUE(slow.back()->Send(partial)) << i;
    }
  }
  const auto all_open = Clock::now();

  auto client = Client(*service);
  std::vector<double> package_ms, rating_ms;
  for (int i = 0; i < 10; ++i) {
    auto started = Clock::now();
    const auto res = client->Get((std::string("/service/get.php?key=") + kKey).c_str());
    package_ms.push_back(Ms(Clock::now() - started));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    started = Clock::now();
    EXPECT_EQ(Status(*client, Rate(i + 1)), 200);
    rating_ms.push_back(Ms(Clock::now() - started));
  }
  Figure("with " + std::to_string(kSlowConnections) + " slow or idle connections open: package " +
         std::to_string(Median(package_ms)) + " ms median, " +
         std::to_string(*std::max_element(package_ms.begin(), package_ms.end())) +
         " ms slowest; rating " + std::to_string(Median(rating_ms)) + " ms median, " +
         std::to_string(*std::max_element(rating_ms.begin(), rating_ms.end())) + " ms slowest");
  EXPECT_LT(*std::max_element(package_ms.begin(), package_ms.end()), 2000.0);
  EXPECT_LT(*std::max_element(rating_ms.begin(), rating_ms.end()), 2000.0);
  ExpectMemoryWithinGoal(*service, "with the slow connections open");

  // A byte every half second keeps a connection busy but does not stretch its deadline for the
  // whole header: every slow connection ends about three seconds after it opened.
  std::size_t open = slow.size();
  auto dripped = Clock::now();
  while (open > 0 && Clock::now() - opened < seconds(10)) {
    open = 0;
    for (std::size_t i = 0; i < slow.size(); ++i) {
      if (slow[i]->ClosedWithin(milliseconds(0))) continue;
      ++open;
      if (i % 10 == 1 && Clock::now() - dripped > milliseconds(500)) slow[i]->Send("a");
    }
    if (Clock::now() - dripped > milliseconds(500)) dripped = Clock::now();
    std::this_thread::sleep_for(milliseconds(50));
  }
  Figure("slow connections all ended " + std::to_string(Ms(Clock::now() - opened)) +
         " ms after the first and " + std::to_string(Ms(Clock::now() - all_open)) +
         " ms after the last was opened (deadline 3 s)");
  EXPECT_EQ(open, 0u);
  // The kept-alive connection went idle for as long and has ended too: a new one is served.
  EXPECT_EQ(Status(*Client(*service), std::string("/service/get.php?key=") + kKey), 200);
}

TEST_F(ServiceUnderAbuse, ConnectionsBeyondTheLimitsAreNotServed) {
  {
    // From one address: the ninth is closed at once.
    const auto service = Serve({"--connections-per-address", "8"});
    std::vector<std::unique_ptr<RawConnection>> held;
    for (int i = 0; i < 8; ++i) held.push_back(std::make_unique<RawConnection>(service->port()));
    EXPECT_FALSE(held.back()->ClosedWithin(milliseconds(200)));
    RawConnection ninth(service->port());
    EXPECT_TRUE(ninth.ClosedWithin(milliseconds(2000)));
    EXPECT_EQ(ninth.received, "");
  }
  {
    // In all: the ninth waits in the listen queue, unanswered; once a connection ends, the
    // next one is served.
    const auto service = Serve({"--connections", "8", "--connections-per-address", "64"});
    std::vector<std::unique_ptr<RawConnection>> held;
    for (int i = 0; i < 8; ++i) held.push_back(std::make_unique<RawConnection>(service->port()));
    {
      RawConnection ninth(service->port());
      ASSERT_TRUE(ninth.Send("GET /service/get.php HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"));
      EXPECT_FALSE(ninth.ClosedWithin(milliseconds(500)));
      EXPECT_EQ(ninth.received, "");
    }
    held.pop_back();
    EXPECT_EQ(Status(*Client(*service), "/service/get.php"), 200);
  }
}

TEST_F(ServiceUnderAbuse, HugeHeadersAreRefusedWithinTheMemoryOfAConnection) {
  const auto service = Serve();
  const std::string line = "X-Filler: " + std::string(8180, 'a') + "\r\n";  // 8 KB
  std::vector<std::unique_ptr<RawConnection>> greedy;
  std::size_t most_lines = 0;
  for (int c = 0; c < 20; ++c) {
    auto connection = std::make_unique<RawConnection>(service->port());
    ASSERT_TRUE(connection->Send("GET /service/get.php HTTP/1.1\r\nHost: 127.0.0.1\r\n"));
    std::size_t lines = 0;
    while (lines < 40000 && connection->Send(line)) ++lines;
    most_lines = std::max(most_lines, lines);
    EXPECT_TRUE(connection->ClosedWithin(milliseconds(3000))) << c;
    EXPECT_EQ(connection->received.rfind("HTTP/1.1 431", 0), 0u) << connection->received;
    greedy.push_back(std::move(connection));
  }
  Figure("a header of 40000 lines of 8 KB: refused after " + std::to_string(most_lines) +
         " lines at most were sent");
  EXPECT_LT(most_lines, 40000u);
  ExpectMemoryWithinGoal(*service, "after 20 headers of up to 320 MB");
  auto client = Client(*service);
  EXPECT_EQ(Status(*client, std::string("/service/get.php?key=") + kKey), 200);
}

TEST_F(ServiceUnderAbuse, MediaIsStreamedInRangesAndNothingOutsideIsServed) {
  const fs::path media = dir_.path() / "media";
  const uint64_t big_size = 200ull << 20;
  WriteTestFile(media / "a.txt", "hello media");
  WriteTestFile(media / "logo.jpg", "\xFF\xD8\xFF");
  WriteTestFile(media / "big.bin", "");
  fs::resize_file(media / "big.bin", big_size);  // sparse: made at once, read as zeros
  WriteTestFile(dir_.path() / "outside" / "passwd", "root:x:0:0");
  fs::create_directory_symlink("../outside", media / "etc");
  fs::create_symlink("a.txt", media / "also.txt");
  const auto service = Serve({"--media", media.string()});

  // Three downloads of the whole big file at once, read as they come.
  std::atomic<uint64_t> received[3] = {0, 0, 0};
  const auto started = Clock::now();
  std::vector<std::thread> downloads;
  for (int i = 0; i < 3; ++i) {
    downloads.emplace_back([&, i] {
      auto client = Client(*service);
      client->Get("/media/big.bin", [&](const char*, size_t size) {
        received[i] += size;
        return true;
      });
    });
  }
  for (std::thread& download : downloads) download.join();
  const double seconds_taken = Ms(Clock::now() - started) / 1000;
  for (const auto& bytes : received) EXPECT_EQ(bytes.load(), big_size);
  Figure("three parallel downloads of a 200 MiB file: " + std::to_string(3 * 200 / seconds_taken) +
         " MiB/s together");
  ExpectMemoryWithinGoal(*service, "after three 200 MiB downloads");

  auto client = Client(*service);
  const auto range_started = Clock::now();
  auto res =
      client->Get("/media/big.bin", httplib::Headers{{"Range", "bytes=100000000-100000099"}});
  Figure("a 100-byte range of the 200 MiB file: " +
         std::to_string(Ms(Clock::now() - range_started)) + " ms");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 206);
  EXPECT_EQ(res->get_header_value("Content-Range"), "bytes 100000000-100000099/209715200");
  EXPECT_EQ(res->body, std::string(100, '\0'));
  res = client->Get("/media/a.txt", httplib::Headers{{"Range", "bytes=-5"}});
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 206);
  EXPECT_EQ(res->body, "media");
  res = client->Get("/media/a.txt", httplib::Headers{{"Range", "bytes=11-"}});
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 416);
  EXPECT_EQ(res->get_header_value("Content-Range"), "bytes */11");

  const std::pair<const char*, const char*> served[] = {
      {"/media/a.txt", "text/plain"},
      {"/media/also.txt", "text/plain"},
      {"/media/logo.jpg", "image/jpeg"},
  };
  for (const auto& [target, type] : served) {
    res = client->Get(target);
    ASSERT_TRUE(res) << target;
    EXPECT_EQ(res->status, 200) << target;
    EXPECT_EQ(res->get_header_value("Content-Type"), type) << target;
  }
  for (const char* target :
       {"/media/etc/passwd", "/mediaa.txt", "/media/a.txt%00.jpg", "/media/../outside/passwd",
        "/media/%2E%2E/outside/passwd", "/media/", "/media//etc/passwd", "/media"}) {
    EXPECT_EQ(Status(*client, target), 404) << target;
  }
}

TEST_F(ServiceUnderAbuse, WritesOverTheLimitAre429AndStoreNothing) {
  const auto service = Serve();
  auto client = Client(*service);
  struct Step {
    std::string target;
    int status;
  };
  const Step steps[] = {
      {Rate(1, 5), 200},
      {Rate(1, 1), 429},  // the same channel again within ten minutes
      {Rate(2, 3), 200},
      {"/service/flag.php?flag=ok&id=1", 200},
      {"/service/flag.php?flag=spam&id=1", 429},
      {"/service/bad.php?channel_id=1", 429},  // a report is a "not working" flag
      {"/service/bad.php?channel_id=2", 200},
  };
  for (const Step& step : steps)
    EXPECT_EQ(Status(*client, step.target), step.status) << step.target;
  const auto refused = client->Get(Rate(1).c_str());
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 429);
  EXPECT_GT(std::atoi(refused->get_header_value("Retry-After").c_str()), 500);

  const std::string submission =
      "/service/new2.php?&group=1&name=New&url=http%3A%2F%2F127.0.0.1%2Fnew&bitrate=0&type=1"
      "&homepage=&country=0&genre=0&comment=";
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Status(*client, submission), 200) << i;
  EXPECT_EQ(Status(*client, submission), 429);

  // One client rating one channel as fast as it can: stored once.
  const auto flood_started = Clock::now();
  int refusals = 0;
  for (int i = 0; i < 2000; ++i) refusals += Status(*client, Rate(3)) == 429;
  const double flood_seconds = Ms(Clock::now() - flood_started) / 1000;
  Figure("a flood of ratings on one channel: " + std::to_string(2000 / flood_seconds) +
         " answers/s, " + std::to_string(refusals) + " of 2000 refused");
  EXPECT_EQ(refusals, 1999);

  CatalogueDb catalogue(db());
  const CatalogueTables tables = catalogue.LoadTables();
  EXPECT_EQ(tables.channels[0].rated, 1);
  EXPECT_EQ(tables.channels[0].rating, 5);
  EXPECT_EQ(tables.channels[0].work_fine_reports, 1);
  EXPECT_EQ(tables.channels[0].spam_reports, 0);
  EXPECT_EQ(tables.channels[0].not_working_reports, 0);
  EXPECT_EQ(tables.channels[1].not_working_reports, 1);
  EXPECT_EQ(tables.channels[2].rated, 1);
  EXPECT_EQ(catalogue.SubmissionCount(), 5);
}

TEST_F(ServiceUnderAbuse, PlaylistImportsWhileServingLoseNoRating) {
  std::string playlist = "#EXTM3U\n";
  for (int i = 0; i < 300; ++i) {
    playlist += "#EXTINF:-1,Extra " + std::to_string(i) + "\nhttp://127.0.0.1/extra/" +
                std::to_string(i) + ".m3u8\n";
  }
  const fs::path playlist_file = dir_.path() / "extra.m3u";
  WriteTestFile(playlist_file, playlist);
  const auto service = Serve();

  constexpr int kRatings = 300;
  std::atomic<bool> rating_done{false};
  int answered_ok = 0, stars_ok = 0, other = 0;
  std::thread rater([&] {
    auto client = Client(*service);
    for (int channel = 1; channel <= kRatings; ++channel) {
      const int stars = channel % 5 + 1;
      if (Status(*client, Rate(channel, stars)) == 200) {
        ++answered_ok;
        stars_ok += stars;
      } else {
        ++other;
      }
    }
    rating_done = true;
  });
  int imports = 0;
  while (!rating_done && imports < 20) {
    const ProcessResult imported =
        Service({"import", "--db", db().string(), "--m3u", playlist_file.string()});
    EXPECT_EQ(imported.exit_code, 0) << imported.err;
    ++imports;
  }
  rater.join();
  Figure(std::to_string(imports) + " playlist imports while " + std::to_string(kRatings) +
         " ratings came in");
  EXPECT_GE(imports, 1);
  EXPECT_EQ(answered_ok + other, kRatings);
  EXPECT_EQ(other, 0);

  const CatalogueTables tables = CatalogueDb(db()).LoadTables();
  int rated = 0;
  double rating = 0;
  for (const Channel& channel : tables.channels) {
    rated += channel.rated;
    rating += channel.rating;
  }
  EXPECT_EQ(rated, answered_ok);
  EXPECT_EQ(rating, stars_ok);
  EXPECT_EQ(tables.channels.size(), static_cast<std::size_t>(kChannels + 300 * imports));
}

TEST_F(ServiceUnderAbuse, OnePackageAMinuteAtMostAndTheStampBehindTheClock) {
  const auto service = Serve();
  auto client = Client(*service);
  const std::string download = std::string("/service/get.php?key=") + kKey;
  const StampTime first_minute = CurrentMinute();
  std::set<std::string> packages;
  for (int i = 1; i <= 30; ++i) {
    ASSERT_EQ(Status(*client, Rate(i)), 200);
    const auto res = client->Get(download.c_str());
    ASSERT_TRUE(res);
    packages.insert(res->body);
  }
  const StampTime last_minute = CurrentMinute();
  // A new package at most once a minute: the first, and one after each minute boundary.
  EXPECT_LE(packages.size(), static_cast<std::size_t>((last_minute - first_minute).count() + 1));
  const CatalogueState state = CatalogueDb(db()).State();
  EXPECT_LE(state.published, FormatVersionStamp(CurrentMinute()));
  const auto current = client->Get((download + "&date=" + state.published).c_str());
  ASSERT_TRUE(current);
  EXPECT_EQ(current->body.substr(6), "Your list of channels is up to date.");

  // Figures: ratings on distinct channels, and downloads of the package on hand.
  auto started = Clock::now();
  for (int channel = 101; channel <= 1100; ++channel)
    ASSERT_EQ(Status(*client, Rate(channel)), 200);
  Figure("rate.php: " + std::to_string(1000 / (Ms(Clock::now() - started) / 1000)) +
         " requests/s (one client, one connection)");
  started = Clock::now();
  std::size_t size = 0;
  for (int i = 0; i < 300; ++i) {
    const auto res = client->Get(download.c_str());
    ASSERT_TRUE(res);
    size = res->body.size();
  }
  Figure("get.php with the package on hand (" + std::to_string(size / 1024) +
         " KiB): " + std::to_string(300 / (Ms(Clock::now() - started) / 1000)) +
         " requests/s (one client, one connection)");
}

TEST_F(ServiceUnderAbuse, ServeAndReviewRefuseAMissingCatalogue) {
  const fs::path missing = dir_.path() / "mistyped.sqlite";
  const fs::path empty = dir_.path() / "empty.sqlite";
  WriteTestFile(empty, "");
  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  const Case cases[] = {
      {{"serve", "--db", missing.string(), "--port", "0"}, "no catalogue database"},
      {{"review", "--db", missing.string(), "--list"}, "no catalogue database"},
      {{"review", "--db", missing.string(), "--accept", "1"}, "no catalogue database"},
      {{"serve", "--db", empty.string(), "--port", "0"}, "holds no catalogue"},
      {{"review", "--db", empty.string(), "--list"}, "holds no catalogue"},
  };
  for (const Case& c : cases) {
    const ProcessResult result = Service(c.args);
    EXPECT_EQ(result.exit_code, 1) << testing::PrintToString(c.args);
    EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_EQ(fs::file_size(empty), 0u);
}

}  // namespace
}  // namespace vistrel
