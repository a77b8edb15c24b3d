#pragma once
// What the service accepts in its small requests: ratings, flags, reports and submissions.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "common/error.h"
#include "protocol/service_protocol.h"

namespace vistrel {

// Query parameters as decoded by the HTTP server (the same type as httplib::Params).
using QueryParams = std::multimap<std::string, std::string>;

// A signed 32-bit decimal integer, as the tables hold them.
std::optional<int32_t> ParseRequestInt(std::string_view text);

// A submitted text as a table value in UTF-8. Valid UTF-8 is kept as sent; anything else is
// read as Windows-1252, the form earlier clients sent. Nothing when it holds "|" or a control
// character (they would break the table's lines and fields) or more than `capacity`
// characters.
std::optional<std::string> ParseRequestText(std::string_view text, std::size_t capacity);

// A channel submitted for review, texts in UTF-8.
struct Submission {
  int32_t group_id = 0;
  std::string name;
  std::string url;
  int32_t bitrate = 0;
  int32_t type_id = 0;
  std::string homepage;
  int32_t country_id = 0;
  int32_t genre_id = 0;
  std::string comment;
};

// The submission of a new2 request, or why it is refused (the first problem found, naming the
// key): every key must be present; name and url non-empty; group 1 to 3; bitrate, type,
// country and genre integers.
Result<Submission> CheckSubmission(const QueryParams& params);

// The first value of `key`, if present.
std::optional<std::string> FirstParam(const QueryParams& params, const std::string& key);

}  // namespace vistrel
