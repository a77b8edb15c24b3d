#pragma once
// The player's channel label: the channel's name, and while its stream announces what it plays
// (a radio's song), "Name — Title".

#include <string>
#include <string_view>

namespace vistrel {

// `title` as a stream announced it, made fit to show: control characters (C0, DEL and C1)
// removed, blanks at both ends trimmed, cut to 200 bytes at a character boundary. Never fails;
// bytes that are not UTF-8 pass through (the label shows them as replacement characters).
std::string CleanStreamTitle(std::string_view title);

// "Name — Title" with the cleaned title; the name alone when the cleaned title is empty or
// repeats the name. Never fails.
std::string ChannelLabelText(std::string_view name, std::string_view stream_title);

}  // namespace vistrel
