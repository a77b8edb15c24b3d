#pragma once
// Where the service lives and what every request to it carries.

#include <string>

namespace vistrel {

struct ServiceConfig {
  std::string base_url;  // http(s) URL of the service host, without a trailing slash
};

// The build's service URL, or the environment variable VISTREL_SERVICE_URL when it is set and
// not empty; trailing slashes are removed.
std::string DefaultServiceBaseUrl();

// The service at DefaultServiceBaseUrl.
ServiceConfig DefaultServiceConfig();

// The User-Agent of every request: "Vistrel/" + the product version.
std::string ServiceUserAgent();

}  // namespace vistrel
