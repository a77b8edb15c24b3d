#include "common/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace vistrel {
namespace {

TEST(WriteFileAtomically, CreatesFoldersReplacesAndLeavesNoTemporaryFile) {
  TempDir dir;
  auto path = dir.path() / "a" / "b" / "file.dat";
  ASSERT_TRUE(WriteFileAtomically(path, "first").ok());
  ASSERT_TRUE(WriteFileAtomically(path, std::string("second\0x", 8)).ok());
  EXPECT_EQ(ReadWholeFile(path), std::string("second\0x", 8));
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(path.parent_path())) ++entries, (void)e;
  EXPECT_EQ(entries, 1);
}

TEST(WriteFileAtomically, FailureKeepsTheOldFileAndSaysWhy) {
  if (::geteuid() == 0) {
    // Root ignores folder permissions; a folder in place of the file makes the rename fail.
    TempDir dir;
    auto path = dir.path() / "file.dat";
    std::filesystem::create_directories(path / "inside");
    Outcome r = WriteFileAtomically(path, "new");
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.error.find("file.dat"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(path / "inside"));
    return;
  }
  TempDir dir;
  auto path = dir.path() / "file.dat";
  ASSERT_TRUE(WriteFileAtomically(path, "old").ok());
  ::chmod(dir.path().c_str(), 0500);
  Outcome r = WriteFileAtomically(path, "new");
  ::chmod(dir.path().c_str(), 0700);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(ReadWholeFile(path), "old");
}

namespace fs = std::filesystem;

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// A user who keeps the file as a link into a dotfiles or sync folder keeps the link, and the
// file it leads to gets the new bytes, in its own folder.
TEST(WriteFileAtomically, WritesThroughSymbolicLinks) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> links;  // link -> what it points to
    bool target_exists;
  };
  for (const Case& c :
       {Case{"absolute link", {{"home/settings.ini", "@/sync/settings.ini"}}, true},
        Case{"relative link", {{"home/settings.ini", "../sync/settings.ini"}}, true},
        Case{"two links",
             {{"home/settings.ini", "../home/second.ini"},
              {"home/second.ini", "@/sync/settings.ini"}},
             true},
        Case{"link to a file not there yet",
             {{"home/settings.ini", "../sync/settings.ini"}},
             false}}) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const fs::path target = dir.path() / "sync" / "settings.ini";
    fs::create_directories(dir.path() / "home");
    fs::create_directories(dir.path() / "sync");
    if (c.target_exists) {
      ASSERT_TRUE(WriteFileAtomically(target, "old").ok());
    }
    for (const auto& [link, to] : c.links) {
      const std::string where = to[0] == '@' ? (dir.path() / to.substr(2)).string() : to;
      fs::create_symlink(where, dir.path() / link);
    }
    const fs::path path = dir.path() / c.links.front().first;
    ASSERT_TRUE(WriteFileAtomically(path, "new").ok());
    for (const auto& [link, to] : c.links) {
      EXPECT_TRUE(fs::is_symlink(dir.path() / link)) << link;
    }
    EXPECT_EQ(ReadWholeFile(target), "new");
    EXPECT_EQ(ReadWholeFile(path), "new");
    EXPECT_EQ(Names(dir.path() / "sync"), std::vector<std::string>{"settings.ini"});
    EXPECT_EQ(Names(dir.path() / "home").size(), c.links.size());
  }
}

TEST(WriteFileAtomically, LinkThatLeadsNowhereFailsAndChangesNothing) {
  TempDir dir;
  fs::create_symlink(dir.path() / "b", dir.path() / "a");
  fs::create_symlink(dir.path() / "a", dir.path() / "b");
  const Outcome r = WriteFileAtomically(dir.path() / "a", "new");
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.error.find("link"), std::string::npos) << r.error;
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "a"));
}

TEST(WriteFileAtomically, KeepsTheFilesPermissions) {
  TempDir dir;
  const fs::path path = dir.path() / "favorites.dat";
  const mode_t mask = ::umask(022);
  ASSERT_TRUE(WriteFileAtomically(path, "first").ok());
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u) << "a new file: 0666 less the umask";
  for (mode_t mode : {0600u, 0640u, 0444u}) {
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "again").ok());
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode);
  }
  ::umask(mask);
  // Through a link, the mode of the file it leads to counts.
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  fs::create_symlink(path, dir.path() / "link.dat");
  ASSERT_TRUE(WriteFileAtomically(dir.path() / "link.dat", "through").ok());
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
}

// A write stopped by a crash leaves its temporary file; the next write of that file removes
// it, and only it.
TEST(WriteFileAtomically, RemovesTemporaryFilesLeftByAnInterruptedWrite) {
  TempDir dir;
  const fs::path path = dir.path() / "channelz.dat";
  for (const char* name : {".channelz.dat.a1B2c3", ".channelz.dat.ZZZZZZ", ".channelz.dat.abc",
                           ".channelz.dat.abcdefg", ".userdef.dat.a1B2c3", "channelz.dat.a1B2c3"}) {
    ASSERT_TRUE(WriteFileAtomically(dir.path() / "keep" / name, "x").ok());
    fs::rename(dir.path() / "keep" / name, dir.path() / name);
  }
  fs::create_directories(dir.path() / ".channelz.dat.folder");
  ASSERT_TRUE(WriteFileAtomically(path, "package").ok());
  EXPECT_EQ(Names(dir.path()),
            (std::vector<std::string>{".channelz.dat.abc", ".channelz.dat.abcdefg",
                                      ".channelz.dat.folder", ".userdef.dat.a1B2c3", "channelz.dat",
                                      "channelz.dat.a1B2c3", "keep"}));
}

TEST(ReadWholeFile, FailureGivesNothingAndTheErrno) {
  int err = 0;
  EXPECT_FALSE(ReadWholeFile("/nonexistent/file", &err).has_value());
  EXPECT_EQ(err, ENOENT);
}

TEST(ReadFile, FailureSaysCannotReadTheFileAndWhy) {
  const Result<std::string> missing = ReadFile("/nonexistent/file");
  EXPECT_FALSE(missing.ok());
  EXPECT_EQ(missing.error, "Cannot read /nonexistent/file: No such file or directory");
  EXPECT_EQ(CannotReadMessage("/x", EISDIR), "Cannot read /x: Is a directory");
}

}  // namespace
}  // namespace vistrel
