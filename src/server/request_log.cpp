#include "server/request_log.h"

#include <microhttpd.h>

#include <chrono>
#include <cstdio>
#include <vector>

namespace vistrel {

namespace {

// Bytes outside printable ASCII as "%XX"; the space too unless `keep_spaces`.
std::string Escaped(std::string_view text, bool keep_spaces = false) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c > 0x20 || (c == 0x20 && keep_spaces)) && c < 0x7F) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  return out;
}

std::string UtcTime(std::chrono::system_clock::time_point time) {
  using namespace std::chrono;
  const auto second = floor<seconds>(time);
  const auto day = floor<days>(second);
  const year_month_day ymd{day};
  const hh_mm_ss<seconds> clock{second - day};
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(ymd.year()),
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()));
  return text;
}

// A query parameter's name as the server decodes it ("%6Bey" is "key").
std::string DecodedName(std::string_view name) {
  std::vector<char> text(name.begin(), name.end());
  text.push_back('\0');
  return std::string(text.data(), MHD_http_unescape(text.data()));
}

}  // namespace

std::string LoggedTarget(std::string_view target, std::string_view secret_key) {
  const auto query = target.find('?');
  if (query == std::string_view::npos) return Escaped(target);
  std::string out = Escaped(target.substr(0, query + 1));
  std::string_view rest = target.substr(query + 1);
  bool first = true;
  while (true) {
    const auto end = rest.find('&');
    const std::string_view part = rest.substr(0, end);
    if (!first) out += '&';
    first = false;
    const auto equals = part.find('=');
    if (equals != std::string_view::npos && DecodedName(part.substr(0, equals)) == secret_key &&
        equals + 1 < part.size()) {
      out += Escaped(part.substr(0, equals + 1)) + "***";
    } else {
      out += Escaped(part);
    }
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return out;
}

std::string FormatLogLine(const HttpLogEntry& entry, std::string_view secret_key) {
  std::string line = UtcTime(entry.time) + " " + Escaped(entry.client) + " " +
                     Escaped(entry.method) + " " + LoggedTarget(entry.target, secret_key) + " " +
                     (entry.status > 0 ? std::to_string(entry.status) : "-");
  if (!entry.note.empty()) line += " (" + Escaped(entry.note, true) + ")";
  return line;
}

}  // namespace vistrel
