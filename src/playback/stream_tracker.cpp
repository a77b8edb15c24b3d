#include "playback/stream_tracker.h"

#include <utility>

namespace vistrel {

namespace {

constexpr size_t kMaxLogLines = 32;  // per stream: the cause is among the first lines
constexpr size_t kMaxTextBytes = 300;

// Removes control characters, trims blanks and shortens to whole UTF-8 characters.
std::string CleanText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u == '\t') {
      out.push_back(' ');
    } else if (u >= 0x20 && u != 0x7f) {
      out.push_back(c);
    }
  }
  const size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  out = out.substr(first, out.find_last_not_of(' ') - first + 1);
  if (out.size() > kMaxTextBytes) {
    size_t cut = kMaxTextBytes;
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out = out.substr(0, cut) + "...";
  }
  return out;
}

bool IsRestatement(const EngineLogLine& line) {
  return CleanText(line.text).rfind("Failed to open", 0) == 0;
}

bool IsErrorLevel(const EngineLogLine& line) {
  return line.level == "error" || line.level == "fatal";
}

// The network layer writes "http: HTTP error 404 ..." or "tcp: Connection ... refused": the
// protocol word adds nothing for the user.
std::string CauseText(const EngineLogLine& line) {
  std::string text = CleanText(line.text);
  if (line.prefix.rfind("ffmpeg", 0) == 0) {
    size_t i = 0;
    while (i < text.size() &&
           ((text[i] >= 'a' && text[i] <= 'z') || (text[i] >= '0' && text[i] <= '9'))) {
      ++i;
    }
    if (i > 0 && i + 1 < text.size() && text[i] == ':' && text[i + 1] == ' ') {
      text = text.substr(i + 2);
    }
  }
  return text;
}

}  // namespace

std::string DescribeStreamFailure(const std::string& url, const std::vector<EngineLogLine>& log,
                                  const std::string& engine_error) {
  const EngineLogLine* best = nullptr;
  int best_rank = 0;
  for (const EngineLogLine& line : log) {
    if (CleanText(line.text).empty()) continue;
    int rank = 1;
    if (!IsRestatement(line)) {
      if (IsErrorLevel(line)) {
        rank = 4;
      } else if (line.prefix.rfind("ffmpeg", 0) == 0) {
        rank = 3;
      } else {
        rank = 2;
      }
    }
    if (rank > best_rank) {
      best = &line;
      best_rank = rank;
    }
  }
  std::string cause = best != nullptr ? CauseText(*best) : CleanText(engine_error);
  if (cause.empty()) cause = "the stream could not be opened";
  const char last = cause.back();
  if (last != '.' && last != '!' && last != '?') cause.push_back('.');
  return "Cannot play " + CleanText(url) + ": " + cause;
}

bool StreamTracker::Active() const {
  return phase_ == Phase::kOpening || phase_ == Phase::kLoaded || phase_ == Phase::kPlaying;
}

bool StreamTracker::Cue(const std::string& url) {
  const bool must_stop = Active();
  url_ = url;
  phase_ = url.empty() ? Phase::kEmpty : Phase::kCued;
  paused_ = false;
  has_media_ = false;
  awaiting_reply_ = false;
  entry_ = -1;
  failure_.reset();
  return must_stop;
}

PlayAction StreamTracker::Play() {
  if (phase_ == Phase::kEmpty) return PlayAction::kNothing;
  if (Active()) {
    if (!paused_) return PlayAction::kNothing;
    paused_ = false;
    return PlayAction::kResume;
  }
  ++serial_;
  awaiting_reply_ = true;
  entry_ = -1;
  phase_ = Phase::kOpening;
  paused_ = false;
  has_media_ = false;
  paused_for_cache_ = false;
  buffering_percent_ = 0;
  failure_.reset();
  return PlayAction::kLoad;
}

bool StreamTracker::Stop() {
  if (!Active()) return false;
  phase_ = Phase::kStopped;
  paused_ = false;
  awaiting_reply_ = false;
  entry_ = -1;
  return true;
}

bool StreamTracker::Pause() {
  if (!Active() || paused_) return false;
  paused_ = true;
  return true;
}

