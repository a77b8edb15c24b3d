#include "guide/xmltv_time.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

TEST(XmltvTime, FullShortAndOffsetForms) {
  struct Case {
    const char* text;
    int64_t utc;
  };
  const Case cases[] = {
      {"20240301120000", 1709294400},        // no offset: UTC
      {"20240301120000 +0000", 1709294400},  //
      {"20240301120000 +0100", 1709290800},  // an hour east of UTC: 11:00 UTC
      {"20240301120000 -0100", 1709298000},
      {"20240301120000+0100", 1709290800},  // without the blank
      {" 20240301120000  +0100 ", 1709290800},
      {"202403011230", 1709296200},
      {"2024030113", 1709298000},
      {"20240302", 1709337600},
      {"20240302 +0000", 1709337600},
      {"20240229000000", 1709164800},  // leap day
      {"19691231235959", -1},
      {"2000", 946684800},
  };
  for (const Case& c : cases) {
    const auto parsed = ParseXmltvTime(c.text);
    ASSERT_TRUE(parsed.has_value()) << c.text;
    EXPECT_EQ(*parsed, c.utc) << c.text;
  }
}

TEST(XmltvTime, FormattedTimesReadBack) {
  EXPECT_EQ(FormatXmltvTime(1709294400), "20240301120000 +0000");
  for (const int64_t utc : {int64_t{-1}, int64_t{0}, int64_t{1709164800}, int64_t{4102444799}}) {
    EXPECT_EQ(ParseXmltvTime(FormatXmltvTime(utc)), utc) << utc;
  }
}

TEST(XmltvTime, RejectsWhatIsNotATime) {
  for (const char* text : {"", "2024030112000", "202403011200001", "20241301120000",
                           "20240230120000", "20230229000000", "20240301240000", "20240301126000",
                           "20240301120060", "20240301120000 +01", "20240301120000 +2400",
                           "20240301120000 0100", "20240301120000 +01:00", "2024-03-01",
                           "20240301120000 UTC", "20240301120000 +0100x", "20240001"}) {
    EXPECT_FALSE(ParseXmltvTime(text).has_value()) << text;
  }
}

}  // namespace
}  // namespace vistrel
