#include "catalogue/user_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "catalogue/lookups.h"
#include "common/files.h"
#include "support/temp_dir.h"

namespace vistrel {
namespace {

namespace fs = std::filesystem;

class UserFiles : public ::testing::Test {
 protected:
  UserFiles() { ClearCatalogue(info); }

  fs::path favorites() const { return dir.path() / "favorites.dat"; }
  fs::path userdef() const { return dir.path() / "userdef.dat"; }
  void Put(const fs::path& path, std::string_view bytes) {
    ASSERT_TRUE(WriteFileAtomically(path, bytes).ok());
  }
  std::string Get(const fs::path& path) { return ReadWholeFile(path).value_or("<unreadable>"); }

  TempDir dir;
  Catalogue info;
  std::vector<int32_t> favorites_list;
};

Channel UserChannel(int32_t id, std::string name, int32_t favorited = 0) {
  Channel c;
  c.id = id;
  c.group_id = 2;
  c.sent = 1;
  c.name = std::move(name);
  c.url = "http://127.0.0.1/" + std::to_string(id);
  c.bitrate = 128;
  c.type_id = 1;
  c.homepage = "http://home/";
  c.country_id = 7;
  c.genre_id = 3;
  c.comment = "note";
  c.favorited = favorited;
  c.user_defined = 1;
  return c;
}

Channel PackageChannel(int32_t id, int32_t favorited) {
  Channel c;
  c.id = id;
  c.name = "package";
  c.favorited = favorited;
  return c;
}

// --- favorites.dat ---

TEST_F(UserFiles, FavoritesLoadEveryIdWhateverTheLineEnds) {
  favorites_list = {99};
  Put(favorites(), "5\r\n-7\r12\n+3\r\n");
  Outcome r = LoadFavorites(dir.path(), favorites_list);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(favorites_list, (std::vector<int32_t>{5, -7, 12, 3}));
}

// A hand edit may leave blanks around a number; one blank must not cost the favourites.
TEST_F(UserFiles, BlanksAroundNumbersAreRead) {
  Put(favorites(), " 5\r\n6 \r\n\t-7\t\r\n  8  \r\n");
  Outcome f = LoadFavorites(dir.path(), favorites_list);
  EXPECT_TRUE(f.ok());
  EXPECT_EQ(favorites_list, (std::vector<int32_t>{5, 6, -7, 8}));
  EXPECT_TRUE(fs::exists(favorites()));

  Put(userdef(), "100005 | 2|\t1 |name|u| 128 |1 ||7 | 3| comment \r\n");
  Outcome u = LoadUserChannels(dir.path(), info, favorites_list);
  ASSERT_TRUE(u.ok()) << u.error;
  ASSERT_EQ(info.channels.size(), 1u);
  const Channel& c = info.channels[0];
  EXPECT_EQ((std::vector<int32_t>{c.id, c.group_id, c.sent, c.bitrate, c.type_id, c.country_id,
                                  c.genre_id}),
            (std::vector<int32_t>{100005, 2, 1, 128, 1, 7, 3}));
  EXPECT_EQ(c.homepage, "");
  EXPECT_EQ(c.comment, " comment ");  // texts keep their blanks
  EXPECT_EQ(info.highest_user_id, 100005);
}

TEST_F(UserFiles, MissingFilesAreNormal) {
  favorites_list = {99};
  info.channels.push_back(PackageChannel(1, 0));
  Outcome f = LoadFavorites(dir.path(), favorites_list);
  Outcome u = LoadUserChannels(dir.path(), info, favorites_list);
  EXPECT_TRUE(f.ok() && u.ok());
  EXPECT_EQ(f.error + u.error, "");
  EXPECT_TRUE(favorites_list.empty());
  EXPECT_EQ(info.channels.size(), 1u);
  EXPECT_EQ(info.highest_user_id, 100000);
}

TEST_F(UserFiles, BadFavoritesFileIsDeletedAndAsksToEnd) {
  struct Case {
    const char* text;
    std::vector<int32_t> kept;
  };
  for (const Case& c : {Case{"1\r\n\r\n2\r\n", {1}}, Case{"1\r\n12x\r\n", {1}}, Case{"4 2\r\n", {}},
                        Case{"3\r\n \t\r\n", {3}}, Case{"4\r\n2147483648\r\n", {4}}}) {
    SCOPED_TRACE(c.text);
    Put(favorites(), c.text);
    Outcome r = LoadFavorites(dir.path(), favorites_list);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.error, "Please, restart application");
    EXPECT_FALSE(fs::exists(favorites()));
    EXPECT_EQ(favorites_list, c.kept);
  }
}

TEST_F(UserFiles, UnreadableFavoritesFailsButAFolderOfThatNameIsNotRemoved) {
  fs::create_directories(favorites() / "inside");
  Outcome r = LoadFavorites(dir.path(), favorites_list);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.error, "Please, restart application");
  EXPECT_TRUE(fs::exists(favorites() / "inside"));
}

