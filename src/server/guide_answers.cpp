#include "server/guide_answers.h"

#include <nlohmann/json.hpp>

#include "server/request_rules.h"

namespace vistrel {

namespace {

constexpr int64_t kBackSeconds = 2 * 3600;
constexpr int64_t kAheadSeconds = 24 * 3600;
// Answers of single channels kept in one minute; beyond, they are dropped and built again.
constexpr std::size_t kMostChannelAnswers = 20000;

std::string Dump(const nlohmann::json& json) {
  return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void AddText(nlohmann::json& object, const char* key, const std::string& text) {
  if (!text.empty()) object[key] = text;
}

HttpResponse Json(std::shared_ptr<const std::string> body) {
  HttpResponse response;
  response.content_type = "application/json; charset=utf-8";
  response.body = std::move(body);
  return response;
}

}  // namespace

std::string ChannelGuideJson(const std::vector<StoredProgramme>& programmes) {
  nlohmann::json list = nlohmann::json::array();
  for (const StoredProgramme& p : programmes) {
    nlohmann::json item = {{"start", p.start}, {"stop", p.stop}, {"title", p.title}};
    AddText(item, "sub_title", p.sub_title);
    AddText(item, "description", p.description);
    AddText(item, "category", p.category);
    AddText(item, "episode", p.episode_num);
    list.push_back(std::move(item));
  }
  return Dump(list);
}

std::string NowAndNextJson(const std::vector<StoredProgramme>& programmes) {
  nlohmann::json list = nlohmann::json::array();
  for (const StoredProgramme& p : programmes) {
    if (list.empty() || list.back()["id"] != p.channel_id) {
      list.push_back({{"id", p.channel_id}, {"programmes", nlohmann::json::array()}});
    }
    list.back()["programmes"].push_back({{"start", p.start}, {"stop", p.stop}, {"title", p.title}});
  }
  return Dump(list);
}

GuideAnswers::GuideAnswers(const std::filesystem::path& db_file) : store_(db_file) {}

HttpResponse GuideAnswers::Answer(const QueryParams& params, int64_t now) {
  const auto id_text = FirstParam(params, "id");
  const auto now_text = FirstParam(params, "now");
  const std::optional<int32_t> id = id_text ? ParseRequestInt(*id_text) : std::nullopt;
  const bool one_channel = id_text && !now_text && params.count("id") == 1 && id && *id >= 0;
  const bool all_now = now_text && !id_text && params.count("now") == 1 && *now_text == "1";
  if (!one_channel && !all_now) return HttpResponse::Text(400, "expected id=N or now=1");

  std::lock_guard lock(mutex_);
  // One minute's answers: the guide is built for the minute's start, so every client asking
  // in that minute shares it.
  const int64_t minute = now / 60;
  if (minute != minute_) {
    minute_ = minute;
    now_and_next_.reset();
    channels_.clear();
  }
  const int64_t at = minute * 60;
  if (all_now) {
    if (!now_and_next_) {
      now_and_next_ = std::make_shared<const std::string>(NowAndNextJson(store_.NowAndNext(at)));
    }
    return Json(now_and_next_);
  }
  if (const auto found = channels_.find(*id); found != channels_.end()) return Json(found->second);
  if (channels_.size() >= kMostChannelAnswers) channels_.clear();
  auto body = std::make_shared<const std::string>(
      ChannelGuideJson(store_.ChannelProgrammes(*id, at - kBackSeconds, at + kAheadSeconds)));
  channels_.emplace(*id, body);
  return Json(std::move(body));
}

}  // namespace vistrel
