// The service's log lines.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/request_log.h"

namespace vistrel {
namespace {

TEST(RequestLog, TargetsAreEscapedAndTheKeyMasked) {
  const std::pair<std::string, std::string> cases[] = {
      {"/service/get.php?key=vistrel-demo&date=202605011200",
       "/service/get.php?key=***&date=202605011200"},
      {"/service/get.php?date=1&key=a%20b&key=c", "/service/get.php?date=1&key=***&key=***"},
      {"/service/get.php?%6B%65y=decoded&k%65y=too", "/service/get.php?%6B%65y=***&k%65y=***"},
      {"/service/get.php?monkey=1&key=&keys=2", "/service/get.php?monkey=1&key=&keys=2"},
      {"/a b\x1b[31m\r\n\x7f", "/a%20b%1B[31m%0D%0A%7F"},
      {"/caf\xC3\xA9?q=\x9b", "/caf%C3%A9?q=%9B"},
      {"/plain?", "/plain?"},
  };
  for (const auto& [target, logged] : cases) EXPECT_EQ(LoggedTarget(target, "key"), logged);
}

TEST(RequestLog, LineHasTimeAddressMethodTargetStatusAndNote) {
  using namespace std::chrono;
  HttpLogEntry entry;
  entry.time = sys_days{year{2026} / 5 / 1} + hours{12} + seconds{3} + milliseconds{999};
  entry.client = "2001:db8::1";
  entry.method = "GET";
  entry.target = "/service/rate.php?rating=4&id=10";
  entry.status = 200;
  EXPECT_EQ(FormatLogLine(entry, "key"),
            "2026-05-01T12:00:03Z 2001:db8::1 GET /service/rate.php?rating=4&id=10 200");
  entry.method = "-";
  entry.status = 0;
  entry.note = "database: disk I/O error\x1b]0;";
  EXPECT_EQ(FormatLogLine(entry, "key"),
            "2026-05-01T12:00:03Z 2001:db8::1 - /service/rate.php?rating=4&id=10 - "
            "(database: disk I/O error%1B]0;)");
}

}  // namespace
}  // namespace vistrel
