#pragma once
// The player's state, as the stream tracker works it out and the player reports it, and the
// status line's text made from it (the one place those texts are written).

#include <string>

namespace vistrel {

// kReconnecting: a live stream dropped after it played and is being opened again.
enum class PlayerState {
  kStopped,
  kReady,
  kConnecting,
  kBuffering,
  kPlaying,
  kPaused,
  kReconnecting
};

struct PlayerStatus {
  PlayerState state = PlayerState::kStopped;
  int buffering_percent = 0;  // kBuffering only
  bool operator==(const PlayerStatus&) const = default;
};

// "Stopped", "Ready" (loaded, not started), "Connecting...", "Buffering (N%)", "Playing",
// "Paused" or "Reconnecting…" (one ellipsis character, UTF-8). Never fails.
std::string PlayerStatusText(const PlayerStatus& status);

}  // namespace vistrel
