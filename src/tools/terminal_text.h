#pragma once
// Texts that come from the network, as the tools print them on a terminal.

#include <cstddef>
#include <string>
#include <string_view>

namespace vistrel {

// `utf8` with every control character (C0, DEL and C1) and every byte that is not part of a
// valid UTF-8 sequence shown as "\xNN" (the character's code, or the byte, in upper-case hex),
// so that a message from the service cannot move the cursor, recolour or retitle the terminal.
// Everything else, non-ASCII letters included, stays as it is. Never fails.
inline std::string TerminalText(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(utf8.size());
  auto escaped = [&](unsigned code) {
    out += "\\x";
    out += kHex[(code >> 4) & 0xF];
    out += kHex[code & 0xF];
  };
  auto continuation = [&](std::size_t at) {
    return at < utf8.size() && (static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80;
  };
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x20 || b == 0x7F) {
      escaped(b);
      ++i;
      continue;
    }
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    // The length of a well-formed sequence starting here, 0 when there is none.
    std::size_t length = 0;
    unsigned code = 0;
    if (b >= 0xC2 && b <= 0xDF && continuation(i + 1)) {
      length = 2;
      code = (b & 0x1Fu) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
    } else if (b >= 0xE0 && b <= 0xEF && continuation(i + 1) && continuation(i + 2)) {
      const auto b1 = static_cast<unsigned char>(utf8[i + 1]);
      // No overlong forms, no surrogates.
      if (!(b == 0xE0 && b1 < 0xA0) && !(b == 0xED && b1 >= 0xA0)) length = 3;
    } else if (b >= 0xF0 && b <= 0xF4 && continuation(i + 1) && continuation(i + 2) &&
               continuation(i + 3)) {
      const auto b1 = static_cast<unsigned char>(utf8[i + 1]);
      if (!(b == 0xF0 && b1 < 0x90) && !(b == 0xF4 && b1 >= 0x90)) length = 4;
    }
    if (length == 0) {
      escaped(b);
      ++i;
    } else if (length == 2 && code < 0xA0) {
      escaped(code);  // a C1 control, U+0080 to U+009F
      i += 2;
    } else {
      out.append(utf8.substr(i, length));
      i += length;
    }
  }
  return out;
}

}  // namespace vistrel
