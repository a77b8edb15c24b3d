#include "server/guide_answers.h"

#include <charconv>

#include "catalogue/format/codepage.h"
#include "server/request_rules.h"

namespace vistrel {

namespace {

constexpr int64_t kBackSeconds = 2 * 3600;
constexpr int64_t kAheadSeconds = 24 * 3600;
// Answers of single channels kept in one minute; beyond, they are dropped and built again.
constexpr std::size_t kMostChannelAnswers = 20000;

// The answers are written by hand: a general JSON library takes longer than the database for
// the now-and-next answer of 15,000 channels.
void AddString(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  const std::string valid = IsValidUtf8(text) ? std::string() : ValidUtf8(text);
  if (!valid.empty()) text = valid;
  out += '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      out += c;
    }
  }
  out += '"';
}

void AddField(std::string& out, const char* key, std::string_view text, bool always = false) {
  if (text.empty() && !always) return;
  out += ",\"";
  out += key;
  out += "\":";
  AddString(out, text);
}

void AddNumber(std::string& out, int64_t number) {
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

void AddTimes(std::string& out, const StoredProgramme& p) {
  out += "{\"start\":";
  AddNumber(out, p.start);
  out += ",\"stop\":";
  AddNumber(out, p.stop);
}

HttpResponse Json(std::shared_ptr<const std::string> body) {
  HttpResponse response;
  response.content_type = "application/json; charset=utf-8";
  response.body = std::move(body);
  return response;
}

}  // namespace

std::string ChannelGuideJson(const std::vector<StoredProgramme>& programmes) {
  std::string out = "[";
  for (const StoredProgramme& p : programmes) {
    if (out.size() > 1) out += ',';
    AddTimes(out, p);
    AddField(out, "title", p.title, true);
    AddField(out, "sub_title", p.sub_title);
    AddField(out, "description", p.description);
    AddField(out, "category", p.category);
    AddField(out, "episode", p.episode_num);
    out += '}';
  }
  return out += ']';
}

std::string NowAndNextJson(const std::vector<StoredProgramme>& programmes) {
  std::string out = "[";
  out.reserve(programmes.size() * 80);
  for (std::size_t i = 0; i < programmes.size(); ++i) {
    const StoredProgramme& p = programmes[i];
    const bool first_of_channel = i == 0 || programmes[i - 1].channel_id != p.channel_id;
    if (first_of_channel) {
      if (i > 0) out += "]},";
      out += "{\"id\":";
      AddNumber(out, p.channel_id);
      out += ",\"programmes\":[";
    } else {
      out += ',';
    }
    AddTimes(out, p);
    AddField(out, "title", p.title, true);
    out += '}';
  }
  if (!programmes.empty()) out += "]}";
  return out += ']';
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
