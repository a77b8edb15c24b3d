#pragma once
// Small lookups between ids, names and table positions, the status rule, and ClearCatalogue.
// Every lookup scans from position 0 and takes the first match.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/records.h"

namespace vistrel {

inline constexpr int32_t kUserIdBase = 100000;

// Empties the catalogue before a load: no version, view TV with every section off (the
// section values stay), highest_user_id 100000, no countries, genres or channels. The rated and
// flagged marks live in the channel records and go with them. favorites_list is left alone.
void ClearCatalogue(Catalogue& catalogue);

// 1 when `id` is in the favourites list, else 0.
int32_t IsFavorite(const std::vector<int32_t>& favorites_list, int32_t id);

// Name of the first genre with `id`; empty when none has it.
std::string GenreName(int32_t id, const std::vector<Genre>& genres);

// The four index lookups return the position of the first match, or -1 when nothing matches.
// Callers must check for -1 before indexing the table with the result.
int32_t GenreIndexById(const std::vector<Genre>& genres, int32_t id);
int32_t GenreIndexByName(const std::vector<Genre>& genres, std::string_view name);
int32_t CountryIndexById(const std::vector<Country>& countries, int32_t id);
int32_t CountryIndexByName(const std::vector<Country>& countries, std::string_view name);

// Report class from the five counters: kNew when all are 0, else the class of the first counter
// holding the largest value (ties go to the earlier class). Never fails.
ChannelStatus StatusOfReports(int32_t workfine, int32_t notworking, int32_t wrong,
                              int32_t duplicate, int32_t spam);

}  // namespace vistrel
