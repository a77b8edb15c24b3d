#pragma once
// Order of texts in the list's sort: each Windows-1252 character taken as its Unicode code
// value, a to z folded to A to Z (no other letter changes case), compared character by
// character; a prefix comes first. No locale collation.

#include <array>
#include <cstdint>
#include <string_view>

namespace vistrel {

// Rank of every byte in that order: equal ranks for bytes that compare equal, and comparing
// ranks compares the characters. Byte 0x80 (the euro sign, U+20AC) ranks above 0xFF.
const std::array<uint8_t, 256>& SortTextRanks();

// <0, 0 or >0 as `a` sorts before, with or after `b`.
int CompareSortTexts(std::string_view a, std::string_view b);

}  // namespace vistrel
