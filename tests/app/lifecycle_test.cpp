#include "app/lifecycle.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "browser/find_in_list.h"
#include "browser/selected_channel.h"
#include "browser/view_commands.h"
#include "catalogue/lookups.h"
#include "catalogue/package.h"
#include "catalogue/user_files.h"
#include "channel_actions/channel_editor.h"
#include "channel_actions/channel_menu_state.h"
#include "common/date_time.h"
#include "support/temp_dir.h"

namespace vistrel {
namespace {

namespace fs = std::filesystem;

const double kVersion = DateTimeFromCivil(2010, 3, 14, 15, 30);

// Fields: id|name|url|bitrate|type_id|homepage|country_id|genre_id|comment|rating|rated|
// workfine|notworking|wrong|duplicate|spam
std::string Package(const std::string& tv, const std::string& radio = "",
                    bool with_version = true) {
  std::vector<PackageEntry> entries = {
      {"countries.dat", "0|All Countries\r\n7|Norway\r\n"},
      {"genres.dat", "0|All Genres\r\n5|News\r\n6|Music\r\n"},
      {"tv.dat", tv},
      {"radio.dat", radio},
  };
  if (with_version) entries.insert(entries.begin(), {"version.dat", "201003141530"});
  return BuildPackage(entries);
}

const std::string kTv =
    "1|Zeta News|http://127.0.0.1/1|800|1||7|5||9|2|0|0|0|0|0\r\n"
    "2|alpha TV|http://127.0.0.1/2|500|0||0|6||0|0|3|0|0|0|0\r\n"
    "3|Beta Music|http://127.0.0.1/3|128|1||7|6||4|1|0|2|0|0|0\r\n"
    "4|Real Stream|http://127.0.0.1/4|0|2||7|5||0|0|0|0|0|0|0\r\n";
const std::string kRadio = "10|Radio News|http://127.0.0.1/r|128|1||7|5||0|0|0|0|0|0|0\r\n";
// The next list: alpha TV is gone, Gamma TV is new.
const std::string kNextTv =
    "1|Zeta News|http://127.0.0.1/1|800|1||7|5||9|2|0|0|0|0|0\r\n"
    "3|Beta Music|http://127.0.0.1/3|128|1||7|6||4|1|0|2|0|0|0\r\n"
    "5|Gamma TV|http://127.0.0.1/5|300|1||7|6||0|0|0|0|0|0|0\r\n";

const std::string kUserLine = "100005|1|0|My Stream|http://127.0.0.1/u|256|1||7|5|mine\r\n";
const std::string kFavorites = "3\r\n100005\r\n";

// One run of the program without its windows, on files in a temporary folder.
struct Program {
  explicit Program(const fs::path& root)
      : data(root / "share" / "Orvane" / "Vistrel"),
        state(data, SettingsStore(root / "config" / "settings.ini")) {}

  void Put(const char* name, const std::string& bytes) const { WriteTestFile(data / name, bytes); }
  std::string Get(const char* name) const { return ReadTestFile(data / name); }

  LoadReport Start() {
    return LoadAtStartUp(state, [this] { return now; });
  }

  Catalogue& info() { return state.catalogue; }
  // Checked: a row that is not there fails the test instead of ending it.
  Channel& Row(int32_t r) {
    return info().channels.at(static_cast<std::size_t>(state.visible_rows.positions.at(r)));
  }

  // Names of the visible rows, top to bottom.
  std::vector<std::string> Names() {
    std::vector<std::string> out;
    for (int32_t r = 0; r < state.visible_rows.count; ++r) out.push_back(Row(r).name);
    return out;
  }

  // The view must always describe the catalogue as it is.
  void ExpectViewMatchesCatalogue() {
    const ViewResult fresh = RebuildView(info(), {});
    const VisibleRows& kept = state.visible_rows;
    const VisibleRows& built = fresh.visible_rows;
    EXPECT_EQ(kept.count, built.count);
    EXPECT_EQ(std::vector<int32_t>(kept.positions.begin(), kept.positions.begin() + kept.count),
              std::vector<int32_t>(built.positions.begin(), built.positions.begin() + built.count));
  }

