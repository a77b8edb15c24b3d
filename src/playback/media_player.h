#pragma once
// The media player as the playback controller sees it: one stream address, play/stop/pause,
// a status text and two events. The program plays through libmpv (MpvPlayer); tests drive a
// scripted fake.

#include <functional>
#include <string>

#include "catalogue/stream_headers.h"
#include "playback/player_status.h"

namespace vistrel {

class MediaPlayer {
 public:
  virtual ~MediaPlayer() = default;

  // Loads `url` without starting it (what played stops); the empty text unloads. `headers` go
  // with every request of that stream (its playlists and segments included) and of no other;
  // without them the player's own User-Agent goes. Never throws: an address that cannot be
  // opened is reported through `on_error` once it is played.
  virtual void SetUrl(const std::string& url, const StreamHeaders& headers = {}) = 0;
  // The address last set; empty when nothing is cued.
  virtual std::string Url() const = 0;

  // Plays the cued address from its start (or resumes a pause); nothing when none is cued.
  virtual void Play() = 0;
  // Stops or pauses; raises no status event when the state does not change.
  virtual void Stop() = 0;
  virtual void Pause() = 0;

  // The state: ready (loaded, not started), stopped, paused, playing, connecting and
  // buffering while opening, or reconnecting while a live stream that dropped is opened again.
  virtual PlayerStatus Status() const = 0;
  // The status line's text for Status().
  std::string StatusText() const { return PlayerStatusText(Status()); }
  // True once media has been loaded for the cued address.
  virtual bool HasCurrentMedia() const = 0;

  // Full screen shows the video alone on the screen; the user leaves it with Esc or a double
  // click.
  virtual void SetFullScreen(bool full_screen) = 0;
  virtual void SetMuted(bool muted) = 0;
  // 0 to 100; values outside are clamped.
  virtual void SetVolume(int volume) = 0;

  // Raised on the GUI thread, never from inside one of the calls above.
  std::function<void()> on_status_change;
  // A stream failed: `url` is the address that was set and played (it may have been replaced
  // since: a failure is told whatever the user did next); `description` is readable and names
  // the address that failed (for a playlist, its entry) and the cause. A live stream that
  // dropped after it played is told only once every try to open it again failed.
  std::function<void(const std::string& url, const std::string& description)> on_error;
  // The playing stream announced a new title (a radio's current song), as the network gave it:
  // not yet cleaned. Empty when the stream has none any more. Not raised for a stream that was
  // replaced or stopped.
  std::function<void(const std::string& title)> on_stream_title;
};

}  // namespace vistrel
