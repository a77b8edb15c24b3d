#pragma once
// How GoogleTest prints catalogue records: every field by name, so a failed comparison of two
// records shows which field differs. Include it in a test that compares records.

#include <ostream>

#include "catalogue/records.h"

namespace vistrel {

void PrintTo(const Channel& channel, std::ostream* out);
void PrintTo(const Country& country, std::ostream* out);
void PrintTo(const Genre& genre, std::ostream* out);

}  // namespace vistrel
