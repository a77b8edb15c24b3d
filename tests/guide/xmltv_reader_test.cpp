#include "guide/xmltv_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <optional>

#include "guide/xmltv_time.h"
#include "support/gzip_bytes.h"
#include "support/temp_dir.h"

namespace vistrel {
namespace {

using ::testing::HasSubstr;

struct Read {
  std::vector<GuideChannel> channels;
  std::vector<Programme> programmes;
  GuideCounts counts;
  Outcome outcome;
};

// Reads `bytes` fed in pieces of `piece` bytes.
Read ReadGuide(std::string_view bytes, std::string language = {}, std::size_t piece = 1 << 20) {
  Read read;
  XmltvReader reader({[&](GuideChannel&& c) { read.channels.push_back(std::move(c)); },
                      [&](Programme&& p) { read.programmes.push_back(std::move(p)); }, nullptr},
                     std::move(language));
  for (std::size_t at = 0; at < bytes.size() && read.outcome.ok(); at += piece) {
    read.outcome = reader.Feed(bytes.substr(at, piece));
  }
  if (read.outcome.ok()) read.outcome = reader.Finish();
  read.counts = reader.counts();
  return read;
}

// A guide declaring channels "a" and "b", with `programmes` after them.
std::string Guide(const std::string& programmes) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n"
         "<tv generator-info-name=\"test\">\n"
         "<channel id=\"a\"><display-name lang=\"en\">Alpha</display-name>"
         "<display-name>Alpha HD</display-name><icon src=\"x.png\"/></channel>\n"
         "<channel id=\"b\"><display-name>Beta</display-name></channel>\n" +
         programmes + "</tv>\n";
}

std::string Gzip(std::string_view bytes) {
  return GzipBytes(bytes);
}

constexpr int64_t k12 = 1709294400;  // 2024-03-01 12:00 UTC
constexpr int64_t kHour = 3600;

// A guide of `count` one-minute programmes on channel "a" from k12, each with a description of
// about a kilobyte: a few megabytes once inflated, more than the reader holds at a time.
std::string LongGuide(int count) {
  std::string programmes;
  for (int i = 0; i < count; ++i) {
    programmes += "<programme start=\"" + FormatXmltvTime(k12 + i * 60) + "\" stop=\"" +
                  FormatXmltvTime(k12 + i * 60 + 60) + "\" channel=\"a\"><title>Number " +
                  std::to_string(i) + "</title><desc>" + std::string(1000, 'd') +
                  "</desc></programme>\n";
  }
  return Guide(programmes);
}

TEST(XmltvReader, ProgrammesTimesAndCounts) {
  struct Expected {
    const char* channel;
    int64_t start;
    int64_t stop;
    const char* title;
  };
  struct Case {
    const char* name;
    std::string programmes;
    std::vector<Expected> expected;
    GuideCounts counts;  // channels and programmes are checked apart
  };
  const auto p = [](const char* attributes, const char* title) {
    return std::string("<programme ") + attributes + "><title>" + title + "</title></programme>\n";
  };
  const Case cases[] = {
      {"offsets",
       p("start=\"20240301120000 +0100\" stop=\"20240301130000 +0100\" channel=\"a\"", "East") +
           p("start=\"20240301120000 -0030\" stop=\"20240301123000 -0030\" channel=\"b\"", "West"),
       {{"a", k12 - kHour, k12, "East"}, {"b", k12 + 1800, k12 + 3600, "West"}},
       {}},
      {"no offset is UTC, short forms",
       p("start=\"20240301120000\" stop=\"202403011230\" channel=\"a\"", "One") +
           p("start=\"202403011230\" stop=\"2024030113\" channel=\"a\"", "Two") +
           p("start=\"2024030113\" stop=\"20240302\" channel=\"a\"", "Three"),
       {{"a", k12, k12 + 1800, "One"},
        {"a", k12 + 1800, k12 + kHour, "Two"},
        {"a", k12 + kHour, k12 + 12 * kHour, "Three"}},
       {}},
      {"no stop ends at the next start; the last one has no end",
       p("start=\"20240301120000 +0000\" channel=\"a\"", "Open") +
           p("start=\"20240301120000 +0000\" stop=\"20240301130000 +0000\" channel=\"b\"", "B") +
           p("start=\"20240301124500 +0000\" channel=\"a\"", "Next") +
           p("start=\"20240301130000 +0000\" channel=\"a\"", "Last"),
       {{"b", k12, k12 + kHour, "B"},
        {"a", k12, k12 + 2700, "Open"},
        {"a", k12 + 2700, k12 + kHour, "Next"}},
       {.without_end = 1}},
      {"bad dates, unknown channels, overlaps and duplicates are skipped",
       p("start=\"20241301120000\" stop=\"20240301130000\" channel=\"a\"", "Month 13") +
           p("start=\"20240301120000\" stop=\"2024030112\" channel=\"a\"", "Stop=start") +
           p("stop=\"20240301130000\" channel=\"a\"", "No start") +
           p("start=\"20240301120000\" stop=\"20240301130000\" channel=\"zz\"", "Unknown") +
           p("start=\"20240301120000\" stop=\"20240301130000\" channel=\"a\"", "Kept") +
           p("start=\"20240301120000\" stop=\"20240301130000\" channel=\"a\"", "Duplicate") +
           p("start=\"20240301123000\" stop=\"20240301140000\" channel=\"a\"", "Overlap") +
           p("start=\"20240301110000\" stop=\"20240301113000\" channel=\"a\"", "Earlier") +
           p("start=\"20240301130000\" stop=\"20240301140000\" channel=\"a\"", "After"),
       {{"a", k12, k12 + kHour, "Kept"}, {"a", k12 + kHour, k12 + 2 * kHour, "After"}},
       {.bad_times = 3, .unknown_channels = 1, .overlaps = 2, .duplicates = 1}},
  };
  for (const Case& c : cases) {
    const Read read = ReadGuide(Guide(c.programmes));
    ASSERT_TRUE(read.outcome.ok()) << c.name << ": " << read.outcome.error;
    ASSERT_EQ(read.programmes.size(), c.expected.size()) << c.name;
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
      const Programme& got = read.programmes[i];
      EXPECT_EQ(got.channel, c.expected[i].channel) << c.name << " #" << i;
      EXPECT_EQ(got.start, c.expected[i].start) << c.name << " #" << i;
      EXPECT_EQ(got.stop, c.expected[i].stop) << c.name << " #" << i;
      EXPECT_EQ(got.title, c.expected[i].title) << c.name << " #" << i;
    }
    EXPECT_EQ(read.counts.channels, 2) << c.name;
    EXPECT_EQ(read.counts.programmes, static_cast<int64_t>(c.expected.size())) << c.name;
    EXPECT_EQ(read.counts.bad_times, c.counts.bad_times) << c.name;
    EXPECT_EQ(read.counts.unknown_channels, c.counts.unknown_channels) << c.name;
    EXPECT_EQ(read.counts.overlaps, c.counts.overlaps) << c.name;
    EXPECT_EQ(read.counts.duplicates, c.counts.duplicates) << c.name;
    EXPECT_EQ(read.counts.without_end, c.counts.without_end) << c.name;
  }
}

