#pragma once
// Plays the channel selected in the list: cues its address on selection, starts and stops it
// from the buttons, the list's double click and the menu, and turns the player's events into
// status texts, the one-time submission of a user channel and the broken-stream report.
// Qt-free: the window applies `view()` to its controls after every call and shows the boxes
// the hooks ask for.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "playback/media_player.h"

namespace vistrel {

// What the player's controls show.
struct PlaybackView {
  std::string channel_label = "No channel";  // plain text, never markup
  std::string status_label = "Stopped";      // PlayerStatusText of the player's status
  PlayerState player_state = PlayerState::kStopped;
  bool stop_visible = true;  // Stop shown and Play hidden; else the other way round
};

// What the controller asks of the window and of the service. Each may be empty.
struct PlaybackHooks {
  // The selected row's channel is a user channel seen playing for the first time; it is marked
  // sent already. The hook queues the request and returns.
  std::function<void(int32_t row)> submit_user_channel;
  // After the error box: the stream of the channel with id `channel_id` failed. It is the
  // channel whose address failed, whatever row is selected by then.
  std::function<void(int32_t channel_id)> report_broken_channel;
  // A modal error box with OK; returns when it is closed.
  std::function<void(const std::string& text)> show_error;
  // The player failed inside the Stop action: offer the player's download page.
  std::function<void()> offer_player_install;
  // The view changed; the window repaints its player controls.
  std::function<void()> view_changed;
};

class PlaybackController {
 public:
  // `player` may be null (libmpv could not be started): then cue and clear still update the
  // labels and buttons, and every other operation does nothing. Binds the player's events.
  // Sets the player's volume to 30 (the volume box starts at 50 and applies its value on its
  // first change). Unbinds the events when it goes, so the player may outlive it.
  PlaybackController(ProgramState& state, MediaPlayer* player, PlaybackHooks hooks);
  ~PlaybackController();
  PlaybackController(const PlaybackController&) = delete;
  PlaybackController& operator=(const PlaybackController&) = delete;

  // Row `row` (0 <= row < state.visible_rows.count) is selected: its name on the label (with
  // "— Title" once its stream announces one), its address cued, Play shown. A row outside the
  // list clears instead. An address that is not a network stream (IsNetworkStreamAddress) is
  // not cued: the player unloads, and Play shows the refusal in the error box instead of
  // playing (no broken-stream report).
  void CueChannel(int32_t row);
  // No row is selected, or the view is rebuilt: "No channel", nothing cued, Stop shown.
  void ClearChannel();
  void Play();
  // The Stop button: with a cued address, pauses in the video view and stops elsewhere. A
  // player that throws here is answered with `offer_player_install`, never rethrown.
  void Stop();
  // Double click or "Watch/Listen": cue `selected_row` (or clear when it is -1), then play.
  void PlaySelected(int32_t selected_row);
  void EnterFullScreen();
  void SetMuted(bool muted);
  void SetVolume(int volume);

  const PlaybackView& view() const { return view_; }
  // The cued stream's current title, cleaned; empty when it announced none.
  const std::string& stream_title() const { return stream_title_; }
  // The row whose channel is cued, -1 for none.
  int32_t selected_row() const { return selected_row_; }

 private:
  void OnStatusChange();
  void OnError(const std::string& url, const std::string& description);
  void RememberCued(const Channel& channel);
  void OnStreamTitle(const std::string& title);
  void SubmitIfUnsent();
  void NotifyViewChanged();

  ProgramState& state_;
  MediaPlayer* player_;
  PlaybackHooks hooks_;
  PlaybackView view_;
  int32_t selected_row_ = -1;
  std::string cued_name_;  // the cued channel's name, for the label
  std::string stream_title_;
  // The cued channel's address when it is not a network stream: never handed to the player.
  std::optional<std::string> refused_address_;
  // The channels whose addresses went to the player, the latest last (a few): a failure is
  // told a little later, maybe after another channel was cued, and is reported for its own.
  struct CuedAddress {
    std::string url;
    int32_t channel_id = 0;
    // A playlist channel's failure is never reported: its address may hold credentials.
    bool reportable = true;
  };
  std::vector<CuedAddress> cued_;
};

}  // namespace vistrel
