#pragma once
// Where the service lives and what every request to it carries.

#include <functional>
#include <string>

namespace vistrel {

// Runs the window events that are waiting. Requests call it at each progress step, so the window
// keeps painting and answering while a request blocks its handler.
using ProcessEvents = std::function<void()>;

struct ServiceConfig {
  std::string base_url;          // http(s) URL of the service host, without a trailing slash
  ProcessEvents process_events;  // may be empty
};

// The build's service URL, or the environment variable VISTREL_SERVICE_URL when it is set and
// not empty; trailing slashes are removed.
std::string DefaultServiceBaseUrl();

// DefaultServiceBaseUrl with the given event pump.
ServiceConfig DefaultServiceConfig(ProcessEvents process_events = {});

// The User-Agent of every request: "Vistrel/" + the product version.
std::string ServiceUserAgent();

}  // namespace vistrel
