// The service's checks of its small requests. The input is a query string; it is cut into
// parameters at "&" and "=" here (the HTTP server's decoding is not under test), and every
// value goes through the checks that the service's requests use.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "server/list_answer.h"
#include "server/request_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vistrel;
  const std::string_view query(reinterpret_cast<const char*>(data), size);
  QueryParams params;
  for (std::size_t start = 0; start <= query.size();) {
    std::size_t end = query.find('&', start);
    if (end == std::string_view::npos) end = query.size();
    const std::string_view pair = query.substr(start, end - start);
    const std::size_t equals = pair.find('=');
    params.emplace(std::string(pair.substr(0, equals)), equals == std::string_view::npos
                                                            ? std::string()
                                                            : std::string(pair.substr(equals + 1)));
    start = end + 1;
  }
  (void)CheckSubmission(params);
  for (const auto& [key, value] : params) {
    (void)ParseFlag(value);
    (void)ParseRating(value);
    (void)ParseRequestInt(value);
    (void)ParseRequestText(value, 255);
  }
  (void)DecideListAnswer(FirstParam(params, "key"), "vistrel-demo", FirstParam(params, "date"),
                         "201003141530");
  return 0;
}
