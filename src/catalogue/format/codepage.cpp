#include "catalogue/format/codepage.h"

#include <cstdint>

namespace vistrel {

namespace {

// Code points of bytes 0x80 to 0x9F; the rest of the code page equals Latin-1.
constexpr char32_t kHighTable[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t Cp1252ToCodePoint(unsigned char b) {
  return (b >= 0x80 && b < 0xA0) ? kHighTable[b - 0x80] : static_cast<char32_t>(b);
}

char CodePointToCp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (int i = 0; i < 32; ++i) {
    if (kHighTable[i] == cp) return static_cast<char>(0x80 + i);
  }
  return '?';
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// What NextUtf8 returns for a malformed sequence; a well-formed U+FFFD is never taken for it.
constexpr char32_t kMalformed = 0xFFFFFFFF;

bool IsContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Decodes one UTF-8 sequence at text[i]; returns kMalformed and advances one byte when
// malformed.
char32_t NextUtf8(std::string_view text, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(text[i]);
  int len = b0 < 0x80 ? 1 : (b0 >> 5) == 0x6 ? 2 : (b0 >> 4) == 0xE ? 3 : (b0 >> 3) == 0x1E ? 4 : 0;
  if (len == 0 || i + len > text.size()) {
    ++i;
    return kMalformed;
  }
  char32_t cp = len == 1 ? b0 : len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
  for (int k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return kMalformed;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kMalformed;
  }
  i += len;
  return cp;
}

template <typename Emit>
void DecodeUtf16(std::string_view bytes, bool little_endian, Emit emit) {
  auto unit = [&](std::size_t k) -> char16_t {
    auto lo = static_cast<unsigned char>(bytes[k + (little_endian ? 0 : 1)]);
    auto hi = static_cast<unsigned char>(bytes[k + (little_endian ? 1 : 0)]);
    return static_cast<char16_t>(lo | (hi << 8));
  };
  const std::size_t n = bytes.size() & ~static_cast<std::size_t>(1);
  for (std::size_t k = 0; k < n; k += 2) {
    char32_t u = unit(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 2 < n) {
      char32_t v = unit(k + 2);
      if (v >= 0xDC00 && v <= 0xDFFF) {
        emit(0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
        k += 2;
        continue;
      }
    }
    emit((u >= 0xD800 && u <= 0xDFFF) ? 0xFFFD : u);
  }
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (unsigned char b : text) AppendUtf8(out, Cp1252ToCodePoint(b));
  return out;
}

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) out.push_back(CodePointToCp1252(NextUtf8(text, i)));
  return out;
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
    } else if (NextUtf8(text, i) == kMalformed) {
      return false;
    }
  }
  return true;
}

bool FitsCp1252(std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size();) {
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {
      ++i;
      continue;
    }
    const char32_t cp = NextUtf8(utf8, i);
    if (cp == kMalformed || CodePointToCp1252(cp) == '?') return false;
  }
  return true;
}

std::string Utf8OrCp1252(std::string_view text) {
  return IsValidUtf8(text) ? std::string(text) : Cp1252ToUtf8(text);
}

std::string ValidUtf8(std::string_view text) {
  if (IsValidUtf8(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t at = i;
    const char32_t cp = NextUtf8(text, i);
    if (cp == kMalformed) {
      AppendUtf8(out, 0xFFFD);
    } else {
      out.append(text.substr(at, i - at));
    }
  }
  return out;
}

std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  DecodeUtf16(bytes, true, [&](char32_t cp) { AppendUtf8(out, cp); });
  return out;
}

std::string DecodeTextFile(std::string_view bytes) {
  auto starts = [&](std::string_view bom) { return bytes.substr(0, bom.size()) == bom; };
  if (starts(kUtf8Bom)) return ValidUtf8(bytes.substr(kUtf8Bom.size()));
  const bool le = starts("\xFF\xFE");
  if (le || starts("\xFE\xFF")) {
    std::string out;
    DecodeUtf16(bytes.substr(2), le, [&](char32_t cp) { AppendUtf8(out, cp); });
    return out;
  }
  return Cp1252ToUtf8(bytes);
}

std::string EncodeTextFile(std::string_view utf8) {
  if (FitsCp1252(utf8)) return Utf8ToCp1252(utf8);
  std::string out(kUtf8Bom);
  out += utf8;
  return out;
}

std::size_t CharacterPrefix(std::string_view utf8, std::size_t max_characters) {
  if (utf8.size() <= max_characters) return utf8.size();  // never more characters than bytes
  std::size_t characters = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (!IsContinuation(utf8[i]) && characters++ == max_characters) return i;
  }
  return utf8.size();
}

std::size_t CharacterCount(std::string_view utf8) {
  std::size_t characters = 0;
  for (char c : utf8) characters += IsContinuation(c) ? 0 : 1;
  return characters;
}

bool IsAscii(std::string_view text) {
  unsigned char any = 0;
  for (char c : text) any |= static_cast<unsigned char>(c);
  return any < 0x80;
}

}  // namespace vistrel
