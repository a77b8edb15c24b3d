#pragma once
// The HTTP headers a channel's server wants on every request of its stream: some answer 403 or
// an empty playlist without a particular User-Agent or Referer.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vistrel {

struct StreamHeaders {
  std::string user_agent;  // empty: the player's own
  std::string referrer;    // empty: none
  // Any further header, as name and value, in the order given.
  std::vector<std::pair<std::string, std::string>> fields;

  bool empty() const { return user_agent.empty() && referrer.empty() && fields.empty(); }
  bool operator==(const StreamHeaders&) const = default;
};

// Sets one header: "User-Agent" and "Referer" (names compared without case; "Referrer" too)
// fill their fields, any other name replaces a further field of that name (without case) or is
// appended. Control characters are left out of the value, so that no value can add a header
// line of its own; a name that is empty or holds anything but letters, digits and
// "!#$%&'*+-.^_`|~" is ignored, as is an empty value. Never fails.
void SetStreamHeader(StreamHeaders& headers, std::string_view name, std::string_view value);

// `from`'s headers set over those of `into`, one by one as SetStreamHeader sets them. Never
// fails.
void MergeStreamHeaders(StreamHeaders& into, const StreamHeaders& from);

// "%XX" (two hexadecimal digits) as the byte it stands for; anything else, a "%" without two
// digits included, as it is. Never fails.
std::string PercentDecode(std::string_view text);

// A stream address as playlists write it, "address|Name=value&Name=value": the address before
// the first "|" (trimmed of blanks), and the headers after it, each "Name=value" pair
// percent-decoded and set with SetStreamHeader (a pair without "=" is ignored). A text without
// "|" is all address. Never fails.
struct SplitAddress {
  std::string address;
  StreamHeaders headers;
};
SplitAddress SplitStreamAddress(std::string_view text);

// The part of a stream address shown to the user: what SplitStreamAddress takes for the
// address, without the header part, which may hold private values. Never fails.
std::string_view ShownStreamAddress(std::string_view text);

// The package entry that carries the channels' headers, beside the six tables: one line per
// channel, "id|User-Agent|Referer|name|value|name|value...", the fields percent-encoded where
// they hold "%", "|" or a control character. Readers that do not know the entry never look at
// it, so the channel tables stay exactly as they are.
inline constexpr const char* kHeadersEntry = "headers.dat";

// One line of that entry (no line end). Never fails.
std::string FormatStreamHeadersLine(int32_t channel_id, const StreamHeaders& headers);

// The lines of that entry's text (already decoded to UTF-8) added to `headers` by channel id;
// an id already present keeps its headers. A line that is malformed (no id that converts, or
// a name without a value) or holds no header is skipped: headers are an extra that never
// stops a package from loading. Never fails (std::bad_alloc aside).
void ReadStreamHeadersTable(std::string_view text,
                            std::unordered_map<int32_t, StreamHeaders>& headers);

}  // namespace vistrel