// --- userdef.dat ---

// The submitted mark is stored as a number, and any number but 0 meant submitted.
TEST_F(UserFiles, AnySentNumberButZeroReadsAsSubmittedAndIsWrittenAsOne) {
  struct Case {
    const char* stored;
    bool sent;
    const char* written;
  };
  for (const auto& [stored, sent, written] :
       {Case{"0", false, "0"}, Case{"1", true, "1"}, Case{"2", true, "1"}, Case{"-1", true, "1"}}) {
    Put(userdef(), std::string("100005|2|") + stored + "|n|http://127.0.0.1/s|0|1||0|0|\r\n");
    ClearCatalogue(info);
    ASSERT_TRUE(LoadUserChannels(dir.path(), info, favorites_list).ok()) << stored;
    ASSERT_EQ(info.channels.size(), 1u);
    EXPECT_EQ(info.channels[0].sent, sent) << stored;
    EXPECT_EQ(UserChannelsFileText(info.channels),
              std::string("100005|2|") + written + "|n|http://127.0.0.1/s|0|1||0|0|\r\n")
        << stored;
  }
}

TEST_F(UserFiles, UserChannelLineFillsEveryField) {
  info.genres = {{3, "Jazz"}, {3, "Second"}};
  favorites_list = {100005};
  Put(userdef(), "100005|2|1|" + std::string(300, 'n') +
                     "|http://127.0.0.1/s|128|1|http://home/|7|3|my comment\r\n");
  Outcome r = LoadUserChannels(dir.path(), info, favorites_list);
  ASSERT_TRUE(r.ok()) << r.error;
  ASSERT_EQ(info.channels.size(), 1u);
  const Channel& c = info.channels[0];
  EXPECT_EQ(c.id, 100005);
  EXPECT_EQ(c.group_id, 2);
  EXPECT_EQ(c.sent, 1);
  EXPECT_EQ(c.name, std::string(255, 'n'));
  EXPECT_EQ(c.url, "http://127.0.0.1/s");
  EXPECT_EQ(c.bitrate, 128);
  EXPECT_EQ(c.type_id, 1);
  EXPECT_EQ(c.homepage, "http://home/");
  EXPECT_EQ(c.country_id, 7);
  EXPECT_EQ(c.genre_id, 3);
  EXPECT_EQ(c.comment, "my comment");
  EXPECT_EQ(c.favorited, 1);
  EXPECT_EQ(c.genre_name, "Jazz");
  EXPECT_EQ(c.user_defined, 1);
  EXPECT_EQ(c.status, ChannelStatus::kWorkFine);
  EXPECT_EQ(c.average_rating, 0);
}

