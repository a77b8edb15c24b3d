#include "service_client/service_requests.h"

#include <gtest/gtest.h>

#include "common/build_config.h"
#include "support/http_test_server.h"

namespace vistrel {
namespace {

Catalogue SampleCatalogue() {
  Catalogue info;
  Channel a;
  a.id = 11;
  a.group_id = 1;
  a.name = "Alpha";
  Channel b;
  b.id = 100002;
  b.group_id = 2;
  b.name = "Rock & Roll #1 Caf\xC3\xA9";  // e acute
  b.url = "http://127.0.0.1/a b?x=1&y=2";
  b.bitrate = 96;
  b.type_id = 1;
  b.country_id = 4;
  b.genre_id = 9;
  b.comment = "late night";
  b.user_defined = 1;
  info.channels = {a, b};
  return info;
}

class ServiceRequestsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* path :
         {"/service/new2.php", "/service/bad.php", "/service/rate.php", "/service/flag.php"}) {
      server_.Answer(path, 200, "thanks");
    }
    server_.Start();
    service_.base_url = server_.base_url();
  }

  RecordedRequest OnlyRequest() {
    runner_.WaitUntilIdle();
    auto requests = server_.requests();
    EXPECT_EQ(requests.size(), 1u);
    return requests.empty() ? RecordedRequest{} : requests.front();
  }

  HttpTestServer server_;
  ServiceConfig service_;
  RequestRunner runner_;
  Catalogue info_ = SampleCatalogue();
  // Row 0 shows channels[1], row 1 channels[0]; the third entry is left from an earlier build.
  VisibleRows visible_ = {.positions = {1, 0, 1}, .count = 2};
};

TEST_F(ServiceRequestsTest, SubmitSendsEncodedFieldsInOrderWithUserAgent) {
  SubmitUserChannel(runner_, service_, info_, visible_, 0);
  const RecordedRequest r = OnlyRequest();
  EXPECT_EQ(r.target,
            "/service/new2.php?&group=2&name=Rock%20%26%20Roll%20%231%20Caf%C3%A9"
            "&url=http%3A%2F%2F127.0.0.1%2Fa%20b%3Fx%3D1%26y%3D2&bitrate=96&type=1&homepage="
            "&country=4&genre=9&comment=late%20night");
  EXPECT_EQ(r.user_agent, std::string("Vistrel/") + build::kVersion);
}

TEST_F(ServiceRequestsTest, ReportRateAndFlagTargets) {
  ReportBrokenChannel(runner_, service_, info_, visible_, 1);
  RateChannel(runner_, service_, info_, "4", 1);
  FlagChannel(runner_, service_, info_, "wrong", 0);
  runner_.WaitUntilIdle();
  const auto requests = server_.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].target, "/service/bad.php?channel_id=11");
  EXPECT_EQ(requests[1].target, "/service/rate.php?rating=4&id=100002");
  EXPECT_EQ(requests[2].target, "/service/flag.php?flag=wrong&id=11");
  for (const auto& r : requests) EXPECT_EQ(r.user_agent, std::string("Vistrel/") + build::kVersion);
  EXPECT_TRUE(info_.channels[1].rated_mark);
  EXPECT_FALSE(info_.channels[1].flagged_mark);
  EXPECT_TRUE(info_.channels[0].flagged_mark);
  EXPECT_FALSE(info_.channels[0].rated_mark);
}

TEST_F(ServiceRequestsTest, RowsAndPositionsOutOfRangeSendNothing) {
  const VisibleRows stale = {.positions = {5}, .count = 1};
  SubmitUserChannel(runner_, service_, info_, visible_, 2);
  SubmitUserChannel(runner_, service_, info_, visible_, -1);
  ReportBrokenChannel(runner_, service_, info_, stale, 0);
  RateChannel(runner_, service_, info_, "5", 2);
  FlagChannel(runner_, service_, info_, "spam", -1);
  runner_.WaitUntilIdle();
  EXPECT_TRUE(server_.requests().empty());
  for (const auto& c : info_.channels) EXPECT_FALSE(c.rated_mark || c.flagged_mark);
}

TEST(ServiceRequests, MarksAreSetAndFailuresSwallowedWhenTheServiceRefuses) {
  RefusingPort closed;
  ServiceConfig service{closed.base_url()};
  Catalogue info = SampleCatalogue();
  RequestRunner runner;
  RateChannel(runner, service, info, "5", 0);
  FlagChannel(runner, service, info, "bad", 1);
  SubmitUserChannel(runner, service, info, {.positions = {1}, .count = 1}, 0);
  ReportBrokenChannel(runner, service, info, {.positions = {0}, .count = 1}, 0);
  runner.WaitUntilIdle();
  EXPECT_TRUE(info.channels[0].rated_mark);
  EXPECT_TRUE(info.channels[1].flagged_mark);
}

TEST(ServiceRequests, HttpErrorsAreSwallowed) {
  HttpTestServer server;
  server.Answer("/service/rate.php", 500, "broken");
  server.Start();
  Catalogue info = SampleCatalogue();
  RequestRunner runner;
  RateChannel(runner, {server.base_url()}, info, "3", 0);
  runner.WaitUntilIdle();
  EXPECT_TRUE(info.channels[0].rated_mark);
  EXPECT_EQ(server.requests().size(), 1u);
}

TEST(ServiceRequests, RedirectsAreFollowedUpToTen) {
  HttpTestServer server;
  server.server().Get("/service/flag.php", [](const httplib::Request& req, httplib::Response& res) {
    res.set_redirect("/moved/flag.php?" + req.target.substr(req.target.find('?') + 1));
  });
  server.Answer("/moved/flag.php", 200, "ok");
  server.server().Get("/service/rate.php", [](const httplib::Request&, httplib::Response& res) {
    res.set_redirect("/service/rate.php?again");
  });
  server.Start();
  Catalogue info = SampleCatalogue();
  RequestRunner runner;

  FlagChannel(runner, {server.base_url()}, info, "ok", 0);
  runner.WaitUntilIdle();
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].target, "/moved/flag.php?flag=ok&id=11");
  EXPECT_EQ(requests[1].user_agent, std::string("Vistrel/") + build::kVersion);

  // A redirect loop ends after the first request and ten redirects.
  RateChannel(runner, {server.base_url()}, info, "1", 0);
  runner.WaitUntilIdle();
  EXPECT_EQ(server.requests().size(), 2u + 11u);
}

// An answer that never ends is cut after a few KiB: the request returns, its mark stays.
TEST(ServiceRequests, AnEndlessAnswerEndsTheRequest) {
  HttpTestServer server;
  server.server().Get("/service/flag.php", [](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("text/plain", [](size_t, httplib::DataSink& sink) {
      static const std::string block(4096, 'x');
      return sink.write(block.data(), block.size());
    });
  });
  server.Start();
  Catalogue info = SampleCatalogue();
  RequestRunner runner;
  FlagChannel(runner, {server.base_url()}, info, "spam", 0);
  runner.WaitUntilIdle();
  EXPECT_TRUE(info.channels[0].flagged_mark);
  EXPECT_EQ(server.requests().size(), 1u);
}

}  // namespace
}  // namespace vistrel
