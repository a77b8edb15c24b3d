#include "playlist/m3u_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <streambuf>

#include "support/temp_dir.h"

namespace vistrel {
namespace {

using ::testing::ElementsAre;

struct Read {
  std::vector<std::string> titles;
  std::vector<std::string> urls;
  M3uReadReport report;
};

Read ReadText(std::string_view text) {
  Read read;
  read.report = ReadM3uText(text, [&](M3uEntry&& e) {
    read.titles.push_back(e.title);
    read.urls.push_back(e.url);
  });
  return read;
}

// The bytes of `text` in UTF-16, little endian, behind its byte-order mark.
std::string Utf16Le(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::vector<std::size_t> WarnedLines(const M3uReadReport& report) {
  std::vector<std::size_t> lines;
  for (const M3uWarning& w : report.warnings) lines.push_back(w.line_number);
  return lines;
}

TEST(M3uFile, MalformedInputsAreReadAsFarAsTheyGoWithTheLinesOfTheirProblems) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> titles;
    std::vector<std::size_t> warned_lines;
  };
  const std::string long_line(kM3uMaxLineBytes + 10, 'x');
  const Case cases[] = {
      {"UTF-8 byte-order mark and CR LF",
       "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:-1,One\r\nhttp://127.0.0.1/1\r\n",
       {"One"},
       {}},
      {"lone CR line ends", "#EXTM3U\r#EXTINF:-1,One\rhttp://127.0.0.1/1\r", {"One"}, {}},
      {"no header: a plain list of addresses",
       "http://127.0.0.1/1\nhttp://127.0.0.1/2\n",
       {"", ""},
       {1}},
      {"#EXTINF without address, in the middle and at the end",
       "#EXTM3U\n#EXTINF:-1,Lost\n#EXTINF:-1,Kept\nhttp://127.0.0.1/k\n#EXTINF:-1,Last\n",
       {"Kept"},
       {2, 5}},
      {"commas and quotes inside attributes",
       "#EXTM3U\n#EXTINF:-1 group-title=\"News, Local\" tvg-name=\"a,b\",Title, with "
       "\"quotes\"\nhttp://127.0.0.1/1\n",
       {"Title, with \"quotes\""},
       {}},
      {"names in any script",
       "#EXTM3U\n#EXTINF:-1,Беларусь 24\nhttp://127.0.0.1/1\n#EXTINF:-1,BRTV 北京卫视\n"
       "http://127.0.0.1/2\n#EXTINF:-1,قناة\nhttp://127.0.0.1/3\n",
       {"Беларусь 24", "BRTV 北京卫视", "قناة"},
       {}},
      {"UTF-16 little endian with its mark",
       Utf16Le(u"#EXTM3U\n#EXTINF:1,\u0412\U0001F4FA\nh://x\n"),
       {"\xD0\x92\xF0\x9F\x93\xBA"},
       {}},
      {"a line too long to hold is skipped",
       "#EXTM3U\n#EXTINF:-1,Long " + long_line +
           "\nhttp://127.0.0.1/1\n#EXTINF:-1,Two\n"
           "http://127.0.0.1/2\n",
       {"", "Two"},
       {2}},
      {"lines that are no addresses",
       "#EXTM3U\n<html>\n#EXTINF:-1,Local\n/home/me/a.ts\n#EXTINF:-1,Net\nrtsp://127.0.0.1/n\n",
       {"Net"},
       {2, 4}},
      {"empty", "", {}, {}},
      {"only blank lines and comments", "\n\n#EXTM3U\n# note\n\n", {}, {}},
  };
  for (const Case& c : cases) {
    const Read read = ReadText(c.text);
    EXPECT_EQ(read.titles, c.titles) << c.what;
    EXPECT_EQ(WarnedLines(read.report), c.warned_lines) << c.what;
    EXPECT_EQ(read.report.entries, c.titles.size()) << c.what;
    // Fed a byte at a time, the same comes out: lines cut by chunk ends are joined.
    if (c.text.size() < 1000) {
      Read bytewise;
      M3uChunkReader reader(
          [&](M3uEntry&& e) {
            bytewise.titles.push_back(e.title);
            bytewise.urls.push_back(e.url);
          },
          bytewise.report);
      for (char ch : c.text) reader.Feed(std::string_view(&ch, 1));
      reader.Finish();
      EXPECT_EQ(bytewise.titles, read.titles) << c.what;
      EXPECT_EQ(bytewise.urls, read.urls) << c.what;
      EXPECT_EQ(WarnedLines(bytewise.report), c.warned_lines) << c.what;
    }
  }
}

TEST(M3uFile, WarningsTextNamesTheLinesAndCountsTheRest) {
  std::string text = "#EXTM3U\n";
  for (int i = 0; i < 30; ++i) text += "#EXTINF:-1,x\n";
  const M3uReadReport report = ReadText(text).report;
  EXPECT_EQ(report.warning_count, 30u);
  EXPECT_EQ(report.warnings.size(), kM3uWarningsKept);
  const std::string shown = M3uWarningsText(report);
  EXPECT_TRUE(shown.starts_with("line 2: #EXTINF without an address; the entry is skipped\n"))
      << shown;
  EXPECT_TRUE(shown.ends_with("and 10 more")) << shown;
}

TEST(M3uFile, TheRealIptvOrgPlaylistReadsWhole) {
  const std::filesystem::path path = "/work/shared/data/iptv-org/iptv-org.m3u";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "no " << path;
  std::vector<M3uEntry> entries;
  const Result<M3uReadReport> report =
      ReadM3uFile(path, [&](M3uEntry&& e) { entries.push_back(std::move(e)); });
  ASSERT_TRUE(report.ok()) << report.error;
  EXPECT_EQ(report.value->entries, 15155u);
  EXPECT_EQ(entries.size(), 15155u);
  EXPECT_EQ(report.value->warning_count, 0u) << M3uWarningsText(*report.value);
  auto has = [&](const char* title) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const M3uEntry& e) { return e.title == title; });
  };
  for (const char* title : {"Беларусь 24 (1080p)", "BRTV 北京卫视", "Bread TV面包台 (720p)",
                            "GugakTV 국악방송 (1080p)", "Canal 7 Neuquén (1080p)"}) {
    EXPECT_TRUE(has(title)) << title;
  }
  EXPECT_EQ(entries.front().attributes.at("tvg-country"), "AF");
  EXPECT_EQ(entries.front().attributes.at("group-title"), "Music");
}

