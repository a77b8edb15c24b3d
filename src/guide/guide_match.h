#pragma once
// Which catalogue channel a guide channel describes: the channel's guide id (a playlist's
// tvg-id, or a line of a guide-id file) when the guide has that id, else a display-name equal
// to the channel's name, ignoring case and surrounding blanks.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/error.h"
#include "guide/xmltv_reader.h"

namespace vistrel {

// A catalogue channel as matching sees it.
struct GuideTarget {
  int32_t channel_id = 0;
  std::string name;
  std::string guide_id;  // empty: none
};

// For each guide channel id, the catalogue channels it feeds. Each catalogue channel gets at
// most one guide channel: the one with its guide id, else the first whose display-name equals
// its name. Never fails.
std::unordered_map<std::string, std::vector<int32_t>> MatchGuideChannels(
    const std::vector<GuideChannel>& guide, const std::vector<GuideTarget>& catalogue);

// A name as matching compares it: without surrounding blanks, ASCII letters in lower case.
std::string GuideMatchName(std::string_view name);

// One line of a guide-id file: "guide-id|channel-id".
struct GuideIdLink {
  std::string guide_id;
  int32_t channel_id = 0;
};

// The lines of a guide-id file (UTF-8; blank lines and lines starting with "#" are skipped,
// CR LF accepted, blanks around the fields ignored). Fails with "line N: ..." for a line
// without "|", an empty guide id, or a channel id that is not a positive number.
Result<std::vector<GuideIdLink>> ParseGuideIdLinks(std::string_view text);

}  // namespace vistrel
