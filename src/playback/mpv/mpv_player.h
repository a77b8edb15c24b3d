#pragma once
// The media player on libmpv. The engine runs on its own threads; its events reach the GUI
// thread as queued calls and are drained there, so the window never waits for the network.
// The picture is a widget of its own, to be placed in the window's player panel.

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <QPointer>

#include "playback/media_player.h"
#include "playback/mpv/mpv_engine.h"
#include "playback/stream_tracker.h"

class QObject;
class QWidget;
struct mpv_event;

namespace vistrel {

class MpvVideoWidget;
class VideoSurface;

struct MpvPlayerOptions {
  // No picture and no sound device, with a plain stand-in for the picture. Always on with the
  // offscreen Qt platform, where an OpenGL widget cannot be shown.
  bool null_output = false;
  // No sound device, the picture still drawn (for tests on a virtual display).
  bool null_audio = false;
  int network_timeout_seconds = 15;
  // How long a failure waits for the engine's late log lines that name its cause.
  int failure_delay_ms = 250;
  // How a live stream that dropped after it played is opened again.
  ReconnectPolicy reconnect{};
};

// The per-file options that carry `headers` to the engine, in order: "user-agent",
// "referrer", and "http-header-fields" ("Name: value" entries, a comma in one written "\,").
// None for no headers. Never fails.
std::vector<std::pair<std::string, std::string>> StreamLoadOptions(const StreamHeaders& headers);

class MpvPlayer final : public MediaPlayer {
 public:
  // Creates the engine and the picture area as a child of `video_parent`. Needs the
  // QApplication. Throws vistrel::Error with a readable message when libmpv cannot be created
  // or initialised. Destroy the player while its window still exists.
  explicit MpvPlayer(QWidget* video_parent, MpvPlayerOptions options = {});
  ~MpvPlayer() override;
  MpvPlayer(const MpvPlayer&) = delete;
  MpvPlayer& operator=(const MpvPlayer&) = delete;

  // The picture area: add it to the player panel's layout. Null once the window deleted it.
  QWidget* video_widget() const;
  bool IsFullScreen() const;

  void SetUrl(const std::string& url, const StreamHeaders& headers = {}) override;
  std::string Url() const override { return tracker_.url(); }
  void Play() override;
  void Stop() override;
  void Pause() override;
  PlayerStatus Status() const override { return announced_status_; }
  bool HasCurrentMedia() const override { return tracker_.HasCurrentMedia(); }
  void SetFullScreen(bool full_screen) override;
  void SetMuted(bool muted) override;
  void SetVolume(int volume) override;

 private:
  static void OnWakeup(void* self);
  void DrainEvents();
  void HandleEvent(const mpv_event& event);
  void ScheduleAnnounce();
  void Announce();
  void ScheduleFailureReport();
  // Arms the timer of the next try of a dropped stream, once per try.
  void ScheduleRetry();
  // Ends whatever the engine loaded.
  void StopEngine();
  void Command(const char* const* args, uint64_t tag);
  // The one place that has the engine load a stream: the cued address with its headers as
  // options of that file alone, so that they never reach the next one. A play and every try of
  // a dropped stream load through it.
  void LoadCued();
  void SetFlag(const char* name, bool value);
  void OnStreamTitle(std::string title);

  MpvPlayerOptions options_;
  mpv_handle* mpv_ = nullptr;
  QObject* context_ = nullptr;  // target of queued calls; deleted first, dropping the rest
  QPointer<VideoSurface> surface_;
  QPointer<MpvVideoWidget> video_;
  StreamTracker tracker_;
  StreamHeaders headers_;  // of the cued address
  PlayerStatus announced_status_;
  bool announce_pending_ = false;
  uint64_t failure_scheduled_ = 0;  // serial of the latest failure whose report is on its way
  uint64_t retry_scheduled_ = 0;    // id of the latest try whose timer is armed
  bool engine_loaded_ = false;      // a load was sent and no stop since
  std::atomic<bool> drain_posted_{false};
  // Titles are passed on from the load of a cued address on; a title the engine reports for
  // the stream that was replaced is dropped.
  bool titles_wanted_ = false;
  std::string stream_title_;
};

}  // namespace vistrel
