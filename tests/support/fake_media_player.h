#pragma once
// A scripted media player for tests: records every call in order, keeps the address, status and
// media flag the test sets, and raises the status and error events on request.

#include <stdexcept>
#include <string>
#include <vector>

#include "playback/media_player.h"

namespace vistrel {

class FakeMediaPlayer : public MediaPlayer {
 public:
  // Recorded as "SetUrl(url)", with " UA=..., Referer=..., Name: value" added for headers.
  void SetUrl(const std::string& url, const StreamHeaders& headers = {}) override {
    std::string call = "SetUrl(" + url;
    if (!headers.user_agent.empty()) call += " UA=" + headers.user_agent;
    if (!headers.referrer.empty()) call += " Referer=" + headers.referrer;
    for (const auto& [name, value] : headers.fields) call += " " + name + ": " + value;
    calls.push_back(call + ")");
    url_ = url;
    headers_ = headers;
  }
  const StreamHeaders& headers() const { return headers_; }
  std::string Url() const override { return url_; }
  void Play() override { calls.push_back("Play"); }
  // Throws std::runtime_error while `throw_in_stop` is set, as a broken installation would.
  void Stop() override {
    calls.push_back("Stop");
    if (throw_in_stop) throw std::runtime_error("player failed");
  }
  void Pause() override {
    calls.push_back("Pause");
    if (throw_in_stop) throw std::runtime_error("player failed");
  }
  PlayerStatus Status() const override { return status; }
  bool HasCurrentMedia() const override { return has_media; }
  void SetFullScreen(bool full_screen) override {
    calls.push_back(std::string("SetFullScreen(") + (full_screen ? "1" : "0") + ")");
  }
  void SetMuted(bool muted) override {
    calls.push_back(std::string("SetMuted(") + (muted ? "1" : "0") + ")");
  }
  void SetVolume(int volume) override {
    calls.push_back("SetVolume(" + std::to_string(volume) + ")");
  }

  // Sets the status and raises the status event, as the player does when its state changes.
  void RaiseStatus(PlayerState state, int buffering_percent = 0) {
    status = {state, buffering_percent};
    if (on_status_change) on_status_change();
  }
  // Raises the error event for `url`, by default the address set last.
  void RaiseError(const std::string& description) { RaiseError(url_, description); }
  void RaiseError(const std::string& url, const std::string& description) {
    if (on_error) on_error(url, description);
  }
  void RaiseStreamTitle(const std::string& title) {
    if (on_stream_title) on_stream_title(title);
  }

  std::vector<std::string> calls;
  PlayerStatus status;
  bool has_media = false;
  bool throw_in_stop = false;

 private:
  std::string url_;
  StreamHeaders headers_;
};

}  // namespace vistrel
