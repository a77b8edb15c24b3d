#pragma once
// What one row of the channel list shows: the five column texts, the state image and the
// background of channels the user added. The list model asks for these row by row.

#include <cstdint>
#include <string>

#include "catalogue/records.h"

namespace vistrel {

// The list's five columns, in display order. A value outside them (a column number from a
// command line) is kept as it is and means no column.
enum class ListColumn : int32_t {
  kChannel = 0,
  kGenre = 1,
  kRating = 2,
  kBitrate = 3,
  kComments = 4,
};
inline constexpr int32_t kListColumnCount = 5;

struct ListColumnInfo {
  const char* caption;
  int32_t width;  // initial width in pixels
};

inline constexpr ListColumnInfo kListColumns[kListColumnCount] = {
    {"Channel", 130}, {"Genre", 85}, {"Rating", 45}, {"Bitrate", 40}, {"Comments", 160}};

// A rating with two decimals and "." as separator, a half rounded away from zero
// (0.125 -> "0.13"). The value is rounded as the shortest decimal text that reads back as the
// same double, so 1.005 gives "1.01", as a user reading 1.005 expects.
std::string FormatRating(double rating);

// Text of `column` for `channel` (8-bit); empty for a value that is no column. The genre column
// shows the genre table's name for the channel's genre id, empty when the table lacks it.
std::string ChannelColumnText(const Catalogue& catalogue, const Channel& channel,
                              ListColumn column);

// Image number in the status image list: the channel's status (0 works fine ... 5 spam).
int32_t ChannelStateImage(const Channel& channel);

// Whether the row is painted with the pale green of channels the user added.
bool IsUserChannelRow(const Channel& channel);

// Background of a user channel's row (red, green, blue).
inline constexpr uint8_t kUserRowColor[3] = {192, 220, 192};

}  // namespace vistrel
