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
  // The cued channel is a user channel seen playing for the first time; it is marked sent
  // already. The hook queues the request and returns.
  std::function<void(const Channel& channel)> submit_user_channel;
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

  // `channel`, a record of state.catalogue (the selected row's), is selected: its name on the
  // label (with "— Title" once its stream announces one), its address cued, Play shown. Null
  // (no row selected) or a channel that is no record of the catalogue clears instead. The
  // player gets the address without a header part after "|", with the channel's headers: those
  // of catalogue.stream_headers, the header part set over them. An address that is not a
  // network stream (IsNetworkStreamAddress) is not cued: the player unloads, and Play shows the
  // refusal in the error box instead of playing (no broken-stream report). The record must stay
  // where it is while it is cued: every change of the catalogue's order or length is followed
  // by ClearChannel.
  void CueChannel(const Channel* channel);
  // No row is selected, or the view is rebuilt: "No channel", nothing cued, Stop shown.
  void ClearChannel();
  void Play();
  // The Stop button: with a cued address, pauses in the video view and stops elsewhere (and
  // always while a dropped stream reconnects, ending its tries). A player that throws here is
  // answered with `offer_player_install`, never rethrown.
  void Stop();
  // Double click or "Watch/Listen": cue `selected` as CueChannel does (null clears), then play.
  void PlaySelected(const Channel* selected);
  void EnterFullScreen();
  void SetMuted(bool muted);
  void SetVolume(int volume);

  const PlaybackView& view() const { return view_; }
  // The cued stream's current title, cleaned; empty when it announced none.
  const std::string& stream_title() const { return stream_title_; }
  // The cued channel, a record of state.catalogue; null for none.
  const Channel* cued_channel() const;

 private:
  void OnStatusChange();
  void OnError(const std::string& url, const std::string& description);
  void RememberCued(const std::string& url, const Channel& channel);
  void OnStreamTitle(const std::string& title);
  void SubmitIfUnsent();
  void NotifyViewChanged();

  ProgramState& state_;
  MediaPlayer* player_;
  PlaybackHooks hooks_;
  PlaybackView view_;
  // The cued channel's place in state.catalogue.channels; nothing while no channel is cued.
  std::optional<std::size_t> cued_position_;
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
