// Live streams (a media file over and over at its rate) and requests that are never answered:
// the pacing, the held connections, and both through the service on 127.0.0.1.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "server/catalogue_service.h"
#include "server/held_connections.h"
#include "server/live_pace.h"
#include "support/temp_dir.h"

namespace vistrel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(LivePace, AllowsTheRateSinceTheStartInSteps) {
  const Clock::time_point start = Clock::time_point{} + 1000s;
  const LivePace pace(2000, start);  // steps of 100 bytes
  const std::pair<Clock::duration, uint64_t> allowed[] = {{-1s, 0},      {0s, 0},    {1ms, 2},
                                                          {500ms, 1000}, {1s, 2000}, {90s, 180000}};
  for (const auto& [after, bytes] : allowed) {
    EXPECT_EQ(pace.AllowedBy(start + after), bytes) << after.count();
  }
  EXPECT_EQ(pace.NextStepAt(0), start + 50ms);
  EXPECT_EQ(pace.NextStepAt(1000), start + 550ms);
  EXPECT_GE(pace.AllowedBy(pace.NextStepAt(12345)), 12345u + 100u);
  // A slow stream steps one byte at a time; no rate is taken as one byte a second.
  EXPECT_EQ(LivePace(4, start).NextStepAt(2), start + 750ms);
  EXPECT_EQ(LivePace(0, start).AllowedBy(start + 3s), 3u);
}

struct SocketPair {
  SocketPair() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0); }
  ~SocketPair() {
    for (int fd : fds) {
      if (fd >= 0) ::close(fd);
    }
  }
  int fds[2] = {-1, -1};
};

TEST(HeldConnections, ResumedWhenDueWhenTheClientGoesAndAllAtTheEnd) {
  std::vector<void*> resumed;
  HeldConnections held([&](void* connection) { resumed.push_back(connection); });
  int live = 0, waiting = 0, unanswered = 0, gone = 0;
  int suspended = 0;
  const auto suspend = [&] { ++suspended; };
  const Clock::time_point now = Clock::now();
  SocketPair open, closed;
  ASSERT_TRUE(held.HoldUntil(&live, now - 1ms, suspend));
  ASSERT_TRUE(held.HoldUntil(&waiting, now + 1h, suspend));
  ASSERT_TRUE(held.HoldUnanswered(&unanswered, open.fds[0], suspend));
  ASSERT_TRUE(held.HoldUnanswered(&gone, closed.fds[0], suspend));
  ::close(closed.fds[1]);
  closed.fds[1] = -1;
  EXPECT_EQ(suspended, 4);
  EXPECT_EQ(held.ResumeDue(now), 2u);
  EXPECT_EQ(resumed.size(), 2u);
  EXPECT_EQ(held.held(), 2u);
  EXPECT_EQ(held.ResumeDue(now), 0u);  // each once
  held.ResumeAll();
  EXPECT_EQ(resumed.size(), 4u);
  EXPECT_EQ(held.held(), 0u);
  // Once stopping, nothing is taken out of its event loop any more.
  EXPECT_FALSE(held.HoldUntil(&live, now, suspend));
  EXPECT_FALSE(held.HoldUnanswered(&unanswered, open.fds[0], suspend));
  EXPECT_EQ(suspended, 4);
}

// The bytes of the looped file: no run repeats within it, so an offset shows.
std::string LoopBytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) % 256);
  return bytes;
}

constexpr std::size_t kLoopSize = 1000;
constexpr double kLoopSeconds = 0.5;  // 2000 bytes a second
constexpr double kRate = kLoopSize / kLoopSeconds;

// A client socket on the service sending `request` as it stands.
class RawClient {
 public:
  RawClient(int port, const std::string& request) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(::send(fd_, request.data(), request.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(request.size()));
  }
  ~RawClient() { Close(); }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  // Whether anything (bytes or the end) arrives within `wait`.
  bool Readable(std::chrono::milliseconds wait) const {
    pollfd entry{fd_, POLLIN, 0};
    return ::poll(&entry, 1, static_cast<int>(wait.count())) > 0;
  }
  // Reads until the service ends the connection; false when it has not within `wait`.
  bool ReadsToTheEnd(std::chrono::milliseconds wait) {
    const auto until = Clock::now() + wait;
    char buffer[16 * 1024];
    while (Clock::now() < until) {
      if (!Readable(50ms)) continue;
      const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
      if (got <= 0) return true;
      received_ += static_cast<std::size_t>(got);
    }
    return false;
  }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  std::size_t received() const { return received_; }

 private:
  int fd_;
  std::size_t received_ = 0;
};

