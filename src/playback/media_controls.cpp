#include "playback/media_controls.h"

#include <algorithm>
#include <cctype>

namespace vistrel {

namespace {

bool IsWebAddress(const std::string& url) {
  auto starts = [&](const char* scheme) {
    const std::string prefix(scheme);
    if (url.size() <= prefix.size()) return false;
    return std::equal(prefix.begin(), prefix.end(), url.begin(), [](char a, char b) {
      return a == static_cast<char>(std::tolower(static_cast<unsigned char>(b)));
    });
  };
  return starts("http://") || starts("https://");
}

}  // namespace

MediaControlsStatus MediaControlsStatusOf(PlayerState state) {
  if (state == PlayerState::kPaused) return MediaControlsStatus::kPaused;
  if (state == PlayerState::kStopped || state == PlayerState::kReady) {
    return MediaControlsStatus::kStopped;
  }
  return MediaControlsStatus::kPlaying;
}

MediaControlsState DescribeMediaControls(const MediaControlsInput& input) {
  MediaControlsState state;
  state.status = MediaControlsStatusOf(input.player_state);
  state.can_play = input.channel_cued;
  state.can_go_next = input.visible_rows > 0;
  state.can_go_previous = input.visible_rows > 0;
  state.volume = std::clamp(input.volume_box, 0, 100) / 100.0;
  if (input.channel_cued) {
    // The channel's id names the track; an object path has no minus sign.
    const long long id = input.channel_id;
    state.track_id =
        "/org/vistrel/channel/" + (id < 0 ? "m" + std::to_string(-id) : std::to_string(id));
    state.title = input.stream_title.empty() ? input.channel_name : input.stream_title;
    state.artist = input.channel_name;
    state.album = input.genre_name;
    if (IsWebAddress(input.logo_url)) state.art_url = input.logo_url;
  }
  return state;
}

std::vector<std::string> ChangedMediaControls(const MediaControlsState& before,
                                              const MediaControlsState& after) {
  std::vector<std::string> changed;
  if (before.status != after.status) changed.emplace_back("PlaybackStatus");
  if (before.track_id != after.track_id || before.title != after.title ||
      before.artist != after.artist || before.album != after.album ||
      before.art_url != after.art_url) {
    changed.emplace_back("Metadata");
  }
  if (before.volume != after.volume) changed.emplace_back("Volume");
  if (before.can_play != after.can_play) changed.emplace_back("CanPlay");
  if (before.can_go_next != after.can_go_next) changed.emplace_back("CanGoNext");
  if (before.can_go_previous != after.can_go_previous) changed.emplace_back("CanGoPrevious");
  return changed;
}

const char* MediaControlsStatusText(MediaControlsStatus status) {
  switch (status) {
    case MediaControlsStatus::kPlaying:
      return "Playing";
    case MediaControlsStatus::kPaused:
      return "Paused";
    case MediaControlsStatus::kStopped:
      return "Stopped";
  }
  return "Stopped";
}

}  // namespace vistrel
