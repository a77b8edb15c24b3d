#include "guide/guide_match.h"

#include <charconv>

namespace vistrel {

namespace {

std::string_view TrimBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string GuideMatchName(std::string_view name) {
  std::string folded(TrimBlanks(name));
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

std::unordered_map<std::string, std::vector<int32_t>> MatchGuideChannels(
    const std::vector<GuideChannel>& guide, const std::vector<GuideTarget>& catalogue) {
  std::unordered_map<std::string_view, const GuideChannel*> by_id;
  std::unordered_map<std::string, const GuideChannel*> by_name;
  for (const GuideChannel& channel : guide) {
    by_id.try_emplace(channel.id, &channel);
    for (const std::string& name : channel.display_names) {
      by_name.try_emplace(GuideMatchName(name), &channel);
    }
  }
  std::unordered_map<std::string, std::vector<int32_t>> links;
  for (const GuideTarget& target : catalogue) {
    const GuideChannel* found = nullptr;
    if (!target.guide_id.empty()) {
      if (const auto it = by_id.find(target.guide_id); it != by_id.end()) found = it->second;
    }
    if (found == nullptr) {
      const std::string name = GuideMatchName(target.name);
      if (const auto it = by_name.find(name); !name.empty() && it != by_name.end()) {
        found = it->second;
      }
    }
    if (found != nullptr) links[found->id].push_back(target.channel_id);
  }
  return links;
}

Result<std::vector<GuideIdLink>> ParseGuideIdLinks(std::string_view text) {
  std::vector<GuideIdLink> links;
  int line_number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = TrimBlanks(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++line_number;
    if (line.empty() || line.front() == '#') continue;
    const auto fail = [&](const std::string& why) {
      return Result<std::vector<GuideIdLink>>::Fail("line " + std::to_string(line_number) + ": " +
                                                    why);
    };
    const std::size_t bar = line.find('|');
    if (bar == std::string_view::npos) return fail("expected \"guide-id|channel-id\"");
    const std::string_view guide_id = TrimBlanks(line.substr(0, bar));
    const std::string_view number = TrimBlanks(line.substr(bar + 1));
    if (guide_id.empty()) return fail("the guide id is empty");
    int32_t channel_id = 0;
    const auto [rest, error] =
        std::from_chars(number.data(), number.data() + number.size(), channel_id);
    if (error != std::errc() || rest != number.data() + number.size() || channel_id <= 0) {
      return fail("the channel id \"" + std::string(number) + "\" is not a positive number");
    }
    links.push_back(GuideIdLink{std::string(guide_id), channel_id});
  }
  return Result<std::vector<GuideIdLink>>::Ok(std::move(links));
}

}  // namespace vistrel
