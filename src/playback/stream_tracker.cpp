#include "playback/stream_tracker.h"

#include <algorithm>
#include <utility>

#include "catalogue/stream_headers.h"
#include "common/plain_text.h"

namespace vistrel {

namespace {

constexpr size_t kMaxLogLines = 32;  // per stream: the cause is among the first lines
constexpr size_t kMaxLoadLogLines = 4 * kMaxLogLines;  // per address, a playlist's entries too
constexpr size_t kMaxTextBytes = 300;
constexpr size_t kMaxPlaylistEntries = 1000;  // addresses kept to name a failed entry
// A file that ended this close to its length reached its end (the position is told in whole
// seconds).
constexpr double kEndMarginSeconds = 3;

// The log's and the engine's texts as one plain line of at most kMaxTextBytes.
std::string CleanText(const std::string& text) {
  return PlainLine(text, kMaxTextBytes);
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
  return "Cannot play " + CleanText(std::string(ShownStreamAddress(url))) + ": " + cause;
}

StreamTracker::StreamTracker(ReconnectPolicy policy, Clock now)
    : policy_(policy), now_(std::move(now)) {}

bool StreamTracker::Active() const {
  return phase_ == Phase::kOpening || phase_ == Phase::kLoaded || phase_ == Phase::kPlaying ||
         phase_ == Phase::kReconnecting;
}

bool StreamTracker::InLoad(int64_t entry) const {
  return first_entry_ != -1 && entry >= first_entry_;
}

bool StreamTracker::Cue(const std::string& url) {
  const bool must_stop = Active();
  url_ = url;
  phase_ = url.empty() ? Phase::kEmpty : Phase::kCued;
  paused_ = false;
  has_media_ = false;
  awaiting_reply_ = false;
  EndReconnecting();
  EndLoad();
  return must_stop;
}

PlayAction StreamTracker::Play() {
  if (phase_ == Phase::kEmpty) return PlayAction::kNothing;
  if (Active()) {
    if (!paused_ || reconnecting_) return PlayAction::kNothing;
    paused_ = false;
    return PlayAction::kResume;
  }
  ++serial_;
  awaiting_reply_ = true;
  EndLoad();
  phase_ = Phase::kOpening;
  paused_ = false;
  has_media_ = false;
  paused_for_cache_ = false;
  buffering_percent_ = 0;
  return PlayAction::kLoad;
}

bool StreamTracker::Stop() {
  if (!Active()) return false;
  phase_ = Phase::kStopped;
  paused_ = false;
  awaiting_reply_ = false;
  EndReconnecting();
  EndLoad();
  return true;
}

bool StreamTracker::Pause() {
  if (!Active() || paused_ || reconnecting_) return false;
  paused_ = true;
  return true;
}

std::optional<RetryPlan> StreamTracker::PendingRetry() const {
  if (phase_ != Phase::kReconnecting) return std::nullopt;
  const auto left = retry_due_ - now_();
  const auto delay = std::chrono::ceil<std::chrono::milliseconds>(left);
  return RetryPlan{retry_id_, std::max(delay, std::chrono::milliseconds(0))};
}

PlayAction StreamTracker::Retry(uint64_t id) {
  if (phase_ != Phase::kReconnecting || id != retry_id_) return PlayAction::kNothing;
  ++tries_used_;
  ++serial_;
  awaiting_reply_ = true;
  EndLoad();
  // The last picture stays until the new one comes: has_media_ is kept.
  phase_ = Phase::kOpening;
  paused_for_cache_ = false;
  buffering_percent_ = 0;
  return PlayAction::kLoad;
}

bool StreamTracker::PlanRetry() {
  if (tries_used_ >= policy_.tries) return false;
  const auto now = now_();
  const auto last_start = drop_time_ + policy_.window;
  if (now >= last_start) return false;
  auto pause = policy_.first_pause;
  for (int i = 0; i < tries_used_ && pause < policy_.window; ++i) pause *= 2;
  retry_due_ = std::min(now + pause, last_start);
  ++retry_id_;
  phase_ = Phase::kReconnecting;
  return true;
}

void StreamTracker::EndReconnecting() {
  reconnecting_ = false;
  tries_used_ = 0;
}

void StreamTracker::EndFailedLoad(Failure failure) {
  if (reconnecting_ && PlanRetry()) {
    EndLoad();
    return;
  }
  EndReconnecting();
  DeclareFailure(std::move(failure));
}

void StreamTracker::EndLoad() {
  first_entry_ = -1;
  open_entries_ = 0;
  played_ = false;
  first_failure_.reset();
  load_log_.clear();
  entry_urls_.clear();
}

void StreamTracker::OnLoadAccepted(uint64_t serial, int64_t entry) {
  if (serial != serial_ || !awaiting_reply_) return;
  awaiting_reply_ = false;
  first_entry_ = entry;
  open_entries_ = 1;
  if (started_ == entry) ApplyStartedEntry();
}

void StreamTracker::OnLoadRefused(uint64_t serial, const std::string& error) {
  if (serial != serial_ || !awaiting_reply_) return;
  awaiting_reply_ = false;
  Failure failure;
  failure.engine_error = error;
  EndFailedLoad(std::move(failure));
}

void StreamTracker::OnStartFile(int64_t entry) {
  started_ = entry;
  started_loaded_ = false;
  started_restarted_ = false;
  started_seekable_ = false;
  started_duration_ = -1;
  started_position_ = -1;
}

void StreamTracker::ApplyStartedEntry() {
  if (started_loaded_ && phase_ == Phase::kOpening) {
    phase_ = Phase::kLoaded;
    has_media_ = true;
  }
  if (started_restarted_ && (phase_ == Phase::kOpening || phase_ == Phase::kLoaded)) {
    phase_ = Phase::kPlaying;
    has_media_ = true;
    played_ = true;  // the address plays: an entry that failed before it is no failure of it
    first_failure_.reset();
    // The tries stay counted: a stream that drops again within the window goes on with them,
    // so one that plays a moment after every try is not opened again without end.
    reconnecting_ = false;
  }
}

void StreamTracker::OnFileLoaded() {
  started_loaded_ = true;
  if (InLoad(started_) && Active()) ApplyStartedEntry();
}

void StreamTracker::OnPlaybackRestart() {
  started_restarted_ = true;
  if (InLoad(started_) && Active()) ApplyStartedEntry();
}

void StreamTracker::OnEndFile(int64_t entry, StreamEnd reason, int64_t inserted,
                              const std::string& error, int64_t inserted_count) {
  if (!InLoad(entry) || !Active()) return;
  if (reason == StreamEnd::kRedirected && inserted > 0 && inserted_count > 0) {
    // A playlist address: its entries take its place and the engine plays them in turn.
    open_entries_ += inserted_count - 1;
    phase_ = Phase::kOpening;
    if (InLoad(started_) && started_ != entry) ApplyStartedEntry();
    return;
  }
  if (open_entries_ > 0) --open_entries_;
  if (reason == StreamEnd::kFailed && !played_ && !first_failure_) {
    Failure failure;
    failure.entry = entry;
    failure.engine_error = error;
    first_failure_ = std::move(failure);
  }
  if (open_entries_ > 0) {
    // The engine goes on with the next entry of the playlist.
    phase_ = Phase::kOpening;
    return;
  }
  std::optional<Failure> failure = std::move(first_failure_);
  const bool played = played_;
  const bool was_paused = paused_;
  phase_ = Phase::kStopped;
  paused_ = false;
  if (played) {
    // A live stream ends only when its connection broke or its server ended it: it is opened
    // again. A seekable file that reached its length is finished; a stream the user paused
    // waits for the user.
    const bool finished = reason == StreamEnd::kEndOfStream && started_seekable_ &&
                          started_duration_ > 0 &&
                          started_position_ >= started_duration_ - kEndMarginSeconds;
    const bool dropped = reason == StreamEnd::kFailed || reason == StreamEnd::kEndOfStream;
    if (dropped && !finished && !was_paused) {
      const auto now = now_();
      if (tries_used_ == 0 || now - drop_time_ >= policy_.window) {
        tries_used_ = 0;  // a new drop: its tries afresh
        drop_time_ = now;
      }
      reconnecting_ = true;
      if (PlanRetry()) {
        EndLoad();
        return;
      }
      // It dropped again once its tries were used up: it fails.
      EndReconnecting();
      Failure ended;
      ended.entry = entry;
      ended.engine_error = error.empty() ? "the stream ended" : error;
      DeclareFailure(std::move(ended));
      return;
    }
    EndLoad();
    return;
  }
  if (failure) {
    EndFailedLoad(std::move(*failure));
  } else if (reconnecting_) {
    // A try that ended without playing and without an error is a failed try all the same.
    Failure ended;
    ended.entry = entry;
    EndFailedLoad(std::move(ended));
  } else {
    EndLoad();
  }
}

void StreamTracker::DeclareFailure(Failure failure) {
  failure.serial = serial_;
  failure.url = url_;
  // A refused load started nothing: the entry last started is another stream's.
  failure.last_entry = failure.entry == -1 ? -1 : started_;
  if (const auto known = entry_urls_.find(failure.entry); known != entry_urls_.end()) {
    failure.entry_url = known->second;
  }
  // The failed entry's own lines when it has any; else the lines came too late to tell whose
  // they are, and all of them count (the first most telling one wins).
  for (const auto& [entry, line] : load_log_) {
    if (entry == failure.entry) failure.log.push_back(line);
  }
  failure.own_lines = !failure.log.empty();
  if (!failure.own_lines) {
    for (const auto& [entry, line] : load_log_) failure.log.push_back(line);
  }
  failures_.push_back(std::move(failure));
  phase_ = Phase::kStopped;
  paused_ = false;
  EndLoad();
}

void StreamTracker::OnSeekable(bool seekable) {
  if (seekable) started_seekable_ = true;
}

void StreamTracker::OnDuration(double seconds) {
  // The engine forgets the length as the entry ends: that must not make it live.
  if (seconds > 0) started_duration_ = seconds;
}

void StreamTracker::OnPosition(double seconds) {
  if (seconds >= 0) started_position_ = seconds;
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
  if (InLoad(started_)) {
    if (load_log_.size() < kMaxLoadLogLines) load_log_.emplace_back(started_, std::move(line));
    return;
  }
  // Arrived after the end: still the cause of the failure of the entry last started.
  for (Failure& failure : failures_) {
    const bool still_its_own = !failure.own_lines || failure.entry == failure.last_entry;
    if (failure.last_entry != -1 && failure.last_entry == started_ && still_its_own &&
        failure.log.size() < kMaxLogLines) {
      failure.log.push_back(line);
    }
  }
}

void StreamTracker::OnPlaylistEntry(int64_t entry, const std::string& address) {
  // A failure may be told before the engine said which address its entry had.
  for (Failure& failure : failures_) {
    if (failure.entry == entry && failure.entry_url.empty()) failure.entry_url = address;
  }
  if (!InLoad(entry)) return;
  if (entry_urls_.size() < kMaxPlaylistEntries || entry_urls_.count(entry) != 0) {
    entry_urls_[entry] = address;
  }
}

PlayerStatus StreamTracker::Status() const {
  const PlayerStatus paused{PlayerState::kPaused};
  const PlayerStatus buffering{PlayerState::kBuffering, buffering_percent_};
  switch (phase_) {
    case Phase::kEmpty:
    case Phase::kStopped:
      return {PlayerState::kStopped};
    case Phase::kCued:
      return {PlayerState::kReady};
    case Phase::kReconnecting:
      return {PlayerState::kReconnecting};
    case Phase::kOpening:
      if (reconnecting_) return {PlayerState::kReconnecting};
      return paused_ ? paused : PlayerStatus{PlayerState::kConnecting};
    case Phase::kLoaded:
      if (reconnecting_) return {PlayerState::kReconnecting};
      return paused_ ? paused : buffering;
    case Phase::kPlaying:
      if (paused_) return paused;
      return paused_for_cache_ ? buffering : PlayerStatus{PlayerState::kPlaying};
  }
  return {PlayerState::kStopped};
}

std::vector<uint64_t> StreamTracker::failure_serials() const {
  std::vector<uint64_t> serials;
  for (const Failure& failure : failures_) serials.push_back(failure.serial);
  return serials;
}

std::string StreamTracker::FailureUrl(uint64_t serial) const {
  for (const Failure& failure : failures_) {
    if (failure.serial == serial) return failure.url;
  }
  return {};
}

std::optional<std::string> StreamTracker::TakeFailure(uint64_t serial) {
  for (auto it = failures_.begin(); it != failures_.end(); ++it) {
    if (it->serial != serial) continue;
    std::string description = DescribeStreamFailure(it->entry_url.empty() ? it->url : it->entry_url,
                                                    it->log, it->engine_error);
    failures_.erase(it);
    return description;
  }
  return std::nullopt;
}

}  // namespace vistrel
