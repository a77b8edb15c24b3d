#pragma once
// One line of plain text to show, made from a text that came from the network or a library.

#include <cstddef>
#include <string>
#include <string_view>

namespace vistrel {

// Tabs and line breaks become blanks, other control characters (C0, DEL, and C1 as UTF-8) go,
// blanks at both ends are trimmed, and a text longer than `max_bytes` is cut at a UTF-8
// character boundary and ends in "...". Never fails; bytes that are not UTF-8 pass through.
std::string PlainLine(std::string_view text, std::size_t max_bytes);

}  // namespace vistrel
