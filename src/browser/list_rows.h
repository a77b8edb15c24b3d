#pragma once
// What one row of the channel list shows: the five column texts, the state image and the
// background of channels the user added. The list model asks for these row by row.

#include <cstdint>
#include <string>

#include "catalogue/records.h"

namespace vistrel {

enum ListColumn : int32_t {
  kColumnChannel = 0,
  kColumnGenre = 1,
  kColumnRating = 2,
  kColumnBitrate = 3,
  kColumnComments = 4,
  kListColumnCount = 5,
};

struct ListColumnInfo {
  const char* caption;
  int32_t width;  // initial width in pixels
};

inline constexpr ListColumnInfo kListColumns[kListColumnCount] = {
    {"Channel", 130}, {"Genre", 85}, {"Rating", 45}, {"Bitrate", 40}, {"Comments", 160}};

// A rating with two decimals and "." as separator, a half rounded away from zero
// (0.125 -> "0.13"). The value is rounded as the shortest decimal text that reads back as the
// same double, so 1.005 gives "1.01", as a user reading 1.005 expects.
std::string FormatRating(double rt);

// Text of `column` for `channel` (8-bit); empty for a column outside 0..4. The genre column
// shows the genre table's name for the channel's genre id, empty when the table lacks it.
std::string ChannelColumnText(const TInfo& info, const TItem& channel, int32_t column);

// Image number in the status image list: the channel's status (0 works fine ... 5 spam).
int32_t ChannelStateImage(const TItem& channel);

// Whether the row is painted with the pale green of channels the user added.
bool IsUserChannelRow(const TItem& channel);

// Background of a user channel's row (red, green, blue).
inline constexpr uint8_t kUserRowColor[3] = {192, 220, 192};

}  // namespace vistrel
