// Channel names in any script, through the package loader, the sort, the name filter and the
// find: a package whose TV entry is UTF-8 behind the byte-order mark sits beside Windows-1252
// entries without one.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser/find_in_list.h"
#include "browser/sort_channels.h"
#include "browser/view_filter.h"
#include "catalogue/lookups.h"
#include "catalogue/package.h"

namespace vistrel {
namespace {

const std::string kChinese =
    "\xE4\xB8\xAD\xE5\xA4\xAE\xE7\x94\xB5\xE8\xA7\x86\xE5\x8F\xB0";  // 中央电视台
const std::string kChinese2 = "\xE5\x8C\x97\xE4\xBA\xAC\xE5\x8D\xAB\xE8\xA7\x86";  // 北京卫视
const std::string kCyrillic =
    "\xD0\x9F\xD0\xB5\xD1\x80\xD0\xB2\xD1\x8B\xD0\xB9 "
    "\xD0\xBA\xD0\xB0\xD0\xBD\xD0\xB0\xD0\xBB";  // Первый канал
const std::string kArabic = "\xD8\xA7\xD9\x84\xD8\xAC\xD8\xB2\xD9\x8A\xD8\xB1\xD8\xA9";  // الجزيرة
const std::string kThai =
    "\xE0\xB9\x84\xE0\xB8\x97\xE0\xB8\xA2\xE0\xB8\xA3\xE0\xB8\xB1\xE0\xB8\x90";  // ไทยรัฐ
const std::string kEmoji = "\xF0\x9F\x93\xBA News";                              // 📺 News
const std::string kEmile = "\xC3\x89mile";                                       // Émile
const std::string kCafe = "Caf\xC3\xA9";                                         // Café

std::string Line(int id, const std::string& name, const std::string& comment = "") {
  return std::to_string(id) + "|" + name + "|http://127.0.0.1/" + std::to_string(id) +
         "|0|1||1|5|" + comment + "|0|0|0|0|0|0|0\r\n";
}

class EveryScript : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string long_name;
    for (int i = 0; i < 300; ++i) long_name += "\xE4\xB8\xAD";  // 中, three bytes each
    const std::string tv = "\xEF\xBB\xBF" + Line(1, kChinese, kArabic) + Line(2, kCyrillic) +
                           Line(3, kArabic) + Line(4, kThai) + Line(5, kEmoji) + Line(6, "Zed") +
                           Line(7, kEmile) + Line(8, "abc") + Line(9, kChinese2) +
                           Line(10, "\xD0\x9C" + long_name);
    // Latin entries stay Windows-1252, without a mark.
    const std::string radio = Line(20, "Caf\xE9");
    const std::vector<PackageEntry> entries = {
        {"version.dat", "202605011200\r\n"},
        {"countries.dat",
         "\xEF\xBB\xBF"
         "0|All Countries\r\n1|\xE4\xB8\xAD\xE5\x9B\xBD\r\n"},
        {"genres.dat", "0|All Genres\r\n5|Actualit\xE9s\r\n"},
        {"tv.dat", tv},
        {"radio.dat", radio}};
    ClearCatalogue(info);
    LoadChannelPackageBytes(info, {}, BuildPackage(entries));
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const Channel& c : info.channels) names.push_back(c.name);
    return names;
  }

  // Rows of the TV view with the name section set to `text`.
  std::vector<std::string> Filtered(const std::string& text) const {
    ViewFilter f;
    f.view = View::kTv;
    f.name_section_on = true;
    f.name = text;
    std::vector<std::string> names;
    for (const Channel& c : info.channels) {
      if (ChannelPassesFilter(f, c)) names.push_back(c.name);
    }
    return names;
  }

  Catalogue info;
};

TEST_F(EveryScript, LoadsEveryNameAsWritten) {
  ASSERT_EQ(info.channels.size(), 11u);
  const std::vector<std::string> names = Names();
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 9),
            (std::vector<std::string>{kChinese, kCyrillic, kArabic, kThai, kEmoji, "Zed", kEmile,
                                      "abc", kChinese2}));
  EXPECT_EQ(info.channels[0].comment, kArabic);
  EXPECT_EQ(info.channels[0].genre_name, "Actualit\xC3\xA9s");  // from the Windows-1252 entry
  EXPECT_EQ(info.channels[10].group_id, 2);
  EXPECT_EQ(info.channels[10].name, kCafe);
  EXPECT_EQ(info.countries.at(1).name, "\xE4\xB8\xAD\xE5\x9B\xBD");

  // Cut at 255 characters, never inside one: the Cyrillic letter and 254 ideographs.
  const std::string& cut = info.channels[9].name;
  EXPECT_EQ(cut.size(), 2u + 254u * 3u);
  EXPECT_TRUE(cut.ends_with("\xE4\xB8\xAD"));
}

