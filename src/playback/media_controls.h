#pragma once
// What the desktop's media controls (the session bus's media player interface, which the
// keyboard's and headset's media keys reach) are told about playback, worked out from the
// player's status and the cued channel; and which of those properties changed, so each change
// goes out exactly once.

#include <string>
#include <vector>

#include "playback/player_status.h"

namespace vistrel {

enum class MediaControlsStatus { kPlaying, kPaused, kStopped };

struct MediaControlsState {
  MediaControlsStatus status = MediaControlsStatus::kStopped;
  bool can_play = false;         // a channel is cued
  bool can_go_next = false;      // the view has rows
  bool can_go_previous = false;  // the view has rows
  double volume = 0.0;           // 0.0 to 1.0
  // The track: empty `track_id` while no channel is cued. `track_id` is an object path.
  std::string track_id;
  std::string title;    // the stream's current title, else the channel's name
  std::string artist;   // the channel's name
  std::string album;    // the channel's genre
  std::string art_url;  // only an http(s) address, else empty
  bool operator==(const MediaControlsState&) const = default;
};

// What the window knows, as plain values.
struct MediaControlsInput {
  PlayerState player_state = PlayerState::kStopped;
  bool channel_cued = false;
  int channel_id = 0;  // of the cued channel
  std::string channel_name;
  std::string genre_name;
  std::string stream_title;  // cleaned; empty when the stream announces none
  std::string logo_url;
  int visible_rows = 0;
  int volume_box = 0;  // 0 to 100
};

// The status the player's state stands for: paused is paused, stopped and ready are stopped,
// anything else (playing, connecting, buffering) is playing.
MediaControlsStatus MediaControlsStatusOf(PlayerState state);

// The state for `input`. Never fails.
MediaControlsState DescribeMediaControls(const MediaControlsInput& input);

// The names of the player interface's properties that differ between `before` and `after`
// ("PlaybackStatus", "Metadata", "Volume", "CanPlay", "CanGoNext", "CanGoPrevious"), in that
// order; empty when nothing changed. Never fails.
std::vector<std::string> ChangedMediaControls(const MediaControlsState& before,
                                              const MediaControlsState& after);

// The interface's word for `status`: "Playing", "Paused" or "Stopped".
const char* MediaControlsStatusText(MediaControlsStatus status);

}  // namespace vistrel
