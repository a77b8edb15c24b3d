#include "server/table_files.h"

#include <gtest/gtest.h>

#include <fstream>

#include "common/error.h"
#include "support/error_matchers.h"
#include "support/temp_dir.h"

namespace vistrel {
namespace {

TEST(TableFiles, MalformedLineNamesFileAndLine) {
  const std::string good = "1|A|u|0|1||0|0||0|0|0|0|0|0|0\r\n";
  for (const std::string& bad :
       {good + "2|B|u|0|1||0|0||0|0|0|0|0|0\r\n", good + "2|B|u|x|1||0|0||0|0|0|0|0|0|0\r\n"}) {
    EXPECT_THAT([&] { ParseChannelTable(bad, 1, "tv.dat"); },
                ThrowsErrorContaining("tv.dat, line 2"))
        << bad;
  }
  EXPECT_THROW(ParseCountryTable("1|A\r\nB\r\n", "countries.dat"), Error);
}

TEST(TableFiles, MissingTableFileIsAnErrorVersionIsOptional) {
  TempDir dir;
  for (const char* name : {"countries.dat", "genres.dat", "tv.dat", "radio.dat"}) {
    std::ofstream(dir.path() / name) << "";
  }
  EXPECT_THROW(ReadTableFiles(dir.path()), Error);  // video.dat missing
  std::ofstream(dir.path() / "video.dat") << "";
  EXPECT_EQ(ReadTableFiles(dir.path()).version, "");
}

}  // namespace
}  // namespace vistrel