TEST_F(EveryScript, SortsByCodeValueWithAToZFolded) {
  info.channels.pop_back();  // the radio channel
  info.channels.pop_back();  // the long name
  SortState state;
  SortChannels(info, ListColumn::kChannel, state);
  // The reference order: U+0041 (abc folded), U+005A, U+00C9, U+041F, U+0627, U+0E44, U+4E2D,
  // U+5317, U+1F4FA.
  EXPECT_EQ(Names(), (std::vector<std::string>{"abc", "Zed", kEmile, kCyrillic, kArabic, kThai,
                                               kChinese, kChinese2, kEmoji}));
  SortChannels(info, ListColumn::kChannel, state);
  EXPECT_EQ(Names(), (std::vector<std::string>{kEmoji, kChinese2, kChinese, kThai, kArabic,
                                               kCyrillic, kEmile, "Zed", "abc"}));
}

TEST_F(EveryScript, NameFilterMatchesCharacters) {
  EXPECT_EQ(Filtered("\xE7\x94\xB5\xE8\xA7\x86"), std::vector<std::string>{kChinese});   // 电视
  EXPECT_EQ(Filtered("\xD0\xBA\xD0\xB0\xD0\xBD"), std::vector<std::string>{kCyrillic});  // кан
  EXPECT_EQ(Filtered("\xE0\xB8\xA3\xE0\xB8\xB1"), std::vector<std::string>{kThai});      // รั
  EXPECT_EQ(Filtered("\xF0\x9F\x93\xBA"), std::vector<std::string>{kEmoji});
  EXPECT_EQ(Filtered("\xE8\xA7\x86"), (std::vector<std::string>{kChinese, kChinese2}));  // 视
  EXPECT_TRUE(Filtered("\xC3\xA9").empty());          // é: the Café channel is a radio channel
  EXPECT_TRUE(Filtered("\xD0\x9F\xD0\x95").empty());  // ПЕ: only a to z fold
}

TEST_F(EveryScript, FindMatchesCharacters) {
  VisibleRows visible;
  for (int32_t i = 0; i < 9; ++i) visible.positions.push_back(i);
  visible.count = 9;
  auto find = [&](const std::string& text, bool match_case) {
    return FindNextMatch(text, match_case, false, 0, info, visible).row;
  };
  EXPECT_EQ(find("\xE0\xB9\x84\xE0\xB8\x97\xE0\xB8\xA2", true), 3);  // ไทย
  EXPECT_EQ(find("\xD8\xAC\xD8\xB2", true), 2);                      // جز
  EXPECT_EQ(find("\xF0\x9F\x93\xBA NEWS", false), 4);                // a-z folded
  EXPECT_FALSE(find("\xF0\x9F\x93\xBA NEWS", true));
  EXPECT_EQ(find("\xE5\x8D\xAB", true), 8);  // 卫
  const FindResult none = FindNextMatch("\xE5\x9B\xBD", false, false, 0, info, visible);
  EXPECT_FALSE(none.row);
  EXPECT_EQ(none.message, "Could not find \"\xE5\x9B\xBD\"");
}

// The same channel in every form an entry can take: all give the same UTF-8 texts.
TEST(EntryEncodings, MarksDecideAndTextsComeOutUtf8) {
  auto utf16 = [](std::u16string_view text, bool little_endian) {
    std::string out = little_endian ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t u : text) {
      const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
      out += little_endian ? lo : hi;
      out += little_endian ? hi : lo;
    }
    return out;
  };
  const std::u16string line = u"7|Caf\u00E9 \u20AC|u|0|1||1|5|\u00FC|0|0|0|0|0|0|0\r\n";
  const struct {
    const char* what;
    std::string tv;
    std::string name;
    std::string comment;
  } cases[] = {
      {"Windows-1252", "7|Caf\xE9 \x80|u|0|1||1|5|\xFC|0|0|0|0|0|0|0\r\n",
       "Caf\xC3\xA9 \xE2\x82\xAC", "\xC3\xBC"},
      {"UTF-8 mark",
       "\xEF\xBB\xBF"
       "7|Caf\xC3\xA9 \xE2\x82\xAC|u|0|1||1|5|\xC3\xBC|0|0|0|0|0|0|0\r\n",
       "Caf\xC3\xA9 \xE2\x82\xAC", "\xC3\xBC"},
      {"UTF-16LE mark", utf16(line, true), "Caf\xC3\xA9 \xE2\x82\xAC", "\xC3\xBC"},
      {"UTF-16BE mark", utf16(line, false), "Caf\xC3\xA9 \xE2\x82\xAC", "\xC3\xBC"},
      // Malformed UTF-8 after the mark becomes U+FFFD, never invalid text in the catalogue.
      {"UTF-8 mark, malformed",
       "\xEF\xBB\xBF"
       "7|Caf\xE9 \xE2\x82\xAC|u|0|1||1|5|\xC3\xBC|0|0|0|0|0|0|0\r\n",
       "Caf\xEF\xBF\xBD \xE2\x82\xAC", "\xC3\xBC"},
  };
  for (const auto& c : cases) {
    Catalogue info;
    ClearCatalogue(info);
    LoadChannelPackageBytes(info, {},
                            BuildPackage({{"version.dat", "202605011200"}, {"tv.dat", c.tv}}));
    ASSERT_EQ(info.channels.size(), 1u) << c.what;
    EXPECT_EQ(info.channels[0].name, c.name) << c.what;
    EXPECT_EQ(info.channels[0].comment, c.comment) << c.what;
    EXPECT_EQ(info.channels[0].bitrate, 0) << c.what;
  }
}

}  // namespace
}  // namespace vistrel