const std::string kRichGuide = Guide(
    "<programme start=\"20240301120000 +0000\" stop=\"20240301130000 +0000\" channel=\"a\">"
    "<title lang=\"en\">Tom &amp; Jerry &#x2014; caf\xC3\xA9</title>"
    "<title lang=\"de\">Tom und Jerry</title>"
    "<sub-title lang=\"en\">&lt;Pilot&gt;</sub-title>"
    "<desc lang=\"de\">Beschreibung</desc>"
    "<desc lang=\"en\"><![CDATA[A <b>bold</b> & plain]]> story</desc>"
    "<category lang=\"en\">Comedy</category><category lang=\"de\">Kom\xC3\xB6"
    "die</category>"
    "<category lang=\"en\">Kids</category>"
    "<episode-num system=\"xmltv_ns\">1.4.</episode-num>"
    "<episode-num system=\"onscreen\">S02E05</episode-num>"
    "<credits><director>Someone</director></credits>"
    "</programme>\n");

TEST(XmltvReader, TextsEntitiesCdataAndLanguages) {
  struct Case {
    const char* language;
    const char* title;
    const char* description;
    const char* category;
  };
  for (const Case& c :
       {Case{"", "Tom & Jerry \xE2\x80\x94 caf\xC3\xA9", "Beschreibung", "Comedy, Kids"},
        Case{"en", "Tom & Jerry \xE2\x80\x94 caf\xC3\xA9", "A <b>bold</b> & plain story",
             "Comedy, Kids"},
        Case{"de", "Tom und Jerry", "Beschreibung",
             "Kom\xC3\xB6"
             "die"},
        Case{"fr", "Tom & Jerry \xE2\x80\x94 caf\xC3\xA9", "Beschreibung", "Comedy, Kids"}}) {
    const Read read = ReadGuide(kRichGuide, c.language);
    ASSERT_TRUE(read.outcome.ok()) << read.outcome.error;
    ASSERT_EQ(read.programmes.size(), 1u);
    const Programme& got = read.programmes[0];
    EXPECT_EQ(got.title, c.title) << c.language;
    EXPECT_EQ(got.sub_title, "<Pilot>") << c.language;
    EXPECT_EQ(got.description, c.description) << c.language;
    EXPECT_EQ(got.category, c.category) << c.language;
    EXPECT_EQ(got.episode_num, "S02E05") << c.language;
  }
  const Read read = ReadGuide(kRichGuide);
  ASSERT_EQ(read.channels.size(), 2u);
  EXPECT_EQ(read.channels[0].id, "a");
  EXPECT_THAT(read.channels[0].display_names, ::testing::ElementsAre("Alpha", "Alpha HD"));
}