TEST_F(UserFiles, CommentIsOptionalAndAPipeCutsIt) {
  Put(userdef(),
      "1|1|0|A|u|0|1||5|6|\r\n"           // empty comment after the last "|"
      "2|1|0|B|u|0|1||5|6\r\n"            // no comment field at all
      "3|1|0|C|u|0|1||5|6|said|more\r\n"  // "|" inside the comment
      "4|1|0|D|u|0|1||5|6||\r\n");        // two trailing "|": an empty comment element
  Outcome r = LoadUserChannels(dir.path(), info, favorites_list);
  ASSERT_TRUE(r.ok()) << r.error;
  ASSERT_EQ(info.channels.size(), 4u);
  EXPECT_EQ(info.channels[0].comment, "");
  EXPECT_EQ(info.channels[1].comment, "");
  EXPECT_EQ(info.channels[2].comment, "said");
  EXPECT_EQ(info.channels[3].comment, "");
  EXPECT_EQ(info.channels[3].genre_name, "");  // no genre table while the user file is read
}

TEST_F(UserFiles, HighestUserIdIsRaisedToTheHighestIdReadButNeverLowered) {
  struct Case {
    const char* text;
    int32_t highest_user_id;
  };
  for (const Case& c : {Case{"100007|1|0|a|u|0|1||0|0|\r\n100003|1|0|b|u|0|1||0|0|\r\n", 100007},
                        Case{"5|1|0|a|u|0|1||0|0|\r\n100000|1|0|b|u|0|1||0|0|\r\n", 100000},
                        Case{"-3|1|0|a|u|0|1||0|0|\r\n", 100000}}) {
    SCOPED_TRACE(c.text);
    ClearCatalogue(info);
    Put(userdef(), c.text);
    ASSERT_TRUE(LoadUserChannels(dir.path(), info, favorites_list).ok());
    EXPECT_EQ(info.highest_user_id, c.highest_user_id);
  }
}

TEST_F(UserFiles, MalformedLineNamesLineAndProblemAndLeavesTheFile) {
  struct Case {
    std::string bad_line;
    std::string problem;
  };
  const std::string good = "100009|1|0|a|u|0|1||0|0|\r\n";
  for (const Case& c :
       {Case{"1|1|0|a|u|12x|1||0|0|", "bitrate: '12x' is not a valid integer value"},
        Case{"1|1|0|a|u|0|1||0", "9 fields, at least 10 expected"},
        Case{"", "0 fields, at least 10 expected"},
        Case{"1|1|0|a|u|0|1||0|4 4|", "genre_id: '4 4' is not a valid integer value"},
        Case{"1|1|0|a|u|0|1|| |0|", "country_id: '' is not a valid integer value"}}) {
    SCOPED_TRACE(c.bad_line);
    ClearCatalogue(info);
    const std::string text = good + good + c.bad_line + "\r\n" + good;
    Put(userdef(), text);
    Outcome r = LoadUserChannels(dir.path(), info, favorites_list);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.error, "Error reading userdef.dat 0\nline 3: " + c.problem);
    EXPECT_EQ(Get(userdef()), text);
    // The lines before the bad one stay loaded; nothing half-filled.
    EXPECT_EQ(info.channels.size(), 2u);
  }
}

TEST_F(UserFiles, UnreadableUserFileReportsTheErrno) {
  fs::create_directories(userdef());
  Outcome r = LoadUserChannels(dir.path(), info, favorites_list);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.error, "Error reading userdef.dat " + std::to_string(EISDIR));
  EXPECT_TRUE(fs::is_directory(userdef()));
}

