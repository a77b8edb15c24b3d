#pragma once
// The catalogue as JSON, texts in UTF-8: what `dump` prints.

#include <nlohmann/json.hpp>

#include "catalogue/records.h"

namespace vistrel::tool {

// {"stVersion", "dtVersion", "countries": [{"id", "name"}], "genres": [...], "channels": [...]}
// with each channel's fields in record order.
nlohmann::ordered_json CatalogueToJson(const Catalogue& catalogue);

}  // namespace vistrel::tool
