#pragma once
// What the stream player is doing, worked out from the commands it was given and the events
// its engine reported: the status text, whether media is loaded, and the failures waiting to
// be told. Engine events that belong to an address no longer cued are ignored, so a stopped
// stream's late end never reads as the end of the one that replaced it. An address that serves
// a playlist plays its entries in turn. A live stream that drops after it played is loaded
// again a few times before its failure is told. Plain C++: the libmpv player feeds it, keeps
// the timer it asks for and carries out what it answers.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "playback/player_status.h"

namespace vistrel {

enum class StreamEnd { kEndOfStream, kStopped, kFailed, kRedirected, kOther };

// One line of the engine's log: its level ("warn", "error", "fatal"), the module that wrote it
// and the text.
struct EngineLogLine {
  std::string level;
  std::string prefix;
  std::string text;
};

// What Play asks of the engine.
enum class PlayAction { kNothing, kLoad, kResume };

// How a live stream that dropped after it played is opened again: at most `tries` loads, the
// first `first_pause` after the drop and each pause twice the one before, none started later
// than `window` after the drop.
struct ReconnectPolicy {
  int tries = 5;
  std::chrono::milliseconds first_pause{1000};
  std::chrono::milliseconds window{30000};
};

// The next try of a dropped stream: hand `id` to Retry once `delay` has passed.
struct RetryPlan {
  uint64_t id = 0;
  std::chrono::milliseconds delay{0};
};

class StreamTracker {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  // `now` tells the time the tries of a dropped stream are measured with. Never throws.
  explicit StreamTracker(ReconnectPolicy policy = {}, Clock now = &std::chrono::steady_clock::now);

  // Commands. Cue returns true when something was opening or playing and the engine must stop.
  // Neither Cue nor Play drops a failure waiting to be told: it belongs to the address that
  // failed, whatever the user does next.
  bool Cue(const std::string& url);
  // kLoad: the engine loads `url()` unpaused and tags the load with `load_serial()`.
  PlayAction Play();
  // True when the engine must stop or pause; false when that changes nothing. Stop ends the
  // tries of a dropped stream; Pause does nothing while it reconnects.
  bool Stop();
  bool Pause();

  // The try a dropped stream waits for, once per try: nothing when none waits.
  std::optional<RetryPlan> PendingRetry() const;
  // The pause before try `id` is over: kLoad when that try is still wanted (the engine loads
  // `url()` as Play's kLoad asks), kNothing when the stream was stopped or cued meanwhile.
  PlayAction Retry(uint64_t id);

  // The engine accepted load `serial` as playlist entry `entry`, or refused it (`error` is the
  // engine's own short text). Replies to older loads are ignored.
  void OnLoadAccepted(uint64_t serial, int64_t entry);
  void OnLoadRefused(uint64_t serial, const std::string& error);

  // Engine events. File-loaded and playback-restart concern the entry last started.
  void OnStartFile(int64_t entry);
  void OnFileLoaded();
  void OnPlaybackRestart();
  // `inserted` is the first of the `inserted_count` entries a redirect put in the stream's
  // place (an address that served a playlist); `error` the engine's short text for a failure.
  // The engine goes on to the next entry when one fails or ends: the stream fails only when
  // the last entry ended and none played.
  void OnEndFile(int64_t entry, StreamEnd reason, int64_t inserted, const std::string& error,
                 int64_t inserted_count = 1);
  // Whether the entry last started is seekable, its length and how far it played, in seconds;
  // false and values below 0 (the engine does not know, or no longer) are ignored. A seekable
  // file that ended at its length is finished, not dropped: a live stream is not seekable, and
  // the length the engine guesses for it means nothing.
  void OnSeekable(bool seekable);
  void OnDuration(double seconds);
  void OnPosition(double seconds);
  void OnPausedForCache(bool paused);
  void OnBufferingPercent(int percent);
  // A log line of warning or error level ("warn", "error", "fatal"), about the entry last
  // started: the only place where the real cause of a failure appears, sometimes after the end.
  void OnLog(const std::string& level, const std::string& prefix, const std::string& text);
  // The engine's playlist holds `address` as entry `entry` (the entries of a served playlist).
  void OnPlaylistEntry(int64_t entry, const std::string& address);

