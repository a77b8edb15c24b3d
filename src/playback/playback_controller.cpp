#include "playback/playback_controller.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "browser/selected_channel.h"
#include "catalogue/stream_address.h"
#include "catalogue/stream_headers.h"
#include "playback/channel_label.h"

namespace vistrel {

namespace {

constexpr int kStartVolume = 30;  // the player starts quieter than the volume box shows
constexpr size_t kCuedAddressesKept = 16;

}  // namespace

PlaybackController::PlaybackController(ProgramState& state, MediaPlayer* player,
                                       PlaybackHooks hooks)
    : state_(state), player_(player), hooks_(std::move(hooks)) {
  if (player_ == nullptr) return;
  player_->SetVolume(kStartVolume);
  player_->on_status_change = [this] { OnStatusChange(); };
  player_->on_error = [this](const std::string& url, const std::string& description) {
    OnError(url, description);
  };
  player_->on_stream_title = [this](const std::string& title) { OnStreamTitle(title); };
}

PlaybackController::~PlaybackController() {
  if (player_ == nullptr) return;
  player_->on_status_change = nullptr;
  player_->on_error = nullptr;
  player_->on_stream_title = nullptr;
}

void PlaybackController::CueChannel(const Channel* channel) {
  const int32_t position =
      channel != nullptr ? ChannelPositionOfRecord(state_.catalogue, *channel) : -1;
  if (position < 0) {
    // No channel, or none of the catalogue: nothing is cued, nothing stays cued from before.
    ClearChannel();
    return;
  }
  cued_position_ = static_cast<std::size_t>(position);
  cued_name_ = channel->name;
  stream_title_.clear();
  view_.channel_label = cued_name_;
  view_.stop_visible = false;
  // A catalogue must not make the player open local files, devices or the player's own
  // protocols: such an address is never handed over, and Play says why.
  // The channel's stored headers go with its address, and those after a "|" in the address
  // over them; the player gets the address alone.
  SplitAddress cued = SplitStreamAddress(channel->url);
  if (IsNetworkStreamAddress(cued.address)) {
    refused_address_.reset();
    StreamHeaders headers;
    const auto stored = state_.catalogue.stream_headers.find(channel->id);
    if (stored != state_.catalogue.stream_headers.end()) headers = stored->second;
    MergeStreamHeaders(headers, cued.headers);
    RememberCued(cued.address, *channel);
    if (player_ != nullptr) player_->SetUrl(cued.address, headers);
  } else {
    refused_address_ = channel->url;
    if (player_ != nullptr) player_->SetUrl("");
  }
  NotifyViewChanged();
}

void PlaybackController::ClearChannel() {
  cued_position_.reset();
  cued_name_.clear();
  stream_title_.clear();
  refused_address_.reset();
  view_.channel_label = "No channel";
  view_.stop_visible = true;
  if (player_ != nullptr) player_->SetUrl("");
  NotifyViewChanged();
}

void PlaybackController::Play() {
  if (player_ == nullptr) return;
  if (refused_address_) {
    // Not the stream's fault: the box only, no broken-stream report.
    NotifyViewChanged();
    if (hooks_.show_error) hooks_.show_error(RefusedStreamAddressMessage(*refused_address_));
    return;
  }
  view_.stop_visible = true;
  player_->Play();
  NotifyViewChanged();
}

void PlaybackController::Stop() {
  if (player_ == nullptr) return;
  try {
    if (!player_->Url().empty()) {
      view_.stop_visible = false;
      // A stream that reconnects has nothing to pause: Stop ends its tries.
      if (state_.catalogue.filter.view == View::kVideo &&
          player_->Status().state != PlayerState::kReconnecting) {
        player_->Pause();
      } else {
        player_->Stop();
      }
    }
  } catch (...) {
    // A player that fails at stopping is taken for a broken installation; the buttons keep
    // what was set before the failure.
    NotifyViewChanged();
    if (hooks_.offer_player_install) hooks_.offer_player_install();
    return;
  }
  NotifyViewChanged();
}

void PlaybackController::PlaySelected(const Channel* selected) {
  CueChannel(selected);
  Play();
}

const Channel* PlaybackController::cued_channel() const {
  if (!cued_position_ || *cued_position_ >= state_.catalogue.channels.size()) return nullptr;
  return &state_.catalogue.channels[*cued_position_];
}

void PlaybackController::EnterFullScreen() {
  if (player_ == nullptr || !player_->HasCurrentMedia()) return;
  const PlayerState state = player_->Status().state;
  if (state == PlayerState::kReady || state == PlayerState::kStopped) return;
  player_->SetFullScreen(true);
}

void PlaybackController::SetMuted(bool muted) {
  if (player_ != nullptr) player_->SetMuted(muted);
}

void PlaybackController::SetVolume(int volume) {
  if (player_ != nullptr) player_->SetVolume(volume);
}

void PlaybackController::OnStatusChange() {
  const PlayerStatus status = player_->Status();
  view_.status_label = PlayerStatusText(status);
  view_.player_state = status.state;
  NotifyViewChanged();
  if (status.state == PlayerState::kPaused || status.state == PlayerState::kStopped) Stop();
  if (status.state == PlayerState::kPlaying) SubmitIfUnsent();
}

void PlaybackController::SubmitIfUnsent() {
  if (!cued_position_ || *cued_position_ >= state_.catalogue.channels.size()) return;
  Channel& channel = state_.catalogue.channels[*cued_position_];
  if (!channel.user_defined || channel.sent) return;
  // Marked as the submission is queued: it goes once, whatever becomes of the request.
  channel.sent = true;
  if (hooks_.submit_user_channel) hooks_.submit_user_channel(channel);
}

void PlaybackController::RememberCued(const std::string& url, const Channel& channel) {
  std::erase_if(cued_, [&](const CuedAddress& cued) { return cued.url == url; });
  if (cued_.size() >= kCuedAddressesKept) cued_.erase(cued_.begin());
  cued_.push_back(CuedAddress{url, channel.id, !IsPlaylistChannel(channel)});
}

void PlaybackController::OnError(const std::string& url, const std::string& description) {
  // The failed channel is fixed now: the box runs its own event loop, and the user may have
  // gone on to another channel before the failure was told.
  std::optional<int32_t> failed_id;
  for (const CuedAddress& cued : cued_) {
    if (cued.url == url)
      failed_id = cued.reportable ? std::optional(cued.channel_id) : std::nullopt;
  }
  if (hooks_.show_error) hooks_.show_error(description);
  if (failed_id && hooks_.report_broken_channel) hooks_.report_broken_channel(*failed_id);
}

void PlaybackController::OnStreamTitle(const std::string& title) {
  if (!cued_position_) return;
  std::string cleaned = CleanStreamTitle(title);
  if (cleaned == stream_title_) return;  // the same title again: no flicker
  stream_title_ = std::move(cleaned);
  view_.channel_label = ChannelLabelText(cued_name_, stream_title_);
  NotifyViewChanged();
}

void PlaybackController::NotifyViewChanged() {
  if (hooks_.view_changed) hooks_.view_changed();
}

}  // namespace vistrel