TEST_F(UserFiles, ByteOrderMarksAreHonoured) {
  // UTF-8 with a mark: "Café €" arrives as it is.
  Put(userdef(),
      "\xEF\xBB\xBF"
      "1|1|0|Caf\xC3\xA9 \xE2\x82\xAC|u|0|1||0|0|\r\n");
  ASSERT_TRUE(LoadUserChannels(dir.path(), info, favorites_list).ok());
  ASSERT_EQ(info.channels.size(), 1u);
  EXPECT_EQ(info.channels[0].name, "Caf\xC3\xA9 \xE2\x82\xAC");

  // UTF-16LE with a mark, for both files.
  auto utf16le = [](std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (char16_t u : text) {
      out += static_cast<char>(u & 0xFF);
      out += static_cast<char>(u >> 8);
    }
    return out;
  };
  Put(favorites(), utf16le(u"12\r\n100002\r\n"));
  ASSERT_TRUE(LoadFavorites(dir.path(), favorites_list).ok());
  EXPECT_EQ(favorites_list, (std::vector<int32_t>{12, 100002}));
  Put(userdef(), utf16le(u"100002|1|0|M\u00FCnchen \u20AC|u|0|1||0|0|Gr\u00FC\u00DFe\r\n"));
  ClearCatalogue(info);
  ASSERT_TRUE(LoadUserChannels(dir.path(), info, favorites_list).ok());
  ASSERT_EQ(info.channels.size(), 1u);
  EXPECT_EQ(info.channels[0].name, "M\xC3\xBCnchen \xE2\x82\xAC");
  EXPECT_EQ(info.channels[0].comment,
            "Gr\xC3\xBC\xC3\x9F"
            "e");
  EXPECT_EQ(info.channels[0].favorited, 1);
}

// --- saving ---

TEST_F(UserFiles, SaveWritesFavouritesAndUserChannelsWithCrLf) {
  info.channels = {PackageChannel(42, 1), UserChannel(100001, "Mine", 1), PackageChannel(43, 0),
                   UserChannel(100002, "Other")};
  info.channels[3].comment.clear();
  ASSERT_TRUE(SaveUserFiles(dir.path(), info).ok());
  EXPECT_EQ(Get(favorites()), "42\r\n100001\r\n");
  EXPECT_EQ(Get(userdef()),
            "100001|2|1|Mine|http://127.0.0.1/100001|128|1|http://home/|7|3|note\r\n"
            "100002|2|1|Other|http://127.0.0.1/100002|128|1|http://home/|7|3|\r\n");
}

// The headers of user channels go beside userdef.dat, whose lines stay as they are, and load
// back for the user channels only; a folder without headers gets no file, a file whose
// headers are gone is emptied, and a line that is not right loads nothing.
TEST_F(UserFiles, HeadersLiveBesideUserdefAndLoadBack) {
  const fs::path headers_file = dir.path() / "userdef_headers.dat";
  info.channels = {UserChannel(100001, "Mine"), PackageChannel(42, 0), UserChannel(100002, "B")};
  ASSERT_TRUE(SaveUserFiles(dir.path(), info).ok());
  const std::string plain_userdef = Get(userdef());
  EXPECT_FALSE(fs::exists(headers_file));

  info.stream_headers[100002] = StreamHeaders{"Caf\xC3\xA9/1 (a, b)", "http://127.0.0.1/", {}};
  info.stream_headers[42] = StreamHeaders{"Package", "", {}};
  ASSERT_TRUE(SaveUserFiles(dir.path(), info).ok());
  EXPECT_EQ(Get(userdef()), plain_userdef);
  EXPECT_EQ(Get(headers_file), "100002|Caf\xE9/1 (a, b)|http://127.0.0.1/\r\n");

  Put(headers_file, Get(headers_file) + "100001|A|\r\n42|Package|\r\nnonsense\r\n");
  Catalogue loaded;
  ClearCatalogue(loaded);
  ASSERT_TRUE(LoadUserChannels(dir.path(), loaded, favorites_list).ok());
  ASSERT_EQ(loaded.stream_headers.size(), 2u);
  EXPECT_EQ(loaded.stream_headers.at(100002), info.stream_headers.at(100002));
  EXPECT_EQ(loaded.stream_headers.at(100001), (StreamHeaders{"A", "", {}}));

  loaded.stream_headers.clear();
  ASSERT_TRUE(SaveUserFiles(dir.path(), loaded).ok());
  EXPECT_EQ(Get(headers_file), "");
  EXPECT_EQ(Get(userdef()), plain_userdef);
}

