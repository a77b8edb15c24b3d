#pragma once
// One HTTP GET on libcurl, as every request to the service makes it: a client per request,
// redirects followed (at most 10), the given User-Agent, a connect time-out of 15 s, and an
// abort when less than 1 byte/s arrives for 30 s. TLS certificates are verified.

#include <cstdint>
#include <functional>
#include <string>

#include "common/error.h"

namespace vistrel {

struct HttpGetHooks {
  // Once, when the body of the final response starts (or when a successful request ends without
  // a body): the announced length, 0 when none was announced.
  std::function<void(int64_t total)> begin;
  // At each progress step of the client, also while waiting: body bytes received so far and the
  // total given to `begin` (0 before it). Returning true aborts the transfer.
  std::function<bool(int64_t count, int64_t total)> step;
};

// The body of the final response. Failures of the transfer are reported in the result's error,
// the client's message (HTTP errors included). An exception thrown by a hook aborts the
// transfer and is raised again once the client is released.
Result<std::string> HttpGet(const std::string& url, const std::string& user_agent,
                            const HttpGetHooks& hooks = {});

}  // namespace vistrel
