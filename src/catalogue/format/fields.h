#pragma once
// Splitting the "|"-separated tables into lines and fields, and the number conversions that
// the package and user files use.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

// Splits at `separator`. An empty text gives no elements; an empty separator gives the whole
// text. A single separator at the very end adds no empty element ("a|b|" -> a, b), but
// "a||" -> a, "" and "|x" -> "", x.
std::vector<std::string_view> SplitFields(std::string_view separator, std::string_view text);

// Splits text into lines at CR LF, CR or LF. A line break at the very end makes no empty last
// line, and a zero byte ends the text.
std::vector<std::string_view> SplitLines(std::string_view text);

// The text without the spaces and tabs at its start and end.
std::string_view TrimBlanks(std::string_view text);

// Signed 32-bit decimal with an optional leading sign. Throws vistrel::Error naming the value
// when the field is empty, out of range or anything else.
int32_t ParseInt32(std::string_view field);

// Decimal number with "." as the decimal point, whatever the process locale. Throws
// vistrel::Error naming the value when it does not convert.
double ParseDecimal(std::string_view field);

}  // namespace vistrel
