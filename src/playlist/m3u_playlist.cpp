#include "playlist/m3u_playlist.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "catalogue/format/fields.h"

namespace vistrel {

namespace {

constexpr std::string_view kExtinf = "#EXTINF:";
constexpr std::string_view kSpaces = " \t";
constexpr std::string_view kVlcOption = "#EXTVLCOPT:";
constexpr std::string_view kExtHttp = "#EXTHTTP:";

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(kSpaces);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kSpaces);
  return text.substr(first, last - first + 1);
}

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == '.' || c == ':';
}

// The headers of a "#EXTVLCOPT:" line ("http-user-agent=", "http-referrer=" or
// "http-origin="); other options add none.
void ReadVlcOption(std::string_view option, StreamHeaders& headers) {
  const std::size_t equals = option.find('=');
  if (equals == std::string_view::npos) return;
  const std::string_view name = Trim(option.substr(0, equals));
  const std::string_view value = option.substr(equals + 1);
  if (name == "http-user-agent") {
    SetStreamHeader(headers, "User-Agent", value);
  } else if (name == "http-referrer" || name == "http-referer") {
    SetStreamHeader(headers, "Referer", value);
  } else if (name == "http-origin") {
    SetStreamHeader(headers, "Origin", value);
  }
}

// The headers of a "#EXTHTTP:" line: a JSON object of header names and text values; members
// of another kind, and a line that is no such object, add none.
void ReadExtHttp(std::string_view json, StreamHeaders& headers) {
  const nlohmann::json object = nlohmann::json::parse(json, nullptr, /*allow_exceptions=*/false);
  if (!object.is_object()) return;
  for (const auto& [name, value] : object.items()) {
    if (value.is_string()) SetStreamHeader(headers, name, value.get<std::string>());
  }
}

}  // namespace

M3uAttributes::M3uAttributes(std::initializer_list<value_type> attributes) {
  for (const value_type& attribute : attributes) emplace(attribute.first, attribute.second);
}

bool M3uAttributes::emplace(std::string name, std::string value) {
  if (find(name) != end()) return false;
  items_.emplace_back(std::move(name), std::move(value));
  return true;
}

M3uAttributes::iterator M3uAttributes::find(std::string_view name) {
  return std::find_if(items_.begin(), items_.end(),
                      [name](const value_type& item) { return item.first == name; });
}

M3uAttributes::const_iterator M3uAttributes::find(std::string_view name) const {
  return std::find_if(items_.begin(), items_.end(),
                      [name](const value_type& item) { return item.first == name; });
}

const std::string& M3uAttributes::at(std::string_view name) const {
  const auto it = find(name);
  if (it == end()) throw std::out_of_range("no attribute " + std::string(name));
  return it->second;
}

M3uEntry ParseExtinf(std::string_view line) {
  M3uEntry entry;
  std::string_view rest = line.substr(kExtinf.size());
  std::size_t i = 0;
  const std::size_t n = rest.size();
  // Duration first, then attributes, up to the first comma outside quotes.
  while (i < n && rest[i] != ',' && rest[i] != ' ' && rest[i] != '\t') ++i;
  while (i < n && rest[i] != ',') {
    if (rest[i] == ' ' || rest[i] == '\t') {
      ++i;
      continue;
    }
    const std::size_t name_start = i;
    while (i < n && IsNameChar(rest[i])) ++i;
    std::string name(rest.substr(name_start, i - name_start));
    if (i < n && rest[i] == '=') {
      ++i;
      std::string value;
      if (i < n && rest[i] == '"') {
        const std::size_t close = rest.find('"', i + 1);
        if (close == std::string_view::npos) {
          // An unterminated quote swallows the rest: no title can be told apart.
          entry.attributes.emplace(std::move(name), std::string(rest.substr(i + 1)));
          return entry;
        }
        value = std::string(rest.substr(i + 1, close - i - 1));
        i = close + 1;
      } else {
        const std::size_t start = i;
        while (i < n && rest[i] != ',' && rest[i] != ' ' && rest[i] != '\t') ++i;
        value = std::string(rest.substr(start, i - start));
      }
      if (!name.empty()) entry.attributes.emplace(std::move(name), std::move(value));
    } else if (i == name_start) {
      // Anything else (a stray quote or symbol): skip it, minding quotes so that a comma inside
      // them is not taken for the title's start.
      if (rest[i] == '"') {
        const std::size_t close = rest.find('"', i + 1);
        if (close == std::string_view::npos) return entry;
        i = close + 1;
      } else {
        ++i;
      }
    }
  }
  if (i < n) entry.title = std::string(Trim(rest.substr(i + 1)));
  return entry;
}

