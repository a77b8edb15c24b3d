#include <gtest/gtest.h>

#include <clocale>

#include "catalogue/format/codepage.h"
#include "catalogue/format/fields.h"
#include "catalogue/records.h"
#include "common/error.h"
#include "support/error_matchers.h"

namespace vistrel {
namespace {

using V = std::vector<std::string_view>;

TEST(SplitFields, TrailingSeparatorAndEmptyElements) {
  EXPECT_EQ(SplitFields("|", "a|b|"), (V{"a", "b"}));
  EXPECT_EQ(SplitFields("|", "a||"), (V{"a", ""}));
  EXPECT_EQ(SplitFields("|", "|x"), (V{"", "x"}));
  EXPECT_EQ(SplitFields("|", "a||b"), (V{"a", "", "b"}));
  EXPECT_EQ(SplitFields("|", "|"), (V{""}));
  EXPECT_EQ(SplitFields("|", ""), V{});
  EXPECT_EQ(SplitFields("", "a|b"), (V{"a|b"}));
}

TEST(SplitLines, AnyLineEndNoEmptyLastLineZeroEndsText) {
  EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (V{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n"), (V{"a"}));
  EXPECT_EQ(SplitLines("a\n\nb"), (V{"a", "", "b"}));
  EXPECT_EQ(SplitLines(""), V{});
  EXPECT_EQ(SplitLines(std::string_view("a\nb\0c\nd", 7)), (V{"a", "b"}));
}

TEST(ParseInt32, AcceptsSignedDecimalOnly) {
  EXPECT_EQ(ParseInt32("42"), 42);
  EXPECT_EQ(ParseInt32("+7"), 7);
  EXPECT_EQ(ParseInt32("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseInt32("2147483647"), INT32_MAX);
  for (const char* bad :
       {"", "+", "-", "2147483648", "1 ", " 1", "0x10", "$10", "1.5", "+-1", "--1", "abc"}) {
    EXPECT_THAT([&] { ParseInt32(bad); }, ThrowsErrorContaining(std::string("'") + bad + "'"))
        << bad;
  }
}

TEST(ParseDecimal, PointIsTheSeparatorWhateverTheLocale) {
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // may be absent; the point must work regardless
  EXPECT_DOUBLE_EQ(ParseDecimal("4.5"), 4.5);
  EXPECT_DOUBLE_EQ(ParseDecimal("-0.25"), -0.25);
  EXPECT_DOUBLE_EQ(ParseDecimal("9"), 9);
  EXPECT_THROW(ParseDecimal("4,5"), Error);
  EXPECT_THROW(ParseDecimal(""), Error);
  EXPECT_THROW(ParseDecimal("inf"), Error);
  EXPECT_THROW(ParseDecimal("+-1"), Error);
  EXPECT_THROW(ParseDecimal("--1"), Error);
  std::setlocale(LC_NUMERIC, "C");
}

TEST(Codepage, RoundTripsEveryRepresentableCharacter) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(Cp1252ToUtf8("\x80\xC9"), "\u20AC\u00C9");
  EXPECT_EQ(Utf8ToCp1252("\u041C\u0438\u0440 \u00E9"), "??? \xE9");
  EXPECT_EQ(Utf8ToCp1252("a\xFF"
                         "b"),
            "a?b");
}

TEST(Codepage, ByteOrderMarksAreHonoured) {
  EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF"
                           "caf\xC3\xA9 \xE4\xB8\xAD"),
            "caf\xC3\xA9 \xE4\xB8\xAD");
  EXPECT_EQ(DecodeTextFile(std::string("\xFF\xFE"
                                       "a\0\xE9\0\xAC\x20\x3D\xD8\xFA\xDC",
                                       12)),
            "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x93\xBA");
  EXPECT_EQ(DecodeTextFile(std::string("\xFE\xFF\0a\0\xE9", 6)), "a\xC3\xA9");
  EXPECT_EQ(DecodeTextFile("plain \xE9"), "plain \xC3\xA9");  // no mark: Windows-1252
  EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF"
                           "a\xE9z"),
            "a\xEF\xBF\xBDz");  // malformed: U+FFFD
}

TEST(Codepage, WrittenAsWindows1252WhenEveryCharacterFits) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_TRUE(FitsCp1252(utf8));
  EXPECT_EQ(EncodeTextFile(utf8), all);  // byte for byte, no mark
  EXPECT_EQ(EncodeTextFile(""), "");
  const std::string cyrillic = "\xD0\x96 caf\xC3\xA9";
  EXPECT_FALSE(FitsCp1252(cyrillic));
  EXPECT_EQ(EncodeTextFile(cyrillic), "\xEF\xBB\xBF" + cyrillic);
  EXPECT_EQ(DecodeTextFile(EncodeTextFile(cyrillic)), cyrillic);
  EXPECT_FALSE(FitsCp1252("a\xE9"));  // not UTF-8 at all
}

TEST(Codepage, ValidUtf8OrElseWindows1252) {
  EXPECT_TRUE(IsValidUtf8("caf\xC3\xA9 \xF0\x9F\x93\xBA"));
  for (const char* bad :
       {"\xE9", "\xC3", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE4\xB8"}) {
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
  }
  EXPECT_EQ(Utf8OrCp1252("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(Utf8OrCp1252("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
}

TEST(Codepage, CharactersNotBytes) {
  const std::string text = "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x93\xBA";  // 4 characters, 10 bytes
  EXPECT_EQ(CharacterCount(text), 4u);
  EXPECT_EQ(CharacterPrefix(text, 0), 0u);
  EXPECT_EQ(CharacterPrefix(text, 2), 3u);
  EXPECT_EQ(CharacterPrefix(text, 3), 6u);
  EXPECT_EQ(CharacterPrefix(text, 4), 10u);
  EXPECT_EQ(CharacterPrefix(text, 99), 10u);
  EXPECT_EQ(CutText(text, 3), "a\xC3\xA9\xE4\xB8\xAD");
}

}  // namespace
}  // namespace vistrel