  // The player's state now.
  PlayerStatus Status() const;
  // PlayerStatusText(Status()).
  std::string StatusText() const { return PlayerStatusText(Status()); }
  bool HasCurrentMedia() const { return has_media_; }
  const std::string& url() const { return url_; }
  uint64_t load_serial() const { return serial_; }

  // Failures waiting to be told, one per failed load, oldest first; `failure_serial()` names
  // the latest (0 for none).
  bool HasFailure() const { return !failures_.empty(); }
  uint64_t failure_serial() const { return failures_.empty() ? 0 : failures_.back().serial; }
  std::vector<uint64_t> failure_serials() const;
  // The address that was cued and played when failure `serial` happened; empty when no such
  // failure waits.
  std::string FailureUrl(uint64_t serial) const;
  // Failure `serial`'s readable description (the address that failed, for a playlist its
  // entry, and the cause); clears it. Nothing when no such failure waits.
  std::optional<std::string> TakeFailure(uint64_t serial);

 private:
  // kReconnecting: a dropped stream waits for its next try.
  enum class Phase { kEmpty, kCued, kOpening, kLoaded, kPlaying, kReconnecting, kStopped };
  struct Failure {
    uint64_t serial = 0;
    int64_t entry = -1;       // the entry that failed first, -1 for a refused load
    int64_t last_entry = -1;  // the entry last started: late log lines still belong here
    bool own_lines = false;   // the log holds lines written while the failed entry was on
    std::string url;          // the address cued
    std::string entry_url;    // the failed entry's address, empty until known
    std::string engine_error;
    std::vector<EngineLogLine> log;
  };

  bool Active() const;
  // True when `entry` belongs to the load under way: the engine numbers entries in the order
  // it creates them, and a redirect's entries come after the entry it replaces.
  bool InLoad(int64_t entry) const;
  void EndLoad();
  void DeclareFailure(Failure failure);
  // A load ended without playing: the next try of a dropped stream, else the failure is told.
  void EndFailedLoad(Failure failure);
  // Plans the next try; false when the tries are used up or their time is over.
  bool PlanRetry();
  void EndReconnecting();
  void ApplyStartedEntry();

  ReconnectPolicy policy_;
  Clock now_;

  Phase phase_ = Phase::kEmpty;
  std::string url_;
  bool paused_ = false;
  bool has_media_ = false;
  bool paused_for_cache_ = false;
  int buffering_percent_ = 0;

  uint64_t serial_ = 0;  // of the latest load; 0 before any
  bool awaiting_reply_ = false;
  // The load under way: its first entry (-1 until known), how many of its entries have not
  // ended yet, whether one of them played, and the first of them that failed.
  int64_t first_entry_ = -1;
  int64_t open_entries_ = 0;
  bool played_ = false;
  std::optional<Failure> first_failure_;
  // The load's log lines, each with the entry last started when it came. The engine tells its
  // lines after its events, so a line may come after the start of the next entry.
  std::vector<std::pair<int64_t, EngineLogLine>> load_log_;

  // The entry last started and what it reached before its load reply was known.
  int64_t started_ = -1;
  bool started_loaded_ = false;
  bool started_restarted_ = false;
  bool started_seekable_ = false;
  double started_duration_ = -1;
  double started_position_ = -1;

  // A dropped stream's tries: true from the drop until a try plays, the user stops or cues,
  // or the failure is told; the tries started since the drop (kept while the stream plays
  // again, until Stop or Cue), the time of the drop, and the next try.
  bool reconnecting_ = false;
  int tries_used_ = 0;
  std::chrono::steady_clock::time_point drop_time_;
  uint64_t retry_id_ = 0;
  std::chrono::steady_clock::time_point retry_due_;

  std::map<int64_t, std::string> entry_urls_;  // the addresses of the load's entries
  std::vector<Failure> failures_;
};

// The description of a failed stream: "Cannot play URL: CAUSE." The cause is the most telling
// of the engine's log lines for it: an error line, else a network-layer warning, else any line
// (a line that only restates "Failed to open URL" comes last); without lines, `engine_error`.
// The address is shown without its header part (ShownStreamAddress). Control characters are
// removed and long texts shortened; the result is plain text.
std::string DescribeStreamFailure(const std::string& url, const std::vector<EngineLogLine>& log,
                                  const std::string& engine_error);

}  // namespace vistrel
