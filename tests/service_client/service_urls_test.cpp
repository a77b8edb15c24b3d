#include "service_client/service_urls.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "common/build_config.h"
#include "service_client/service_config.h"

namespace vistrel {
namespace {

constexpr const char* kBase = "http://127.0.0.1:1";

Channel MyRadio() {
  Channel c;
  c.id = 100001;
  c.group_id = 2;
  c.name = "My Radio";
  c.url = "http://127.0.0.1/live";
  c.bitrate = 128;
  c.type_id = 1;
  c.country_id = 7;
  c.genre_id = 3;
  return c;
}

TEST(SubmitUserChannelUrl, KeepsEmptyFirstParameterOrderAndEmptyValues) {
  EXPECT_EQ(SubmitUserChannelUrl(kBase, MyRadio()),
            "http://127.0.0.1:1/service/new2.php?&group=2&name=My%20Radio"
            "&url=http%3A%2F%2F127.0.0.1%2Flive&bitrate=128&type=1&homepage=&country=7&genre=3"
            "&comment=");
}

// The user's headers may hold private values: the service never gets them.
TEST(SubmitUserChannelUrl, HeadersOfTheAddressAreNeverSent) {
  Channel c = MyRadio();
  c.url = "http://127.0.0.1/live|User-Agent=Mine&Cookie=secret";
  EXPECT_EQ(SubmitUserChannelUrl(kBase, c), SubmitUserChannelUrl(kBase, MyRadio()));
}

TEST(SubmitUserChannelUrl, SeparatorsInTextsCannotAddOrCutParameters) {
  Channel c = MyRadio();
  c.name = "Rock & Roll #1 = 100%+?";
  c.comment = "a&comment=spoof";
  c.homepage = "http://h.invalid/?q=1&r=2";
  c.bitrate = -64;
  const std::string url = SubmitUserChannelUrl(kBase, c);
  EXPECT_NE(url.find("&name=Rock%20%26%20Roll%20%231%20%3D%20100%25%2B%3F&url="), std::string::npos)
      << url;
  EXPECT_NE(url.find("&homepage=http%3A%2F%2Fh.invalid%2F%3Fq%3D1%26r%3D2&country="),
            std::string::npos)
      << url;
  EXPECT_NE(url.find("&bitrate=-64&"), std::string::npos) << url;
  EXPECT_TRUE(url.ends_with("&comment=a%26comment%3Dspoof")) << url;
  EXPECT_EQ(url.find('#'), std::string::npos);
  EXPECT_EQ(url.find(' '), std::string::npos);
}

TEST(QueryValue, TextGoesOutAsUtf8Bytes) {
  // e acute, euro sign, unreserved marks kept: the bytes earlier versions sent for these
  // Windows-1252 texts.
  EXPECT_EQ(QueryValue("Caf\xC3\xA9 \xE2\x82\xAC a-b.c_d~e"), "Caf%C3%A9%20%E2%82%AC%20a-b.c_d~e");
  EXPECT_EQ(QueryValue("\xE4\xB8\xAD \xF0\x9F\x93\xBA"), "%E4%B8%AD%20%F0%9F%93%BA");
  EXPECT_EQ(QueryValue(""), "");
}

TEST(ServiceUrls, ReportRateAndFlagUrlsCarryTheEncodedValues) {
  EXPECT_EQ(ReportBrokenChannelUrl(kBase, -5), "http://127.0.0.1:1/service/bad.php?channel_id=-5");
  EXPECT_EQ(RateChannelUrl(kBase, "5", 42), "http://127.0.0.1:1/service/rate.php?rating=5&id=42");
  EXPECT_EQ(FlagChannelUrl(kBase, "duplicate", 0),
            "http://127.0.0.1:1/service/flag.php?flag=duplicate&id=0");
}

TEST(ListDownloadUrl, DatePartOnlyWithAVersionAndAtMostTwelveBytesOfIt) {
  EXPECT_EQ(ListDownloadUrl(kBase, "vistrel-demo", ""),
            "http://127.0.0.1:1/service/get.php?key=vistrel-demo");
  EXPECT_EQ(ListDownloadUrl(kBase, "k", "200912011200"),
            "http://127.0.0.1:1/service/get.php?key=k&date=200912011200");
  EXPECT_EQ(ListDownloadUrl(kBase, "k", "2009120112001234"),
            "http://127.0.0.1:1/service/get.php?key=k&date=200912011200");
}

TEST(DefaultServiceBaseUrl, EnvironmentOverridesTheBuildValue) {
  const char* old = std::getenv("VISTREL_SERVICE_URL");
  const std::string saved = old ? old : "";
  ::setenv("VISTREL_SERVICE_URL", "http://127.0.0.1:9/", 1);
  EXPECT_EQ(DefaultServiceBaseUrl(), "http://127.0.0.1:9");
  ::setenv("VISTREL_SERVICE_URL", "", 1);
  EXPECT_EQ(DefaultServiceBaseUrl(), build::kServiceUrl);
  if (old) {
    ::setenv("VISTREL_SERVICE_URL", saved.c_str(), 1);
  } else {
    ::unsetenv("VISTREL_SERVICE_URL");
  }
}

}  // namespace
}  // namespace vistrel