TEST_F(UserFiles, NoFavouritesOrUserChannelsGiveEmptyFiles) {
  Put(favorites(), "1\r\n");
  Put(userdef(), "1|1|0|a|u|0|1||0|0|\r\n");
  info.channels = {PackageChannel(42, 0)};
  ASSERT_TRUE(SaveUserFiles(dir.path(), info).ok());
  EXPECT_EQ(Get(favorites()), "");
  EXPECT_EQ(Get(userdef()), "");
}

TEST_F(UserFiles, SortOrderDecidesLineOrderNotContent) {
  info.channels = {UserChannel(100001, "B", 1), UserChannel(100002, "A", 1)};
  ASSERT_TRUE(SaveUserFiles(dir.path(), info).ok());
  const std::string fav_before = Get(favorites()), user_before = Get(userdef());
  std::reverse(info.channels.begin(), info.channels.end());
  ASSERT_TRUE(SaveUserFiles(dir.path(), info).ok());
  EXPECT_EQ(Get(favorites()), "100002\r\n100001\r\n");
  EXPECT_EQ(fav_before, "100001\r\n100002\r\n");
  const std::string user_after = Get(userdef());
  EXPECT_NE(user_after, user_before);
  const std::size_t half = user_before.find("\r\n") + 2;
  EXPECT_EQ(user_after, user_before.substr(half) + user_before.substr(0, half));
}

TEST_F(UserFiles, SavedFilesLoadBackTheSameChannels) {
  info.channels = {UserChannel(100003, "Caf\xC3\xA9", 1), PackageChannel(9, 1),
                   UserChannel(100001, "Plain")};
  info.channels[2].comment.clear();
  info.channels[2].homepage.clear();
  ASSERT_TRUE(SaveUserFiles(dir.path(), info).ok());

  Catalogue loaded;
  ClearCatalogue(loaded);
  ASSERT_TRUE(LoadFavorites(dir.path(), favorites_list).ok());
  EXPECT_EQ(favorites_list, (std::vector<int32_t>{100003, 9}));
  Outcome r = LoadUserChannels(dir.path(), loaded, favorites_list);
  ASSERT_TRUE(r.ok()) << r.error;
  ASSERT_EQ(loaded.channels.size(), 2u);
  for (std::size_t i : {0u, 1u}) {
    const Channel& want = info.channels[i == 0 ? 0 : 2];
    const Channel& got = loaded.channels[i];
    SCOPED_TRACE(want.name);
    EXPECT_EQ(got.id, want.id);
    EXPECT_EQ(got.group_id, want.group_id);
    EXPECT_EQ(got.sent, want.sent);
    EXPECT_EQ(got.name, want.name);
    EXPECT_EQ(got.url, want.url);
    EXPECT_EQ(got.bitrate, want.bitrate);
    EXPECT_EQ(got.type_id, want.type_id);
    EXPECT_EQ(got.homepage, want.homepage);
    EXPECT_EQ(got.country_id, want.country_id);
    EXPECT_EQ(got.genre_id, want.genre_id);
    EXPECT_EQ(got.comment, want.comment);
    EXPECT_EQ(got.favorited, want.favorited);
    EXPECT_EQ(got.user_defined, 1);
  }
  EXPECT_EQ(loaded.highest_user_id, 100003);
}

TEST_F(UserFiles, WriterKeepsSeparatorsAndLineBreaksOutOfFields) {
  Channel c = UserChannel(100001, "a|b\r\nc");
  c.url = "http://x/\ny";
  c.homepage = "h|";
  c.comment = std::string("c|d\0e\rf", 7);
  info.channels = {c, UserChannel(100002, "next")};
  ASSERT_TRUE(SaveUserFiles(dir.path(), info).ok());
  Catalogue loaded;
  ClearCatalogue(loaded);
  ASSERT_TRUE(LoadUserChannels(dir.path(), loaded, favorites_list).ok());
  ASSERT_EQ(loaded.channels.size(), 2u);
  EXPECT_EQ(loaded.channels[0].name, "a b  c");
  EXPECT_EQ(loaded.channels[0].url, "http://x/ y");
  EXPECT_EQ(loaded.channels[0].homepage, "h ");
  EXPECT_EQ(loaded.channels[0].comment, "c d e f");
  EXPECT_EQ(loaded.channels[1].name, "next");
}