void StreamTracker::OnLoadAccepted(uint64_t serial, int64_t entry) {
  if (serial != serial_ || !awaiting_reply_) return;
  awaiting_reply_ = false;
  entry_ = entry;
  if (started_ == entry_) ApplyStartedEntry();
}

void StreamTracker::OnLoadRefused(uint64_t serial, const std::string& error) {
  if (serial != serial_ || !awaiting_reply_) return;
  awaiting_reply_ = false;
  Fail(error);
}

void StreamTracker::OnStartFile(int64_t entry) {
  started_ = entry;
  started_loaded_ = false;
  started_restarted_ = false;
  started_log_.clear();
}

void StreamTracker::ApplyStartedEntry() {
  if (started_loaded_ && phase_ == Phase::kOpening) {
    phase_ = Phase::kLoaded;
    has_media_ = true;
  }
  if (started_restarted_ && (phase_ == Phase::kOpening || phase_ == Phase::kLoaded)) {
    phase_ = Phase::kPlaying;
    has_media_ = true;
  }
}

void StreamTracker::OnFileLoaded() {
  started_loaded_ = true;
  if (entry_ != -1 && entry_ == started_) ApplyStartedEntry();
}

void StreamTracker::OnPlaybackRestart() {
  started_restarted_ = true;
  if (entry_ != -1 && entry_ == started_) ApplyStartedEntry();
}

void StreamTracker::OnEndFile(int64_t entry, StreamEnd reason, int64_t inserted,
                              const std::string& error) {
  if (entry_ == -1 || entry != entry_ || !Active()) return;
  if (reason == StreamEnd::kRedirected && inserted > 0) {
    // A playlist address: its first stream takes its place and keeps opening.
    entry_ = inserted;
    phase_ = Phase::kOpening;
    if (started_ == entry_) ApplyStartedEntry();
    return;
  }
  if (reason == StreamEnd::kFailed) {
    Fail(error);
    return;
  }
  phase_ = Phase::kStopped;
  paused_ = false;
  entry_ = -1;
}

void StreamTracker::Fail(const std::string& engine_error) {
  Failure failure;
  failure.serial = serial_;
  failure.entry = entry_;
  failure.url = url_;
  failure.engine_error = engine_error;
  if (entry_ != -1 && started_ == entry_) failure.log = started_log_;
  failure_ = std::move(failure);
  phase_ = Phase::kStopped;
  paused_ = false;
  entry_ = -1;
}

void StreamTracker::OnPausedForCache(bool paused) {
  paused_for_cache_ = paused;
}

void StreamTracker::OnBufferingPercent(int percent) {
  buffering_percent_ = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
}

void StreamTracker::OnLog(const std::string& level, const std::string& prefix,
                          const std::string& text) {
  EngineLogLine line{level, prefix, text};
  if (failure_ && failure_->entry != -1 && failure_->entry == started_ &&
      failure_->log.size() < kMaxLogLines) {
    failure_->log.push_back(line);  // arrived after the end: still this stream's cause
  }
  if (started_log_.size() < kMaxLogLines) started_log_.push_back(std::move(line));
}

std::string StreamTracker::StatusText() const {
  const std::string buffering = "Buffering (" + std::to_string(buffering_percent_) + "%)";
  switch (phase_) {
    case Phase::kEmpty:
    case Phase::kStopped:
      return "Stopped";
    case Phase::kCued:
      return "Ready";
    case Phase::kOpening:
      return paused_ ? "Paused" : "Connecting...";
    case Phase::kLoaded:
      return paused_ ? "Paused" : buffering;
    case Phase::kPlaying:
      if (paused_) return "Paused";
      return paused_for_cache_ ? buffering : "Playing";
  }
  return "Stopped";
}

std::optional<std::string> StreamTracker::TakeFailure(uint64_t serial) {
  if (!failure_ || failure_->serial != serial) return std::nullopt;
  std::string description =
      DescribeStreamFailure(failure_->url, failure_->log, failure_->engine_error);
  failure_.reset();
  return description;
}

}  // namespace vistrel
