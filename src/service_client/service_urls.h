#pragma once
// Request URLs of the service. Query values go on the wire as percent-encoded UTF-8 so that no
// value can add, cut or end parameters.

#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/records.h"

namespace vistrel {

// RFC 3986 unreserved characters (letters, digits, "-", ".", "_", "~") stay; every other byte
// of the UTF-8 text becomes "%XX" (upper-case hex).
std::string PercentEncode(std::string_view utf8);

// A UTF-8 text as a query value: percent-encoded.
std::string QueryValue(std::string_view utf8);

// base + "/service/new2.php?" + "&group=" ... "&comment=": the query starts with an empty
// parameter, as the service expects. The address goes without a header part after "|"
// (ShownStreamAddress), and no header is ever sent.
std::string SubmitUserChannelUrl(std::string_view base_url, const Channel& channel);

// base + "/service/bad.php?channel_id=" + id
std::string ReportBrokenChannelUrl(std::string_view base_url, int32_t id);

// base + "/service/rate.php?rating=" + rating + "&id=" + id
std::string RateChannelUrl(std::string_view base_url, std::string_view rating, int32_t id);

// base + "/service/flag.php?flag=" + flag + "&id=" + id
std::string FlagChannelUrl(std::string_view base_url, std::string_view flag, int32_t id);

// base + "/service/get.php?key=" + key, then "&date=" + the first 12 characters of the loaded
// package's version stamp when there is one.
std::string ListDownloadUrl(std::string_view base_url, std::string_view access_key,
                            std::string_view version_text);

}  // namespace vistrel
