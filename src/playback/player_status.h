#pragma once
// The player's state, as the stream tracker works it out and the player reports it, and the
// status line's text made from it (the one place those texts are written).

#include <string>

namespace vistrel {

enum class PlayerState { kStopped, kReady, kConnecting, kBuffering, kPlaying, kPaused };

struct PlayerStatus {
  PlayerState state = PlayerState::kStopped;
  int buffering_percent = 0;  // kBuffering only
  bool operator==(const PlayerStatus&) const = default;
};

// "Stopped", "Ready" (loaded, not started), "Connecting...", "Buffering (N%)", "Playing" or
// "Paused". Never fails.
std::string PlayerStatusText(const PlayerStatus& status);

}  // namespace vistrel
