#include "service_client/list_download.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "catalogue/package.h"
#include "common/files.h"
#include "protocol/list_response.h"
#include "service_client/download_progress.h"
#include "support/file_size_limit.h"
#include "support/http_test_server.h"
#include "support/list_header.h"
#include "support/temp_dir.h"

namespace vistrel {
namespace {

namespace fs = std::filesystem;

const std::string kOldPackage("old package\0\xFF", 13);

std::string Noise(size_t size) {
  std::string p(size, '\0');
  uint32_t x = 12345;
  for (auto& c : p) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 24);
  }
  return p;
}

// A package that loads, of at least `size` bytes: the noise rides in an entry the loader does
// not read.
std::string Payload(size_t size) {
  return BuildPackage({{kGenresEntry, "0|All Genres\r\n5|News\r\n"}, {"filler.bin", Noise(size)}});
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  return names;
}

// Holds a response half-sent until the test opens it (or a safety time-out passes).
class Gate {
 public:
  void Open() {
    std::lock_guard<std::mutex> lock(m_);
    open_ = true;
    cv_.notify_all();
  }
  void Wait() {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait_for(lock, std::chrono::seconds(10), [this] { return open_; });
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool open_ = false;
};

class ListDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_dir_ = tmp_.path() / "Orvane" / "Vistrel";
    ASSERT_TRUE(WriteFileAtomically(package(), kOldPackage).ok());
  }
  fs::path package() const { return data_dir_ / "channelz.dat"; }
  ListDownloadRequest request() const { return {build::kAccessKey, "", data_dir_}; }
  void ExpectOldPackageKept() {
    EXPECT_TRUE(ReadWholeFile(package()) == kOldPackage) << "the old package file was changed";
    EXPECT_EQ(FolderEntries(data_dir_), std::vector<std::string>{"channelz.dat"});
  }

  TempDir tmp_;
  fs::path data_dir_;
};

TEST_F(ListDownloadTest, StoresThePayloadAndReportsProgress) {
  const std::string payload = Payload(300000);
  const std::string body = FrameListResponse(258, payload);
  HttpTestServer server;
  server.Answer("/service/get.php", 200, body);
  server.Start();

  int64_t begun = -1;
  std::vector<std::pair<int, std::string>> steps;
  ListDownloadHooks hooks;
  hooks.begin = [&](int64_t total) { begun = total; };
  hooks.progress = [&](int percent, const std::string& status) {
    steps.emplace_back(percent, status);
  };
  ServiceConfig service{server.base_url()};
  fs::remove_all(data_dir_);  // the folder is created as needed

  const ListDownloadResult result = DownloadChannelList(service, request(), hooks);
  EXPECT_EQ(result.status, "Complete!");
  EXPECT_TRUE(result.complete);
  EXPECT_TRUE(ReadWholeFile(package()) == payload) << "the package file differs from the payload";
  EXPECT_EQ(FolderEntries(data_dir_), std::vector<std::string>{"channelz.dat"});
  EXPECT_EQ(begun, static_cast<int64_t>(body.size()));
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps.back(), std::make_pair(100, std::string(" downloading  293 Kb of 293 Kb ...")));

  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].target, std::string("/service/get.php?key=") + build::kAccessKey);
  EXPECT_EQ(requests[0].user_agent, std::string("Vistrel/") + build::kVersion);
}

// An answer that passes the checks but whose package does not load is not stored: the old
// list stays, and the status says why. An archive without entries is a package all the same.
TEST_F(ListDownloadTest, APackageThatDoesNotLoadIsNeverStored) {
  struct Case {
    const char* what;
    std::string payload;
    std::string error;  // empty: loads
  } cases[] = {
      {"random bytes", Noise(3000), kNotAPackageMessage},
      {"another key", BuildPackage({{kGenresEntry, "0|All\r\n"}}, "Another#Key1"),
       kNotAPackageMessage},
      {"malformed table", BuildPackage({{"tv.dat", "10|Tv|http://127.0.0.1/1|fast\r\n"}}),
       "tv.dat, line 1"},
      {"no entries", BuildPackage({}), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(WriteFileAtomically(package(), kOldPackage).ok());
    HttpTestServer server;
    server.Answer("/service/get.php", 200, FrameListResponse(258, c.payload));
    server.Start();
    const ListDownloadResult result = DownloadChannelList({server.base_url()}, request());
    if (c.error.empty()) {
      EXPECT_EQ(result.status, "Complete!");
      EXPECT_TRUE(result.complete);
      EXPECT_TRUE(ReadWholeFile(package()) == c.payload);
      continue;
    }
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.status.rfind(kStatusUnusablePackage, 0), 0u) << result.status;
    EXPECT_NE(result.status.find(c.error), std::string::npos) << result.status;
    ExpectOldPackageKept();
  }
}

