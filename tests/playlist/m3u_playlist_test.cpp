#include "playlist/m3u_playlist.h"

#include <gtest/gtest.h>

#include <fstream>

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

// Each playlist: its entries' addresses and headers, as "UA / Referer / Name: value; ...".
std::string Shown(const StreamHeaders& h) {
  std::string text = h.user_agent + " / " + h.referrer + " /";
  for (const auto& [name, value] : h.fields) text += " " + name + ": " + value + ";";
  return text;
}

TEST(M3u, HeadersOfOptionLinesAndAddressLines) {
  struct Case {
    const char* playlist;
    std::vector<std::pair<std::string, std::string>> entries;  // address, Shown(headers)
  };
  const Case cases[] = {
      // Option lines before and after "#EXTINF", for the next entry only.
      {"#EXTVLCOPT:http-user-agent=Agent/1.0 (X11, Linux)\n"
       "#EXTINF:-1,A\n#EXTVLCOPT:http-referrer=http://127.0.0.1/page\n"
       "#EXTVLCOPT:http-origin=http://127.0.0.1\n#EXTVLCOPT:network-caching=1000\n"
       "http://127.0.0.1/a.m3u8\n#EXTINF:-1,B\nhttp://127.0.0.1/b.m3u8\n",
       {{"http://127.0.0.1/a.m3u8",
         "Agent/1.0 (X11, Linux) / http://127.0.0.1/page / Origin: http://127.0.0.1;"},
        {"http://127.0.0.1/b.m3u8", " /  /"}}},
      // The "|" form: percent-decoded, names without case, further pairs further headers.
      {"#EXTINF:-1,A\nhttp://127.0.0.1/a.m3u8?x=1|User-Agent=Foo%2F1.0&referer=https%3A%2F%2F"
       "site%2F&X-Token=a%26b&bare&=novalue\n",
       {{"http://127.0.0.1/a.m3u8?x=1", "Foo/1.0 / https://site/ / X-Token: a&b;"}}},
      // The "|" form is set over option lines; a header line cannot be smuggled in.
      {"#EXTVLCOPT:http-user-agent=Old\n#EXTVLCOPT:http-referrer=http://127.0.0.1/r\n"
       "http://127.0.0.1/a|User-Agent=New%0D%0AX-Evil: 1\n",
       {{"http://127.0.0.1/a", "NewX-Evil: 1 / http://127.0.0.1/r /"}}},
      // "#EXTHTTP:" with a JSON object; members that are no text and a broken object add none.
      {"#EXTINF:-1,A\n#EXTHTTP:{\"User-Agent\":\"J/2\",\"Referer\":\"http://127.0.0.1/\","
       "\"Cookie\":\"k=v; w=\\\"q\\\"\",\"Count\":3}\nhttp://127.0.0.1/a\n"
       "#EXTHTTP:{\"User-Agent\":\nhttp://127.0.0.1/b\n",
       {{"http://127.0.0.1/a", "J/2 / http://127.0.0.1/ / Cookie: k=v; w=\"q\";"},
        {"http://127.0.0.1/b", " /  /"}}},
  };
  for (const Case& c : cases) {
    const std::vector<M3uEntry> entries = ParseM3u(c.playlist);
    ASSERT_EQ(entries.size(), c.entries.size()) << c.playlist;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].url, c.entries[i].first) << c.playlist;
      EXPECT_EQ(Shown(entries[i].headers), c.entries[i].second) << c.playlist;
    }
  }
}

// The public iptv-org playlist: 588 of its streams want a User-Agent and 269 a Referer, given
// on "#EXTVLCOPT:" lines; entry n is channel n.
TEST(M3u, HeadersOfTheIptvOrgPlaylist) {
  const char* file = "/work/shared/data/iptv-org/iptv-org.m3u";
  std::ifstream in(file, std::ios::binary);
  if (!in) GTEST_SKIP() << "no iptv-org data";
  std::vector<M3uEntry> entries;
  M3uReader reader([&](M3uEntry&& entry) { entries.push_back(std::move(entry)); });
  std::string line;
  std::size_t line_number = 0;
  while (std::getline(in, line)) reader.ReadLine(line, ++line_number);
  ASSERT_EQ(entries.size(), 15155u);
  std::size_t agents = 0, referrers = 0, others = 0;
  for (const M3uEntry& entry : entries) {
    agents += !entry.headers.user_agent.empty();
    referrers += !entry.headers.referrer.empty();
    others += entry.headers.fields.size();
    EXPECT_EQ(entry.url.find('|'), std::string::npos);
  }
  EXPECT_EQ(agents, 588u);
  EXPECT_EQ(referrers, 269u);
  EXPECT_EQ(others, 0u);
  const M3uEntry& twentieth = entries[19];
  EXPECT_EQ(twentieth.url, "https://op-group1-swiftservehd-1.dens.tv/h/h29/index.m3u8");
  EXPECT_EQ(twentieth.headers.referrer, "https://www.dens.tv/");
  EXPECT_EQ(twentieth.headers.user_agent,
            "Mozilla/5.0 Windows NT 10.0; Win64; x64 AppleWebKit/537.36 KHTML, like Gecko "
            "Chrome/144.0.0.0 Safari/537.36");
  EXPECT_EQ(entries[47].headers.user_agent,
            "Mozilla/5.0 (Linux; Android 13; Pixel 7) AppleWebKit/537.36 (KHTML, como Gecko) "
            "Chrome/112.0.0.0 Mobile Safari/537.36");
  EXPECT_TRUE(entries[47].headers.referrer.empty());
  EXPECT_TRUE(entries[0].headers.empty());
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
