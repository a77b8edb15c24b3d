#include "catalogue/format/fields.h"

#include <charconv>
#include <cmath>

#include "common/error.h"

namespace vistrel {

std::vector<std::string_view> SplitFields(std::string_view separator, std::string_view text) {
  std::vector<std::string_view> out;
  if (text.empty()) return out;
  if (separator.empty()) {
    out.push_back(text);
    return out;
  }
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t at = text.find(separator, start);
    if (at == std::string_view::npos) {
      out.push_back(text.substr(start));
      return out;
    }
    out.push_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  return out;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  if (std::size_t zero = text.find('\0'); zero != std::string_view::npos) {
    text = text.substr(0, zero);
  }
  std::size_t start = 0;
  const std::size_t n = text.size();
  while (start < n) {
    std::size_t i = start;
    while (i < n && text[i] != '\r' && text[i] != '\n') ++i;
    lines.push_back(text.substr(start, i - start));
    if (i < n && text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  return lines;
}

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

int32_t ParseInt32(std::string_view field) {
  std::string_view digits = field;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  int32_t value = 0;
  if (!digits.empty() && digits.front() != '-' && digits.front() != '+') {
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec == std::errc() && end == digits.data() + digits.size()) return value;
  } else if (digits.size() > 1 && digits.front() == '-' && field.front() != '+' &&
             digits[1] != '-' && digits[1] != '+') {
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec == std::errc() && end == digits.data() + digits.size()) return value;
  }
  throw Error("'" + std::string(field) + "' is not a valid integer value");
}

double ParseDecimal(std::string_view field) {
  std::string_view digits = field;
  // One optional sign: from_chars takes a "-" but no "+", and "+-1" is no number.
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  double value = 0;
  if (!digits.empty() && digits.front() != '+' && (field.front() != '+' || digits.front() != '-') &&
      digits.find_first_not_of("0123456789.eE+-") == std::string_view::npos) {
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec == std::errc() && end == digits.data() + digits.size() && std::isfinite(value)) {
      return value;
    }
  }
  throw Error("'" + std::string(field) + "' is not a valid floating point value");
}

}  // namespace vistrel
