#include "playback/media_controls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playback/channel_label.h"

namespace vistrel {
namespace {

using Names = std::vector<std::string>;

MediaControlsInput Cued(PlayerState state) {
  MediaControlsInput input;
  input.player_state = state;
  input.channel_cued = true;
  input.channel_id = 42;
  input.channel_name = "Arpeggio FM";
  input.genre_name = "Classical";
  input.visible_rows = 3;
  input.volume_box = 50;
  return input;
}

TEST(MediaControlsTest, StatusFollowsThePlayersState) {
  const struct {
    PlayerState state;
    MediaControlsStatus status;
  } cases[] = {
      {PlayerState::kPlaying, MediaControlsStatus::kPlaying},
      {PlayerState::kConnecting, MediaControlsStatus::kPlaying},
      {PlayerState::kBuffering, MediaControlsStatus::kPlaying},
      {PlayerState::kPaused, MediaControlsStatus::kPaused},
      {PlayerState::kStopped, MediaControlsStatus::kStopped},
      {PlayerState::kReady, MediaControlsStatus::kStopped},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DescribeMediaControls(Cued(c.state)).status, c.status) << PlayerStatusText({c.state});
  }
}

TEST(MediaControlsTest, MetadataNamesTheChannelAndItsTitle) {
  MediaControlsInput input = Cued(PlayerState::kPlaying);
  MediaControlsState state = DescribeMediaControls(input);
  EXPECT_EQ(state.track_id, "/org/vistrel/channel/42");
  EXPECT_EQ(state.title, "Arpeggio FM");
  EXPECT_EQ(state.artist, "Arpeggio FM");
  EXPECT_EQ(state.album, "Classical");
  EXPECT_TRUE(state.can_play);
  EXPECT_DOUBLE_EQ(state.volume, 0.5);

  input.stream_title = "Bach - Toccata";
  input.channel_id = -7;
  input.logo_url = "file:///etc/passwd";
  state = DescribeMediaControls(input);
  EXPECT_EQ(state.title, "Bach - Toccata");
  EXPECT_EQ(state.track_id, "/org/vistrel/channel/m7");
  EXPECT_EQ(state.art_url, "") << "only web logos";
  input.logo_url = "HTTPS://example.org/logo.png";
  EXPECT_EQ(DescribeMediaControls(input).art_url, "HTTPS://example.org/logo.png");

  MediaControlsInput none;
  none.player_state = PlayerState::kStopped;
  state = DescribeMediaControls(none);
  EXPECT_EQ(state.track_id, "");
  EXPECT_FALSE(state.can_play);
  EXPECT_FALSE(state.can_go_next);
}

TEST(MediaControlsTest, EachChangedPropertyIsNamedOnce) {
  const MediaControlsState playing = DescribeMediaControls(Cued(PlayerState::kPlaying));
  EXPECT_EQ(ChangedMediaControls(playing, playing), Names{});
  EXPECT_EQ(ChangedMediaControls(playing, DescribeMediaControls(Cued(PlayerState::kBuffering))),
            Names{});

  MediaControlsInput titled = Cued(PlayerState::kPlaying);
  titled.stream_title = "News";
  EXPECT_EQ(ChangedMediaControls(playing, DescribeMediaControls(titled)), Names{"Metadata"});

  MediaControlsInput quiet = Cued(PlayerState::kStopped);
  quiet.volume_box = 55;
  EXPECT_EQ(ChangedMediaControls(playing, DescribeMediaControls(quiet)),
            (Names{"PlaybackStatus", "Volume"}));

  MediaControlsInput nothing;
  EXPECT_EQ(
      ChangedMediaControls(playing, DescribeMediaControls(nothing)),
      (Names{"PlaybackStatus", "Metadata", "Volume", "CanPlay", "CanGoNext", "CanGoPrevious"}));
}

TEST(ChannelLabelTest, TitleJoinsTheNameCleaned) {
  const struct {
    const char* title;
    const char* label;
  } cases[] = {
      {"", "Arpeggio FM"},
      {"   ", "Arpeggio FM"},
      {"Arpeggio FM", "Arpeggio FM"},
      {"Bach - Toccata", "Arpeggio FM \u2014 Bach - Toccata"},
      {"  Line\r\nbreak\x07\x7f ", "Arpeggio FM \u2014 Line  break"},
      {"C1\xc2\x85here", "Arpeggio FM \u2014 C1here"},
      {"<b>bold</b>", "Arpeggio FM \u2014 <b>bold</b>"},
      {"\xd0\x9d\xd0\xbe\xd0\xb2\xd0\xbe\xd1\x81\xd1\x82\xd0\xb8",
       "Arpeggio FM \u2014 \xd0\x9d\xd0\xbe\xd0\xb2\xd0\xbe\xd1\x81\xd1\x82\xd0\xb8"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChannelLabelText("Arpeggio FM", c.title), c.label) << c.title;
  }
  // A long title is cut at a character boundary: 150 two-byte letters are 300 bytes.
  std::string long_title;
  for (int i = 0; i < 150; ++i) long_title += "\xc3\xa9";
  const std::string cut = CleanStreamTitle(long_title);
  EXPECT_EQ(cut.size(), 203u);
  EXPECT_EQ(cut.substr(198), "\xc3\xa9...");
}

}  // namespace
}  // namespace vistrel
