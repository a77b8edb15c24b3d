#include "service_client/programme_guide.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>

#include "support/http_test_server.h"
#include "support/scoped_env.h"

namespace vistrel {
namespace {

using ::testing::HasSubstr;

// 2024-03-01 12:00 UTC.
constexpr int64_t k12 = 1709294400;

const std::string kNowNext = R"([
  {"id":7,"programmes":[{"start":1709294400,"stop":1709298000,"title":"Noon News"},
                        {"start":1709298000,"stop":1709301600,"title":"Caf\u00e9 Talk"}]},
  {"id":3,"programmes":[{"start":1709301600,"stop":1709305200,"title":"Later"}]}
])";

// Local time one hour east of UTC without summer time, whatever the machine's zone.
class FixedZone {
 public:
  FixedZone() : tz_("TZ", "CET-1") { tzset(); }
  ~FixedZone() { tzset(); }

 private:
  ScopedEnv tz_;
};

TEST(ProgrammeGuide, NowNextLineInLocalTimeAsTimeGoesBy) {
  FixedZone zone;
  const auto guide = ParseNowAndNext(kNowNext);
  ASSERT_TRUE(guide.ok()) << guide.error;
  ASSERT_EQ(guide.value->size(), 2u);
  ASSERT_NE(guide.value->Find(7), nullptr);
  ASSERT_NE(guide.value->Find(3), nullptr);
  EXPECT_EQ(guide.value->Find(5), nullptr);
  struct Case {
    int32_t id;
    int64_t now;
    const char* line;
  };
  const Case cases[] = {
      {7, k12 - 60, "Next: 13:00 Noon News"},
      {7, k12, "Now: 13:00 Noon News \xC2\xB7 Next: 14:00 Caf\xC3\xA9 Talk"},
      {7, k12 + 3599, "Now: 13:00 Noon News \xC2\xB7 Next: 14:00 Caf\xC3\xA9 Talk"},
      {7, k12 + 3600, "Now: 14:00 Caf\xC3\xA9 Talk"},  // the answer is an hour old
      {7, k12 + 7200, ""},
      {3, k12, "Next: 15:00 Later"},
      {3, k12 + 7200, "Now: 15:00 Later"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NowNextLine(*guide.value->Find(c.id), c.now), c.line) << c.id << " " << c.now;
  }
}

TEST(ProgrammeGuide, AnswersOfTheWrongShapeFail) {
  for (const char* bad : {"", "{}", "[1]", R"([{"id":1}])", R"([{"id":1,"programmes":[]}])",
                          R"([{"id":"1","programmes":[{"start":1,"stop":2}]}])",
                          R"([{"id":1,"programmes":[{"start":"1","stop":2}]}])", "[{"}) {
    EXPECT_FALSE(ParseNowAndNext(bad).ok()) << bad;
  }
  EXPECT_TRUE(ParseNowAndNext("[]").ok());
  EXPECT_FALSE(ParseChannelGuide(R"([{"start":1}])").ok());
  EXPECT_FALSE(ParseChannelGuide("{").ok());
}

TEST(ProgrammeGuide, FetchedFromTheServiceOnLoopback) {
  HttpTestServer server;
  server.server().Get(
      "/service/guide.php", [](const httplib::Request& req, httplib::Response& res) {
        if (req.get_param_value("now") == "1") {
          res.set_content(kNowNext, "application/json");
        } else if (req.get_param_value("id") == "7") {
          res.set_content(
              R"([{"start":1709294400,"stop":1709298000,"title":"Noon News","description":"D",)"
              R"("category":"News","episode":"S1E2","sub_title":"Sub"}])",
              "application/json");
        } else {
          res.set_content("[]", "application/json");
        }
      });
  server.Start();
  const ServiceConfig service{server.base_url()};
  const auto now_next = FetchNowAndNext(service);
  ASSERT_TRUE(now_next.ok()) << now_next.error;
  EXPECT_EQ(now_next.value->Find(7)->second.title, "Caf\xC3\xA9 Talk");
  const auto day = FetchChannelGuide(service, 7);
  ASSERT_TRUE(day.ok()) << day.error;
  ASSERT_EQ(day.value->size(), 1u);
  EXPECT_EQ((*day.value)[0].start, k12);
  EXPECT_EQ((*day.value)[0].description, "D");
  EXPECT_EQ((*day.value)[0].episode, "S1E2");
  EXPECT_EQ((*day.value)[0].sub_title, "Sub");
  const auto none = FetchChannelGuide(service, 8);
  ASSERT_TRUE(none.ok());
  EXPECT_TRUE(none.value->empty());

  // A service without a guide answers 404: a failure the program shows as no guide.
  HttpTestServer old_service;
  old_service.Start();
  const auto missing = FetchNowAndNext(ServiceConfig{old_service.base_url()});
  EXPECT_FALSE(missing.ok());
  EXPECT_THAT(missing.error, HasSubstr("404"));
}

}  // namespace
}  // namespace vistrel