TEST_F(UserFiles, FailedFavouritesWriteKeepsBothOldFiles) {
  Put(userdef(), "old user\r\n");
  fs::create_directories(favorites() / "inside");  // the rename over it must fail
  info.channels = {UserChannel(100001, "New", 1)};
  Outcome r = SaveUserFiles(dir.path(), info);
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.error.find("favorites.dat"), std::string::npos) << r.error;
  EXPECT_EQ(Get(userdef()), "old user\r\n");
  EXPECT_TRUE(fs::is_directory(favorites() / "inside"));
}

TEST_F(UserFiles, FailedUserChannelsWriteIsReported) {
  fs::create_directories(userdef() / "inside");
  info.channels = {UserChannel(100001, "New", 1)};
  Outcome r = SaveUserFiles(dir.path(), info);
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.error.find("userdef.dat"), std::string::npos) << r.error;
  EXPECT_EQ(Get(favorites()), "100001\r\n");
}

TEST_F(UserFiles, DataFolderThatIsAFileFailsTheSave) {
  Put(dir.path() / "folder", "a file");
  Outcome r = SaveUserFiles(dir.path() / "folder", info);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(Get(dir.path() / "folder"), "a file");
}

TEST_F(UserFiles, SaveCreatesAMissingDataFolder) {
  info.channels = {UserChannel(100001, "New", 1)};
  ASSERT_TRUE(SaveUserFiles(dir.path() / "a" / "b", info).ok());
  EXPECT_EQ(Get(dir.path() / "a" / "b" / "favorites.dat"), "100001\r\n");
}

TEST_F(UserFiles, FilesNeverReadInThisRunAreNotWritten) {
  Put(favorites(), "77\r\n");
  info.channels = {UserChannel(100001, "New")};
  ASSERT_TRUE(
      SaveUserFiles(dir.path(), info, {}, {.favorites = false, .user_channels = true}).ok());
  EXPECT_EQ(Get(favorites()), "77\r\n");
  EXPECT_NE(Get(userdef()).find("|New|"), std::string::npos);
  ASSERT_TRUE(SaveUserFiles(dir.path(), info, {}, UserFilesRead{}).ok());
  EXPECT_EQ(Get(favorites()), "77\r\n");
  // Only the favourites read: userdef.dat stays as it is.
  Put(userdef(), "old user\r\n");
  ASSERT_TRUE(
      SaveUserFiles(dir.path(), info, {}, {.favorites = true, .user_channels = false}).ok());
  EXPECT_EQ(Get(favorites()), "");
  EXPECT_EQ(Get(userdef()), "old user\r\n");
}

