#include "service_client/download_progress.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

TEST(FormatByteSize, StepsAndRounding) {
  const std::pair<int64_t, const char*> cases[] = {
      {0, "0 b"},           {1023, "1023 b"},         {1024, "1 Kb"},
      {1535, "1 Kb"},       {1536, "2 Kb"},  // 1.5 Kb: halves away from zero
      {2560, "3 Kb"},       {999999, "977 Kb"},       {1000000, "1.00 Mb"},
      {2345678, "2.35 Mb"}, {123456789, "123.46 Mb"},
  };
  for (const auto& [n, text] : cases) EXPECT_EQ(FormatByteSize(n), text) << n;
}

TEST(ProgressPercent, RoundsHalvesToEvenAndSkipsUnknownTotals) {
  struct Case {
    int64_t count, total;
    std::optional<int> percent;
  } cases[] = {
      {0, 0, std::nullopt}, {5, 0, std::nullopt}, {0, 8, 0},   {1, 8, 12},  // 12.5
      {3, 8, 38},                                                           // 37.5
      {1, 200, 0},                                                          // 0.5
      {3, 200, 2},                                                          // 1.5
      {1, 3, 33},           {2, 3, 67},           {8, 8, 100}, {9, 8, 100},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProgressPercent(c.count, c.total), c.percent) << c.count << "/" << c.total;
  }
}

TEST(DownloadingStatus, SizesBetweenFixedSpacing) {
  EXPECT_EQ(DownloadingStatus(1024, 2345678), " downloading  1 Kb of 2.35 Mb ...");
}

TEST(CancelCanStop, OnlyWhileAnnouncedBytesAreDue) {
  EXPECT_TRUE(CancelCanStop(0, 0));
  EXPECT_TRUE(CancelCanStop(500, 0));
  EXPECT_TRUE(CancelCanStop(99, 100));
  EXPECT_FALSE(CancelCanStop(100, 100));
}

}  // namespace
}  // namespace vistrel
