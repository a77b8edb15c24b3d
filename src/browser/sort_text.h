#pragma once
// Order of texts in the list's sort: each character taken as its Unicode code value, a to z
// folded to A to Z (no other letter changes case), compared character by character; a prefix
// comes first. No locale collation. On UTF-8 this is the order of the bytes after folding, so
// the comparison never decodes.

#include <array>
#include <cstdint>
#include <string_view>

namespace vistrel {

// Rank of every byte of a UTF-8 text in that order: the byte itself, a to z taken as A to Z.
const std::array<uint8_t, 256>& SortTextRanks();

// <0, 0 or >0 as the UTF-8 text `a` sorts before, with or after `b`.
int CompareSortTexts(std::string_view a, std::string_view b);

}  // namespace vistrel
