#include "catalogue/stream_headers.h"

#include <algorithm>

#include "catalogue/format/fields.h"
#include "common/error.h"

namespace vistrel {

namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

// The characters HTTP allows in a header's name.
bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool IsControl(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b < 0x20 || b == 0x7F;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = LowerAscii(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A field of the headers entry: "%", "|" and control characters as "%XX".
void AppendEncoded(std::string& line, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char c : text) {
    if (c == '%' || c == '|' || IsControl(c)) {
      const auto b = static_cast<unsigned char>(c);
      line += '%';
      line += kHex[b >> 4];
      line += kHex[b & 0xF];
    } else {
      line += c;
    }
  }
}

}  // namespace

void SetStreamHeader(StreamHeaders& headers, std::string_view name, std::string_view value) {
  name = TrimBlanks(name);
  if (name.empty() || !std::all_of(name.begin(), name.end(), IsNameChar)) return;
  std::string clean;
  for (const char c : TrimBlanks(value)) {
    if (!IsControl(c)) clean += c;
  }
  if (clean.empty()) return;
  if (SameName(name, "User-Agent")) {
    headers.user_agent = std::move(clean);
  } else if (SameName(name, "Referer") || SameName(name, "Referrer")) {
    headers.referrer = std::move(clean);
  } else {
    for (auto& [field_name, field_value] : headers.fields) {
      if (SameName(field_name, name)) {
        field_value = std::move(clean);
        return;
      }
    }
    headers.fields.emplace_back(std::string(name), std::move(clean));
  }
}

void MergeStreamHeaders(StreamHeaders& into, const StreamHeaders& from) {
  if (!from.user_agent.empty()) into.user_agent = from.user_agent;
  if (!from.referrer.empty()) into.referrer = from.referrer;
  for (const auto& [name, value] : from.fields) SetStreamHeader(into, name, value);
}

std::string PercentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

SplitAddress SplitStreamAddress(std::string_view text) {
  SplitAddress split;
  const std::size_t bar = text.find('|');
  split.address = std::string(TrimBlanks(text.substr(0, bar)));
  if (bar == std::string_view::npos) return split;
  std::string_view rest = text.substr(bar + 1);
  while (!rest.empty()) {
    const std::size_t amp = rest.find('&');
    const std::string_view pair = rest.substr(0, amp);
    rest.remove_prefix(amp == std::string_view::npos ? rest.size() : amp + 1);
    const std::size_t equals = pair.find('=');
    if (equals == std::string_view::npos) continue;
    SetStreamHeader(split.headers, PercentDecode(pair.substr(0, equals)),
                    PercentDecode(pair.substr(equals + 1)));
  }
  return split;
}

std::string_view ShownStreamAddress(std::string_view text) {
  return TrimBlanks(text.substr(0, text.find('|')));
}

std::string FormatStreamHeadersLine(int32_t channel_id, const StreamHeaders& headers) {
  std::string line = std::to_string(channel_id);
  for (std::string_view field :
       {std::string_view(headers.user_agent), std::string_view(headers.referrer)}) {
    line += '|';
    AppendEncoded(line, field);
  }
  for (const auto& [name, value] : headers.fields) {
    line += '|';
    AppendEncoded(line, name);
    line += '|';
    AppendEncoded(line, value);
  }
  return line;
}

void ReadStreamHeadersTable(std::string_view text,
                            std::unordered_map<int32_t, StreamHeaders>& headers) {
  for (const std::string_view line : SplitLines(text)) {
    // Every "|" separates, an empty last field included ("7|Agent|" has no Referer).
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
      const std::size_t bar = line.find('|', start);
      fields.push_back(line.substr(start, bar == std::string_view::npos ? bar : bar - start));
      if (bar == std::string_view::npos) break;
      start = bar + 1;
    }
    if (fields.size() < 3 || (fields.size() - 3) % 2 != 0) continue;
    int32_t id = 0;
    try {
      id = ParseInt32(TrimBlanks(fields[0]));
    } catch (const Error&) {
      continue;
    }
    StreamHeaders read;
    SetStreamHeader(read, "User-Agent", PercentDecode(fields[1]));
    SetStreamHeader(read, "Referer", PercentDecode(fields[2]));
    for (std::size_t i = 3; i + 1 < fields.size(); i += 2) {
      SetStreamHeader(read, PercentDecode(fields[i]), PercentDecode(fields[i + 1]));
    }
    if (!read.empty()) headers.try_emplace(id, std::move(read));
  }
}

}  // namespace vistrel