  fs::path data;
  ProgramState state;
  double now = kVersion + 1;
};

using Names = std::vector<std::string>;

TEST(Lifecycle, StartUpCreatesTheFolderAndLoadsEverything) {
  TempDir dir;
  Program p(dir.path());
  ASSERT_FALSE(fs::exists(p.data));
  // A first run without any file: the folder is made, the catalogue cleared, the list empty.
  LoadReport first = p.Start();
  EXPECT_TRUE(first.ok());
  EXPECT_TRUE(fs::is_directory(p.data));
  EXPECT_TRUE(p.state.list_outdated);
  EXPECT_EQ(p.info().highest_user_id, kUserIdBase);
  EXPECT_EQ(p.info().filter.view, View::kTv);
  EXPECT_EQ(first.view.caption_suffix, " - Tv");
  EXPECT_EQ(p.state.visible_rows.count, 0);

  Program q(dir.path());
  q.Put(kOldPackageFileName, "old format");
  q.Put(kPackageFileName, Package(kTv, kRadio));
  q.Put(kUserChannelsFileName, kUserLine);
  q.Put(kFavoritesFileName, kFavorites);
  LoadReport report = q.Start();
  EXPECT_TRUE(report.ok());
  EXPECT_FALSE(fs::exists(q.data / kOldPackageFileName));
  EXPECT_FALSE(q.state.list_outdated);
  ASSERT_EQ(q.Names(), (Names{"alpha TV", "Beta Music", "My Stream", "Zeta News"}));
  EXPECT_EQ(report.view.caption_suffix, " - Tv");
  EXPECT_EQ(report.view.country_names, (Names{"All Countries", "Norway"}));
  EXPECT_EQ(q.info().highest_user_id, 100005);
  EXPECT_EQ(q.Row(1).favorited, 1);  // Beta Music
  EXPECT_EQ(q.Row(2).favorited, 1);  // My Stream
  EXPECT_EQ(q.Row(3).favorited, 0);
  EXPECT_TRUE(q.state.sort.toggle);
}

TEST(Lifecycle, DataFolderThatCannotBeCreatedStopsStartUp) {
  TempDir dir;
  WriteTestFile(dir.path() / "share", "a file where a folder belongs");
  Program p(dir.path());
  EXPECT_THROW(p.Start(), Error);
}

TEST(Lifecycle, DamagedPackageIsSetAsideSoTheNextStartOffersADownload) {
  TempDir dir;
  Program p(dir.path());
  p.Put(kPackageFileName, Package(kTv, "11|Radio|http://127.0.0.1/x|fast"));
  p.Put(kDamagedPackageFileName, "an older damaged copy");
  p.Put(kUserChannelsFileName, kUserLine);
  try {
    p.Start();
    FAIL() << "a malformed line must stop start-up";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find(kDamagedPackageFileName), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(p.data / kPackageFileName));
  EXPECT_EQ(p.Get(kDamagedPackageFileName), Package(kTv, "11|Radio|http://127.0.0.1/x|fast"));
  EXPECT_EQ(p.Get(kUserChannelsFileName), kUserLine);

  // The next start is one without a package: it lists the user's channels and asks for a list.
  Program next(dir.path());
  LoadReport report = next.Start();
  EXPECT_TRUE(report.ok());
  EXPECT_TRUE(next.state.list_outdated);
  EXPECT_EQ(next.Names(), (Names{"My Stream"}));
}

TEST(Lifecycle, PackageFifteenDaysFromNowOrUndatedIsOutdated) {
  struct Case {
    double offset;  // now minus the version time, in days
    bool with_version;
    bool outdated;
  };
  for (const Case& c :
       {Case{14 + 23.0 / 24, true, false}, Case{15, true, true}, Case{-15, true, true},
        Case{-(14 + 23.0 / 24), true, false}, Case{0, true, false}, Case{0, false, true}}) {
    TempDir dir;
    Program p(dir.path());
    p.Put(kPackageFileName, Package(kTv, "", c.with_version));
    p.now = kVersion + c.offset;
    p.Start();
    EXPECT_EQ(p.state.list_outdated, c.outdated) << c.offset << " " << c.with_version;
    EXPECT_EQ(IsOutdated(c.with_version ? kVersion : 0, p.now), c.outdated);
  }
}

TEST(Lifecycle, WithoutPackageUserFilesAreListedAndKeptAtClose) {
  TempDir dir;
  Program p(dir.path());
  p.Put(kUserChannelsFileName, kUserLine);
  p.Put(kFavoritesFileName, kFavorites);
  p.Start();
  EXPECT_TRUE(p.state.list_outdated);
  ASSERT_EQ(p.Names(), Names{"My Stream"});
  EXPECT_EQ(p.Row(0).favorited, 1);
  // Favourite 3 belongs to a channel that is not loaded: closing must not drop it.
  ASSERT_TRUE(CloseProgram(p.state).ok());
  EXPECT_EQ(p.Get(kFavoritesFileName), "100005\r\n3\r\n");
  EXPECT_EQ(p.Get(kUserChannelsFileName), kUserLine);
}

// Each change of the favourites or the user's channels is on disk right after it, as a next
// start (after a kill, with no close) reads it; a run that must not write never does.
TEST(Lifecycle, EveryUserChangeIsOnDiskRightAfterIt) {
  TempDir dir;
  Program p(dir.path());
  p.Put(kPackageFileName, Package(kTv));
  p.Put(kUserChannelsFileName, kUserLine);
  p.Put(kFavoritesFileName, kFavorites);
  ASSERT_TRUE(p.Start().ok());
  auto position = [&](int32_t id) { return ChannelPositionById(p.info(), id); };
  struct Step {
    const char* what;
    std::function<void()> change;
    std::string favorites;
    std::string user_channels;
  };
  ChannelEditorFields added;
  added.category = 1;
  added.name = "Added";
  added.url = "http://127.0.0.1/added";
  added.bitrate = "64";
  added.type = 1;
  added.country = 1;
  added.genre = 1;
  const std::string added_line = "100006|1|0|Added|http://127.0.0.1/added|64|1||7|5|\r\n";
  // Written in the array's order: sorted by name.
  const Step steps[] = {
      {"favourite added", [&] { MarkFavorite(p.info(), position(1), true); },
       "3\r\n100005\r\n1\r\n", kUserLine},
      {"favourite removed", [&] { MarkFavorite(p.info(), position(3), false); }, "100005\r\n1\r\n",
       kUserLine},
      {"channel added", [&] { ASSERT_TRUE(AddUserChannel(p.info(), p.state.sort, added).ok()); },
       "100005\r\n1\r\n", added_line + kUserLine},
      {"channel changed",
       [&] {
         ChannelEditorFields changed = added;
         changed.comment = "now";
         ASSERT_TRUE(ChangeUserChannel(p.info(), position(100006), changed).ok());
       },
       "100005\r\n1\r\n", added_line.substr(0, added_line.size() - 2) + "now\r\n" + kUserLine},
      {"channel removed", [&] { ASSERT_TRUE(RemoveUserChannel(p.info(), position(100005))); },
       "1\r\n", added_line.substr(0, added_line.size() - 2) + "now\r\n"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    ASSERT_TRUE(SaveUserChanges(p.state).ok());
    EXPECT_EQ(p.Get(kFavoritesFileName), step.favorites);
    EXPECT_EQ(p.Get(kUserChannelsFileName), step.user_channels);
  }

  // A failed write says so and names the file; the change stays in memory.
  fs::remove(p.data / kFavoritesFileName);
  fs::create_directory(p.data / kFavoritesFileName);
  MarkFavorite(p.info(), position(3), true);
  const Outcome failed = SaveUserChanges(p.state);
  ASSERT_FALSE(failed.ok());
  EXPECT_NE(failed.error.find("could not be saved"), std::string::npos) << failed.error;
  EXPECT_NE(failed.error.find(kFavoritesFileName), std::string::npos) << failed.error;
  EXPECT_EQ(p.info().channels[static_cast<std::size_t>(position(3))].favorited, 1);

  // A run ending over an unreadable user file writes nothing, after a change neither.
  fs::remove(p.data / kFavoritesFileName);
  p.state.end_requested = true;
  MarkFavorite(p.info(), position(1), false);
  ASSERT_TRUE(SaveUserChanges(p.state).ok());
  EXPECT_FALSE(fs::exists(p.data / kFavoritesFileName));
}

TEST(Lifecycle, UnreadableUserFileEndsTheProgramWithoutWriting) {
  struct Case {
    const char* file;
    std::string bytes;
    std::string message_start;
  };
  for (const Case& c :
       {Case{kFavoritesFileName, "3\r\n\r\n1\r\n", "Please, restart application"},
        Case{kUserChannelsFileName, "100005|1|0|short\r\n", "Error reading userdef.dat "}}) {
    TempDir dir;
    Program p(dir.path());
    p.Put(kPackageFileName, Package(kTv));
    p.Put(kUserChannelsFileName, kUserLine);
    p.Put(c.file, c.bytes);
    const std::string userdef_before = p.Get(kUserChannelsFileName);
    LoadReport report = p.Start();
    ASSERT_EQ(report.messages.size(), 1u) << c.file;
    EXPECT_EQ(report.messages[0].rfind(c.message_start, 0), 0u) << report.messages[0];
    EXPECT_TRUE(p.state.end_requested);
    EXPECT_GT(p.state.visible_rows.count, 0) << "the sequence runs to its end";
    ASSERT_TRUE(CloseProgram(p.state).ok());
    EXPECT_EQ(p.Get(kUserChannelsFileName), userdef_before) << c.file;
    // Neither file is written: the bad favourites file was deleted and stays so, and no
    // favourites file appears beside a bad userdef.dat.
    EXPECT_FALSE(fs::exists(p.data / kFavoritesFileName)) << c.file;
  }
}

// A close before start-up ran (or after it stopped early) knows nothing of the files: it
// writes none and leaves the stored ones as they are.
TEST(Lifecycle, CloseOfAStateThatNeverStartedLeavesTheFilesAlone) {
  TempDir dir;
  Program p(dir.path());
  p.Put(kUserChannelsFileName, kUserLine);
  p.Put(kFavoritesFileName, kFavorites);
  ASSERT_TRUE(CloseProgram(p.state).ok());
  EXPECT_EQ(p.Get(kUserChannelsFileName), kUserLine);
  EXPECT_EQ(p.Get(kFavoritesFileName), kFavorites);

  TempDir empty;
  Program q(empty.path());
  ASSERT_TRUE(CloseProgram(q.state).ok());
  EXPECT_FALSE(fs::exists(q.data));
}

TEST(Lifecycle, CurrentFavorites) {
  auto channel = [](int32_t id, int32_t favorited) {
    Channel c;
    c.id = id;
    c.favorited = favorited;
    return c;
  };
  const std::vector<Channel> channels = {channel(5, 1), channel(3, 0), channel(100007, 1),
                                         channel(9, 1)};
  // 3 was unmarked, 8 is not loaded, 100006 was a user channel removed in this run.
  EXPECT_EQ(CurrentFavorites({3, 8, 100006, 9}, channels), (std::vector<int32_t>{5, 100007, 9, 8}));
  EXPECT_EQ(CurrentFavorites({8}, {}), std::vector<int32_t>{8});
}

// Start, filter, switch views, sort, search, mark favourites, add a channel, reload a new
// list, close, start again: the whole life of the program without a window.
TEST(Lifecycle, StartBrowseEditReloadCloseAndStartAgainKeepsEverything) {
  TempDir dir;
  Program p(dir.path());
  p.Put(kPackageFileName, Package(kTv, kRadio));
  p.Put(kUserChannelsFileName, kUserLine);
  p.Put(kFavoritesFileName, kFavorites);
  ASSERT_TRUE(p.Start().ok());
  const SettingsStore& store = p.state.store;

  ASSERT_TRUE(ShowView(store, p.info().filter, View::kRadio).ok());
  EXPECT_EQ(RefreshView(p.state).caption_suffix, " - Radio");
  EXPECT_EQ(p.Names(), Names{"Radio News"});
  ASSERT_TRUE(ShowView(store, p.info().filter, View::kTv).ok());
  ASSERT_TRUE(SelectCountry(store, p.info(), 1).ok());  // Norway
  EXPECT_TRUE(RefreshView(p.state).clear_label_visible);
  EXPECT_EQ(p.Names(), (Names{"Beta Music", "My Stream", "Zeta News"}));
  ASSERT_TRUE(ClearSections(store, p.info().filter).ok());
  RefreshView(p.state);

  ASSERT_TRUE(
      SortByColumn(p.info(), p.state.visible_rows.count, ListColumn::kChannel, p.state.sort));
  RefreshView(p.state);
  EXPECT_EQ(p.Names(), (Names{"Zeta News", "My Stream", "Beta Music", "alpha TV"}));

  FindResult first = FindNextMatch("s", false, false, 0, p.info(), p.state.visible_rows);
  FindResult second =
      FindNextMatch("s", false, false, first.find_position, p.info(), p.state.visible_rows);
  EXPECT_EQ(first.row, 0);
  EXPECT_EQ(second.row, 1);

  // Bitrates go from high to low while the toggle is false; it is true afterwards.
  ASSERT_TRUE(
      SortByColumn(p.info(), p.state.visible_rows.count, ListColumn::kBitrate, p.state.sort));
  RefreshView(p.state);
  ASSERT_EQ(p.Names(), (Names{"Zeta News", "alpha TV", "My Stream", "Beta Music"}));

  // Marks and a new channel since start-up; then the Favorites toggle and back.
  p.Row(0).favorited = 1;  // Zeta News
  p.Row(3).favorited = 0;  // Beta Music
  Channel added;
  added.id = ++p.info().highest_user_id;
  added.group_id = 1;
  added.name = "Added";
  added.url = "http://127.0.0.1/a";
  added.type_id = 1;
  added.user_defined = 1;
  p.info().channels.push_back(added);
  ASSERT_TRUE(ToggleFavoritesView(store, p.info().filter, true).ok());
  RefreshView(p.state);
  EXPECT_EQ(p.Names(), (Names{"Zeta News", "My Stream"}));
  ASSERT_TRUE(ToggleFavoritesView(store, p.info().filter, false).ok());
  RefreshView(p.state);

  p.Put(kPackageFileName, Package(kNextTv, kRadio));
  LoadReport reloaded = ReloadCatalogue(p.state);
  EXPECT_TRUE(reloaded.ok());
  p.ExpectViewMatchesCatalogue();
  // The toggle stood on true after the last header click, so the reload lists Z to A.
  ASSERT_EQ(p.Names(), (Names{"Zeta News", "My Stream", "Gamma TV", "Beta Music", "Added"}));
  EXPECT_EQ(p.Row(0).favorited, 1);
  EXPECT_EQ(p.Row(1).favorited, 1);
  EXPECT_EQ(p.Row(3).favorited, 0);
  EXPECT_EQ(p.info().highest_user_id, 100006);

  ASSERT_TRUE(CloseProgram(p.state).ok());
  EXPECT_EQ(p.Get(kFavoritesFileName), "1\r\n100005\r\n");

  Program again(dir.path());
  ASSERT_TRUE(again.Start().ok());
  EXPECT_EQ(again.Names(), (Names{"Added", "Beta Music", "Gamma TV", "My Stream", "Zeta News"}));
  ASSERT_TRUE(ShowView(again.state.store, again.info().filter, View::kFavorites).ok());
  RefreshView(again.state);
  EXPECT_EQ(again.Names(), (Names{"My Stream", "Zeta News"}));
}

TEST(Lifecycle, FailedReloadStepKeepsTheProgramRunning) {
  struct Case {
    const char* what;
    std::string package;  // empty: the file is removed
    Names names;
    std::string message_start;
  };
  for (const Case& c : {
           Case{"missing package", "", Names{"My Stream"}, "Cannot open the channel package"},
           Case{"malformed radio line", Package(kNextTv, "11|Radio|http://127.0.0.1/x|fast"),
                Names{"Beta Music", "Gamma TV", "My Stream", "Zeta News"}, ""},
       }) {
    TempDir dir;
    Program p(dir.path());
    p.Put(kPackageFileName, Package(kTv, kRadio));
    p.Put(kUserChannelsFileName, kUserLine);
    p.Start();
    // One header click (Z to A) leaves the toggle false, so the reload sorts A to Z.
    SortByColumn(p.info(), p.state.visible_rows.count, ListColumn::kChannel, p.state.sort);
    if (c.package.empty()) {
      fs::remove(p.data / kPackageFileName);
    } else {
      p.Put(kPackageFileName, c.package);
    }
    LoadReport report = ReloadCatalogue(p.state);
    ASSERT_EQ(report.messages.size(), 1u) << c.what;
    EXPECT_EQ(report.messages[0].rfind(c.message_start, 0), 0u) << report.messages[0];
    EXPECT_FALSE(p.state.end_requested);
    EXPECT_EQ(p.Names(), c.names) << c.what;
    p.ExpectViewMatchesCatalogue();
  }
}

TEST(Lifecycle, ReloadIsRefusedWhenTheUserFilesCannotBeWritten) {
  TempDir dir;
  Program p(dir.path());
  p.Put(kPackageFileName, Package(kTv, kRadio));
  p.Start();
  ASSERT_GT(p.state.visible_rows.count, 0);
  p.Row(0).favorited = 1;
  // A folder in the file's place makes the write fail, also for root.
  fs::create_directories(p.data / kFavoritesFileName / "inside");
  p.Put(kPackageFileName, Package(kNextTv, kRadio));
  LoadReport report = ReloadCatalogue(p.state);
  ASSERT_EQ(report.messages.size(), 1u);
  EXPECT_NE(report.messages[0].find("not reloaded"), std::string::npos);
  ASSERT_EQ(p.Names(), (Names{"alpha TV", "Beta Music", "Zeta News"}));
  EXPECT_EQ(p.Row(0).favorited, 1);
  p.ExpectViewMatchesCatalogue();
}

}  // namespace
}  // namespace vistrel
