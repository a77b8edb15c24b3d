#include "playlist/m3u_playlist.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

TEST(M3u, AttributesAndTitleAfterFirstCommaOutsideQuotes) {
  struct Case {
    const char* line;
    const char* title;
    const char* country;  // "-" for absent
    const char* group;
  };
  const Case cases[] = {
      {R"(#EXTINF:-1 tvg-id="A.b" tvg-country="AF" group-title="Music",AMC (1080p))", "AMC (1080p)",
       "AF", "Music"},
      {R"(#EXTINF:-1 group-title="News, Weather;Local" tvg-country="US",Hello, World "Live")",
       R"(Hello, World "Live")", "US", "News, Weather;Local"},
      {"#EXTINF:-1,Plain title", "Plain title", "-", "-"},
      {"#EXTINF:0 tvg-country=UK group-title=\"\" ,  Spaced  ", "Spaced", "UK", ""},
      {R"(#EXTINF:-1 tvg-name="x,y")", "", "-", "-"},
      {R"(#EXTINF:-1 tvg-name="unterminated,title)", "", "-", "-"},
  };
  for (const Case& c : cases) {
    const M3uEntry entry = ParseExtinf(c.line);
    EXPECT_EQ(entry.title, c.title) << c.line;
    const auto attr = [&](const char* key) {
      const auto it = entry.attributes.find(key);
      return it == entry.attributes.end() ? std::string("-") : it->second;
    };
    EXPECT_EQ(attr("tvg-country"), c.country) << c.line;
    EXPECT_EQ(attr("group-title"), c.group) << c.line;
  }
}

TEST(M3u, EntriesPairInfoWithNextUrlLine) {
  const std::string text =
      "\xEF\xBB\xBF#EXTM3U\r\n"
      "#EXTINF:-1 tvg-country=\"AF\",First\r\n"
      "#EXTVLCOPT:http-referrer=http://127.0.0.1/\r\n"
      "\r\n"
      "http://127.0.0.1/1.m3u8\r\n"
      "#EXTINF:-1,Lost (no URL)\n"
      "#EXTINF:-1,Second\n"
      "http://127.0.0.1/2.m3u8\n"
      "http://127.0.0.1/bare.mp3\n";
  const auto entries = ParseM3u(text);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].title, "First");
  EXPECT_EQ(entries[0].url, "http://127.0.0.1/1.m3u8");
  EXPECT_EQ(entries[1].title, "Second");
  EXPECT_EQ(entries[2].title, "");
  EXPECT_EQ(entries[2].url, "http://127.0.0.1/bare.mp3");
}

TEST(M3u, GuideAddressesOfTheHeader) {
  struct Case {
    const char* text;
    std::vector<std::string> addresses;
  };
  const Case cases[] = {
      {"#EXTM3U url-tvg=\"http://127.0.0.1/a.xml, http://127.0.0.1/b.xml.gz\"\n#EXTINF:-1,X\nu\n",
       {"http://127.0.0.1/a.xml", "http://127.0.0.1/b.xml.gz"}},
      {"\xEF\xBB\xBF#EXTM3U x-tvg-url=\"http://127.0.0.1/b.xml\" url-tvg=\"http://127.0.0.1/a.xml,"
       "http://127.0.0.1/b.xml\"\r\n",
       {"http://127.0.0.1/a.xml", "http://127.0.0.1/b.xml"}},
      {"#EXTM3U x-tvg-url=http://127.0.0.1/c.xml\n", {"http://127.0.0.1/c.xml"}},
      {"#EXTM3U\n#EXTINF:-1 url-tvg=\"http://127.0.0.1/no.xml\",X\nu\n", {}},
      {"#EXTINF:-1 url-tvg=\"http://127.0.0.1/no.xml\",X\n", {}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(M3uGuideAddresses(c.text), c.addresses) << c.text;
}

}  // namespace
}  // namespace vistrel
