#include "protocol/list_response.h"

#include <limits>

#include "catalogue/format/codepage.h"
#include "common/error.h"

namespace vistrel {

namespace {

uint32_t ReadLittleEndian(std::string_view bytes, size_t offset, size_t size) {
  uint32_t value = 0;
  for (size_t i = 0; i < size; ++i) {
    value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  }
  return value;
}

bool LooksLikeUtf16Le(std::string_view payload) {
  if (payload.size() >= 2 && payload[0] == '\xFF' && payload[1] == '\xFE') return true;
  for (size_t i = 1; i < payload.size(); i += 2) {
    if (payload[i] == '\0') return true;
  }
  return false;
}

}  // namespace

std::string FrameListResponse(uint16_t tag, std::string_view payload) {
  if (payload.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()) - kListHeaderSize) {
    throw Error("list response too large");
  }
  const auto length = static_cast<uint32_t>(payload.size() + kListHeaderSize);
  std::string out;
  out.reserve(length);
  out += static_cast<char>(tag & 0xFF);
  out += static_cast<char>(tag >> 8);
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((length >> shift) & 0xFF);
  out += payload;
  return out;
}

ListResponse CheckListResponse(std::string_view body) {
  if (body.size() < kListMinimumSize) return {};
  const auto tag = static_cast<uint16_t>(ReadLittleEndian(body, 0, 2));
  const auto length = static_cast<int32_t>(ReadLittleEndian(body, 2, 4));
  if (length < 0 || static_cast<uint64_t>(length) != body.size()) return {};
  const std::string_view payload = body.substr(kListHeaderSize);
  switch (tag) {
    case kTagPackage:
      return {ListResponseKind::kPackage, payload};
    case kTagMessage:
      return {ListResponseKind::kMessage, payload};
    default:
      return {ListResponseKind::kUnknownProtocol, payload};
  }
}

std::string DecodeServiceMessage(std::string_view payload) {
  std::string text;
  if (payload.starts_with(kUtf8Bom)) {
    text = DecodeTextFile(payload);
  } else if (LooksLikeUtf16Le(payload)) {
    if (payload.size() >= 2 && payload[0] == '\xFF' && payload[1] == '\xFE')
      payload.remove_prefix(2);
    text = Utf16LeToUtf8(payload);
  } else {
    text = Cp1252ToUtf8(payload);
  }
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

}  // namespace vistrel
