#pragma once
// The answer of the list download: 2-byte tag, 4-byte length of the whole answer (both
// little-endian), then the package or a message.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vistrel {

inline constexpr uint16_t kTagPackage = 258;
inline constexpr uint16_t kTagMessage = 259;

// Messages of tag 259, 8-bit Windows-1252 text.
inline constexpr const char* kWrongKeyMessage = "Access denied: wrong access key.";
inline constexpr const char* kUpToDateMessage = "Your list of channels is up to date.";

// Tag, length (6 + payload size) and payload.
std::string FrameListResponse(uint16_t tag, std::string_view payload);

enum class ListAnswer { kWrongKey, kUpToDate, kPackage };

// What a get.php request gets: the key must match exactly; a date equal to the current version
// means the client already holds it; anything else gets the package.
ListAnswer DecideListAnswer(const std::optional<std::string>& key, std::string_view access_key,
                            const std::optional<std::string>& date, std::string_view version);

}  // namespace vistrel
