#pragma once
// Where the demo files are, and how the table parsers at hand take their byte-order marks.

#include <filesystem>
#include <string_view>
#include <vector>

#include "catalogue/table_reader.h"
#include "common/error.h"

namespace vistrel {

inline const std::filesystem::path kDemoFolder = std::filesystem::path(VISTREL_SOURCE_DIR) / "demo";
inline constexpr std::string_view kDemoTableMark = "\xEF\xBB\xBF";

// True when the table parsers read a UTF-8 byte-order mark as the mark of a UTF-8 table. Parsers
// that take the mark for part of the first id need the tables without it; the demo tables'
// UTF-8 bytes then pass through them unchanged.
inline bool TableParsersKnowByteOrderMarks() {
  std::vector<Country> rows;
  try {
    ReadCountries("probe",
                  "\xEF\xBB\xBF"
                  "0|All\r\n",
                  rows);
    return true;
  } catch (const Error&) {
    return false;
  }
}

}  // namespace vistrel