TEST_F(ListDownloadTest, SendsTheLoadedVersionStamp) {
  HttpTestServer server;
  server.Answer("/service/get.php", 200, FrameListResponse(258, Payload(10)));
  server.Start();
  ListDownloadRequest req = request();
  req.version_text = "200912011200";
  EXPECT_TRUE(DownloadChannelList({server.base_url()}, req).complete);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].query,
            std::string("key=") + build::kAccessKey + "&date=200912011200");
}

TEST_F(ListDownloadTest, FailedAnswersKeepTheOldPackage) {
  const std::string utf16("\xFF\xFEN\0o\0 \0k\0\xE9\0y\0", 14);
  struct Case {
    const char* what;
    int http_status;
    std::string body;
    std::string status;  // empty: any text naming the HTTP status
  } cases[] = {
      {"HTTP error", 500, FrameListResponse(258, "package"), ""},
      {"6 bytes, right length", 200, RawListHeader(258, 6), "Incomplete download"},
      {"7 bytes, right length", 200, RawListHeader(258, 7) + "x", "Incomplete download"},
      {"cut transfer", 200, RawListHeader(258, 1000) + "partial", "Incomplete download"},
      {"8-bit message", 200, FrameListResponse(259, "Key expired \xE9"), "Key expired \xC3\xA9"},
      {"UTF-16LE message", 200, FrameListResponse(259, utf16), "No k\xC3\xA9y"},
      {"unknown tag", 200, FrameListResponse(0x0201, "package"), "Unknown protocol"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HttpTestServer server;
    server.Answer("/service/get.php", c.http_status, c.body);
    server.Start();
    const ListDownloadResult result = DownloadChannelList({server.base_url()}, request());
    if (c.status.empty()) {
      EXPECT_NE(result.status.find("500"), std::string::npos) << result.status;
    } else {
      EXPECT_EQ(result.status, c.status);
    }
    EXPECT_FALSE(result.complete);
    ExpectOldPackageKept();
  }
}

// A service announcing more than a framed answer can hold is refused before the body comes, with
// a status line, and the old package stays.
TEST_F(ListDownloadTest, AnAnswerLargerThanAFramedOneCanBeIsRefused) {
  HttpTestServer server;
  server.server().Get("/service/get.php", [](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(std::size_t{10'000'000'000}, "application/octet-stream",
                             [](size_t, size_t, httplib::DataSink& sink) {
                               static const std::string block(65536, 'x');
                               return sink.write(block.data(), block.size());
                             });
  });
  server.Start();
  int64_t begun = -1;
  ListDownloadHooks hooks;
  hooks.begin = [&](int64_t total) { begun = total; };
  const ListDownloadResult result = DownloadChannelList({server.base_url()}, request(), hooks);
  EXPECT_FALSE(result.complete);
  EXPECT_EQ(result.status, "The answer is larger than the 2147483647 bytes allowed");
  EXPECT_EQ(begun, -1);
  ExpectOldPackageKept();
}

// The disk fills up while the new package is written: the write fails partway, the status
// says so, and the old package is there whole, with no piece of the new one beside it.
TEST_F(ListDownloadTest, WriteThatFailsPartwayKeepsTheOldPackage) {
  const std::string payload = Payload(300000);
  HttpTestServer server;
  server.Answer("/service/get.php", 200, FrameListResponse(258, payload));
  server.Start();
  ListDownloadResult result;
  {
    FileSizeLimit limit(100000);
    result = DownloadChannelList({server.base_url()}, request());
  }
  EXPECT_FALSE(result.complete);
  EXPECT_NE(result.status.find("channelz.dat"), std::string::npos) << result.status;
  EXPECT_NE(result.status.find("write failed"), std::string::npos) << result.status;
  ExpectOldPackageKept();
}

TEST_F(ListDownloadTest, RefusedConnectionShowsTheClientsText) {
  RefusingPort closed;
  const ListDownloadResult result = DownloadChannelList({closed.base_url()}, request());
  EXPECT_FALSE(result.complete);
  EXPECT_FALSE(result.status.empty());
  EXPECT_NE(result.status, "Complete!");
  ExpectOldPackageKept();
}

TEST_F(ListDownloadTest, WithoutAnnouncedLengthNothingIsShownButThePackageIsStored) {
  const std::string payload = Payload(5000);
  const std::string body = FrameListResponse(258, payload);
  HttpTestServer server;
  server.server().Get("/service/get.php", [&](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider(
        "application/octet-stream", [&](size_t offset, httplib::DataSink& sink) {
          const size_t n = std::min<size_t>(1000, body.size() - offset);
          sink.write(body.data() + offset, n);
          if (offset + n == body.size()) sink.done();
          return true;
        });
  });
  server.Start();
  int64_t begun = -1;
  int shown = 0;
  ListDownloadHooks hooks;
  hooks.begin = [&](int64_t total) { begun = total; };
  hooks.progress = [&](int, const std::string&) { ++shown; };
  const ListDownloadResult result = DownloadChannelList({server.base_url()}, request(), hooks);
  EXPECT_EQ(result.status, "Complete!");
  EXPECT_TRUE(ReadWholeFile(package()) == payload) << "the package file differs from the payload";
  EXPECT_EQ(begun, 0);
  EXPECT_EQ(shown, 0);
}

class ListDownloadCancelTest : public ListDownloadTest,
                               public ::testing::WithParamInterface<bool> {};

TEST_P(ListDownloadCancelTest, CancelDuringTheTransferAbortsIt) {
  const bool chunked = GetParam();
  const std::string body = FrameListResponse(258, Payload(4000));
  Gate gate;
  std::atomic<bool> first_part_going{false};
  HttpTestServer server;
  server.server().Get("/service/get.php", [&](const httplib::Request&, httplib::Response& res) {
    auto provide = [&](size_t offset, httplib::DataSink& sink) {
      if (offset == 0) {
        first_part_going = true;
        return sink.write(body.data(), 1000);
      }
      gate.Wait();  // the rest comes only after the client has given up
      sink.write(body.data() + offset, body.size() - offset);
      if (chunked) sink.done();
      return true;
    };
    if (chunked) {
      res.set_chunked_content_provider("application/octet-stream", provide);
    } else {
      res.set_content_provider(body.size(), "application/octet-stream",
                               [provide](size_t offset, size_t, httplib::DataSink& sink) {
                                 return provide(offset, sink);
                               });
    }
  });
  server.Start();

  bool cancel = false;
  ListDownloadHooks hooks;
  // With a length the dialog shows progress, and Cancel comes after the first step shown;
  // without one, it comes once the answer has started.
  hooks.progress = [&](int, const std::string&) { cancel = true; };
  hooks.cancel_requested = [&] { return cancel || (chunked && first_part_going); };
  const ListDownloadResult result = DownloadChannelList({server.base_url()}, request(), hooks);
  gate.Open();

  EXPECT_FALSE(result.complete);
  EXPECT_FALSE(result.status.empty());
  EXPECT_NE(result.status, "Complete!");
  ExpectOldPackageKept();
}

INSTANTIATE_TEST_SUITE_P(LengthAnnouncedOrNot, ListDownloadCancelTest, ::testing::Bool());

TEST_F(ListDownloadTest, CancelAfterTheLastStepDoesNotStopTheTransfer) {
  const std::string payload = Payload(20000);
  HttpTestServer server;
  server.Answer("/service/get.php", 200, FrameListResponse(258, payload));
  server.Start();
  bool all_in = false;
  bool cancel = false;
  ListDownloadHooks hooks;
  hooks.progress = [&](int percent, const std::string&) {
    all_in = percent == 100;
    // The click comes at the step that saw the last bytes.
    cancel = cancel || all_in;
  };
  hooks.cancel_requested = [&] { return cancel; };
  ServiceConfig service{server.base_url()};
  const ListDownloadResult result = DownloadChannelList(service, request(), hooks);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(result.status, "Complete!");
  EXPECT_TRUE(ReadWholeFile(package()) == payload) << "the package file differs from the payload";
}

TEST_F(ListDownloadTest, AFailedWriteIsShownAndIsNotComplete) {
  // Works as root too: the data folder's path is taken by a regular file.
  const fs::path blocked = tmp_.path() / "blocked";
  ASSERT_TRUE(WriteFileAtomically(blocked, "a file").ok());
  HttpTestServer server;
  server.Answer("/service/get.php", 200, FrameListResponse(258, Payload(10)));
  server.Start();
  ListDownloadRequest req = request();
  req.data_dir = blocked;
  const ListDownloadResult result = DownloadChannelList({server.base_url()}, req);
  EXPECT_FALSE(result.complete);
  EXPECT_NE(result.status.find("channelz.dat"), std::string::npos) << result.status;
  EXPECT_EQ(ReadWholeFile(blocked), "a file");
}

}  // namespace
}  // namespace vistrel
