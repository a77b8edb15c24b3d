#include "browser/list_rows.h"

#include <charconv>
#include <cmath>

#include "catalogue/lookups.h"

namespace vistrel {

std::string FormatRating(double rt) {
  if (!std::isfinite(rt)) return std::isnan(rt) ? "NAN" : (rt < 0 ? "-INF" : "INF");
  char buf[400];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(rt), std::chars_format::fixed);
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
  if (std::signbit(rt) && out.find_first_not_of("0.") != std::string::npos) out.insert(0, "-");
  return out;
}

std::string ChannelColumnText(const TInfo& info, const TItem& c, int32_t column) {
  switch (column) {
    case kColumnChannel:
      return c.name;
    case kColumnGenre: {
      const int32_t g = GenreIndexById(info.genres, c.genre_id);
      return g < 0 ? std::string() : info.genres[g].name;
    }
    case kColumnRating:
      return c.usdef == 1 ? "no" : FormatRating(c.rt);
    case kColumnBitrate:
      return std::to_string(c.bitrate);
    case kColumnComments:
      return c.comment;
    default:
      return std::string();
  }
}

int32_t ChannelStateImage(const TItem& c) {
  return c.status;
}

bool IsUserChannelRow(const TItem& c) {
  return c.usdef == 1;
}

}  // namespace vistrel
