#include "vistrel-service/list_response.h"

#include <limits>

#include "common/error.h"

namespace vistrel {

std::string FrameListResponse(uint16_t tag, std::string_view payload) {
  constexpr std::size_t kHeader = 6;
  if (payload.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()) - kHeader) {
    throw Error("list response too large");
  }
  const auto length = static_cast<uint32_t>(payload.size() + kHeader);
  std::string out;
  out.reserve(length);
  out += static_cast<char>(tag & 0xFF);
  out += static_cast<char>(tag >> 8);
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((length >> shift) & 0xFF);
  out += payload;
  return out;
}

ListAnswer DecideListAnswer(const std::optional<std::string>& key, std::string_view access_key,
                            const std::optional<std::string>& date, std::string_view version) {
  if (!key || *key != access_key) return ListAnswer::kWrongKey;
  if (date && !version.empty() && *date == version) return ListAnswer::kUpToDate;
  return ListAnswer::kPackage;
}

}  // namespace vistrel
