#pragma once
// What the list download answers. The framing (tags, header, FrameListResponse) is shared
// with the program, from protocol/list_response.h, so both sides read one definition.

#include <optional>
#include <string>
#include <string_view>

#include "protocol/list_response.h"

namespace vistrel {

// Messages of tag 259, ASCII (so the same in Windows-1252, as the program reads them).
inline constexpr const char* kWrongKeyMessage = "Access denied: wrong access key.";
inline constexpr const char* kUpToDateMessage = "Your list of channels is up to date.";

enum class ListAnswer { kWrongKey, kUpToDate, kPackage };

// What a get.php request gets: the key must match exactly; a date equal to the current version
// means the client already holds it; anything else gets the package.
ListAnswer DecideListAnswer(const std::optional<std::string>& key, std::string_view access_key,
                            const std::optional<std::string>& date, std::string_view version);

}  // namespace vistrel
