#include "service_client/service_urls.h"

namespace vistrel {

namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

std::string Path(std::string_view base_url, std::string_view path) {
  std::string url(base_url);
  url += path;
  return url;
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
  std::string url = Path(base_url, "/service/new2.php?");
  url += "&group=" + std::to_string(channel.group_id);
  url += "&name=" + QueryValue(channel.name);
  url += "&url=" + QueryValue(channel.url);
  url += "&bitrate=" + std::to_string(channel.bitrate);
  url += "&type=" + std::to_string(channel.type_id);
  url += "&homepage=" + QueryValue(channel.homepage);
  url += "&country=" + std::to_string(channel.country_id);
  url += "&genre=" + std::to_string(channel.genre_id);
  url += "&comment=" + QueryValue(channel.comment);
  return url;
}

std::string ReportBrokenChannelUrl(std::string_view base_url, int32_t id) {
  return Path(base_url, "/service/bad.php?channel_id=") + std::to_string(id);
}

std::string RateChannelUrl(std::string_view base_url, std::string_view rating, int32_t id) {
  return Path(base_url, "/service/rate.php?rating=") + QueryValue(rating) +
         "&id=" + std::to_string(id);
}

std::string FlagChannelUrl(std::string_view base_url, std::string_view flag, int32_t id) {
  return Path(base_url, "/service/flag.php?flag=") + QueryValue(flag) + "&id=" + std::to_string(id);
}

std::string ListDownloadUrl(std::string_view base_url, std::string_view access_key,
                            std::string_view version_text) {
  std::string url = Path(base_url, "/service/get.php?key=") + QueryValue(access_key);
  if (!version_text.empty())
    url += "&date=" + QueryValue(CutText(version_text, kVersionTextCapacity));
  return url;
}

}  // namespace vistrel
