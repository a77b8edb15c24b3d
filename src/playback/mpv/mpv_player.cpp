#include "playback/mpv/mpv_player.h"

#include <mpv/client.h>

#include <QGuiApplication>
#include <QMetaObject>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "common/error.h"
#include "playback/mpv/mpv_video_widget.h"
#include "playback/mpv/video_surface.h"

namespace vistrel {

namespace {

StreamEnd EndReason(int reason) {
  switch (reason) {
    case MPV_END_FILE_REASON_EOF:
      return StreamEnd::kEndOfStream;
    case MPV_END_FILE_REASON_STOP:
      return StreamEnd::kStopped;
    case MPV_END_FILE_REASON_ERROR:
      return StreamEnd::kFailed;
    case MPV_END_FILE_REASON_REDIRECT:
      return StreamEnd::kRedirected;
    default:
      return StreamEnd::kOther;
  }
}

// The playlist entry a load command's reply names, -1 when it names none.
int64_t ReplyEntry(const mpv_node& result) {
  if (result.format != MPV_FORMAT_NODE_MAP || result.u.list == nullptr) return -1;
  const mpv_node_list* map = result.u.list;
  for (int i = 0; i < map->num; ++i) {
    if (std::strcmp(map->keys[i], "playlist_entry_id") == 0 &&
        map->values[i].format == MPV_FORMAT_INT64) {
      return map->values[i].u.int64;
    }
  }
  return -1;
}

// The entries of the engine's playlist: their ids and addresses, for naming a failed entry.
void TellPlaylist(const mpv_node& playlist, StreamTracker& tracker) {
  if (playlist.format != MPV_FORMAT_NODE_ARRAY || playlist.u.list == nullptr) return;
  const mpv_node_list* entries = playlist.u.list;
  for (int i = 0; i < entries->num; ++i) {
    const mpv_node& entry = entries->values[i];
    if (entry.format != MPV_FORMAT_NODE_MAP || entry.u.list == nullptr) continue;
    int64_t id = -1;
    const char* address = nullptr;
    const mpv_node_list* fields = entry.u.list;
    for (int k = 0; k < fields->num; ++k) {
      const mpv_node& value = fields->values[k];
      if (std::strcmp(fields->keys[k], "id") == 0 && value.format == MPV_FORMAT_INT64) {
        id = value.u.int64;
      } else if (std::strcmp(fields->keys[k], "filename") == 0 &&
                 value.format == MPV_FORMAT_STRING) {
        address = value.u.string;
      }
    }
    if (id != -1 && address != nullptr) tracker.OnPlaylistEntry(id, address);
  }
}

mpv_node StringNode(const char* text) {
  mpv_node node{};
  node.format = MPV_FORMAT_STRING;
  node.u.string = const_cast<char*>(text);
  return node;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> StreamLoadOptions(const StreamHeaders& headers) {
  std::vector<std::pair<std::string, std::string>> options;
  if (!headers.user_agent.empty()) options.emplace_back("user-agent", headers.user_agent);
  if (!headers.referrer.empty()) options.emplace_back("referrer", headers.referrer);
  std::string fields;
  for (const auto& [name, value] : headers.fields) {
    if (!fields.empty()) fields += ',';
    // The engine reads the list's text with "," between entries and "\," for a comma in one.
    for (const char c : name + ": " + value) {
      if (c == ',') fields += '\\';
      fields += c;
    }
  }
  if (!fields.empty()) options.emplace_back("http-header-fields", fields);
  return options;
}

MpvPlayer::MpvPlayer(QWidget* video_parent, MpvPlayerOptions options)
    : options_(options), tracker_(options.reconnect) {
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) options_.null_output = true;
  const Result<mpv_handle*> engine = CreateMpvEngine(
      MpvEngineOptions{.null_output = options_.null_output,
                       .null_audio = options_.null_audio,
                       .network_timeout_seconds = options_.network_timeout_seconds});
  if (!engine.ok()) throw Error(engine.error);
  mpv_ = *engine.value;
  context_ = new QObject();

  surface_ = new VideoSurface(video_parent);
  if (options_.null_output) {
    surface_->SetContent(new QWidget());
  } else {
    video_ = new MpvVideoWidget(mpv_, nullptr);
    surface_->SetContent(video_);
  }

  mpv_request_log_messages(mpv_, "warn");  // the causes of failures appear only there
  mpv_observe_property(mpv_, 0, "paused-for-cache", MPV_FORMAT_FLAG);
  mpv_observe_property(mpv_, 0, "cache-buffering-state", MPV_FORMAT_INT64);
  // A radio's current song: the stream's ICY title, when it sends one.
  mpv_observe_property(mpv_, 0, "metadata/by-key/icy-title", MPV_FORMAT_STRING);
  mpv_observe_property(mpv_, 0, "playlist", MPV_FORMAT_NODE);
  // A seekable file that reached its length is finished; a live stream is not seekable. The
  // position in whole seconds changes once a second.
  mpv_observe_property(mpv_, 0, "seekable", MPV_FORMAT_FLAG);
  mpv_observe_property(mpv_, 0, "duration", MPV_FORMAT_DOUBLE);
  mpv_observe_property(mpv_, 0, "time-pos", MPV_FORMAT_INT64);
  mpv_set_wakeup_callback(mpv_, &MpvPlayer::OnWakeup, this);
}

MpvPlayer::~MpvPlayer() {
  // No callback runs once these return; queued calls go with their target.
  mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
  delete context_;
  if (video_ != nullptr) video_->ReleaseEngine();  // the render context goes before the engine
  mpv_terminate_destroy(mpv_);
  delete surface_.data();
}

QWidget* MpvPlayer::video_widget() const {
  return surface_.data();
}

bool MpvPlayer::IsFullScreen() const {
  return surface_ != nullptr && surface_->IsFullScreen();
}

void MpvPlayer::OnWakeup(void* self) {
  // Called on one of the engine's threads: hand over to the GUI thread, once per batch.
  auto* player = static_cast<MpvPlayer*>(self);
  if (player->drain_posted_.exchange(true)) return;
  QMetaObject::invokeMethod(
      player->context_, [player] { player->DrainEvents(); }, Qt::QueuedConnection);
}

void MpvPlayer::DrainEvents() {
  drain_posted_ = false;
  for (;;) {
    const mpv_event* event = mpv_wait_event(mpv_, 0);
    if (event->event_id == MPV_EVENT_NONE) break;
    HandleEvent(*event);
  }
  ScheduleFailureReport();
  ScheduleRetry();
  Announce();
}

void MpvPlayer::HandleEvent(const mpv_event& event) {
  switch (event.event_id) {
    case MPV_EVENT_COMMAND_REPLY: {
      if (event.reply_userdata == 0) break;  // only loads are tagged
      if (event.error < 0) {
        tracker_.OnLoadRefused(event.reply_userdata, mpv_error_string(event.error));
      } else {
        const auto* reply = static_cast<const mpv_event_command*>(event.data);
        tracker_.OnLoadAccepted(event.reply_userdata, ReplyEntry(reply->result));
      }
      break;
    }
    case MPV_EVENT_START_FILE:
      tracker_.OnStartFile(static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id);
      break;
    case MPV_EVENT_FILE_LOADED:
      tracker_.OnFileLoaded();
      break;
    case MPV_EVENT_PLAYBACK_RESTART:
      tracker_.OnPlaybackRestart();
      break;
    case MPV_EVENT_END_FILE: {
      const auto* end = static_cast<const mpv_event_end_file*>(event.data);
      tracker_.OnEndFile(
          end->playlist_entry_id, EndReason(end->reason), end->playlist_insert_id,
          end->reason == MPV_END_FILE_REASON_ERROR ? mpv_error_string(end->error) : "",
          end->playlist_insert_num_entries);
      break;
    }
    case MPV_EVENT_LOG_MESSAGE: {
      const auto* log = static_cast<const mpv_event_log_message*>(event.data);
      tracker_.OnLog(log->level, log->prefix, log->text);
      break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
      const auto* property = static_cast<const mpv_event_property*>(event.data);
      if (std::strcmp(property->name, "paused-for-cache") == 0) {
        tracker_.OnPausedForCache(property->format == MPV_FORMAT_FLAG &&
                                  *static_cast<const int*>(property->data) != 0);
      } else if (std::strcmp(property->name, "playlist") == 0) {
        if (property->format == MPV_FORMAT_NODE) {
          TellPlaylist(*static_cast<const mpv_node*>(property->data), tracker_);
        }
      } else if (std::strcmp(property->name, "seekable") == 0) {
        tracker_.OnSeekable(property->format == MPV_FORMAT_FLAG &&
                            *static_cast<const int*>(property->data) != 0);
      } else if (std::strcmp(property->name, "duration") == 0) {
        tracker_.OnDuration(property->format == MPV_FORMAT_DOUBLE
                                ? *static_cast<const double*>(property->data)
                                : -1);
      } else if (std::strcmp(property->name, "time-pos") == 0) {
        tracker_.OnPosition(property->format == MPV_FORMAT_INT64
                                ? static_cast<double>(*static_cast<const int64_t*>(property->data))
                                : -1);
      } else if (std::strcmp(property->name, "cache-buffering-state") == 0) {
        tracker_.OnBufferingPercent(
            property->format == MPV_FORMAT_INT64
                ? static_cast<int>(*static_cast<const int64_t*>(property->data))
                : 0);
      } else if (std::strcmp(property->name, "metadata/by-key/icy-title") == 0) {
        const char* const* text = property->format == MPV_FORMAT_STRING
                                      ? static_cast<const char* const*>(property->data)
                                      : nullptr;
        OnStreamTitle(text != nullptr && *text != nullptr ? *text : "");
      }
      break;
    }
    default:
      break;
  }
}

void MpvPlayer::ScheduleAnnounce() {
  // The status event never fires inside a call of the player's user.
  if (announce_pending_) return;
  announce_pending_ = true;
  QMetaObject::invokeMethod(
      context_,
      [this] {
        announce_pending_ = false;
        Announce();
      },
      Qt::QueuedConnection);
}

void MpvPlayer::Announce() {
  const PlayerStatus status = tracker_.Status();
  if (status == announced_status_) return;
  announced_status_ = status;
  // While the stream reconnects the last picture stays: the engine has dropped its frames.
  if (video_ != nullptr) video_->SetKeepPicture(status.state == PlayerState::kReconnecting);
  if (on_status_change) on_status_change();
}

void MpvPlayer::ScheduleFailureReport() {
  for (const uint64_t serial : tracker_.failure_serials()) {
    if (serial <= failure_scheduled_) continue;
    failure_scheduled_ = serial;
    // The engine's log lines naming the cause may come a little after the end of the stream.
    // The failure is told even when another address was cued or played meanwhile.
    QTimer::singleShot(options_.failure_delay_ms, context_, [this, serial] {
      const std::string url = tracker_.FailureUrl(serial);
      std::optional<std::string> description = tracker_.TakeFailure(serial);
      if (!description) return;
      Announce();
      if (on_error) on_error(url, *description);
    });
  }
}

void MpvPlayer::ScheduleRetry() {
  const std::optional<RetryPlan> plan = tracker_.PendingRetry();
  if (!plan || plan->id <= retry_scheduled_) return;
  retry_scheduled_ = plan->id;
  // Stop, another address or the player's end make the tracker refuse the try.
  QTimer::singleShot(plan->delay, context_, [this, id = plan->id] {
    if (tracker_.Retry(id) == PlayAction::kLoad) LoadCued();
    Announce();
  });
}

void MpvPlayer::OnStreamTitle(std::string title) {
  if (!titles_wanted_ || title == stream_title_) return;
  stream_title_ = std::move(title);
  if (on_stream_title) on_stream_title(stream_title_);
}

void MpvPlayer::Command(const char* const* args, uint64_t tag) {
  mpv_command_async(mpv_, tag, const_cast<const char**>(args));
}

void MpvPlayer::SetFlag(const char* name, bool value) {
  int flag = value ? 1 : 0;
  mpv_set_property_async(mpv_, 0, name, MPV_FORMAT_FLAG, &flag);
}

void MpvPlayer::StopEngine() {
  const char* args[] = {"stop", nullptr};
  Command(args, 0);
  engine_loaded_ = false;
}

void MpvPlayer::SetUrl(const std::string& url, const StreamHeaders& headers) {
  headers_ = url.empty() ? StreamHeaders{} : headers;
  titles_wanted_ = false;
  stream_title_.clear();
  // Whatever the engine may still play goes, even what the tracker no longer follows.
  if (tracker_.Cue(url) || engine_loaded_) StopEngine();
  ScheduleAnnounce();
}

void MpvPlayer::LoadCued() {
  titles_wanted_ = true;
  SetFlag("pause", false);  // requests run in order: the load starts unpaused
  const std::string url = tracker_.url();
  const std::vector<std::pair<std::string, std::string>> options = StreamLoadOptions(headers_);
  std::vector<const char*> option_names;
  std::vector<mpv_node> option_values;
  for (const auto& [name, value] : options) {
    option_names.push_back(name.c_str());
    option_values.push_back(StringNode(value.c_str()));
  }
  mpv_node_list option_map{};
  option_map.num = static_cast<int>(options.size());
  option_map.keys = const_cast<char**>(option_names.data());
  option_map.values = option_values.data();
  const char* names[] = {"name", "url", "flags", "options"};
  mpv_node values[] = {StringNode("loadfile"), StringNode(url.c_str()), StringNode("replace"),
                       mpv_node{}};
  values[3].format = MPV_FORMAT_NODE_MAP;
  values[3].u.list = &option_map;
  mpv_node_list arguments{};
  arguments.num = static_cast<int>(std::size(names));
  arguments.keys = const_cast<char**>(names);
  arguments.values = values;
  mpv_node command{};
  command.format = MPV_FORMAT_NODE_MAP;
  command.u.list = &arguments;
  // The engine copies the command before this returns.
  mpv_command_node_async(mpv_, tracker_.load_serial(), &command);
  engine_loaded_ = true;
}

void MpvPlayer::Play() {
  switch (tracker_.Play()) {
    case PlayAction::kLoad:
      LoadCued();
      break;
    case PlayAction::kResume:
      SetFlag("pause", false);
      break;
    case PlayAction::kNothing:
      break;
  }
  ScheduleAnnounce();
}

void MpvPlayer::Stop() {
  if (tracker_.Stop() || engine_loaded_) StopEngine();
  ScheduleAnnounce();
}

void MpvPlayer::Pause() {
  if (tracker_.Pause()) SetFlag("pause", true);
  ScheduleAnnounce();
}

void MpvPlayer::SetFullScreen(bool full_screen) {
  if (surface_ != nullptr) surface_->SetFullScreen(full_screen);
}

void MpvPlayer::SetMuted(bool muted) {
  SetFlag("mute", muted);
}

void MpvPlayer::SetVolume(int volume) {
  double value = std::clamp(volume, 0, 100);
  mpv_set_property_async(mpv_, 0, "volume", MPV_FORMAT_DOUBLE, &value);
}

}  // namespace vistrel
