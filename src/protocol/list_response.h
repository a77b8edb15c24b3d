#pragma once
// The list download's answer: a 6-byte header (tag, then the whole answer's length, both
// little-endian) and a payload, either a package file or a message from the service. The
// service frames its answers with the same definitions, so the format lives here only.

#include <cstdint>
#include <string>
#include <string_view>

namespace vistrel {

inline constexpr uint16_t kTagPackage = 258;  // 0x0102: a package file follows
inline constexpr uint16_t kTagMessage = 259;  // 0x0103: a text message follows
inline constexpr size_t kListHeaderSize = 6;
inline constexpr size_t kListMinimumSize = 8;  // so a payload has at least 2 bytes

enum class ListResponseKind {
  kIncomplete,       // shorter than 8 bytes, or the length field differs from the size
  kPackage,          // tag 258
  kMessage,          // tag 259
  kUnknownProtocol,  // any other tag
};

struct ListResponse {
  ListResponseKind kind = ListResponseKind::kIncomplete;
  std::string_view payload;  // the bytes after the header; empty when incomplete
};

// The whole answer: tag, length (header included) and payload. Throws vistrel::Error when the
// length does not fit the signed 32-bit field.
std::string FrameListResponse(uint16_t tag, std::string_view payload);

// Checks in this order: size at least 8, length field (signed 32-bit, header included) equal
// to the size, then the tag.
ListResponse CheckListResponse(std::string_view body);

// The text of a tag-259 payload, in UTF-8: UTF-8 after the UTF-8 byte-order mark (malformed
// sequences become U+FFFD); UTF-16LE when it starts with the UTF-16LE byte-order mark or has a
// zero byte at an odd offset; Windows-1252 otherwise. Trailing NUL characters are dropped.
std::string DecodeServiceMessage(std::string_view payload);

}  // namespace vistrel
