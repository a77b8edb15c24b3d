#include "server/byte_range.h"

#include <charconv>
#include <optional>

namespace vistrel {

namespace {

// Decimal digits only, the whole text; nothing for an empty text or one beyond 64 bits.
std::optional<uint64_t> Number(std::string_view text) {
  uint64_t value = 0;
  const char* end = text.data() + text.size();
  if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

bool StartsWithUnit(std::string_view text) {
  constexpr std::string_view kUnit = "bytes=";
  if (text.size() < kUnit.size()) return false;
  for (std::size_t i = 0; i < kUnit.size(); ++i) {
    const char c = text[i];
    if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != kUnit[i]) return false;
  }
  return true;
}

}  // namespace

RangeAnswer ReadRangeHeader(std::string_view header, uint64_t size) {
  const RangeAnswer whole;
  while (!header.empty() && header.front() == ' ') header.remove_prefix(1);
  while (!header.empty() && header.back() == ' ') header.remove_suffix(1);
  if (!StartsWithUnit(header)) return whole;
  const std::string_view bounds = header.substr(6);
  const auto dash = bounds.find('-');
  if (dash == std::string_view::npos || bounds.find(',') != std::string_view::npos) return whole;
  const std::string_view first_text = bounds.substr(0, dash);
  const std::string_view last_text = bounds.substr(dash + 1);
  const RangeAnswer unsatisfiable{RangeAnswer::Kind::kUnsatisfiable, 0, 0};
  if (first_text.empty()) {
    const auto suffix = Number(last_text);
    if (!suffix) return whole;
    if (*suffix == 0 || size == 0) return unsatisfiable;
    const uint64_t length = *suffix < size ? *suffix : size;
    return {RangeAnswer::Kind::kPart, size - length, length};
  }
  const auto first = Number(first_text);
  if (!first) return whole;
  std::optional<uint64_t> last;
  if (!last_text.empty()) {
    last = Number(last_text);
    if (!last || *last < *first) return whole;
  }
  if (*first >= size) return unsatisfiable;
  const uint64_t end = last && *last < size - 1 ? *last : size - 1;
  return {RangeAnswer::Kind::kPart, *first, end - *first + 1};
}

std::string ContentRange(const RangeAnswer& answer, uint64_t size) {
  if (answer.kind != RangeAnswer::Kind::kPart) return "bytes */" + std::to_string(size);
  return "bytes " + std::to_string(answer.first) + "-" +
         std::to_string(answer.first + answer.length - 1) + "/" + std::to_string(size);
}

}  // namespace vistrel
