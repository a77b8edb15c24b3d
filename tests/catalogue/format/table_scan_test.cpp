#include <gtest/gtest.h>

#include <array>
#include <random>

#include "catalogue/format/fields.h"
#include "catalogue/format/table_scan.h"

namespace vistrel {
namespace {

using V = std::vector<std::string_view>;

V Lines(std::string_view text) {
  V out;
  ForEachLine(text, [&](std::string_view line) { out.push_back(line); });
  return out;
}

V Fields(std::string_view line, std::size_t limit) {
  std::vector<std::string_view> out(limit);
  out.resize(SplitFieldsInto(line, '|', out));
  return out;
}

// The fast scanners must split exactly as SplitLines and SplitFields do.
TEST(TableScan, SplitsLikeSplitLinesAndSplitFields) {
  using namespace std::string_view_literals;
  std::vector<std::string_view> texts = {
      ""sv,         "a"sv,       "a\r\n"sv, "a\r\nb\rc\nd"sv, "\r\n\r\n"sv,  "\n\r"sv,
      "\r\r\n\n"sv, "a|b|"sv,    "a||"sv,   "|x"sv,           "a||b"sv,      "|"sv,
      "||"sv,       "x\0y\nz"sv, "\0"sv,    "a\rb\rc"sv,      "1|a\r\n2|b"sv};
  // And random mixes of the characters that matter, short and long enough for several
  // 16-byte blocks and a partial last one.
  std::mt19937 random(7);
  std::vector<std::string> generated;
  for (int i = 0; i < 2000; ++i) {
    std::string s;
    const int length = static_cast<int>(random() % (i % 2 ? 24 : 72));
    for (int k = 0; k < length; ++k) s += "ab|\r\n\0"[random() % 6];
    generated.push_back(s);
  }
  for (const std::string& s : generated) texts.push_back(s);

  for (std::string_view text : texts) {
    SCOPED_TRACE(testing::PrintToString(std::string(text)));
    EXPECT_EQ(Lines(text), SplitLines(text));
    // The quick count never exceeds the lines and misses only those ended by a CR alone.
    const std::string_view before_zero = text.substr(0, text.find('\0'));
    bool lone_cr = false;
    for (std::size_t i = 0; i < before_zero.size(); ++i) {
      lone_cr |=
          before_zero[i] == '\r' && (i + 1 == before_zero.size() || before_zero[i + 1] != '\n');
    }
    if (lone_cr) {
      EXPECT_LE(CountLinesAtLeast(text), Lines(text).size());
    } else {
      EXPECT_EQ(CountLinesAtLeast(text), Lines(text).size());
    }
    const V all = SplitFields("|", text);
    for (std::size_t limit : {1, 2, 3, 16, 80}) {
      const V expected(all.begin(), all.begin() + std::min(limit, all.size()));
      EXPECT_EQ(Fields(text, limit), expected) << limit;
    }
  }
}

}  // namespace
}  // namespace vistrel
