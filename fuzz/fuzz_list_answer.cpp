// The list download's answer as the client checks it, and the service's message decoded.
// An answer taken as a package or a message is exactly what framing its payload gives.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "protocol/list_response.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vistrel;
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  const ListResponse response = CheckListResponse(body);
  switch (response.kind) {
    case ListResponseKind::kPackage:
      if (FrameListResponse(kTagPackage, response.payload) != body) __builtin_trap();
      break;
    case ListResponseKind::kMessage:
      if (FrameListResponse(kTagMessage, response.payload) != body) __builtin_trap();
      (void)DecodeServiceMessage(response.payload);
      break;
    case ListResponseKind::kIncomplete:
    case ListResponseKind::kUnknownProtocol:
      break;
  }
  (void)DecodeServiceMessage(body);
  return 0;
}
