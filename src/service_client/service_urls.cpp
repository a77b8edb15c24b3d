#include "service_client/service_urls.h"

#include "catalogue/stream_headers.h"
#include "protocol/service_protocol.h"

namespace vistrel {

namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

// base + path + "?" + name + "=": the start of a request with its first parameter.
std::string Start(std::string_view base_url, const char* path, const char* first_param) {
  std::string url(base_url);
  url += path;
  url += '?';
  url += first_param;
  url += '=';
  return url;
}

// "&" + name + "="
std::string Next(const char* param) {
  return std::string("&") + param + "=";
}

}  // namespace

std::string PercentEncode(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(utf8.size() * 3);
  for (char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsUnreserved(c)) {
      out.push_back(ch);
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0xF]);
    }
  }
  return out;
}

std::string QueryValue(std::string_view utf8) {
  return PercentEncode(utf8);
}

std::string SubmitUserChannelUrl(std::string_view base_url, const Channel& channel) {
  std::string url(base_url);
  url += kSubmitPath;
  url += '?';
  url += Next(kGroupParam) + std::to_string(channel.group_id);
  url += Next(kNameParam) + QueryValue(channel.name);
  // The headers are the user's own and may hold private values: never sent.
  url += Next(kUrlParam) + QueryValue(ShownStreamAddress(channel.url));
  url += Next(kBitrateParam) + std::to_string(channel.bitrate);
  url += Next(kTypeParam) + std::to_string(channel.type_id);
  url += Next(kHomepageParam) + QueryValue(channel.homepage);
  url += Next(kCountryParam) + std::to_string(channel.country_id);
  url += Next(kGenreParam) + std::to_string(channel.genre_id);
  url += Next(kCommentParam) + QueryValue(channel.comment);
  return url;
}

std::string ReportBrokenChannelUrl(std::string_view base_url, int32_t id) {
  return Start(base_url, kReportPath, kReportIdParam) + std::to_string(id);
}

std::string RateChannelUrl(std::string_view base_url, std::string_view rating, int32_t id) {
  return Start(base_url, kRatePath, kRatingParam) + QueryValue(rating) + Next(kIdParam) +
         std::to_string(id);
}

std::string FlagChannelUrl(std::string_view base_url, std::string_view flag, int32_t id) {
  return Start(base_url, kFlagPath, kFlagParam) + QueryValue(flag) + Next(kIdParam) +
         std::to_string(id);
}

std::string ListDownloadUrl(std::string_view base_url, std::string_view access_key,
                            std::string_view version_text) {
  std::string url = Start(base_url, kListDownloadPath, kAccessKeyParam) + QueryValue(access_key);
  if (!version_text.empty())
    url += Next(kDateParam) + QueryValue(CutText(version_text, kVersionTextCapacity));
  return url;
}

}  // namespace vistrel
