#include "synthetic_playlist.h"

#include <fstream>
#include <string>

#include "catalogue/lookups.h"
#include "common/error.h"

namespace vistrel::bench {

void WriteSyntheticPlaylist(const Catalogue& catalogue, const std::filesystem::path& path) {
  std::ofstream out(path, std::ios::binary);
  std::string text = "#EXTM3U\n";
  for (const Channel& c : catalogue.channels) {
    text += "#EXTINF:-1 tvg-id=\"ch";
    text += std::to_string(c.id);
    text += ".bench\" tvg-logo=\"https://logos.example/";
    text += std::to_string(c.id);
    text += ".png\" tvg-country=\"";
    const int32_t country = CountryIndexById(catalogue.countries, c.country_id);
    if (country >= 0) text += catalogue.countries[static_cast<std::size_t>(country)].name;
    text += "\" group-title=\"";
    text += c.genre_name.view();
    text += "\",";
    text += c.name.view();
    text += '\n';
    text += c.url.view();
    text += '\n';
    if (text.size() > (1 << 20)) {
      out << text;
      text.clear();
    }
  }
  out << text;
  if (!out.flush()) throw Error("Cannot write " + path.string());
}

}  // namespace vistrel::bench
