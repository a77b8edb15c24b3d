#include "playback/playback_controller.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "catalogue/stream_address.h"
#include "support/fake_media_player.h"

namespace vistrel {
namespace {

using Calls = std::vector<std::string>;

Channel MakeChannel(int32_t id, std::string name, std::string url, uint16_t usdef = 0,
                    int32_t sent = 0) {
  Channel c;
  c.id = id;
  c.name = std::move(name);
  c.url = std::move(url);
  c.user_defined = usdef;
  c.sent = sent;
  return c;
}

// Three channels listed in reverse order; the hooks record what the window and service were
// asked to do.
class PlaybackControllerTest : public ::testing::Test {
 protected:
  PlaybackControllerTest() : state_("", SettingsStore("")) {
    auto& channels = state_.catalogue.channels;
    channels.push_back(MakeChannel(1, "Radio One", "http://127.0.0.1:1/one"));
    channels.push_back(MakeChannel(100001, "My Stream", "http://127.0.0.1:1/mine", 1, 0));
    channels.push_back(MakeChannel(100002, "Sent Stream", "http://127.0.0.1:1/sent", 1, 1));
    state_.visible_rows.positions = {2, 1, 0};
    state_.visible_rows.count = 3;
    state_.catalogue.filter.view = View::kRadio;
  }

  PlaybackHooks RecordingHooks() {
    return PlaybackHooks{
        .submit_user_channel = [this](const Channel& channel) { Record("submit", RowOf(channel)); },
        .report_broken_channel = [this](int32_t id) { events_.push_back("report:" + NameOf(id)); },
        .show_error = [this](const std::string& text) { events_.push_back("box:" + text); },
        .offer_player_install = [this] { events_.push_back("offer install"); },
        .view_changed = [this] { ++repaints_; },
    };
  }
  std::string NameOf(int32_t id) const {
    for (const Channel& c : state_.catalogue.channels) {
      if (c.id == id) return c.name;
    }
    return "unknown id " + std::to_string(id);
  }
  // The channel that list row `row` shows, null for a row the list does not have: what the
  // window hands over for the selected row.
  const Channel* Row(int32_t row) const {
    return state_.visible_rows.ChannelAt(state_.catalogue, row);
  }
  // The list row that shows `channel`, -1 for none.
  int32_t RowOf(const Channel& channel) const {
    for (int32_t row = 0; row < state_.visible_rows.count; ++row) {
      if (Row(row) == &channel) return row;
    }
    return -1;
  }
  void Record(const char* what, int32_t row) {
    events_.push_back(std::string(what) + ":" + std::to_string(row));
  }

  // Rows: 0 "Sent Stream" (user, sent), 1 "My Stream" (user, not sent), 2 "Radio One".
  static constexpr int32_t kSentRow = 0;
  static constexpr int32_t kUnsentRow = 1;
  static constexpr int32_t kCatalogueRow = 2;

