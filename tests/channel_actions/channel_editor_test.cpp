#include "channel_actions/channel_editor.h"

#include <gtest/gtest.h>

#include "browser/selected_channel.h"
#include "catalogue/user_files.h"
#include "common/build_config.h"

namespace vistrel {
namespace {

Channel PackageChannel(int32_t id, std::string name, std::string url) {
  Channel c;
  c.id = id;
  c.group_id = c.type_id = 1;
  c.name = std::move(name);
  c.url = std::move(url);
  return c;
}

Catalogue TestCatalogue() {
  Catalogue info;
  info.highest_user_id = 100000;
  info.countries = {{0, "All Countries"}, {7, "Norway"}, {8, " Spaced "}, {9, "Norway"}};
  info.genres = {{0, "All Genres"}, {3, "News"}, {4, "Music"}};
  info.channels = {PackageChannel(1, "Alpha", "http://a.example/live"),
                   PackageChannel(100001, "Beta", "http://b.example/live")};
  return info;
}

// Fields that pass every check.
ChannelEditorFields GoodFields() {
  ChannelEditorFields f;
  f.category = 1;
  f.name = "  My Radio\t";
  f.url = " http://my.example/stream ";
  f.bitrate = "128";
  f.type = 2;
  f.homepage = " https://my.example/ ";
  f.country = 3;  // the second "Norway": stored as the first entry of that name
  f.genre = 2;
  f.comment = " evening news ";
  return f;
}

TEST(ChannelEditor, ChecksFollowTheDialogsOrder) {
  const Catalogue info = TestCatalogue();
  struct Case {
    void (*change)(ChannelEditorFields&);
    std::string message;
  };
  const Case cases[] = {
      {[](auto& f) { f = ChannelEditorFields(); }, "Please Select a Category."},
      {[](auto& f) { f.category = 2; }, "Please Select a Category."},
      {[](auto& f) { f.name = " \t "; }, "Please Enter Name."},
      {[](auto& f) { f.url = ""; }, "Please Enter URL."},
      {[](auto& f) { f.url = "file:///etc/passwd"; }, NetworkStreamUrlMessage()},
      {[](auto& f) { f.url = " /home/me/a.mp4 "; }, NetworkStreamUrlMessage()},
      {[](auto& f) { f.url = "lavfi://sine"; }, NetworkStreamUrlMessage()},
      {[](auto& f) { f.url = "127.0.0.1/live"; }, NetworkStreamUrlMessage()},
      {[](auto& f) { f.url = " RTSP://127.0.0.1/live "; }, "<none>"},
      {[](auto& f) { f.url = "file:///x", f.type = 0; }, NetworkStreamUrlMessage()},
      {[](auto& f) { f.type = 0; }, "Please Select a Type."},
      {[](auto& f) { f.type = 3; }, "Please Select a Type."},
      {[](auto& f) { f.country = 0; }, "Please Select a Country."},
      {[](auto& f) { f.country = 4; }, "Please Select a Country."},
      {[](auto& f) { f.genre = 0; }, "Please Select a Genre."},
      {[](auto& f) { f.genre = -1; }, "Please Select a Genre."},
      {[](auto& f) { f.bitrate = " "; }, "Please Enter Bitrate."},
      {[](auto& f) { f.bitrate = "12a"; }, kBitrateMessage},
      {[](auto& f) { f.bitrate = "-1"; }, kBitrateMessage},
      {[](auto& f) { f.bitrate = "2147483648"; }, kBitrateMessage},
      {[](auto& f) { f.name = "A|B"; }, "Name must not contain \"|\" or line breaks."},
      {[](auto& f) { f.url = "http://x/\n2"; }, "URL must not contain \"|\" or line breaks."},
      {[](auto& f) { f.homepage = "a\rb"; }, "Homepage must not contain \"|\" or line breaks."},
      {[](auto& f) { f.comment = "|"; }, "Comment must not contain \"|\" or line breaks."},
      {[](auto& f) { f.user_agent = "A\nX-Evil: 1"; },
       "User-Agent must not contain \"|\" or line breaks."},
      {[](auto& f) { f.referrer = "http://x/|y"; },
       "Referer must not contain \"|\" or line breaks."},
      // The first failing check speaks.
      {[](auto& f) { f.name = "", f.type = 0; }, "Please Enter Name."},
  };
  for (const Case& c : cases) {
    ChannelEditorFields f = GoodFields();
    c.change(f);
    const Outcome check = CheckEditorFields(info, f);
    EXPECT_EQ(check.ok() ? "<none>" : check.error, c.message);
  }
  EXPECT_TRUE(CheckEditorFields(info, GoodFields()).ok());
  ChannelEditorFields f = GoodFields();
  f.bitrate = " 2147483647 ";
  f.comment = "trailing line break is trimmed\r\n";
  EXPECT_TRUE(CheckEditorFields(info, f).ok());
}

TEST(ChannelEditor, AddedChannelTakesTheNextIdAndTrimmedFields) {
  Catalogue info = TestCatalogue();
  info.channels[1].user_defined = 1;  // a user channel above ud_max: the next id goes past it
  SortState sort{.toggle = true};     // as a load leaves it: names ascending
  ASSERT_TRUE(AddUserChannel(info, sort, GoodFields()).ok());
  ASSERT_EQ(info.channels.size(), 3u);
  const Channel& added = info.channels[2];  // sorted by name: Alpha, Beta, My Radio
  EXPECT_EQ(added.id, 100002);
  EXPECT_EQ(info.highest_user_id, 100002);
  EXPECT_EQ(added.name, "My Radio");
  EXPECT_EQ(added.url, "http://my.example/stream");
  EXPECT_EQ(added.bitrate, 128);
  EXPECT_EQ(added.type_id, 1);  // whatever the Type box says
  EXPECT_EQ(added.group_id, 1);
  EXPECT_EQ(added.homepage, "https://my.example/");
  EXPECT_EQ(added.country_id, 7);
  EXPECT_EQ(added.genre_id, 4);
  EXPECT_EQ(added.genre_name, "Music");
  EXPECT_EQ(added.comment, "evening news");
  EXPECT_EQ(added.user_defined, 1);
  EXPECT_EQ(added.favorited, 0);
  EXPECT_EQ(added.sent, 0);

  // With no user channel loaded, the first one gets 100001.
  Catalogue fresh = TestCatalogue();
  fresh.channels.pop_back();
  ASSERT_TRUE(AddUserChannel(fresh, sort, GoodFields()).ok());
  EXPECT_EQ(fresh.channels.back().id, 100001);
}

// A userdef.dat may hold the largest id there is: the next addition takes the lowest id above
// the package range that no channel carries, never one past the largest (an overflow).
TEST(ChannelEditor, AdditionAfterTheLargestIdTakesTheLowestFreeId) {
  constexpr int32_t kLargest = 2147483647;
  struct Case {
    const char* userdef;
    int32_t expected;
  };
  const Case cases[] = {
      // Beta, a package channel, holds 100001.
      {"2147483647|1|0|Top|http://t/|0|1||7|3|\r\n", 100002},
      {"100002|1|0|A|http://a/|0|1||7|3|\r\n"
       "2147483647|1|0|Top|http://t/|0|1||7|3|\r\n"
       "100004|1|0|C|http://c/|0|1||7|3|\r\n",
       100003},
      // The largest removed in this run, so only highest_user_id remembers it.
      {"", 100002},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.userdef);
    Catalogue info = TestCatalogue();
    std::vector<Channel> package = info.channels;
    ParseUserChannelsText(c.userdef, info, {});
    info.channels.insert(info.channels.end(), package.begin(), package.end());
    if (*c.userdef == '\0') info.highest_user_id = kLargest;
    ASSERT_EQ(info.highest_user_id, kLargest);
    EXPECT_EQ(NextUserChannelId(info), c.expected);
    SortState sort;
    ASSERT_TRUE(AddUserChannel(info, sort, GoodFields()).ok());
    const int32_t added = ChannelPositionById(info, c.expected);
    ASSERT_GE(added, 0);
    EXPECT_EQ(info.channels[added].name, "My Radio");
    EXPECT_EQ(info.highest_user_id, kLargest);
    // The next one takes the next gap, not the same id again.
    EXPECT_GT(NextUserChannelId(info).value_or(0), c.expected);
  }
}

TEST(ChannelEditor, LongNamesAreCutBetweenCharacters) {
  Catalogue info = TestCatalogue();
  SortState sort;
  ChannelEditorFields f = GoodFields();
  f.name.clear();
  for (int i = 0; i < 300; ++i) f.name += "ж";
  ASSERT_TRUE(AddUserChannel(info, sort, f).ok());
  const int32_t p = ChannelPositionById(info, 100001);
  ASSERT_GE(p, 0);
  EXPECT_EQ(info.channels[p].name.size(), 255u * 2);
}

TEST(ChannelEditor, DuplicateUrlsAreRefusedWhateverTheirCaseAndSpaces) {
  Catalogue info = TestCatalogue();
  const Catalogue before = info;
  SortState sort;
  ChannelEditorFields f = GoodFields();
  f.url = "  HTTP://A.EXAMPLE/LIVE ";  // the package channel Alpha's
  EXPECT_EQ(AddUserChannel(info, sort, f).error, "A duplicate value was detected. Alpha");
  EXPECT_EQ(info.channels.size(), before.channels.size());
  EXPECT_EQ(info.highest_user_id, before.highest_user_id);
  EXPECT_EQ(DuplicateChannelPosition(info, "http://b.example/live"), 1);
  EXPECT_EQ(DuplicateChannelPosition(info, "http://b.example/live2"), -1);
  // Only a to z fold: other letters must match exactly.
  info.channels[0].url = "http://ä.example";
  EXPECT_EQ(DuplicateChannelPosition(info, "HTTP://Ä.EXAMPLE"), -1);
}

TEST(ChannelEditor, AdditionSortsByTheLastColumnInTheLastDirection) {
  Catalogue info = TestCatalogue();
  info.channels[0].bitrate = 64;
  info.channels[1].bitrate = 512;
  SortState sort;
  SortChannels(info, ListColumn::kBitrate,
               sort);  // by bitrate, descending; the toggle flips to true
  ASSERT_TRUE(sort.toggle);
  ChannelEditorFields f = GoodFields();  // 128
  ASSERT_TRUE(AddUserChannel(info, sort, f).ok());
  EXPECT_EQ(info.channels[0].bitrate, 512);
  EXPECT_EQ(info.channels[1].bitrate, 128);
  EXPECT_EQ(info.channels[2].bitrate, 64);
  EXPECT_TRUE(sort.toggle);
  EXPECT_EQ(sort.column, ListColumn::kBitrate);
}

TEST(ChannelEditor, OpeningForAChangeShowsTheChannel) {
  const Catalogue info = TestCatalogue();
  Channel c = PackageChannel(100001, "Mine", "http://m");
  c.type_id = 1;
  c.bitrate = 96;
  c.country_id = 9;  // the first country with id 9 is "Norway": item 1
  c.genre_id = 3;
  c.homepage = "h";
  c.comment = "k";
  ChannelEditorFields f = EditorFieldsFromChannel(info, c, 1);
  EXPECT_EQ(f.category, 1);
  EXPECT_EQ(f.type, 1);
  EXPECT_EQ(f.country, 1);
  EXPECT_EQ(f.genre, 1);
  EXPECT_EQ(f.name, "Mine");
  EXPECT_EQ(f.url, "http://m");
  EXPECT_EQ(f.bitrate, "96");
  EXPECT_EQ(f.homepage, "h");
  EXPECT_EQ(f.comment, "k");

  // Not among the items: "-----". The trimmed " Spaced " matches no item exactly; id 0 is the
  // first entry, whose item reads "-----"; id 55 is in no entry; type 7 is no Type item.
  for (int32_t id : {8, 0, 55}) {
    c.country_id = c.genre_id = id;
    c.type_id = 7;
    f = EditorFieldsFromChannel(info, c, 0);
    EXPECT_EQ(f.country, 0) << id;
    EXPECT_EQ(f.genre, 0) << id;
    EXPECT_EQ(f.type, 0);
  }
  EXPECT_EQ(EmptyEditorFields(1).category, 1);
  EXPECT_EQ(EmptyEditorFields(1).country, 0);
}

// A user channel sharing its id with a package channel placed before it: the row's record is
// the one changed or removed.
TEST(ChannelEditor, ChangeAndRemoveActOnTheRecordBehindTheRow) {
  Catalogue info = TestCatalogue();
  Channel mine = PackageChannel(1, "Mine", "http://mine");
  mine.user_defined = 1;
  mine.favorited = 1;
  mine.sent = 1;
  mine.work_fine_reports = 3;
  info.channels.push_back(mine);
  const VisibleRows rows{{2, 0}, 2};  // row 0 shows the user channel
  const int32_t position = ChannelPositionOfRow(info, rows, 0);
  ASSERT_EQ(position, 2);
  ASSERT_EQ(ChannelPositionById(info, 1), 0);

  ChannelEditorFields f = EditorFieldsFromChannel(info, info.channels[2], 1);
  f.name = "Renamed";
  f.type = 1;
  f.country = 1;
  f.genre = 1;
  ASSERT_TRUE(ChangeUserChannel(info, position, f).ok());
  EXPECT_EQ(info.channels[0].name, "Alpha");
  const Channel& changed = info.channels[2];
  EXPECT_EQ(changed.name, "Renamed");
  EXPECT_EQ(changed.id, 1);
  EXPECT_EQ(changed.favorited, 1);
  EXPECT_EQ(changed.sent, 1);
  EXPECT_EQ(changed.work_fine_reports, 3);
  EXPECT_EQ(changed.genre_name, "News");

  // A refused change leaves the channel as it was.
  f.name = "";
  EXPECT_EQ(ChangeUserChannel(info, position, f).error, "Please Enter Name.");
  EXPECT_EQ(info.channels[2].name, "Renamed");
  // Package channels and positions outside the catalogue are never changed or removed.
  f.name = "x";
  EXPECT_FALSE(ChangeUserChannel(info, 0, f).ok());
  EXPECT_FALSE(ChangeUserChannel(info, -1, f).ok());
  EXPECT_EQ(info.channels[0].name, "Alpha");
  EXPECT_FALSE(RemoveUserChannel(info, 0));
  EXPECT_FALSE(RemoveUserChannel(info, -1));
  EXPECT_FALSE(RemoveUserChannel(info, 3));

  ASSERT_TRUE(RemoveUserChannel(info, position));
  ASSERT_EQ(info.channels.size(), 2u);
  EXPECT_EQ(info.channels[0].name, "Alpha");
  EXPECT_EQ(info.channels[1].name, "Beta");
}

// User-Agent and Referer are the channel's headers: stored by its id when added, shown when
// it is opened, changed without touching its other headers, and gone with the channel.
TEST(ChannelEditor, UserAgentAndRefererAreTheChannelsHeaders) {
  Catalogue info = TestCatalogue();
  info.channels[1].user_defined = 1;  // the new channel's id comes after it: 100002
  SortState sort{.toggle = true};     // names ascending
  ChannelEditorFields f = GoodFields();
  f.user_agent = " Agent/1.0 (a, b) ";
  f.referrer = "http://127.0.0.1/page";
  ASSERT_TRUE(AddUserChannel(info, sort, f).ok());
  EXPECT_EQ(info.stream_headers.at(100002),
            (StreamHeaders{"Agent/1.0 (a, b)", "http://127.0.0.1/page", {}}));
  const int32_t position = ChannelPositionById(info, 100002);
  ASSERT_GE(position, 0);
  info.stream_headers.at(100002).fields = {{"Origin", "http://127.0.0.1"}};

  ChannelEditorFields shown =
      EditorFieldsFromChannel(info, info.channels[static_cast<std::size_t>(position)], 1);
  EXPECT_EQ(shown.user_agent, "Agent/1.0 (a, b)");
  EXPECT_EQ(shown.referrer, "http://127.0.0.1/page");
  shown.user_agent = "";
  shown.type = 1;
  ASSERT_TRUE(ChangeUserChannel(info, position, shown).ok());
  EXPECT_EQ(info.stream_headers.at(100002),
            (StreamHeaders{"", "http://127.0.0.1/page", {{"Origin", "http://127.0.0.1"}}}));
  info.stream_headers.at(100002).fields.clear();
  shown.referrer = " ";
  ASSERT_TRUE(ChangeUserChannel(info, position, shown).ok());
  EXPECT_FALSE(info.stream_headers.contains(100002));

  shown.user_agent = "Again";
  ASSERT_TRUE(ChangeUserChannel(info, position, shown).ok());
  ASSERT_TRUE(RemoveUserChannel(info, position));
  EXPECT_TRUE(info.stream_headers.empty());
}

TEST(ChannelEditor, RowAndIdLookupsFindNothingAsMinusOne) {
  const Catalogue info = TestCatalogue();
  const VisibleRows two{{1, 0, 7}, 2};
  EXPECT_EQ(ChannelPositionOfRow(info, two, 0), 1);
  EXPECT_EQ(ChannelPositionOfRow(info, two, 1), 0);
  EXPECT_EQ(ChannelPositionOfRow(info, two, 2), -1);  // past the rows shown
  const VisibleRows three{{1, 0, 7}, 3};
  EXPECT_EQ(ChannelPositionOfRow(info, three, 2), -1);  // no catalogue position
  EXPECT_EQ(ChannelPositionOfRow(info, two, -1), -1);
  EXPECT_EQ(ChannelPositionById(info, 100001), 1);
  EXPECT_EQ(ChannelPositionById(info, 42), -1);
}

TEST(ChannelEditor, MessagesForPackageChannels) {
  EXPECT_EQ(PackageChannelUpdateMessage(),
            std::string("You can only delete or modify the user-defined channels, but you can "
                        "send us updates, corrections by email ") +
                build::kSupportEmail +
                ".  Update will automatically update your channels over the next several days "
                "with the requisted updates.");
  EXPECT_EQ(TrimText("\x01 a b \x1f"), "a b");
}

TEST(ChannelEditor, BitrateFieldTakesDigitsAndBackspaceOnly) {
  for (char32_t c : {U'0', U'5', U'9', char32_t{8}})
    EXPECT_TRUE(BitrateFieldAccepts(c)) << uint32_t{c};
  for (char32_t c : {U'a', U'-', U'.', U' ', U'\t', char32_t{22}, U'\u0661', U'\uFF11'}) {
    EXPECT_FALSE(BitrateFieldAccepts(c)) << uint32_t{c};
  }
}

}  // namespace
}  // namespace vistrel
