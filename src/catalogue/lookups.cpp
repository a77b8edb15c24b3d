#include "catalogue/lookups.h"

#include <algorithm>

#include "catalogue/format/codepage.h"

namespace vistrel {

std::string CutText(std::string_view text, std::size_t capacity) {
  return std::string(text.substr(0, CharacterPrefix(text, capacity)));
}

void ClearCatalogue(Catalogue& catalogue) {
  catalogue.version_text.clear();
  catalogue.version_date = 0;
  catalogue.filter.view = View::kTv;
  catalogue.filter.favorited = 0;
  catalogue.filter.name_section_on = false;
  catalogue.filter.country_section_on = false;
  catalogue.filter.genre_section_on = false;
  catalogue.filter.bitrate_section_on = false;
  catalogue.filter.status_section_on = false;
  catalogue.highest_user_id = kUserIdBase;
  catalogue.countries.clear();
  catalogue.genres.clear();
  catalogue.channels.clear();
}

int32_t IsFavorite(const std::vector<int32_t>& favorites_list, int32_t id) {
  return std::find(favorites_list.begin(), favorites_list.end(), id) != favorites_list.end() ? 1
                                                                                             : 0;
}

namespace {
template <typename Table, typename Pred>
int32_t FirstIndex(const Table& table, Pred pred) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (pred(table[i])) return static_cast<int32_t>(i);
  }
  return -1;
}
}  // namespace

std::string GenreName(int32_t id, const std::vector<Genre>& genres) {
  int32_t i = GenreIndexById(genres, id);
  return i < 0 ? std::string() : genres[i].name;
}

int32_t GenreIndexById(const std::vector<Genre>& genres, int32_t id) {
  return FirstIndex(genres, [id](const Genre& g) { return g.id == id; });
}

int32_t GenreIndexByName(const std::vector<Genre>& genres, std::string_view name) {
  return FirstIndex(genres, [name](const Genre& g) { return g.name == name; });
}

int32_t CountryIndexById(const std::vector<Country>& countries, int32_t id) {
  return FirstIndex(countries, [id](const Country& c) { return c.id == id; });
}

int32_t CountryIndexByName(const std::vector<Country>& countries, std::string_view name) {
  return FirstIndex(countries, [name](const Country& c) { return c.name == name; });
}

ChannelStatus StatusOfReports(int32_t workfine, int32_t notworking, int32_t wrong,
                              int32_t duplicate, int32_t spam) {
  if (workfine == 0 && notworking == 0 && wrong == 0 && duplicate == 0 && spam == 0) {
    return ChannelStatus::kNew;
  }
  const int32_t counters[5] = {workfine, notworking, wrong, duplicate, spam};
  const ChannelStatus classes[5] = {ChannelStatus::kWorkFine, ChannelStatus::kNotWorking,
                                    ChannelStatus::kWrongInfo, ChannelStatus::kDuplicate,
                                    ChannelStatus::kSpam};
  // The first maximum wins: strictly greater than all before, >= all after.
  int best = 0;
  for (int i = 1; i < 5; ++i) {
    if (counters[i] > counters[best]) best = i;
  }
  return classes[best];
}

}  // namespace vistrel