TEST(XmltvReader, GzipAndAnyChunkingReadTheSame) {
  const std::string gz = Gzip(kRichGuide);
  ASSERT_EQ(static_cast<unsigned char>(gz[0]), 0x1F);
  for (const auto& [bytes, piece] :
       {std::pair{kRichGuide, std::size_t{1}}, std::pair{gz, std::size_t{1}},
        std::pair{gz, std::size_t{7}}, std::pair{gz + Gzip(""), std::size_t{1 << 20}}}) {
    const Read read = ReadGuide(bytes, "en", piece);
    ASSERT_TRUE(read.outcome.ok()) << read.outcome.error;
    ASSERT_EQ(read.programmes.size(), 1u);
    EXPECT_EQ(read.programmes[0].description, "A <b>bold</b> & plain story");
  }
  // A long compressed guide comes out whole and in order, however it is fed.
  const std::string long_gz = Gzip(LongGuide(5000));
  for (const std::size_t piece : {std::size_t{512}, std::size_t{1 << 20}}) {
    const Read read = ReadGuide(long_gz, {}, piece);
    ASSERT_TRUE(read.outcome.ok()) << read.outcome.error;
    ASSERT_EQ(read.programmes.size(), 5000u);
    EXPECT_EQ(read.programmes[4999].title, "Number 4999");
    EXPECT_EQ(read.programmes[4999].start, k12 + 4999 * 60);
  }
  // Read from a file, named as if it were plain: the bytes decide.
  TempDir dir;
  const auto file = dir.path() / "guide.xml";
  std::ofstream(file, std::ios::binary) << gz;
  int delivered = 0;
  XmltvReader reader({nullptr, [&](Programme&&) { ++delivered; }, nullptr});
  const Outcome outcome = ReadXmltvFile(file, reader);
  EXPECT_TRUE(outcome.ok()) << outcome.error;
  EXPECT_EQ(delivered, 1);
  XmltvReader missing({});
  EXPECT_THAT(ReadXmltvFile(dir.path() / "none.xml", missing).error, HasSubstr("none.xml"));
}

