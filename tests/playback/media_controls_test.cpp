#include "playback/media_controls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playback/channel_label.h"

namespace vistrel {
namespace {

using Names = std::vector<std::string>;

MediaControlsInput Cued(std::string status) {
  MediaControlsInput input;
  input.status_text = std::move(status);
  input.channel_cued = true;
  input.channel_id = 42;
  input.channel_name = "Arpeggio FM";
  input.genre_name = "Classical";
  input.visible_rows = 3;
  input.volume_box = 50;
  return input;
}

TEST(MediaControlsTest, StatusFollowsThePlayersText) {
  const struct {
    const char* text;
    MediaControlsStatus status;
  } cases[] = {
      {"Playing", MediaControlsStatus::kPlaying},
      {"Connecting...", MediaControlsStatus::kPlaying},
      {"Buffering (40%)", MediaControlsStatus::kPlaying},
      {"Paused", MediaControlsStatus::kPaused},
      {"Stopped", MediaControlsStatus::kStopped},
      {"Ready", MediaControlsStatus::kStopped},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DescribeMediaControls(Cued(c.text)).status, c.status) << c.text;
  }
}

TEST(MediaControlsTest, MetadataNamesTheChannelAndItsTitle) {
  MediaControlsInput input = Cued("Playing");
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
  none.status_text = "Stopped";
  state = DescribeMediaControls(none);
  EXPECT_EQ(state.track_id, "");
  EXPECT_FALSE(state.can_play);
  EXPECT_FALSE(state.can_go_next);
}

TEST(MediaControlsTest, EachChangedPropertyIsNamedOnce) {
  const MediaControlsState playing = DescribeMediaControls(Cued("Playing"));
  EXPECT_EQ(ChangedMediaControls(playing, playing), Names{});
  EXPECT_EQ(ChangedMediaControls(playing, DescribeMediaControls(Cued("Buffering (10%)"))), Names{});

  MediaControlsInput titled = Cued("Playing");
  titled.stream_title = "News";
  EXPECT_EQ(ChangedMediaControls(playing, DescribeMediaControls(titled)), Names{"Metadata"});

  MediaControlsInput quiet = Cued("Stopped");
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
