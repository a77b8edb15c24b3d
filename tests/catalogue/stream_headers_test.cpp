#include "catalogue/stream_headers.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

TEST(StreamHeaders, AddressSplitFromItsHeaders) {
  struct Case {
    const char* text;
    const char* address;
    StreamHeaders headers;
  };
  const Case cases[] = {
      {"http://127.0.0.1/live.m3u8", "http://127.0.0.1/live.m3u8", {}},
      {" http://127.0.0.1/a |User-Agent=Foo%2F1.0%20(X11%2C%20Linux)&Referer=https%3A%2F%2Fs%2F",
       "http://127.0.0.1/a",
       {"Foo/1.0 (X11, Linux)", "https://s/", {}}},
      {"http://127.0.0.1/a|user-agent=A&REFERRER=R&Origin=O&X-Key=1&x-key=2&Bad Name=3",
       "http://127.0.0.1/a",
       {"A", "R", {{"Origin", "O"}, {"X-Key", "2"}}}},
      {"http://127.0.0.1/a|Cookie=a%3Db%zz%4&User-Agent=%0A",
       "http://127.0.0.1/a",
       {"", "", {{"Cookie", "a=b%zz%4"}}}},
      {"http://127.0.0.1/a|", "http://127.0.0.1/a", {}},
  };
  for (const Case& c : cases) {
    const SplitAddress split = SplitStreamAddress(c.text);
    EXPECT_EQ(split.address, c.address) << c.text;
    EXPECT_EQ(split.headers, c.headers) << c.text;
    EXPECT_EQ(ShownStreamAddress(c.text), c.address) << c.text;
  }
}

// The package entry's lines read back as written, whatever the values hold; lines that are
// not right are skipped, never an error.
TEST(StreamHeaders, TableLinesReadBackAsWritten) {
  const StreamHeaders full{"Agent|1%2 (a, b)",
                           "http://127.0.0.1/?q=|",
                           {{"Origin", "http://127.0.0.1"}, {"Cookie", "k=v\xC3\xA9"}}};
  const StreamHeaders referrer_only{"", "http://127.0.0.1/", {}};
  const StreamHeaders agent_only{"A", "", {}};
  EXPECT_EQ(FormatStreamHeadersLine(7, full),
            "7|Agent%7C1%252 (a, b)|http://127.0.0.1/?q=%7C|Origin|http://127.0.0.1|Cookie|k=v"
            "\xC3\xA9");
  EXPECT_EQ(FormatStreamHeadersLine(9, agent_only), "9|A|");
  const std::string text =
      FormatStreamHeadersLine(7, full) + "\r\n" + FormatStreamHeadersLine(8, referrer_only) +
      "\r\n" + FormatStreamHeadersLine(9, agent_only) + "\r\n" +
      "x|A|B\r\n10|A|B|Lonely\r\n11||\r\n12\r\n" + FormatStreamHeadersLine(7, agent_only) + "\r\n";
  std::unordered_map<int32_t, StreamHeaders> read;
  ReadStreamHeadersTable(text, read);
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read.at(7), full);
  EXPECT_EQ(read.at(8), referrer_only);
  EXPECT_EQ(read.at(9), agent_only);
}

}  // namespace
}  // namespace vistrel
