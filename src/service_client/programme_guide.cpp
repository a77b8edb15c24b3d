#include "service_client/programme_guide.h"

#include <algorithm>
#include <ctime>
#include <nlohmann/json.hpp>

#include "catalogue/format/codepage.h"
#include "protocol/service_protocol.h"
#include "service_client/http_get.h"

namespace vistrel {

namespace {

using Json = nlohmann::json;

// Answers are small: now and next of 15,000 channels are about 3 MB.
constexpr HttpGetLimits kGuideLimits{64 * 1024 * 1024, 120};

std::string Text(const Json& object, const char* key) {
  const auto it = object.find(key);
  if (it == object.end() || !it->is_string()) return {};
  return ValidUtf8(it->get_ref<const std::string&>());
}

bool Times(const Json& object, int64_t& start, int64_t& stop) {
  if (!object.is_object()) return false;
  const auto a = object.find("start");
  const auto b = object.find("stop");
  if (a == object.end() || b == object.end() || !a->is_number_integer() ||
      !b->is_number_integer()) {
    return false;
  }
  start = a->get<int64_t>();
  stop = b->get<int64_t>();
  return true;
}

Result<Json> ParseJson(std::string_view text) {
  Json json = Json::parse(text, nullptr, false);
  if (json.is_discarded()) return Result<Json>::Fail("the guide answer is not JSON");
  if (!json.is_array()) return Result<Json>::Fail("the guide answer is not a list");
  return Result<Json>::Ok(std::move(json));
}

}  // namespace

NowAndNextGuide::NowAndNextGuide(std::vector<std::pair<int32_t, ChannelNowNext>> channels)
    : channels_(std::move(channels)) {
  std::stable_sort(channels_.begin(), channels_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
}

const ChannelNowNext* NowAndNextGuide::Find(int32_t channel_id) const {
  const auto it = std::lower_bound(channels_.begin(), channels_.end(), channel_id,
                                   [](const auto& entry, int32_t id) { return entry.first < id; });
  return it != channels_.end() && it->first == channel_id ? &it->second : nullptr;
}

std::string NowAndNextUrl(std::string_view base_url) {
  return std::string(base_url) + kGuidePath + "?now=1";
}

std::string ChannelGuideUrl(std::string_view base_url, int32_t channel_id) {
  return std::string(base_url) + kGuidePath + "?" + kIdParam + "=" + std::to_string(channel_id);
}

Result<NowAndNextGuide> ParseNowAndNext(std::string_view text) {
  Result<Json> json = ParseJson(text);
  if (!json.ok()) return Result<NowAndNextGuide>::Fail(json.error);
  std::vector<std::pair<int32_t, ChannelNowNext>> channels;
  channels.reserve(json.value->size());
  for (const Json& entry : *json.value) {
    const auto id = entry.is_object() ? entry.find("id") : entry.end();
    const auto list = entry.is_object() ? entry.find("programmes") : entry.end();
    if (id == entry.end() || !id->is_number_integer() || list == entry.end() || !list->is_array() ||
        list->empty()) {
      return Result<NowAndNextGuide>::Fail("a channel of the guide answer has no id or programme");
    }
    ChannelNowNext channel;
    for (std::size_t i = 0; i < std::min<std::size_t>(list->size(), 2); ++i) {
      ChannelNowNext::Slot& slot = i == 0 ? channel.first : channel.second;
      if (!Times((*list)[i], slot.start, slot.stop)) {
        return Result<NowAndNextGuide>::Fail("a programme of the guide answer has no times");
      }
      slot.title = Text((*list)[i], "title");
    }
    channel.has_second = list->size() > 1;
    channels.emplace_back(id->get<int32_t>(), std::move(channel));
  }
  return Result<NowAndNextGuide>::Ok(NowAndNextGuide(std::move(channels)));
}

Result<std::vector<GuideProgramme>> ParseChannelGuide(std::string_view text) {
  Result<Json> json = ParseJson(text);
  if (!json.ok()) return Result<std::vector<GuideProgramme>>::Fail(json.error);
  std::vector<GuideProgramme> programmes;
  for (const Json& entry : *json.value) {
    GuideProgramme p;
    if (!Times(entry, p.start, p.stop)) {
      return Result<std::vector<GuideProgramme>>::Fail(
          "a programme of the guide answer has no times");
    }
    p.title = Text(entry, "title");
    p.sub_title = Text(entry, "sub_title");
    p.description = Text(entry, "description");
    p.category = Text(entry, "category");
    p.episode = Text(entry, "episode");
    programmes.push_back(std::move(p));
  }
  return Result<std::vector<GuideProgramme>>::Ok(std::move(programmes));
}

std::string LocalClockText(int64_t utc_seconds) {
  const std::time_t t = static_cast<std::time_t>(utc_seconds);
  std::tm parts{};
  localtime_r(&t, &parts);
  char text[8];
  std::strftime(text, sizeof text, "%H:%M", &parts);
  return text;
}

std::string NowNextLine(const ChannelNowNext& channel, int64_t now) {
  std::vector<const ChannelNowNext::Slot*> left;
  for (const ChannelNowNext::Slot* slot : {&channel.first, &channel.second}) {
    if (slot == &channel.second && !channel.has_second) break;
    if (slot->stop > now) left.push_back(slot);
  }
  const ChannelNowNext::Slot* on_now = nullptr;
  const ChannelNowNext::Slot* next = nullptr;
  if (!left.empty() && left[0]->start <= now) {
    on_now = left[0];
    if (left.size() > 1) next = left[1];
  } else if (!left.empty()) {
    next = left[0];
  }
  std::string line;
  if (on_now != nullptr) line = "Now: " + LocalClockText(on_now->start) + " " + on_now->title;
  if (next != nullptr) {
    if (!line.empty()) line += " \xC2\xB7 ";  // a middle dot between the two
    line += "Next: " + LocalClockText(next->start) + " " + next->title;
  }
  return line;
}

namespace {

HttpGetHooks CancelHooks(const std::atomic<bool>* cancelled) {
  HttpGetHooks hooks;
  if (cancelled != nullptr) {
    hooks.step = [cancelled](int64_t, int64_t) { return cancelled->load(); };
  }
  return hooks;
}

}  // namespace

Result<NowAndNextGuide> FetchNowAndNext(const ServiceConfig& service,
                                        const std::atomic<bool>* cancelled) {
  const Result<std::string> body = HttpGet(NowAndNextUrl(service.base_url), ServiceUserAgent(),
                                           CancelHooks(cancelled), kGuideLimits);
  if (!body.ok()) return Result<NowAndNextGuide>::Fail(body.error);
  return ParseNowAndNext(*body.value);
}

Result<std::vector<GuideProgramme>> FetchChannelGuide(const ServiceConfig& service,
                                                      int32_t channel_id,
                                                      const std::atomic<bool>* cancelled) {
  const Result<std::string> body =
      HttpGet(ChannelGuideUrl(service.base_url, channel_id), ServiceUserAgent(),
              CancelHooks(cancelled), kGuideLimits);
  if (!body.ok()) return Result<std::vector<GuideProgramme>>::Fail(body.error);
  return ParseChannelGuide(*body.value);
}

}  // namespace vistrel
