#pragma once
// The core holds every text as UTF-8. Stored files and package entries without a byte-order
// mark are Windows-1252, converted when read; what is written goes back to Windows-1252 when
// every character fits, so such files stay byte for byte what they were, and is written as
// UTF-8 behind a byte-order mark otherwise, so that nothing is lost.

#include <cstddef>
#include <string>
#include <string_view>

namespace vistrel {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Every byte maps to one character; the five bytes Windows-1252 leaves undefined map to the
// C1 control characters of the same value.
std::string Cp1252ToUtf8(std::string_view text);

// Characters Windows-1252 cannot represent, and malformed UTF-8, become "?".
std::string Utf8ToCp1252(std::string_view text);

// True when the text is well-formed UTF-8 (no overlong forms, surrogates or values above
// U+10FFFF).
bool IsValidUtf8(std::string_view text);

// True when the text is valid UTF-8 and every character has a Windows-1252 byte, so that
// Utf8ToCp1252 loses nothing.
bool FitsCp1252(std::string_view utf8);

// A text of unknown encoding as UTF-8: valid UTF-8 stays as it is, anything else is read as
// Windows-1252 (the form earlier versions stored).
std::string Utf8OrCp1252(std::string_view text);

// Malformed sequences of a text that should be UTF-8 replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);

// UTF-16LE bytes (without byte-order mark) to UTF-8; an odd last byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes);

// Text of a stored file or entry as UTF-8: after a UTF-8 byte-order mark the bytes are UTF-8
// (malformed sequences become U+FFFD); after a UTF-16LE or UTF-16BE mark they are converted;
// without a mark they are Windows-1252.
std::string DecodeTextFile(std::string_view bytes);

// The bytes to store for a UTF-8 text: Windows-1252 without a mark when FitsCp1252, else the
// UTF-8 byte-order mark followed by the text.
std::string EncodeTextFile(std::string_view utf8);

// Number of bytes of the first `max_characters` characters of a UTF-8 text (all of it when it
// has fewer): a cut there never splits a multi-byte sequence. Every byte that does not
// continue a sequence starts a character.
std::size_t CharacterPrefix(std::string_view utf8, std::size_t max_characters);

// Number of characters of a UTF-8 text, counted as CharacterPrefix counts them.
std::size_t CharacterCount(std::string_view utf8);

// True when no byte of the text is above 0x7F: the text reads the same in every encoding here.
bool IsAscii(std::string_view text);

}  // namespace vistrel
