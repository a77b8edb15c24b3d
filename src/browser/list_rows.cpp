#include "browser/list_rows.h"

#include <charconv>
#include <cmath>

#include "catalogue/lookups.h"

namespace vistrel {

std::string FormatRating(double rating) {
  if (!std::isfinite(rating)) return std::isnan(rating) ? "NAN" : (rating < 0 ? "-INF" : "INF");
  char buf[400];
  const auto res =
      std::to_chars(buf, buf + sizeof buf, std::fabs(rating), std::chars_format::fixed);
  const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
  const std::size_t dot = text.find('.');
  std::string digits(text.substr(0, dot));  // integer part
  std::string frac =
      dot == std::string_view::npos ? std::string() : std::string(text.substr(dot + 1));
  const bool round_up = frac.size() > 2 && frac[2] >= '5';
  frac.resize(2, '0');
  std::string all = digits + frac;
  if (round_up) {
    int i = static_cast<int>(all.size()) - 1;
    while (i >= 0 && all[i] == '9') all[i--] = '0';
    if (i < 0) {
      all.insert(all.begin(), '1');
    } else {
      ++all[i];
    }
  }
  std::string out = all.substr(0, all.size() - 2) + "." + all.substr(all.size() - 2);
  // A value that rounds to zero shows no sign.
  const bool negative = std::signbit(rating) && out.find_first_not_of("0.") != std::string::npos;
  return negative ? "-" + out : out;
}

std::string ChannelColumnText(const Catalogue& catalogue, const Channel& c, ListColumn column) {
  switch (column) {
    case ListColumn::kChannel:
      return c.name;
    case ListColumn::kGenre: {
      const int32_t g = GenreIndexById(catalogue.genres, c.genre_id);
      return g < 0 ? std::string() : catalogue.genres[g].name;
    }
    case ListColumn::kRating:
      return c.user_defined ? "no" : FormatRating(c.average_rating);
    case ListColumn::kBitrate:
      return std::to_string(c.bitrate);
    case ListColumn::kComments:
      return c.comment;
  }
  return std::string();
}

int32_t ChannelStateImage(const Channel& c) {
  return static_cast<int32_t>(c.status);
}

bool IsUserChannelRow(const Channel& c) {
  return c.user_defined;
}

}  // namespace vistrel
