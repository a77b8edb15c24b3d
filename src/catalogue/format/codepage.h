#pragma once
// Windows-1252, the 8-bit encoding of every catalogue and user file, to and from UTF-8.
// Conversion happens wherever a text leaves or enters the core.

#include <string>
#include <string_view>

namespace vistrel {

// Every byte maps to one character; the five bytes Windows-1252 leaves undefined map to the
// C1 control characters of the same value.
std::string Cp1252ToUtf8(std::string_view text);

// Characters Windows-1252 cannot represent, and malformed UTF-8, become "?".
std::string Utf8ToCp1252(std::string_view text);

// Text of a stored file as 8-bit text: a UTF-8, UTF-16LE or UTF-16BE byte-order mark is
// honoured (and the text converted to Windows-1252); without one the bytes are taken as they are.
std::string DecodeTextFile(std::string_view bytes);

// UTF-16LE bytes (without byte-order mark) to UTF-8; an odd last byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes);

}  // namespace vistrel
