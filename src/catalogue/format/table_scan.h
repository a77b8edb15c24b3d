#pragma once
// Allocation-free scanning of the "|" tables, with exactly the rules of SplitLines and
// SplitFields (fields.h). The package loader runs over hundreds of thousands of lines, where
// a vector per line and a byte-by-byte line search cost more than everything else it does.

#include <bit>
#include <cstddef>
#include <cstring>
#include <span>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vistrel {

namespace table_scan_detail {
inline const char* Find(const char* from, const char* end, char c) {
  const void* at = std::memchr(from, c, static_cast<std::size_t>(end - from));
  return at ? static_cast<const char*>(at) : end;
}
}  // namespace table_scan_detail

// Calls on_line(std::string_view) for each line SplitLines(text) would give, in order: lines
// end at CR LF, CR or LF, a break at the very end makes no empty last line, a zero byte ends
// the text. Linear in the text's length whatever its line breaks.
template <typename OnLine>
void ForEachLine(std::string_view text, OnLine&& on_line) {
  using table_scan_detail::Find;
  const char* p = text.data();
  const char* const end = Find(p, p + text.size(), '\0');
  const char* next_lf = Find(p, end, '\n');
  const char* next_cr = Find(p, end, '\r');
  while (p < end) {
    if (next_lf < p) next_lf = Find(p, end, '\n');
    if (next_cr < p) next_cr = Find(p, end, '\r');
    const char* brk = next_lf < next_cr ? next_lf : next_cr;
    on_line(std::string_view(p, static_cast<std::size_t>(brk - p)));
    if (brk == end) break;
    p = brk + 1;
    if (*brk == '\r' && p < end && *p == '\n') ++p;
  }
}

// At most the number of lines ForEachLine gives, and exactly that number unless some line ends
// with a CR alone: every LF ends one line (alone or after a CR), and text after the last LF is
// at least one more line. One search per line where the exact count takes two; for reserving
// room before the lines are parsed.
inline std::size_t CountLinesAtLeast(std::string_view text) {
  using table_scan_detail::Find;
  const char* p = text.data();
  const char* const end = Find(p, p + text.size(), '\0');
  std::size_t count = 0;
  for (const char* lf = Find(p, end, '\n'); lf != end; lf = Find(p, end, '\n')) {
    ++count;
    p = lf + 1;
  }
  return count + (p < end ? 1 : 0);
}

// The first out.size() of the fields SplitFields(separator, line) would give, stored in `out`;
// returns how many were stored. Fields beyond those are not looked at.
inline std::size_t SplitFieldsInto(std::string_view line, char separator,
                                   std::span<std::string_view> out) {
  const char* p = line.data();
  const char* const end = p + line.size();
  std::size_t n = 0;
#if defined(__SSE2__)
  // Channel lines hold sixteen short fields: finding the separators sixteen bytes at a time,
  // as a bit mask, costs a fraction of a test per byte and a branch per field.
  if (line.size() >= 16 && !out.empty()) {
    const __m128i pattern = _mm_set1_epi8(separator);
    const char* field = p;
    for (const char* block = p; block < end; block += 16) {
      unsigned mask;
      if (end - block >= 16) {
        mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block)), pattern)));
      } else {
        // The line's last sixteen bytes, shifted so that bit 0 stands for `block` again.
        const auto shift = static_cast<unsigned>(16 - (end - block));
        mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(
                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(end - 16)), pattern))) >>
               shift;
      }
      for (; mask != 0; mask &= mask - 1) {
        const char* bar = block + std::countr_zero(mask);
        out[n++] = std::string_view(field, static_cast<std::size_t>(bar - field));
        if (n == out.size()) return n;
        field = bar + 1;
      }
    }
    // A separator at the very end adds no empty field.
    if (field < end) out[n++] = std::string_view(field, static_cast<std::size_t>(end - field));
    return n;
  }
#endif
  // Fields are short, so a plain loop beats a library search per field.
  while (p < end && n < out.size()) {
    const char* bar = p;
    while (bar < end && *bar != separator) ++bar;
    out[n++] = std::string_view(p, static_cast<std::size_t>(bar - p));
    if (bar == end) break;
    p = bar + 1;
  }
  return n;
}

}  // namespace vistrel
