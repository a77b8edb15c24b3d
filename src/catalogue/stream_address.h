#pragma once
// Which channel addresses may be played: network streams only. A catalogue or a user's channel
// must never make the player open a local file, a device or one of the player's own protocols,
// so the one list of the network schemes the program plays lives here.

#include <string>
#include <string_view>

namespace vistrel {

// True when `address` starts with one of the network schemes (http, https, rtmp, rtmps, rtmpt,
// rtmpe, rtmpte, rtmpts, rtsp, rtp, udp, mms, mmsh, srt; letters compared without case)
// followed by "://"; false for anything else, an address without a scheme included. Never
// fails.
bool IsNetworkStreamAddress(std::string_view address);

// The network schemes as a list for messages: "http, https, rtmp, ..., srt". Never fails.
std::string NetworkStreamSchemesText();

// "Cannot play ADDRESS: only network streams (http, https, ...) can be played." for an
// address that IsNetworkStreamAddress refuses; control characters of the address and its header
// part after a "|" (ShownStreamAddress) are left out.
// Never fails.
std::string RefusedStreamAddressMessage(std::string_view address);

}  // namespace vistrel