class LiveService : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path media = dir_.path() / "media";
    WriteTestFile(media / "loop.mp3", LoopBytes(kLoopSize));
    WriteTestFile(media / "empty.ts", "");
    WriteTestFile(dir_.path() / "secret.mp3", "secret");
    fs::create_symlink("../secret.mp3", media / "outside.mp3");
    fs::create_directory(media / "sub");
  }

  void Start(unsigned per_address = 64) {
    CatalogueServiceConfig config;
    config.db_file = dir_.path() / "catalogue.sqlite";
    config.port = 0;
    config.media_dir = dir_.path() / "media";
    config.live_loop_seconds = kLoopSeconds;
    config.build_package = [](const std::vector<PackageEntry>&) { return std::string(); };
    // Shorter than the reads below: a live stream or a held request must outlast it.
    config.http.timeout = 1s;
    config.http.connections_per_address = per_address;
    service_ = std::make_unique<CatalogueService>(std::move(config));
    port_ = service_->Start();
  }

  httplib::Client Client() const {
    httplib::Client client("127.0.0.1", port_);
    client.set_url_encode(false);
    client.set_read_timeout(3s);
    return client;
  }

  TempDir dir_;
  std::unique_ptr<CatalogueService> service_;
  int port_ = 0;
};

TEST_F(LiveService, LiveStreamRepeatsTheFileAtItsRateWithoutEnd) {
  Start();
  const std::string loop = LoopBytes(kLoopSize);
  std::string body;
  httplib::Headers headers;
  int status = 0;
  const auto start = Clock::now();
  double seconds = 0;
  auto client = Client();
  client.Get(
      "/live/loop.mp3",
      [&](const httplib::Response& response) {
        status = response.status;
        headers = response.headers;
        return true;
      },
      [&](const char* data, size_t length) {
        body.append(data, length);
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
        return seconds < 1.5;  // then the client hangs up
      });
  EXPECT_EQ(status, 200);
  EXPECT_EQ(headers.count("Content-Length"), 0u);
  EXPECT_EQ(headers.find("Content-Type")->second, "audio/mpeg");
  // Past the end of the file and past the idle timeout, at about the paced rate.
  EXPECT_GE(seconds, 1.5);
  EXPECT_GE(body.size(), static_cast<std::size_t>(kRate));
  EXPECT_LT(body.size(), static_cast<std::size_t>(4 * kRate * seconds));
  ASSERT_GT(body.size(), kLoopSize);
  for (std::size_t i = 0; i < body.size(); ++i) {
    ASSERT_EQ(body[i], loop[i % kLoopSize]) << "at " << i;
  }
}

TEST_F(LiveService, MissingAndEscapingFilesAre404) {
  Start();
  auto client = Client();
  for (const char* target : {"/live/missing.mp3", "/live/../secret.mp3", "/live/%2E%2E/secret.mp3",
                             "/live/outside.mp3", "/live/sub", "/live/", "/live/%00loop.mp3"}) {
    const auto result = client.Get(target);
    ASSERT_TRUE(result) << target;
    EXPECT_EQ(result->status, 404) << target;
  }
  // An empty file has nothing to repeat: it ends at once.
  const auto empty = client.Get("/live/empty.ts");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->status, 200);
  EXPECT_EQ(empty->body, "");
}

TEST_F(LiveService, StalledRequestIsNeverAnsweredWhileOthersAre) {
  Start();
  RawClient stalled(port_, "GET /stall/loop.mp3 HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
  // Nothing comes, not even the end, also past the idle timeout.
  EXPECT_FALSE(stalled.Readable(1500ms));
  const auto answered = Client().Get("/media/loop.mp3");
  ASSERT_TRUE(answered);
  EXPECT_EQ(answered->status, 200);
  EXPECT_EQ(answered->body, LoopBytes(kLoopSize));
  EXPECT_FALSE(stalled.Readable(100ms));
}

TEST_F(LiveService, StalledConnectionsCountAgainstTheLimitsUntilTheirClientsGo) {
  Start(/*per_address=*/2);
  auto first = std::make_unique<RawClient>(port_, "GET /stall/a HTTP/1.1\r\nHost: h\r\n\r\n");
  auto second = std::make_unique<RawClient>(port_, "GET /stall/b HTTP/1.1\r\nHost: h\r\n\r\n");
  EXPECT_FALSE(first->Readable(300ms));
  EXPECT_FALSE(Client().Get("/media/loop.mp3"));  // no third connection from this address
  first.reset();
  second.reset();
  bool answered = false;
  for (int attempt = 0; attempt < 40 && !answered; ++attempt) {
    std::this_thread::sleep_for(50ms);
    const auto result = Client().Get("/media/loop.mp3");
    answered = result && result->status == 200;
  }
  EXPECT_TRUE(answered);
}

TEST_F(LiveService, StopsWithLiveAndStalledConnectionsOpen) {
  Start();
  std::vector<std::unique_ptr<RawClient>> clients;
  for (const char* target : {"/live/loop.mp3", "/stall/loop.mp3", "/live/loop.mp3", "/stall/x"}) {
    clients.push_back(std::make_unique<RawClient>(
        port_, std::string("GET ") + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"));
  }
  EXPECT_TRUE(clients[0]->Readable(2000ms));
  EXPECT_FALSE(clients[1]->Readable(200ms));
  service_->Stop();
  for (const auto& client : clients) EXPECT_TRUE(client->ReadsToTheEnd(2000ms));
  EXPECT_GT(clients[0]->received(), 0u);
  EXPECT_EQ(clients[1]->received(), 0u);
}

}  // namespace
}  // namespace vistrel
