#include "common/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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
