#include "catalogue/stream_address.h"

#include <array>

#include "catalogue/stream_headers.h"

namespace vistrel {

namespace {

// The network schemes the player opens; every one is written "SCHEME://HOST...".
constexpr std::array<std::string_view, 14> kNetworkSchemes = {
    "http",   "https", "rtmp", "rtmps", "rtmpt", "rtmpe", "rtmpte",
    "rtmpts", "rtsp",  "rtp",  "udp",   "mms",   "mmsh",  "srt"};

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char c = a[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != b[i]) return false;
  }
  return true;
}

}  // namespace

bool IsNetworkStreamAddress(std::string_view address) {
  const size_t end = address.find("://");
  if (end == std::string_view::npos) return false;
  const std::string_view scheme = address.substr(0, end);
  for (std::string_view known : kNetworkSchemes) {
    if (SameLetters(scheme, known)) return true;
  }
  return false;
}

std::string NetworkStreamSchemesText() {
  std::string text;
  for (std::string_view scheme : kNetworkSchemes) {
    if (!text.empty()) text += ", ";
    text += scheme;
  }
  return text;
}

std::string RefusedStreamAddressMessage(std::string_view address) {
  std::string message = "Cannot play ";
  for (char c : ShownStreamAddress(address)) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u != 0x7f) message.push_back(c);
  }
  return message + ": only network streams (" + NetworkStreamSchemesText() + ") can be played.";
}

}  // namespace vistrel
