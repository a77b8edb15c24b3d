#pragma once
// What the stream player is doing, worked out from the commands it was given and the events
// its engine reported: the status text, whether media is loaded, and a failure waiting to be
// told. Engine events that belong to an address no longer cued are ignored, so a stopped
// stream's late end never reads as the end of the one that replaced it. Plain C++: the libmpv
// player feeds it and carries out what it answers.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

class StreamTracker {
 public:
  // Commands. Cue returns true when something was opening or playing and the engine must stop.
  bool Cue(const std::string& url);
  // kLoad: the engine loads `url()` unpaused and tags the load with `load_serial()`.
  PlayAction Play();
  // True when the engine must stop or pause; false when that changes nothing.
  bool Stop();
  bool Pause();

  // The engine accepted load `serial` as playlist entry `entry`, or refused it (`error` is the
  // engine's own short text). Replies to older loads are ignored.
  void OnLoadAccepted(uint64_t serial, int64_t entry);
  void OnLoadRefused(uint64_t serial, const std::string& error);

  // Engine events. File-loaded and playback-restart concern the entry last started.
  void OnStartFile(int64_t entry);
  void OnFileLoaded();
  void OnPlaybackRestart();
  // `inserted` is the first entry a redirect put in the stream's place; `error` the engine's
  // short text for a failure.
  void OnEndFile(int64_t entry, StreamEnd reason, int64_t inserted, const std::string& error);
  void OnPausedForCache(bool paused);
  void OnBufferingPercent(int percent);
  // A log line of warning or error level ("warn", "error", "fatal"), about the entry last
  // started: the only place where the real cause of a failure appears, sometimes after the end.
  void OnLog(const std::string& level, const std::string& prefix, const std::string& text);

  // Exactly "Ready", "Stopped", "Paused"; "Playing"; "Connecting...", "Buffering (N%)".
  std::string StatusText() const;
  bool HasCurrentMedia() const { return has_media_; }
  const std::string& url() const { return url_; }
  uint64_t load_serial() const { return serial_; }

  // A failure of the cued address is waiting to be told; `failure_serial()` names it, so that a
  // late report is dropped once another address was cued or played.
  bool HasFailure() const { return failure_.has_value(); }
  uint64_t failure_serial() const { return failure_ ? failure_->serial : 0; }
  // The failure's readable description (address and cause) if `serial` is still the pending
  // one; clears it. Nothing otherwise.
  std::optional<std::string> TakeFailure(uint64_t serial);

 private:
  enum class Phase { kEmpty, kCued, kOpening, kLoaded, kPlaying, kStopped };
  struct Failure {
    uint64_t serial = 0;
    int64_t entry = -1;
    std::string url;
    std::string engine_error;
    std::vector<EngineLogLine> log;
  };

  bool Active() const;
  void Fail(const std::string& engine_error);
  void ApplyStartedEntry();

  Phase phase_ = Phase::kEmpty;
  std::string url_;
  bool paused_ = false;
  bool has_media_ = false;
  bool paused_for_cache_ = false;
  int buffering_percent_ = 0;

  uint64_t serial_ = 0;  // of the latest load; 0 before any
  bool awaiting_reply_ = false;
  int64_t entry_ = -1;  // the engine's entry for the latest load, -1 until known

  // The entry last started and what it reached before its load reply was known.
  int64_t started_ = -1;
  bool started_loaded_ = false;
  bool started_restarted_ = false;
  std::vector<EngineLogLine> started_log_;

  std::optional<Failure> failure_;
};

// The description of a failed stream: "Cannot play URL: CAUSE." The cause is the most telling
// of the engine's log lines for it: an error line, else a network-layer warning, else any line
// (a line that only restates "Failed to open URL" comes last); without lines, `engine_error`.
// Control characters are removed and long texts shortened; the result is plain text.
std::string DescribeStreamFailure(const std::string& url, const std::vector<EngineLogLine>& log,
                                  const std::string& engine_error);

}  // namespace vistrel
