// The media folder: byte ranges, content types, and which paths open which files.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "common/error.h"
#include "server/byte_range.h"
#include "server/media_files.h"
#include "support/temp_dir.h"

namespace vistrel {
namespace {

namespace fs = std::filesystem;
using Kind = RangeAnswer::Kind;

TEST(ByteRange, OneRangeIsCutToTheFileOthersAreIgnored) {
  struct Case {
    const char* header;
    uint64_t size;
    Kind kind;
    uint64_t first, length;
  };
  const Case cases[] = {
      {"", 100, Kind::kWhole, 0, 0},
      {"bytes=0-9", 100, Kind::kPart, 0, 10},
      {"bytes=90-", 100, Kind::kPart, 90, 10},
      {"bytes=-5", 100, Kind::kPart, 95, 5},
      {"bytes=-500", 100, Kind::kPart, 0, 100},
      {"bytes=95-200", 100, Kind::kPart, 95, 5},
      {"BYTES=0-0", 100, Kind::kPart, 0, 1},
      {" bytes=1-2 ", 100, Kind::kPart, 1, 2},
      {"bytes=100-", 100, Kind::kUnsatisfiable, 0, 0},
      {"bytes=100-200", 100, Kind::kUnsatisfiable, 0, 0},
      {"bytes=-0", 100, Kind::kUnsatisfiable, 0, 0},
      {"bytes=0-", 0, Kind::kUnsatisfiable, 0, 0},
      {"bytes=-1", 0, Kind::kUnsatisfiable, 0, 0},
      {"bytes=5-4", 100, Kind::kWhole, 0, 0},
      {"bytes=0-1,5-6", 100, Kind::kWhole, 0, 0},
      {"items=0-1", 100, Kind::kWhole, 0, 0},
      {"bytes=x-1", 100, Kind::kWhole, 0, 0},
      {"bytes=1-y", 100, Kind::kWhole, 0, 0},
      {"bytes=+1-2", 100, Kind::kWhole, 0, 0},
      {"bytes= 1-2", 100, Kind::kWhole, 0, 0},
      {"bytes=-", 100, Kind::kWhole, 0, 0},
      {"bytes=99999999999999999999-", 100, Kind::kWhole, 0, 0},
  };
  for (const Case& c : cases) {
    const RangeAnswer answer = ReadRangeHeader(c.header, c.size);
    EXPECT_EQ(answer.kind, c.kind) << c.header;
    if (c.kind == Kind::kPart) {
      EXPECT_EQ(answer.first, c.first) << c.header;
      EXPECT_EQ(answer.length, c.length) << c.header;
    }
  }
  EXPECT_EQ(ContentRange(ReadRangeHeader("bytes=0-9", 100), 100), "bytes 0-9/100");
  EXPECT_EQ(ContentRange(ReadRangeHeader("bytes=-1", 300000000000), 300000000000),
            "bytes 299999999999-299999999999/300000000000");
  EXPECT_EQ(ContentRange(ReadRangeHeader("bytes=100-", 100), 100), "bytes */100");
}

TEST(MediaFiles, TypeFollowsTheExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"live.m3u8", "application/vnd.apple.mpegurl"},
      {"LIVE.M3U8", "application/vnd.apple.mpegurl"},
      {"a.txt", "text/plain"},
      {"logo.jpg", "image/jpeg"},
      {"song.mp3", "audio/mpeg"},
      {"clip.ts", "video/mp2t"},
      {"a.txt.exe", "application/octet-stream"},
      {"noextension", "application/octet-stream"},
      {".m3u8", "application/octet-stream"},
      {"trailing.", "application/octet-stream"},
  };
  for (const auto& [name, type] : cases) EXPECT_EQ(MediaType(name), type) << name;
}

class MediaFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path media = dir_.path() / "media";
    WriteTestFile(media / "a.txt", "hello");
    WriteTestFile(media / "sub" / "b.mp3", "ID3");
    WriteTestFile(dir_.path() / "outside" / "secret.txt", "secret");
    fs::create_symlink("a.txt", media / "inside.link");
    fs::create_symlink("../outside/secret.txt", media / "outside.link");
    fs::create_directory_symlink("../outside", media / "outside.dir");
    fs::create_directory_symlink("/etc", media / "etc");
    ASSERT_EQ(::mkfifo((media / "fifo").c_str(), 0600), 0);
    root_ = ResolveMediaRoot(media);
  }

  TempDir dir_;
  fs::path root_;
};

TEST_F(MediaFolder, RegularFilesInsideOpenNothingElse) {
  struct Case {
    std::string relative;
    const char* type;  // nullptr: refused
    uint64_t size;
  };
  const Case cases[] = {
      {"a.txt", "text/plain", 5},
      {"sub/b.mp3", "audio/mpeg", 3},
      {"inside.link", "text/plain", 5},  // a link inside the folder; the type of its target
      {"outside.link", nullptr, 0},
      {"outside.dir/secret.txt", nullptr, 0},
      {"etc/passwd", nullptr, 0},
      {"../outside/secret.txt", nullptr, 0},
      {"sub/../a.txt", nullptr, 0},
      {"..", nullptr, 0},
      {"/etc/passwd", nullptr, 0},
      {"", nullptr, 0},
      {std::string("a.txt\0.jpg", 10), nullptr, 0},
      {"sub", nullptr, 0},
      {"sub/", nullptr, 0},
      {"missing.txt", nullptr, 0},
      {"fifo", nullptr, 0},  // and opening it does not wait for a writer
  };
  for (const Case& c : cases) {
    const auto file = OpenMediaFile(root_, c.relative);
    if (!c.type) {
      EXPECT_FALSE(file) << c.relative;
      continue;
    }
    ASSERT_TRUE(file) << c.relative;
    EXPECT_EQ(file->content_type, c.type) << c.relative;
    EXPECT_EQ(file->size, c.size) << c.relative;
    char first = 0;
    EXPECT_EQ(::pread(file->fd.get(), &first, 1, 0), 1) << c.relative;
  }
}

TEST_F(MediaFolder, RootMustBeAFolder) {
  EXPECT_THROW(ResolveMediaRoot(dir_.path() / "missing"), Error);
  EXPECT_THROW(ResolveMediaRoot(dir_.path() / "media" / "a.txt"), Error);
  EXPECT_EQ(ResolveMediaRoot(dir_.path() / "media" / "sub" / ".."), root_);
}

}  // namespace
}  // namespace vistrel
