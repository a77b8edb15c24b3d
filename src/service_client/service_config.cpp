#include "service_client/service_config.h"

#include <cstdlib>

#include "common/build_config.h"

namespace vistrel {

std::string DefaultServiceBaseUrl() {
  const char* env = std::getenv("VISTREL_SERVICE_URL");
  std::string url = (env && *env) ? env : build::kServiceUrl;
  while (!url.empty() && url.back() == '/') url.pop_back();
  return url;
}

ServiceConfig DefaultServiceConfig() {
  return {DefaultServiceBaseUrl()};
}

std::string ServiceUserAgent() {
  return std::string("Vistrel/") + build::kVersion;
}

}  // namespace vistrel