void M3uReader::ReadLine(std::string_view raw, std::size_t line_number) {
  if (line_number == 1 && raw.starts_with("\xEF\xBB\xBF")) raw.remove_prefix(3);
  if (raw.ends_with('\r')) raw.remove_suffix(1);
  const std::string_view line = Trim(raw);
  if (line.empty()) return;
  if (!header_seen_) {
    header_seen_ = true;
    if (!line.starts_with("#EXTM3U")) {
      Warn(line_number, "the playlist does not start with #EXTM3U; read as a list of addresses");
    }
  }
  if (line.substr(0, kExtinf.size()) == kExtinf) {
    if (pending_) Warn(pending_line_, "#EXTINF without an address; the entry is skipped");
    pending_ = ParseExtinf(line);
    pending_line_ = line_number;
  } else if (line.starts_with(kVlcOption)) {
    ReadVlcOption(line.substr(kVlcOption.size()), option_headers_);
  } else if (line.starts_with(kExtHttp)) {
    ReadExtHttp(line.substr(kExtHttp.size()), option_headers_);
  } else if (line.front() != '#') {
    M3uEntry entry = pending_ ? std::move(*pending_) : M3uEntry{};
    // Headers after a "|" in the address line are set over those of the option lines.
    SplitAddress split = SplitStreamAddress(line);
    entry.url = std::move(split.address);
    entry.headers = std::move(option_headers_);
    MergeStreamHeaders(entry.headers, split.headers);
    option_headers_ = {};
    pending_.reset();
    on_entry_(std::move(entry));
  }
}

void M3uReader::Finish() {
  if (pending_) Warn(pending_line_, "#EXTINF without an address; the entry is skipped");
  pending_.reset();
}

void M3uReader::Warn(std::size_t line_number, std::string text) {
  if (on_warning_) on_warning_(M3uWarning{line_number, std::move(text)});
}

std::vector<M3uEntry> ParseM3u(std::string_view text) {
  std::vector<M3uEntry> entries;
  M3uReader reader([&entries](M3uEntry&& entry) { entries.push_back(std::move(entry)); });
  std::size_t line_number = 0;
  for (std::string_view line : SplitLines(text)) reader.ReadLine(line, ++line_number);
  return entries;
}

std::vector<std::string> M3uGuideAddresses(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  constexpr std::string_view kHeader = "#EXTM3U";
  if (!text.starts_with(kHeader)) return {};
  std::string_view line = text.substr(kHeader.size(), text.find('\n') - kHeader.size());
  if (line.ends_with('\r')) line.remove_suffix(1);
  // The header's attributes are written as an "#EXTINF" line's are.
  const M3uEntry header = ParseExtinf(std::string(kExtinf) + "0 " + std::string(line));
  std::vector<std::string> addresses;
  for (const char* key : {"url-tvg", "x-tvg-url"}) {
    const auto it = header.attributes.find(key);
    if (it == header.attributes.end()) continue;
    std::string_view list = it->second;
    while (!list.empty()) {
      const std::size_t comma = list.find(',');
      const std::string address(Trim(list.substr(0, comma)));
      list.remove_prefix(comma == std::string_view::npos ? list.size() : comma + 1);
      if (!address.empty() &&
          std::find(addresses.begin(), addresses.end(), address) == addresses.end()) {
        addresses.push_back(address);
      }
    }
  }
  return addresses;
}

}  // namespace vistrel