  ProgramState state_;
  FakeMediaPlayer player_;
  std::vector<std::string> events_;
  int repaints_ = 0;
};

TEST_F(PlaybackControllerTest, StartsWithNoChannelAndThePlayerAtThirty) {
  PlaybackController controller(state_, &player_, RecordingHooks());
  EXPECT_EQ(controller.view().channel_label, "No channel");
  EXPECT_EQ(controller.view().status_label, "Stopped");
  EXPECT_TRUE(controller.view().stop_visible);
  EXPECT_EQ(controller.cued_channel(), nullptr);
  EXPECT_EQ(player_.calls, (Calls{"SetVolume(30)"}));
}

TEST_F(PlaybackControllerTest, CueShowsTheNameAndPlayAndLoadsWithoutPlaying) {
  PlaybackController controller(state_, &player_, RecordingHooks());
  player_.calls.clear();
  controller.CueChannel(Row(kCatalogueRow));
  EXPECT_EQ(controller.view().channel_label, "Radio One");
  EXPECT_FALSE(controller.view().stop_visible);
  EXPECT_EQ(controller.cued_channel(), Row(kCatalogueRow));
  EXPECT_EQ(player_.calls, (Calls{"SetUrl(http://127.0.0.1:1/one)"}));
  EXPECT_GT(repaints_, 0);

  controller.Play();
  EXPECT_TRUE(controller.view().stop_visible);
  EXPECT_EQ(player_.calls.back(), "Play");
}

// A channel's stored headers go with its address, those after a "|" in it over them, and the
// address alone; the next channel goes without any.
TEST_F(PlaybackControllerTest, AChannelsHeadersGoWithItsAddressOnly) {
  state_.catalogue.channels[1].url = "http://127.0.0.1:1/mine|Referer=http%3A%2F%2F127.0.0.1%2F";
  state_.catalogue.stream_headers[100001] = StreamHeaders{"Agent (a, b)", "old", {{"Origin", "o"}}};
  state_.catalogue.stream_headers[100002] = StreamHeaders{"Sent", "", {}};
  PlaybackController controller(state_, &player_, RecordingHooks());
  player_.calls.clear();
  controller.CueChannel(Row(kUnsentRow));
  controller.CueChannel(Row(kCatalogueRow));
  controller.CueChannel(Row(kSentRow));
  EXPECT_EQ(player_.calls,
            (Calls{"SetUrl(http://127.0.0.1:1/mine UA=Agent (a, b) Referer=http://127.0.0.1/ "
                   "Origin: o)",
                   "SetUrl(http://127.0.0.1:1/one)", "SetUrl(http://127.0.0.1:1/sent UA=Sent)"}));
}

TEST_F(PlaybackControllerTest, ARowOutsideTheListClears) {
  PlaybackController controller(state_, &player_, RecordingHooks());
  controller.CueChannel(Row(kCatalogueRow));
  controller.CueChannel(Row(3));
  EXPECT_EQ(controller.view().channel_label, "No channel");
  EXPECT_EQ(controller.cued_channel(), nullptr);
  EXPECT_EQ(player_.Url(), "");

  // A copy of a record is no channel of the catalogue: it clears too.
  const Channel copy = *Row(kCatalogueRow);
  controller.CueChannel(Row(kCatalogueRow));
  controller.CueChannel(&copy);
  EXPECT_EQ(controller.cued_channel(), nullptr);
  EXPECT_EQ(player_.Url(), "");
}

TEST_F(PlaybackControllerTest, OnlyNetworkStreamAddressesReachThePlayer) {
  struct Case {
    const char* url;
    bool plays;
  };
  for (const Case& c : {Case{"HTTP://127.0.0.1:1/live", true}, Case{"rtsp://127.0.0.1/s", true},
                        Case{"file:///etc/passwd", false}, Case{"/tmp/video.mp4", false},
                        Case{"av://v4l2:/dev/video0", false}, Case{"lavfi://sine", false},
                        Case{"edl://%3%abc", false}, Case{"memory://text", false}}) {
    state_.catalogue.channels[0].url = c.url;  // Radio One
    events_.clear();
    FakeMediaPlayer player;
    PlaybackController controller(state_, &player, RecordingHooks());
    controller.CueChannel(Row(kSentRow));  // a playable address cued before
    player.calls.clear();
    controller.PlaySelected(Row(kCatalogueRow));
    EXPECT_EQ(controller.view().channel_label, "Radio One");
    if (c.plays) {
      EXPECT_EQ(player.calls, (Calls{std::string("SetUrl(") + c.url + ")", "Play"})) << c.url;
      EXPECT_TRUE(events_.empty()) << c.url;
      continue;
    }
    // What played before stops, the address never reaches the player, and the box says why;
    // no broken-stream report: the stream itself is not at fault.
    EXPECT_EQ(player.calls, (Calls{"SetUrl()"})) << c.url;
    EXPECT_EQ(events_, (Calls{"box:" + RefusedStreamAddressMessage(c.url)})) << c.url;
    EXPECT_FALSE(controller.view().stop_visible) << c.url;
    controller.Play();
    EXPECT_EQ(player.calls, (Calls{"SetUrl()"})) << c.url;
    EXPECT_EQ(events_.size(), 2u) << c.url;  // a box again, never a report
  }
}

TEST_F(PlaybackControllerTest, ClearWhilePlayingEndsPlayback) {
  PlaybackController controller(state_, &player_, RecordingHooks());
  controller.PlaySelected(Row(kCatalogueRow));
  player_.RaiseStatus(PlayerState::kPlaying);
  controller.ClearChannel();  // as every view rebuild (sorting, view switch) does
  EXPECT_EQ(controller.view().channel_label, "No channel");
  EXPECT_TRUE(controller.view().stop_visible);
  EXPECT_EQ(player_.calls.back(), "SetUrl()");
  EXPECT_EQ(controller.cued_channel(), nullptr);
}

TEST_F(PlaybackControllerTest, AStreamsTitleJoinsTheLabelUntilTheChannelChanges) {
  PlaybackController controller(state_, &player_, RecordingHooks());
  controller.PlaySelected(Row(kCatalogueRow));
  player_.RaiseStreamTitle("Bach\n- Toccata");
  EXPECT_EQ(controller.view().channel_label, "Radio One \u2014 Bach - Toccata");
  EXPECT_EQ(controller.stream_title(), "Bach - Toccata");
  const int repaints = repaints_;
  player_.RaiseStreamTitle("Bach\n- Toccata");
  EXPECT_EQ(repaints_, repaints) << "the same title again repaints nothing";

  controller.CueChannel(Row(kUnsentRow));
  EXPECT_EQ(controller.view().channel_label, "My Stream");
  EXPECT_EQ(controller.stream_title(), "");
  controller.ClearChannel();
  player_.RaiseStreamTitle("Late");
  EXPECT_EQ(controller.view().channel_label, "No channel");
}

TEST_F(PlaybackControllerTest, DoubleClickWithoutARowShowsNoChannelAndStopDoesNothing) {
  PlaybackController controller(state_, &player_, RecordingHooks());
  controller.CueChannel(Row(kCatalogueRow));
  player_.calls.clear();
  controller.PlaySelected(nullptr);
  EXPECT_EQ(controller.view().channel_label, "No channel");
  EXPECT_TRUE(controller.view().stop_visible);
  EXPECT_EQ(player_.Url(), "");
  EXPECT_EQ(player_.calls, (Calls{"SetUrl()", "Play"}));

  player_.calls.clear();
  controller.Stop();
  EXPECT_TRUE(controller.view().stop_visible);
  EXPECT_TRUE(player_.calls.empty());
}

TEST_F(PlaybackControllerTest, DoubleClickOnARowCuesAndPlays) {
  PlaybackController controller(state_, &player_, RecordingHooks());
  player_.calls.clear();
  controller.PlaySelected(Row(kCatalogueRow));
  EXPECT_EQ(controller.view().channel_label, "Radio One");
  EXPECT_TRUE(controller.view().stop_visible);
  EXPECT_EQ(player_.calls, (Calls{"SetUrl(http://127.0.0.1:1/one)", "Play"}));
}

TEST_F(PlaybackControllerTest, StopPausesOnlyInTheVideoView) {
  struct Case {
    int32_t group_id;
    const char* call;
    bool reconnecting = false;  // a dropped stream has nothing to pause: its tries end
  };
  for (const Case& c : {Case{0, "Stop"}, Case{1, "Stop"}, Case{2, "Stop"}, Case{3, "Pause"},
                        Case{3, "Stop", true}, Case{0, "Stop", true}}) {
    state_.catalogue.filter.view = static_cast<View>(c.group_id);
    FakeMediaPlayer player;
    PlaybackController controller(state_, &player, RecordingHooks());
    controller.PlaySelected(Row(kCatalogueRow));
    if (c.reconnecting) player.RaiseStatus(PlayerState::kReconnecting);
    player.calls.clear();
    repaints_ = 0;
    controller.Stop();
    EXPECT_EQ(player.calls, (Calls{c.call})) << "view " << c.group_id;
    EXPECT_FALSE(controller.view().stop_visible) << "view " << c.group_id;
    EXPECT_GT(repaints_, 0);
  }
}

TEST_F(PlaybackControllerTest, AFailingPlayerInStopOffersTheInstallation) {
  PlaybackController controller(state_, &player_, RecordingHooks());
  controller.PlaySelected(Row(kCatalogueRow));
  player_.throw_in_stop = true;
  repaints_ = 0;
  EXPECT_NO_THROW(controller.Stop());
  EXPECT_EQ(events_, (Calls{"offer install"}));
  EXPECT_FALSE(controller.view().stop_visible);  // set before the player failed
  EXPECT_GT(repaints_, 0);
}

TEST_F(PlaybackControllerTest, StatusIsShownAsItsTextAndOnlyStopAndPauseStop) {
  struct Case {
    PlayerStatus status;
    const char* text;
    bool runs_stop;
  };
  for (const Case& c :
       {Case{{PlayerState::kPaused}, "Paused", true},
        Case{{PlayerState::kStopped}, "Stopped", true}, Case{{PlayerState::kReady}, "Ready", false},
        Case{{PlayerState::kConnecting}, "Connecting...", false},
        Case{{PlayerState::kBuffering, 40}, "Buffering (40%)", false},
        Case{{PlayerState::kPlaying}, "Playing", false},
        Case{{PlayerState::kReconnecting}, "Reconnecting\xE2\x80\xA6", false}}) {
    FakeMediaPlayer player;
    PlaybackController controller(state_, &player, RecordingHooks());
    controller.PlaySelected(Row(kCatalogueRow));
    player.calls.clear();
    player.RaiseStatus(c.status.state, c.status.buffering_percent);
    EXPECT_EQ(controller.view().status_label, c.text);
    EXPECT_EQ(controller.view().player_state, c.status.state) << c.text;
    EXPECT_EQ(!player.calls.empty(), c.runs_stop) << c.text;
    EXPECT_EQ(controller.view().stop_visible, !c.runs_stop) << c.text;
  }
}

TEST_F(PlaybackControllerTest, StopStatusWithNothingCuedChangesNothing) {
  PlaybackController controller(state_, &player_, RecordingHooks());
  player_.calls.clear();
  player_.RaiseStatus(PlayerState::kStopped);
  EXPECT_TRUE(controller.view().stop_visible);
  EXPECT_TRUE(player_.calls.empty());
}

TEST_F(PlaybackControllerTest, SubmitsAnUnsentUserChannelWhenItPlays) {
  struct Case {
    int32_t row;
    PlayerState state;
    bool submits;
  };
  for (const Case& c : {
           Case{kUnsentRow, PlayerState::kPlaying, true},
           Case{kUnsentRow, PlayerState::kConnecting, false},
           Case{kUnsentRow, PlayerState::kBuffering, false},
           Case{kUnsentRow, PlayerState::kReady, false},
           Case{kSentRow, PlayerState::kPlaying, false},
           Case{kCatalogueRow, PlayerState::kPlaying, false},
       }) {
    auto& channels = state_.catalogue.channels;
    channels[1].sent = 0;
    events_.clear();
    FakeMediaPlayer player;
    PlaybackController controller(state_, &player, RecordingHooks());
    controller.PlaySelected(Row(c.row));
    player.RaiseStatus(c.state);
    const std::string text = PlayerStatusText({c.state});
    EXPECT_EQ(events_, c.submits ? Calls{"submit:" + std::to_string(c.row)} : Calls{})
        << c.row << " " << text;
    EXPECT_EQ(channels[1].sent, c.submits ? 1 : 0) << c.row << " " << text;
  }
}

TEST_F(PlaybackControllerTest, AUserChannelPlayingTwiceIsSubmittedOnce) {
  PlaybackController controller(state_, &player_, RecordingHooks());
  controller.PlaySelected(Row(kUnsentRow));
  player_.RaiseStatus(PlayerState::kPlaying);
  controller.Stop();
  player_.RaiseStatus(PlayerState::kStopped);
  controller.Play();
  player_.RaiseStatus(PlayerState::kPlaying);
  EXPECT_EQ(events_, (Calls{"submit:1"}));
  EXPECT_EQ(state_.catalogue.channels[1].sent, 1);
}

TEST_F(PlaybackControllerTest, ANestedPlayingStatusDuringTheSubmissionDoesNotSubmitAgain) {
  int submissions = 0;
  PlaybackHooks hooks = RecordingHooks();
  hooks.submit_user_channel = [&](const Channel&) {
    ++submissions;
    player_.RaiseStatus(PlayerState::kPlaying);  // the request lets the window process events
    player_.RaiseStatus(PlayerState::kBuffering, 50);
  };
  PlaybackController controller(state_, &player_, std::move(hooks));
  controller.PlaySelected(Row(kUnsentRow));
  player_.RaiseStatus(PlayerState::kPlaying);
  EXPECT_EQ(submissions, 1);
  EXPECT_EQ(state_.catalogue.channels[1].sent, 1);
  EXPECT_EQ(controller.view().status_label, "Buffering (50%)");
}

TEST_F(PlaybackControllerTest, AnotherUserChannelPlayingDuringASubmissionIsSubmittedToo) {
  auto& channels = state_.catalogue.channels;
  channels.push_back(MakeChannel(100003, "Other Stream", "http://127.0.0.1:1/other", 1, 0));
  state_.visible_rows.positions = {2, 1, 0, 3};
  state_.visible_rows.count = 4;
  constexpr int32_t kOtherRow = 3;
  PlaybackController* self = nullptr;
  PlaybackHooks hooks = RecordingHooks();
  hooks.submit_user_channel = [&](const Channel& channel) {
    const int32_t row = RowOf(channel);
    Record("submit", row);
    if (row != kUnsentRow) return;
    // The request lets the window process events: the user plays another own channel.
    self->PlaySelected(Row(kOtherRow));
    player_.RaiseStatus(PlayerState::kPlaying);
    self->PlaySelected(Row(kUnsentRow));
    player_.RaiseStatus(
        PlayerState::kPlaying);  // the first one again: its submission is on its way
  };
  PlaybackController controller(state_, &player_, std::move(hooks));
  self = &controller;
  controller.PlaySelected(Row(kUnsentRow));
  player_.RaiseStatus(PlayerState::kPlaying);
  EXPECT_EQ(events_, (Calls{"submit:1", "submit:3"}));
  EXPECT_EQ(channels[1].sent, 1);
  EXPECT_EQ(channels[3].sent, 1);
}

TEST_F(PlaybackControllerTest, TheSubmittedChannelIsMarkedEvenWhenTheSelectionMoves) {
  PlaybackController* self = nullptr;
  PlaybackHooks hooks = RecordingHooks();
  hooks.submit_user_channel = [&](const Channel& channel) {
    const int32_t row = RowOf(channel);
    Record("submit", row);
    self->CueChannel(Row(kSentRow));  // the user selects another row meanwhile
  };
  PlaybackController controller(state_, &player_, std::move(hooks));
  self = &controller;
  controller.PlaySelected(Row(kUnsentRow));
  player_.RaiseStatus(PlayerState::kPlaying);
  EXPECT_EQ(events_, (Calls{"submit:1"}));
  EXPECT_EQ(state_.catalogue.channels[1].sent, 1);
  EXPECT_EQ(controller.cued_channel(), Row(kSentRow));
}

TEST_F(PlaybackControllerTest, TheSubmittedChannelIsFoundAgainWhenTheChannelsMove) {
  PlaybackHooks hooks = RecordingHooks();
  hooks.submit_user_channel = [&](const Channel&) {
    auto& channels = state_.catalogue.channels;  // a channel removed meanwhile
    channels.erase(channels.begin());
    state_.visible_rows.positions = {1, 0};
    state_.visible_rows.count = 2;
  };
  PlaybackController controller(state_, &player_, std::move(hooks));
  controller.PlaySelected(Row(kUnsentRow));
  player_.RaiseStatus(PlayerState::kPlaying);
  const auto& channels = state_.catalogue.channels;
  ASSERT_EQ(channels.size(), 2u);
  EXPECT_EQ(channels[0].name, "My Stream");
  EXPECT_EQ(channels[0].sent, 1);
  EXPECT_EQ(channels[1].sent, 1);  // was sent before
}

TEST_F(PlaybackControllerTest, ErrorShowsTheBoxAndReportsOnlyWithACuedChannel) {
  PlaybackController controller(state_, &player_, RecordingHooks());
  player_.RaiseError("Cannot open http://127.0.0.1:1/one: Connection refused");
  EXPECT_EQ(events_, (Calls{"box:Cannot open http://127.0.0.1:1/one: Connection refused"}));

  for (const int32_t row : {kSentRow, kUnsentRow, kCatalogueRow}) {  // the first row too
    events_.clear();
    controller.PlaySelected(Row(row));
    player_.RaiseError("HTTP error 404");
    const std::string name = controller.view().channel_label;
    EXPECT_EQ(events_, (Calls{"box:HTTP error 404", "report:" + name})) << row;
  }
  EXPECT_EQ(controller.view().channel_label, "Radio One");
}

TEST_F(PlaybackControllerTest, AStreamThatReconnectsShowsNoBoxUntilItsFailureIsTold) {
  PlaybackController controller(state_, &player_, RecordingHooks());
  controller.PlaySelected(Row(kUnsentRow));
  for (const PlayerState state : {PlayerState::kPlaying, PlayerState::kReconnecting,
                                  PlayerState::kPlaying, PlayerState::kReconnecting}) {
    player_.RaiseStatus(state);
    EXPECT_TRUE(controller.view().stop_visible);
  }
  EXPECT_EQ(controller.view().status_label, "Reconnecting\xE2\x80\xA6");
  EXPECT_EQ(events_, (Calls{"submit:1"}));  // submitted once, no box, no report
  // Every try failed: the player tells the failure once.
  player_.RaiseStatus(PlayerState::kStopped);
  player_.RaiseError("Cannot play http://127.0.0.1:1/mine: Connection refused.");
  EXPECT_EQ(events_,
            (Calls{"submit:1", "box:Cannot play http://127.0.0.1:1/mine: Connection refused.",
                   "report:My Stream"}));
}

TEST_F(PlaybackControllerTest, ErrorReportsTheFailedChannelWhateverIsSelectedNext) {
  struct Case {
    const char* what;
    bool move_before_error;  // the user moves on before the failure is told, else in the box
    std::function<void(PlaybackController&)> move;
  };
  const std::vector<Case> cases = {
      {"another row played", true, [this](auto& c) { c.PlaySelected(Row(kUnsentRow)); }},
      {"another row cued", true, [this](auto& c) { c.CueChannel(Row(kSentRow)); }},
      {"the selection cleared", true, [](auto& c) { c.ClearChannel(); }},
      {"another row played in the box", false, [this](auto& c) { c.PlaySelected(Row(kSentRow)); }},
      {"the selection cleared in the box", false, [](auto& c) { c.ClearChannel(); }},
  };
  for (const Case& c : cases) {
    events_.clear();
    PlaybackController* self = nullptr;
    PlaybackHooks hooks = RecordingHooks();
    hooks.show_error = [&](const std::string& text) {
      events_.push_back("box:" + text);
      if (!c.move_before_error) c.move(*self);
    };
    FakeMediaPlayer player;
    PlaybackController controller(state_, &player, std::move(hooks));
    self = &controller;
    controller.PlaySelected(Row(kCatalogueRow));
    if (c.move_before_error) c.move(controller);
    player.RaiseError("http://127.0.0.1:1/one", "Cannot play http://127.0.0.1:1/one: refused.");
    EXPECT_EQ(events_,
              (Calls{"box:Cannot play http://127.0.0.1:1/one: refused.", "report:Radio One"}))
        << c.what;
  }
}

TEST_F(PlaybackControllerTest, FullScreenOnlyWithMediaThatIsNotReadyOrStopped) {
  struct Case {
    bool has_media;
    PlayerState state;
    bool enters;
  };
  for (const Case& c :
       {Case{true, PlayerState::kPlaying, true}, Case{true, PlayerState::kPaused, true},
        Case{true, PlayerState::kBuffering, true}, Case{true, PlayerState::kReady, false},
        Case{true, PlayerState::kStopped, false}, Case{false, PlayerState::kPlaying, false}}) {
    FakeMediaPlayer player;
    PlaybackController controller(state_, &player, RecordingHooks());
    player.has_media = c.has_media;
    player.status = {c.state};
    player.calls.clear();
    controller.EnterFullScreen();
    EXPECT_EQ(player.calls, c.enters ? Calls{"SetFullScreen(1)"} : Calls{})
        << PlayerStatusText({c.state});
  }
}

TEST_F(PlaybackControllerTest, MuteAndVolumeGoStraightToThePlayer) {
  PlaybackController controller(state_, &player_, RecordingHooks());
  player_.calls.clear();
  controller.SetMuted(true);
  controller.SetMuted(false);
  controller.SetVolume(55);
  EXPECT_EQ(player_.calls, (Calls{"SetMuted(1)", "SetMuted(0)", "SetVolume(55)"}));
}

TEST_F(PlaybackControllerTest, WithoutAPlayerOnlyCueAndClearChangeTheView) {
  PlaybackController controller(state_, nullptr, RecordingHooks());
  controller.CueChannel(Row(kCatalogueRow));
  EXPECT_EQ(controller.view().channel_label, "Radio One");
  EXPECT_FALSE(controller.view().stop_visible);
  controller.Play();
  controller.Stop();
  controller.EnterFullScreen();
  controller.SetMuted(true);
  controller.SetVolume(10);
  EXPECT_FALSE(controller.view().stop_visible);
  controller.PlaySelected(nullptr);
  EXPECT_EQ(controller.view().channel_label, "No channel");
  EXPECT_TRUE(controller.view().stop_visible);
  EXPECT_TRUE(events_.empty());
}

TEST_F(PlaybackControllerTest, ThePlayerMayOutliveTheController) {
  { PlaybackController controller(state_, &player_, RecordingHooks()); }
  player_.RaiseStatus(PlayerState::kPlaying);
  player_.RaiseError("failed");
  EXPECT_TRUE(events_.empty());
}

}  // namespace
}  // namespace vistrel
