#pragma once
// One HTTP GET on libcurl, as every request to the service makes it: a client per request,
// redirects followed (at most 10, never from https to anything else), the given User-Agent, a
// connect time-out of 15 s, and an abort when less than 1 byte/s arrives for 30 s. TLS
// certificates are verified. The answer's size and the whole request's time can be limited.

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

#include "common/error.h"

namespace vistrel {

struct HttpGetLimits {
  // Largest body taken: a longer one, announced or received, fails the request.
  int64_t max_body = std::numeric_limits<int32_t>::max();
  // Time for the whole request, connection included; 0 for none.
  long total_seconds = 0;
};

// The list download: as large as a framed answer can be (its length field is a signed 32-bit
// number of bytes, header included), without an overall deadline (a large package on a slow
// line takes its time; a stalled one ends by the low-speed rule).
inline constexpr HttpGetLimits kListDownloadLimits{std::numeric_limits<int32_t>::max(), 0};
// The small requests, whose answers are dropped: a few KiB, 30 s in all.
inline constexpr HttpGetLimits kSmallRequestLimits{8 * 1024, 30};

// The protocols a redirect may go to from `url`: "https" alone when it is https (a downgrade
// would send the request in the clear), else "http,https".
std::string RedirectProtocols(std::string_view url);

struct HttpGetHooks {
  // Once, when the body of the final response starts (or when a successful request ends without
  // a body): the announced length, 0 when none was announced.
  std::function<void(int64_t total)> begin;
  // At each progress step of the client, also while waiting: body bytes received so far and the
  // total given to `begin` (0 before it). Returning true aborts the transfer.
  std::function<bool(int64_t count, int64_t total)> step;
};

// Texts of the failures that are the program's own rather than the client's.
inline constexpr const char* kAnswerTooLarge =
    "The answer is larger than the ";  // + "N bytes allowed"
inline constexpr const char* kAnswerOutOfMemory = "There is not enough memory for the answer";
inline constexpr const char* kRedirectDowngrade =
    "A redirect from https to another protocol was refused";

// The body of the final response. Failures of the transfer are reported in the result's error:
// the client's message (HTTP errors included), or one of the texts above (running out of
// memory for the body included). An exception thrown by a hook aborts the transfer and is
// raised again once the client is released.
Result<std::string> HttpGet(const std::string& url, const std::string& user_agent,
                            const HttpGetHooks& hooks = {}, const HttpGetLimits& limits = {});

}  // namespace vistrel