// Names and comments in Chinese, Cyrillic, Arabic, Thai and emoji, which Windows-1252 cannot
// hold: userdef.dat is written as UTF-8 behind the mark, and every text reads back exactly.
TEST_F(UserFiles, EveryScriptIsWrittenAsUtf8AndReadBack) {
  const std::vector<std::string> names = {
      "\xE4\xB8\xAD\xE5\xA4\xAE\xE7\x94\xB5\xE8\xA7\x86\xE5\x8F\xB0",  // 中央电视台
      "\xD0\x9F\xD0\xB5\xD1\x80\xD0\xB2\xD1\x8B\xD0\xB9 "
      "\xD0\xBA\xD0\xB0\xD0\xBD\xD0\xB0\xD0\xBB",                  // Первый канал
      "\xD8\xA7\xD9\x84\xD8\xAC\xD8\xB2\xD9\x8A\xD8\xB1\xD8\xA9",  // الجزيرة
      "\xE0\xB9\x84\xE0\xB8\x97\xE0\xB8\xA2\xE0\xB8\xA3\xE0\xB8\xB1\xE0\xB8\x90",  // ไทยรัฐ
      "\xF0\x9F\x93\xBA Caf\xC3\xA9 \xE2\x82\xAC",                                 // 📺 Café €
  };
  info.channels.clear();
  for (std::size_t i = 0; i < names.size(); ++i) {
    info.channels.push_back(UserChannel(100001 + static_cast<int32_t>(i), names[i], 1));
    info.channels.back().comment = names[(i + 1) % names.size()];
  }
  ASSERT_TRUE(SaveUserFiles(dir.path(), info).ok());
  const std::string bytes = Get(userdef());
  ASSERT_TRUE(bytes.starts_with("\xEF\xBB\xBF")) << bytes;
  EXPECT_EQ(bytes.substr(3), UserChannelsFileText(info.channels));
  EXPECT_EQ(Get(favorites()), "100001\r\n100002\r\n100003\r\n100004\r\n100005\r\n");  // no mark

  Catalogue loaded;
  ClearCatalogue(loaded);
  ASSERT_TRUE(LoadFavorites(dir.path(), favorites_list).ok());
  ASSERT_TRUE(LoadUserChannels(dir.path(), loaded, favorites_list).ok());
  ASSERT_EQ(loaded.channels.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(loaded.channels[i].name, names[i]);
    EXPECT_EQ(loaded.channels[i].comment, info.channels[i].comment);
    EXPECT_EQ(loaded.channels[i].favorited, 1);
  }
  // Saving what was read gives the same bytes again.
  ASSERT_TRUE(SaveUserFiles(dir.path(), loaded, favorites_list).ok());
  EXPECT_EQ(Get(userdef()), bytes);
}

// Files in Windows-1252, as every earlier version wrote them, with characters from the whole
// code page: read and written again they come out byte for byte the same, without a mark.
TEST_F(UserFiles, LatinFilesAreWrittenBackByteForByte) {
  std::string high;
  for (int b = 0x80; b < 0x100; ++b) {
    if (b != 0xA0) high.push_back(static_cast<char>(b));  // a no-break space is kept too, below
  }
  const std::string userdef_bytes =
      "100001|1|0|Caf\xE9 \x80 \x8A\x9A\xFF|http://127.0.0.1/\xE9|128|1|http://h/\xFC|7|3|" + high +
      "\r\n"
      "100002|2|1|M\xFCnchen\xA0Radio|u|0|1||0|0|\r\n";
  const std::string favorites_bytes = "100002\r\n5\r\n";
  Put(userdef(), userdef_bytes);
  Put(favorites(), favorites_bytes);
  ASSERT_TRUE(LoadFavorites(dir.path(), favorites_list).ok());
  ASSERT_TRUE(LoadUserChannels(dir.path(), info, favorites_list).ok());
  ASSERT_EQ(info.channels.size(), 2u);
  EXPECT_EQ(info.channels[0].name, "Caf\xC3\xA9 \xE2\x82\xAC \xC5\xA0\xC5\xA1\xC3\xBF");
  ASSERT_TRUE(SaveUserFiles(dir.path(), info, favorites_list).ok());
  EXPECT_EQ(Get(userdef()), userdef_bytes);
  EXPECT_EQ(Get(favorites()), favorites_bytes);
}

// Names are cut at 255 characters, never inside a character.
TEST_F(UserFiles, LongNamesAreCutAtACharacterBoundary) {
  std::string name;
  for (int i = 0; i < 300; ++i) name += "\xE4\xB8\xAD";  // three bytes each
  Put(userdef(),
      "\xEF\xBB\xBF"
      "1|1|0|" +
          name + "|u|0|1||0|0|\r\n");
  ASSERT_TRUE(LoadUserChannels(dir.path(), info, favorites_list).ok());
  ASSERT_EQ(info.channels.size(), 1u);
  EXPECT_EQ(info.channels[0].name, name.substr(0, 255 * 3));
}

}  // namespace
}  // namespace vistrel
