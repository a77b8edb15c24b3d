#include "playback/channel_label.h"

#include "common/plain_text.h"

namespace vistrel {

namespace {

constexpr size_t kMaxTitleBytes = 200;  // a title longer than a label line is noise

}  // namespace

std::string CleanStreamTitle(std::string_view title) {
  return PlainLine(title, kMaxTitleBytes);
}

std::string ChannelLabelText(std::string_view name, std::string_view stream_title) {
  const std::string title = CleanStreamTitle(stream_title);
  if (title.empty() || title == name) return std::string(name);
  return std::string(name) + " \u2014 " + title;
}

}  // namespace vistrel
