#pragma once
// The service's log line of one request, safe to print on a terminal.

#include <string>
#include <string_view>

#include "server/http_server.h"

namespace vistrel {

// A request target for the log: every byte outside printable ASCII, and the space, as "%XX",
// so no escape sequence or line break reaches the terminal; the value of every query
// parameter named `secret_key` (the access key; the name as decoded) replaced by "***".
std::string LoggedTarget(std::string_view target, std::string_view secret_key);

// "2026-05-01T12:00:03Z 127.0.0.1 GET /service/rate.php?rating=4&id=10 200": the time (UTC,
// seconds), client address, method, the target as LoggedTarget gives it, and the status ("-"
// when none was sent), then the note in parentheses when there is one (escaped the same way, spaces
// kept).
std::string FormatLogLine(const HttpLogEntry& entry, std::string_view secret_key);

}  // namespace vistrel