TEST(XmltvReader, BrokenXmlPartWayFailsWithItsLine) {
  const std::string good =
      "<programme start=\"20240301120000\" stop=\"20240301130000\" channel=\"a\">"
      "<title>Fine</title></programme>\n";
  const std::string whole =
      Guide(good + good.substr(0, good.find("</title>")) + "\n</programme>\n");
  struct Case {
    std::string bytes;
    const char* error;
  };
  const Case cases[] = {
      {whole, "line 8: mismatched tag"},
      {Gzip(whole), "line 8: mismatched tag"},
      {Guide(good).substr(0, 300), "line "},             // ends part-way
      {Gzip(Guide(good)).substr(0, 100), "ends early"},  // compressed data cut
      {"\x1F\x8B" + std::string(40, 'x'), "damaged"},    // not gzip after all
      {"", "line 1: no element found"},
  };
  for (const Case& c : cases) {
    const Read read = ReadGuide(c.bytes, {}, 16);
    EXPECT_FALSE(read.outcome.ok());
    EXPECT_THAT(read.outcome.error, HasSubstr(c.error));
  }
  // What came before the break was delivered; the caller decides to drop it.
  EXPECT_EQ(ReadGuide(whole).programmes.size(), 1u);
}

TEST(XmltvReader, HandlerFailureStopsReadingAndIsPassedOn) {
  XmltvReader reader({nullptr, [](Programme&&) { throw Error("disk full"); }, nullptr});
  const std::string guide = Guide(
      "<programme start=\"20240301120000\" stop=\"20240301130000\" channel=\"a\"></programme>");
  EXPECT_THROW(
      {
        if (reader.Feed(guide).ok()) (void)reader.Finish();
      },
      Error);
  // Part-way through a long compressed guide, with more inflated data waiting behind it.
  const std::string long_gz = Gzip(LongGuide(5000));
  int delivered = 0;
  std::optional<XmltvReader> gz_reader;
  gz_reader.emplace(XmltvHandlers{nullptr,
                                  [&](Programme&&) {
                                    if (++delivered == 100) throw Error("disk full");
                                  },
                                  nullptr});
  EXPECT_THROW(
      {
        for (std::size_t at = 0; at < long_gz.size(); at += 512) {
          if (!gz_reader->Feed(std::string_view(long_gz).substr(at, 512)).ok()) break;
        }
        (void)gz_reader->Finish();
      },
      Error);
  EXPECT_EQ(delivered, 100);
  gz_reader.reset();  // ends its work without waiting for the rest
}

TEST(XmltvReader, ProgrammesOfUnwantedChannelsPassUnread) {
  std::vector<std::string> asked;
  std::vector<std::string> titles;
  XmltvReader reader({nullptr, [&](Programme&& p) { titles.push_back(p.title); },
                      [&](const std::string& channel) {
                        asked.push_back(channel);
                        return channel == "a";
                      }});
  const std::string guide = Guide(
      "<programme start=\"20240301120000\" stop=\"20240301130000\" channel=\"b\">"
      "<title>Beta</title></programme>\n"
      "<programme start=\"20240301120000\" stop=\"20240301130000\" channel=\"a\">"
      "<title>Alpha</title></programme>\n"
      "<programme start=\"bad\" channel=\"zz\"><title>Z</title></programme>\n");
  ASSERT_TRUE(reader.Feed(guide).ok());
  ASSERT_TRUE(reader.Finish().ok());
  EXPECT_THAT(titles, ::testing::ElementsAre("Alpha"));
  EXPECT_THAT(asked, ::testing::ElementsAre("b", "a", "zz"));
  EXPECT_EQ(reader.counts().not_wanted, 2);
  EXPECT_EQ(reader.counts().bad_times, 0);
}

TEST(XmltvReader, LongTextsAreCutAtACharacterBoundary) {
  std::string title;
  while (title.size() < XmltvReader::kMaxText + 10) title += "\xC3\xA9";
  const Read read = ReadGuide(Guide("<programme start=\"20240301120000\" stop=\"20240301130000\" "
                                    "channel=\"a\"><title>x" +
                                    title + "</title></programme>"),
                              {}, 1000);
  ASSERT_EQ(read.programmes.size(), 1u);
  EXPECT_LE(read.programmes[0].title.size(), XmltvReader::kMaxText);
  EXPECT_GE(read.programmes[0].title.size(), XmltvReader::kMaxText - 1);
  EXPECT_EQ(read.programmes[0].title.back(), '\xA9');
}

}  // namespace
}  // namespace vistrel
