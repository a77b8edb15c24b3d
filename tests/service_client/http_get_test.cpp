#include "service_client/http_get.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <thread>

#include "support/http_test_server.h"

#include "support/sanitizers.h"

namespace vistrel {
namespace {

using Clock = std::chrono::steady_clock;

const std::string kAgent = "Vistrel/test";

// Streams blocks of `block` bytes for as long as the client takes them; with `length`, that
// length is announced first.
void Endless(HttpTestServer& server, const std::string& path, std::size_t block,
             std::optional<std::size_t> length = std::nullopt) {
  server.server().Get(path, [block, length](const httplib::Request&, httplib::Response& res) {
    auto provide = [block](size_t, httplib::DataSink& sink) {
      static const std::string bytes(1 << 20, 'x');
      return sink.write(bytes.data(), std::min(block, bytes.size()));
    };
    if (length) {
      res.set_content_provider(*length, "application/octet-stream",
                               [provide](size_t offset, size_t, httplib::DataSink& sink) {
                                 return provide(offset, sink);
                               });
    } else {
      res.set_chunked_content_provider("application/octet-stream", provide);
    }
  });
}

TEST(HttpGet, AnAnnouncedLengthBeyondTheLimitFailsBeforeTheBody) {
  HttpTestServer server;
  Endless(server, "/big", 4096, std::size_t{10} << 30);  // 10 GB announced
  server.Start();
  bool begun = false;
  HttpGetHooks hooks;
  hooks.begin = [&](int64_t) { begun = true; };
  const Result<std::string> got =
      HttpGet(server.base_url() + "/big", kAgent, hooks, {.max_body = 1 << 20});
  EXPECT_EQ(got.error, "The answer is larger than the 1048576 bytes allowed");
  EXPECT_FALSE(got.value.has_value());
  EXPECT_FALSE(begun);
}

TEST(HttpGet, ABodyGrowingBeyondTheLimitFails) {
  HttpTestServer server;
  Endless(server, "/endless", 1000);
  server.Start();
  int64_t most_seen = 0;
  HttpGetHooks hooks;
  hooks.step = [&](int64_t count, int64_t) {
    most_seen = std::max(most_seen, count);
    return false;
  };
  const Result<std::string> got =
      HttpGet(server.base_url() + "/endless", kAgent, hooks, {.max_body = 64 * 1024});
  EXPECT_EQ(got.error, "The answer is larger than the 65536 bytes allowed");
  EXPECT_LE(most_seen, 64 * 1024);
  // Exactly the limit is still taken.
  server.Stop();
  HttpTestServer exact;
  exact.Answer("/exact", 200, std::string(64 * 1024, 'x'));
  exact.Start();
  EXPECT_TRUE(HttpGet(exact.base_url() + "/exact", kAgent, {}, {.max_body = 64 * 1024}).ok());
}

// A server that trickles its answer keeps a request open only as long as the deadline.
TEST(HttpGet, TheDeadlineEndsATrickle) {
  HttpTestServer server;
  server.server().Get("/slow", [](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("text/plain", [](size_t offset, httplib::DataSink& sink) {
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      return offset < 100 && sink.write("..", 2);  // two bytes a second, then stops
    });
  });
  server.Start();
  const auto start = Clock::now();
  const Result<std::string> got =
      HttpGet(server.base_url() + "/slow", kAgent, {}, {.total_seconds = 1});
  EXPECT_FALSE(got.ok());
  EXPECT_NE(got.error.find("timed out"), std::string::npos) << got.error;
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
}

TEST(HttpGet, RedirectsFromHttpsStayOnHttps) {
  EXPECT_EQ(RedirectProtocols("https://service.example/get.php"), "https");
  EXPECT_EQ(RedirectProtocols("HTTPS://service.example/"), "https");
  EXPECT_EQ(RedirectProtocols("http://127.0.0.1:8780/"), "http,https");
  EXPECT_EQ(RedirectProtocols("https:"), "http,https");
}

// Running out of memory while the body grows is a failure with a text, not an escape. The
// request runs in a child process whose address space may grow only 64 MiB.
TEST(HttpGet, RunningOutOfMemoryIsAFailureWithAText) {
#ifdef VISTREL_ASAN
  GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit allows";
#endif
  HttpTestServer server;
  Endless(server, "/endless", 1 << 20);
  server.Start();
  int channel[2];
  ASSERT_EQ(::pipe(channel), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(channel[0]);
    long size_kib = 0;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("VmSize:", 0) == 0) size_kib = std::stol(line.substr(7));
    }
    const rlim_t bytes = static_cast<rlim_t>(size_kib + 64 * 1024) * 1024;
    const rlimit limit{bytes, bytes};
    ::setrlimit(RLIMIT_AS, &limit);
    std::string error;
    try {
      error = HttpGet(server.base_url() + "/endless", kAgent).error;
    } catch (...) {
      error = "an exception escaped";
    }
    (void)!::write(channel[1], error.data(), error.size());
    ::_exit(0);
  }
  ::close(channel[1]);
  std::string error;
  char buffer[512];
  for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) error.append(buffer, n);
  ::close(channel[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(error, kAnswerOutOfMemory);
}

}  // namespace
}  // namespace vistrel
