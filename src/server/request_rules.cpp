#include "server/request_rules.h"

#include <algorithm>

#include "catalogue/format/codepage.h"
#include "catalogue/format/fields.h"
#include "common/error.h"

namespace vistrel {

namespace {

constexpr std::size_t kNameCapacity = 255;
constexpr std::size_t kTextCapacity = 4096;

}  // namespace

std::optional<int32_t> ParseRequestInt(std::string_view text) {
  try {
    return ParseInt32(text);
  } catch (const Error&) {
    return std::nullopt;
  }
}

std::optional<std::string> ParseRequestText(std::string_view text, std::size_t capacity) {
  std::string value = Utf8OrCp1252(text);
  const bool unsafe = std::any_of(value.begin(), value.end(), [](char c) {
    return c == '|' || static_cast<unsigned char>(c) < 0x20;
  });
  if (unsafe || CharacterCount(value) > capacity) return std::nullopt;
  return value;
}

std::optional<std::string> FirstParam(const QueryParams& params, const std::string& key) {
  const auto it = params.find(key);
  if (it == params.end()) return std::nullopt;
  return it->second;
}

Result<Submission> CheckSubmission(const QueryParams& params) {
  std::string error;
  Submission s;
  auto number = [&](const char* key, int32_t& out) {
    const auto value = FirstParam(params, key);
    const auto parsed = value ? ParseRequestInt(*value) : std::nullopt;
    if (!parsed && error.empty()) error = std::string("bad or missing ") + key;
    if (parsed) out = *parsed;
  };
  auto text = [&](const char* key, std::size_t capacity, bool required, std::string& out) {
    const auto value = FirstParam(params, key);
    const auto parsed = value ? ParseRequestText(*value, capacity) : std::nullopt;
    if ((!parsed || (required && parsed->empty())) && error.empty()) {
      error = std::string("bad or missing ") + key;
    }
    if (parsed) out = *parsed;
  };
  number(kGroupParam, s.group_id);
  text(kNameParam, kNameCapacity, true, s.name);
  text(kUrlParam, kTextCapacity, true, s.url);
  number(kBitrateParam, s.bitrate);
  number(kTypeParam, s.type_id);
  text(kHomepageParam, kTextCapacity, false, s.homepage);
  number(kCountryParam, s.country_id);
  number(kGenreParam, s.genre_id);
  text(kCommentParam, kTextCapacity, false, s.comment);
  if (error.empty() && (s.group_id < 1 || s.group_id > 3)) error = "bad group";
  if (!error.empty()) return Result<Submission>::Fail(std::move(error));
  return Result<Submission>::Ok(std::move(s));
}

}  // namespace vistrel
