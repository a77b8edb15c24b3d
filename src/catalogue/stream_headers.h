#pragma once
// The HTTP headers a channel's server wants on every request of its stream: some answer 403 or
// an empty playlist without a particular User-Agent or Referer.

#include <string>
#include <utility>
#include <vector>

namespace vistrel {

struct StreamHeaders {
  std::string user_agent;  // empty: the player's own
  std::string referrer;    // empty: none
  // Any further header, as name and value, in the order given.
  std::vector<std::pair<std::string, std::string>> fields;

  bool empty() const { return user_agent.empty() && referrer.empty() && fields.empty(); }
  bool operator==(const StreamHeaders&) const = default;
};

}  // namespace vistrel