TEST(M3uFile, AMissingFileFailsWithItsName) {
  TempDir dir;
  const Result<M3uReadReport> report = ReadM3uFile(dir.path() / "gone.m3u", [](M3uEntry&&) {});
  ASSERT_FALSE(report.ok());
  EXPECT_THAT(report.error, ::testing::HasSubstr("gone.m3u"));
}

// A stream of one gigabyte made up as it is read: an entry, then one endless line, then an
// entry again.
class GigabyteStream : public std::streambuf {
 public:
  static constexpr std::size_t kSize = std::size_t{1} << 30;
  GigabyteStream() { setg(buffer_, buffer_, buffer_); }

 protected:
  int_type underflow() override {
    if (sent_ >= kSize) return traits_type::eof();
    static const std::string head = "#EXTM3U\n#EXTINF:-1,First\nhttp://127.0.0.1/1\n#EXTINF:-1,";
    static const std::string tail = "\n#EXTINF:-1,After\nhttp://127.0.0.1/2\n";
    std::size_t n = std::min(sizeof buffer_, kSize - sent_);
    std::memset(buffer_, 'y', n);
    if (sent_ == 0) std::memcpy(buffer_, head.data(), head.size());
    if (sent_ + n == kSize) std::memcpy(buffer_ + n - tail.size(), tail.data(), tail.size());
    sent_ += n;
    setg(buffer_, buffer_, buffer_ + n);
    return traits_type::to_int_type(buffer_[0]);
  }

 private:
  char buffer_[1 << 16];
  std::size_t sent_ = 0;
};

long PeakResidentKiB() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST(M3uFile, AGigabyteWithAnEndlessLineIsReadInBoundedMemory) {
  GigabyteStream source;
  std::istream stream(&source);
  std::vector<std::string> titles;
  const long before = PeakResidentKiB();
  const Result<M3uReadReport> report =
      ReadM3uStream(stream, [&](M3uEntry&& e) { titles.push_back(e.title); });
  ASSERT_TRUE(report.ok()) << report.error;
  EXPECT_THAT(titles, ElementsAre("First", "After"));
  EXPECT_THAT(WarnedLines(*report.value), ElementsAre(4));  // the endless line
  EXPECT_LT(PeakResidentKiB() - before, 64 * 1024);
}

}  // namespace
}  // namespace vistrel
