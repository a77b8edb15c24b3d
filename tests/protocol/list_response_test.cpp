#include "protocol/list_response.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "support/list_header.h"

namespace vistrel {
namespace {

TEST(CheckListResponse, SizeThenLengthThenTagDecide) {
  struct Case {
    const char* what;
    std::string body;
    ListResponseKind kind;
  } cases[] = {
      {"empty", "", ListResponseKind::kIncomplete},
      {"header only, right length", RawListHeader(258, 6), ListResponseKind::kIncomplete},
      {"7 bytes, right length", RawListHeader(258, 7) + "x", ListResponseKind::kIncomplete},
      {"length larger than body", RawListHeader(258, 20) + "abcd", ListResponseKind::kIncomplete},
      {"length smaller than body", RawListHeader(258, 8) + "abcd", ListResponseKind::kIncomplete},
      {"negative length", RawListHeader(258, -1) + "abcd", ListResponseKind::kIncomplete},
      // A short body is incomplete even with an unknown tag: size is checked first.
      {"short, unknown tag", RawListHeader(7, 7) + "x", ListResponseKind::kIncomplete},
      {"package", FrameListResponse(258, "ab"), ListResponseKind::kPackage},
      {"message", FrameListResponse(259, "ab"), ListResponseKind::kMessage},
      {"unknown tag", FrameListResponse(260, "ab"), ListResponseKind::kUnknownProtocol},
      {"big-endian tag", FrameListResponse(0x0201, "ab"), ListResponseKind::kUnknownProtocol},
  };
  for (const auto& c : cases) EXPECT_EQ(CheckListResponse(c.body).kind, c.kind) << c.what;
  const std::string body = FrameListResponse(258, std::string("\0\x01\xFFz", 4));
  EXPECT_EQ(CheckListResponse(body).payload, std::string("\0\x01\xFFz", 4));
}

TEST(FrameListResponse, TagAndWholeLengthLittleEndianThatTheCheckAccepts) {
  EXPECT_EQ(FrameListResponse(kTagPackage, "ab"), std::string("\x02\x01\x08\x00\x00\x00"
                                                              "ab",
                                                              8));
  EXPECT_EQ(FrameListResponse(kTagMessage, ""), std::string("\x03\x01\x06\x00\x00\x00", 6));
  const std::string payload(70000, '\xFF');  // length bytes beyond the first
  const std::string framed = FrameListResponse(kTagPackage, payload);
  EXPECT_EQ(framed.substr(0, 6), RawListHeader(kTagPackage, 70006));
  const ListResponse checked = CheckListResponse(framed);
  EXPECT_EQ(checked.kind, ListResponseKind::kPackage);
  EXPECT_EQ(checked.payload, payload);
  EXPECT_EQ(CheckListResponse(FrameListResponse(kTagMessage, "up to date")).kind,
            ListResponseKind::kMessage);
}

TEST(DecodeServiceMessage, EightBitAndUtf16) {
  EXPECT_EQ(DecodeServiceMessage("Key expired \xE9\x80"), "Key expired \xC3\xA9\xE2\x82\xAC");
  // UTF-16LE with and without byte-order mark; U+0416 has no zero byte at an odd offset.
  EXPECT_EQ(DecodeServiceMessage(std::string("\xFF\xFE\x16\x04!\0", 6)), "\xD0\x96!");
  EXPECT_EQ(DecodeServiceMessage(std::string("O\0K\0", 4)), "OK");
  EXPECT_EQ(DecodeServiceMessage(std::string("O\0K\0\0\0", 6)), "OK");
  // UTF-8 behind its byte-order mark.
  EXPECT_EQ(DecodeServiceMessage("\xEF\xBB\xBF\xE4\xB8\xAD \xD0\x96"), "\xE4\xB8\xAD \xD0\x96");
}

}  // namespace
}  // namespace vistrel
