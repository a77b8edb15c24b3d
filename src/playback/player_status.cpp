#include "playback/player_status.h"

namespace vistrel {

std::string PlayerStatusText(const PlayerStatus& status) {
  switch (status.state) {
    case PlayerState::kStopped:
      return "Stopped";
    case PlayerState::kReady:
      return "Ready";
    case PlayerState::kConnecting:
      return "Connecting...";
    case PlayerState::kBuffering:
      return "Buffering (" + std::to_string(status.buffering_percent) + "%)";
    case PlayerState::kPlaying:
      return "Playing";
    case PlayerState::kPaused:
      return "Paused";
    case PlayerState::kReconnecting:
      return "Reconnecting\xE2\x80\xA6";  // with the ellipsis character
  }
  return "Stopped";
}

}  // namespace vistrel
