// When the service publishes a new package, and with which stamp.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/package_publication.h"
#include "server/version_stamp.h"

namespace vistrel {
namespace {

StampTime Stamp(const char* text) {
  const auto stamp = ParseVersionStamp(text);
  EXPECT_TRUE(stamp) << text;
  return stamp.value_or(StampTime{});
}

TEST(PackagePublication, AtMostOneNewPackageAMinuteNeverAheadOfTheClock) {
  struct Case {
    const char* what;
    CatalogueState state;  // changes, version, published, published_changes
    const char* now;
    PackagePlan plan;  // stamp, record, current
  };
  const Case cases[] = {
      {"first package: the stamp of the last change",
       {1, "202605011155", "", -1},
       "202605011200",
       {"202605011155", true, true}},
      {"unchanged since the last package (a restart)",
       {3, "202605011200", "202605011200", 3},
       "202605011300",
       {"202605011200", false, true}},
      {"changed in the minute of the last package: its stamp, not recorded",
       {4, "202605011200", "202605011200", 3},
       "202605011200",
       {"202605011200", false, false}},
      {"changed in that minute, asked in the next",
       {4, "202605011200", "202605011200", 3},
       "202605011201",
       {"202605011201", true, true}},
      {"changed later on: the stamp of that change",
       {4, "202605011230", "202605011200", 3},
       "202605011300",
       {"202605011230", true, true}},
      {"an older catalogue, counts not known",
       {4, "202605011200", "202605011200", -1},
       "202605011205",
       {"202605011201", true, true}},
      {"the clock went back",
       {4, "202605011300", "202605011300", 3},
       "202605011200",
       {"202605011300", false, false}},
  };
  for (const Case& c : cases) {
    const PackagePlan plan = PlanPackage(c.state, Stamp(c.now));
    EXPECT_EQ(plan.stamp, c.plan.stamp) << c.what;
    EXPECT_EQ(plan.record, c.plan.record) << c.what;
    EXPECT_EQ(plan.current, c.plan.current) << c.what;
    if (plan.record) {
      EXPECT_LE(plan.stamp, std::string(c.now)) << c.what;
    }
  }
}

TEST(PackagePublication, PackageOnHandServesUntilChangedAndTheMinuteIsOver) {
  const PackageOnHand built{"202605011200", 3};
  const PackageOnHand unsure{"202605011200", -1};
  const auto serves = [](const PackageOnHand& on_hand, int64_t changes, const char* now) {
    return PackageStillServes(on_hand, CatalogueState{changes, "202605011200", "", -1}, Stamp(now));
  };
  EXPECT_TRUE(serves(built, 3, "202605021200"));
  EXPECT_TRUE(serves(built, 4, "202605011200"));
  EXPECT_FALSE(serves(built, 4, "202605011201"));
  EXPECT_TRUE(serves(unsure, 3, "202605011200"));
  EXPECT_FALSE(serves(unsure, 3, "202605011201"));
}

}  // namespace
}  // namespace vistrel
