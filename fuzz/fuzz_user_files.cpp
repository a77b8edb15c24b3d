// The user's files as they are read: favorites.dat and userdef.dat from any bytes. What reads
// must write back and read again the same.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/format/codepage.h"
#include "catalogue/lookups.h"
#include "catalogue/user_files.h"
#include "common/error.h"

namespace {

bool SameChannels(const std::vector<vistrel::Channel>& a, const std::vector<vistrel::Channel>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto& x = a[i];
    const auto& y = b[i];
    if (x.id != y.id || x.group_id != y.group_id || x.sent != y.sent || x.name != y.name ||
        x.url != y.url || x.bitrate != y.bitrate || x.type_id != y.type_id ||
        x.homepage != y.homepage || x.country_id != y.country_id || x.genre_id != y.genre_id ||
        x.comment != y.comment) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vistrel;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = DecodeTextFile(bytes);

  std::vector<int32_t> favorites;
  try {
    ParseFavoritesText(text, favorites);
    std::vector<int32_t> again;
    ParseFavoritesText(DecodeTextFile(EncodeTextFile(FavoritesFileText(favorites))), again);
    if (again != favorites) __builtin_trap();
  } catch (const Error&) {
  }

  Catalogue catalogue;
  ClearCatalogue(catalogue);
  try {
    ParseUserChannelsText(text, catalogue, favorites);
  } catch (const Error&) {
    return 0;
  }
  Catalogue again;
  ClearCatalogue(again);
  try {
    ParseUserChannelsText(DecodeTextFile(EncodeTextFile(UserChannelsFileText(catalogue.channels))),
                          again, favorites);
  } catch (const Error&) {
    __builtin_trap();  // what was read must read again once written
  }
  if (!SameChannels(catalogue.channels, again.channels)) __builtin_trap();
  return 0;
}
