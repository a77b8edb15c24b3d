#include "playback/stream_tracker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace vistrel {
namespace {

const std::string kUrl = "http://127.0.0.1:9/live.ts";

// Cues and plays kUrl and lets the engine accept it as `entry`.
void PlayAccepted(StreamTracker& t, int64_t entry) {
  t.Cue(kUrl);
  ASSERT_EQ(t.Play(), PlayAction::kLoad);
  t.OnLoadAccepted(t.load_serial(), entry);
  t.OnStartFile(entry);
}

TEST(StreamTracker, StatusFollowsTheStreamFromCueToStop) {
  StreamTracker t;
  EXPECT_EQ(t.StatusText(), "Stopped");
  EXPECT_FALSE(t.Cue(kUrl));
  EXPECT_EQ(t.StatusText(), "Ready");
  EXPECT_FALSE(t.HasCurrentMedia());
  EXPECT_FALSE(t.Stop());
  EXPECT_FALSE(t.Pause());
  EXPECT_EQ(t.StatusText(), "Ready");

  EXPECT_EQ(t.Play(), PlayAction::kLoad);
  EXPECT_EQ(t.StatusText(), "Connecting...");
  EXPECT_EQ(t.Play(), PlayAction::kNothing);
  t.OnLoadAccepted(t.load_serial(), 1);
  t.OnStartFile(1);
  EXPECT_EQ(t.StatusText(), "Connecting...");
  t.OnFileLoaded();
  EXPECT_TRUE(t.HasCurrentMedia());
  EXPECT_EQ(t.StatusText(), "Buffering (0%)");
  t.OnBufferingPercent(40);
  EXPECT_EQ(t.StatusText(), "Buffering (40%)");
  t.OnPlaybackRestart();
  EXPECT_EQ(t.StatusText(), "Playing");
  t.OnPausedForCache(true);
  EXPECT_EQ(t.StatusText(), "Buffering (40%)");
  t.OnPausedForCache(false);
  EXPECT_EQ(t.StatusText(), "Playing");

  EXPECT_TRUE(t.Pause());
  EXPECT_EQ(t.StatusText(), "Paused");
  EXPECT_FALSE(t.Pause());
  EXPECT_EQ(t.Play(), PlayAction::kResume);
  EXPECT_EQ(t.StatusText(), "Playing");

  EXPECT_TRUE(t.Stop());
  EXPECT_EQ(t.StatusText(), "Stopped");
  EXPECT_FALSE(t.Stop());
  t.OnEndFile(1, StreamEnd::kStopped, 0, "");
  EXPECT_EQ(t.StatusText(), "Stopped");
  EXPECT_FALSE(t.HasFailure());

  EXPECT_EQ(t.Play(), PlayAction::kLoad);  // a stopped stream plays again from its start
  EXPECT_TRUE(t.Cue(""));
  EXPECT_EQ(t.StatusText(), "Stopped");
  EXPECT_EQ(t.Play(), PlayAction::kNothing);
}

TEST(StreamTracker, PausingWhileOpeningStaysPausedUntilPlay) {
  StreamTracker t;
  PlayAccepted(t, 1);
  EXPECT_TRUE(t.Pause());
  t.OnFileLoaded();
  t.OnPlaybackRestart();
  EXPECT_EQ(t.StatusText(), "Paused");
  EXPECT_EQ(t.Play(), PlayAction::kResume);
  EXPECT_EQ(t.StatusText(), "Playing");
}

TEST(StreamTracker, TheReplacedStreamsLateEventsAreIgnored) {
  StreamTracker t;
  PlayAccepted(t, 1);
  t.OnFileLoaded();
  t.OnPlaybackRestart();
  EXPECT_TRUE(t.Cue("http://127.0.0.1:9/other.ts"));
  ASSERT_EQ(t.Play(), PlayAction::kLoad);
  t.OnEndFile(1, StreamEnd::kStopped, 0, "");  // before the reply for the new load
  t.OnFileLoaded();
  t.OnPlaybackRestart();
  EXPECT_EQ(t.StatusText(), "Connecting...");
  t.OnLoadAccepted(t.load_serial() - 1, 7);  // an older load's reply
  t.OnLoadAccepted(t.load_serial(), 2);
  t.OnEndFile(1, StreamEnd::kFailed, 0, "loading failed");
  EXPECT_EQ(t.StatusText(), "Connecting...");
  EXPECT_FALSE(t.HasFailure());
  t.OnStartFile(2);
  t.OnFileLoaded();
  t.OnPlaybackRestart();
  EXPECT_EQ(t.StatusText(), "Playing");
}

TEST(StreamTracker, EventsBeforeTheLoadReplyCountOnceItArrives) {
  StreamTracker t;
  t.Cue(kUrl);
  ASSERT_EQ(t.Play(), PlayAction::kLoad);
  t.OnStartFile(3);
  t.OnFileLoaded();
  t.OnPlaybackRestart();
  EXPECT_EQ(t.StatusText(), "Connecting...");
  t.OnLoadAccepted(t.load_serial(), 3);
  EXPECT_EQ(t.StatusText(), "Playing");
}

TEST(StreamTracker, APlaylistAddressGoesOnWithTheStreamItNames) {
  StreamTracker t;
  PlayAccepted(t, 1);
  t.OnEndFile(1, StreamEnd::kRedirected, 2, "");
  EXPECT_EQ(t.StatusText(), "Connecting...");
  t.OnStartFile(2);
  t.OnFileLoaded();
  t.OnPlaybackRestart();
  EXPECT_EQ(t.StatusText(), "Playing");
}

TEST(StreamTracker, TheEndOfTheStreamStopsWithoutFailure) {
  StreamTracker t;
  PlayAccepted(t, 1);
  t.OnFileLoaded();
  t.OnSeekable(true);  // a file that reached its known length: its end is no drop
  t.OnDuration(60.5);
  t.OnPlaybackRestart();
  t.OnPosition(59);
  t.OnDuration(-1);  // the engine forgets the length and position as the file ends
  t.OnPosition(-1);
  t.OnEndFile(1, StreamEnd::kEndOfStream, 0, "");
  EXPECT_EQ(t.StatusText(), "Stopped");
  EXPECT_FALSE(t.HasFailure());
  EXPECT_FALSE(t.PendingRetry());
}

TEST(StreamTracker, AFailureNamesTheAddressAndTheCauseFromTheLog) {
  StreamTracker t;
  PlayAccepted(t, 1);
  t.OnLog("warn", "ffmpeg", "http: HTTP error 404 Not Found\n");
  t.OnLog("error", "stream", "Failed to open " + kUrl + ".\n");
  t.OnEndFile(1, StreamEnd::kFailed, 0, "loading failed");
  EXPECT_EQ(t.StatusText(), "Stopped");
  ASSERT_TRUE(t.HasFailure());
  EXPECT_EQ(t.TakeFailure(t.failure_serial()),
            "Cannot play " + kUrl + ": HTTP error 404 Not Found.");
  EXPECT_FALSE(t.HasFailure());
}

TEST(StreamTracker, LogLinesAfterTheEndStillGiveTheCause) {
  StreamTracker t;
  PlayAccepted(t, 1);
  t.OnEndFile(1, StreamEnd::kFailed, 0, "loading failed");
  t.OnLog("error", "ffmpeg", "tcp: Connection to tcp://127.0.0.1:9 failed: Connection refused\n");
  EXPECT_EQ(
      t.TakeFailure(t.failure_serial()),
      "Cannot play " + kUrl + ": Connection to tcp://127.0.0.1:9 failed: Connection refused.");
}

TEST(StreamTracker, AFailureIsKeptWhenAnotherAddressIsCuedOrPlayed) {
  const std::string other = "http://127.0.0.1:9/other.ts";
  for (bool cue_again : {true, false}) {
    StreamTracker t;
    PlayAccepted(t, 1);
    t.OnEndFile(1, StreamEnd::kFailed, 0, "loading failed");
    const uint64_t serial = t.failure_serial();
    if (cue_again) {
      t.Cue(other);
      ASSERT_EQ(t.Play(), PlayAction::kLoad);
    } else {
      ASSERT_EQ(t.Play(), PlayAction::kLoad);
    }
    t.OnLog("warn", "ffmpeg", "tcp: Connection refused");  // still the failed stream's
    t.OnLoadAccepted(t.load_serial(), 2);
    t.OnStartFile(2);
    t.OnLog("error", "demux", "the next stream's own line");
    t.OnEndFile(2, StreamEnd::kFailed, 0, "loading failed");  // fails too: told as well
    EXPECT_EQ(t.failure_serials(), (std::vector<uint64_t>{serial, t.load_serial()}));
    EXPECT_EQ(t.FailureUrl(serial), kUrl);
    EXPECT_EQ(t.TakeFailure(serial), "Cannot play " + kUrl + ": Connection refused.");
    EXPECT_EQ(t.TakeFailure(serial), std::nullopt);
    EXPECT_EQ(t.FailureUrl(t.load_serial()), cue_again ? other : kUrl);
    EXPECT_EQ(t.TakeFailure(t.load_serial()),
              "Cannot play " + (cue_again ? other : kUrl) + ": the next stream's own line.");
    EXPECT_FALSE(t.HasFailure());
  }
}

// A playlist address: entry 1 served a playlist of entries 2 and 3.
void PlayPlaylist(StreamTracker& t) {
  PlayAccepted(t, 1);
  t.OnEndFile(1, StreamEnd::kRedirected, 2, "", 2);
  t.OnPlaylistEntry(2, "http://127.0.0.1:9/gone.ts");
  t.OnPlaylistEntry(3, "http://127.0.0.1:9/plays.ts");
  t.OnStartFile(2);
}

TEST(StreamTracker, APlaylistGoesOnPastAFailingEntry) {
  StreamTracker t;
  PlayPlaylist(t);
  t.OnLog("warn", "ffmpeg", "http: HTTP error 404 Not Found");
  t.OnEndFile(2, StreamEnd::kFailed, 0, "loading failed");
  EXPECT_EQ(t.StatusText(), "Connecting...");
  EXPECT_FALSE(t.HasFailure());
  t.OnStartFile(3);
  t.OnFileLoaded();
  t.OnPlaybackRestart();
  EXPECT_EQ(t.StatusText(), "Playing");
  EXPECT_TRUE(t.HasCurrentMedia());
  EXPECT_TRUE(t.Pause());
  EXPECT_EQ(t.Play(), PlayAction::kResume);
  EXPECT_TRUE(t.Stop());  // the engine must stop what it plays
  EXPECT_EQ(t.StatusText(), "Stopped");
  t.OnEndFile(3, StreamEnd::kStopped, 0, "");
  EXPECT_FALSE(t.HasFailure());
}

TEST(StreamTracker, StopOrCueBetweenTwoEntriesStopsTheEngine) {
  for (bool cue : {false, true}) {
    StreamTracker t;
    PlayPlaylist(t);
    t.OnEndFile(2, StreamEnd::kFailed, 0, "loading failed");
    EXPECT_TRUE(cue ? t.Cue("http://127.0.0.1:9/other.ts") : t.Stop());
    t.OnStartFile(3);  // what the engine had already begun
    t.OnFileLoaded();
    t.OnPlaybackRestart();
    t.OnEndFile(3, StreamEnd::kStopped, 0, "");
    EXPECT_EQ(t.StatusText(), cue ? "Ready" : "Stopped");
    EXPECT_FALSE(t.HasFailure());
  }
}

TEST(StreamTracker, APlaylistFailsOnlyWhenNoEntryPlays) {
  struct Case {
    bool second_plays_first;  // entry 3 plays before it ends
    StreamEnd second_end;
    bool fails;
  };
  for (const Case& c :
       {Case{false, StreamEnd::kFailed, true}, Case{false, StreamEnd::kOther, true},
        Case{true, StreamEnd::kFailed, false}, Case{true, StreamEnd::kEndOfStream, false}}) {
    StreamTracker t;
    PlayPlaylist(t);
    t.OnLog("warn", "ffmpeg", "http: HTTP error 404 Not Found");
    t.OnEndFile(2, StreamEnd::kFailed, 0, "loading failed");
    t.OnStartFile(3);
    if (c.second_plays_first) {
      t.OnFileLoaded();
      t.OnPlaybackRestart();
    }
    t.OnLog("error", "demux", "Failed to recognize file format.");
    t.OnEndFile(3, c.second_end, 0, "loading failed");
    // An entry that played and dropped is a live stream: it is loaded again.
    EXPECT_EQ(t.StatusText(), c.fails ? "Stopped" : "Reconnecting\xE2\x80\xA6");
    ASSERT_EQ(t.HasFailure(), c.fails);
    if (!c.fails) continue;
    // The entry that failed first, with its own cause.
    EXPECT_EQ(t.FailureUrl(t.failure_serial()), kUrl);
    EXPECT_EQ(t.TakeFailure(t.failure_serial()),
              "Cannot play http://127.0.0.1:9/gone.ts: HTTP error 404 Not Found.");
  }
}

TEST(StreamTracker, AFailedEntryIsNamedAlsoWhenItsAddressComesLate) {
  StreamTracker t;
  PlayAccepted(t, 1);
  t.OnEndFile(1, StreamEnd::kRedirected, 5, "", 2);
  t.OnStartFile(5);
  t.OnEndFile(5, StreamEnd::kRedirected, 7, "", 1);  // a playlist in the playlist
  t.OnStartFile(7);
  t.OnEndFile(7, StreamEnd::kFailed, 0, "loading failed");
  t.OnStartFile(6);
  t.OnEndFile(6, StreamEnd::kFailed, 0, "loading failed");
  t.OnLog("warn", "ffmpeg", "tcp: Connection refused");
  ASSERT_TRUE(t.HasFailure());
  t.OnPlaylistEntry(6, "http://127.0.0.1:9/six.ts");
  t.OnPlaylistEntry(7, "http://127.0.0.1:9/seven.ts");
  EXPECT_EQ(t.TakeFailure(t.failure_serial()),
            "Cannot play http://127.0.0.1:9/seven.ts: Connection refused.");
}

// A live stream whose tries are measured with a clock the test moves.
class DroppedStreamTest : public ::testing::Test {
 protected:
  static constexpr const char* kReconnecting = "Reconnecting\xE2\x80\xA6";

  // Plays kUrl as entry 1, whose length the engine tells as `length`, for 57 s until it drops
  // with `reason`.
  void PlayUntilDrop(StreamEnd reason = StreamEnd::kEndOfStream, double length = -1,
                     bool seekable = false) {
    PlayAccepted(t_, 1);
    t_.OnFileLoaded();
    t_.OnSeekable(seekable);
    t_.OnDuration(length);
    t_.OnPlaybackRestart();
    t_.OnPosition(57);
    ASSERT_EQ(t_.StatusText(), "Playing");
    t_.OnEndFile(1, reason, 0, reason == StreamEnd::kFailed ? "loading failed" : "");
  }
  // Waits for the pending try and starts it as entry `entry`; returns its pause.
  std::chrono::milliseconds StartTry(int64_t entry) {
    const std::optional<RetryPlan> plan = t_.PendingRetry();
    EXPECT_TRUE(plan);
    if (!plan) return {};
    now_ += plan->delay;
    EXPECT_EQ(t_.Retry(plan->id), PlayAction::kLoad);
    t_.OnLoadAccepted(t_.load_serial(), entry);
    t_.OnStartFile(entry);
    return plan->delay;
  }
  void FailTry(int64_t entry, const std::string& cause) {
    t_.OnLog("warn", "ffmpeg", cause);
    t_.OnEndFile(entry, StreamEnd::kFailed, 0, "loading failed");
  }

  std::chrono::steady_clock::time_point now_{};
  StreamTracker t_{ReconnectPolicy{}, [this] { return now_; }};
};

using std::chrono::milliseconds;

TEST_F(DroppedStreamTest, ALiveStreamThatDropsIsLoadedAgainUntilATryPlays) {
  struct Case {
    StreamEnd reason;
    double length;  // the length the engine told, -1 for none
    bool seekable;
  };
  // A stream of no length; a live stream's guessed length, reached or not; a file far from its
  // end; a broken stream.
  for (const Case& c :
       {Case{StreamEnd::kEndOfStream, -1, false}, Case{StreamEnd::kEndOfStream, 58, false},
        Case{StreamEnd::kEndOfStream, 536870, false}, Case{StreamEnd::kEndOfStream, 600, true},
        Case{StreamEnd::kFailed, -1, false}, Case{StreamEnd::kFailed, 58, true}}) {
    SCOPED_TRACE(static_cast<int>(c.reason));
    StreamTracker t({}, [this] { return now_; });
    t_ = std::move(t);
    PlayUntilDrop(c.reason, c.length, c.seekable);
    EXPECT_EQ(t_.StatusText(), kReconnecting);
    EXPECT_TRUE(t_.HasCurrentMedia());  // the last picture stays
    EXPECT_FALSE(t_.HasFailure());
    EXPECT_EQ(t_.Play(), PlayAction::kNothing);
    EXPECT_FALSE(t_.Pause());
    // The same try is planned once, whenever it is asked for.
    const std::optional<RetryPlan> plan = t_.PendingRetry();
    ASSERT_TRUE(plan);
    EXPECT_EQ(t_.PendingRetry()->id, plan->id);
    EXPECT_EQ(t_.Retry(plan->id + 1), PlayAction::kNothing);

    const uint64_t serial = t_.load_serial();
    EXPECT_EQ(StartTry(2), milliseconds(1000));
    EXPECT_GT(t_.load_serial(), serial);
    EXPECT_EQ(t_.Retry(plan->id), PlayAction::kNothing);  // a try starts once
    FailTry(2, "http: Connection refused");
    EXPECT_EQ(t_.StatusText(), kReconnecting);
    EXPECT_EQ(StartTry(3), milliseconds(2000));
    t_.OnFileLoaded();
    EXPECT_EQ(t_.StatusText(), kReconnecting);
    t_.OnPlaybackRestart();
    EXPECT_EQ(t_.StatusText(), "Playing");
    EXPECT_FALSE(t_.PendingRetry());

    // Another drop soon after goes on with the tries; a later one has them afresh.
    t_.OnEndFile(3, c.reason, 0, "");
    EXPECT_EQ(t_.StatusText(), kReconnecting);
    EXPECT_EQ(StartTry(4), milliseconds(4000));
    t_.OnFileLoaded();
    t_.OnPlaybackRestart();
    now_ += std::chrono::seconds(30);
    t_.OnEndFile(4, c.reason, 0, "");
    EXPECT_EQ(t_.StatusText(), kReconnecting);
    EXPECT_EQ(StartTry(5), milliseconds(1000));
    EXPECT_FALSE(t_.HasFailure());
  }
}

TEST_F(DroppedStreamTest, OnlyWhenEveryTryFailsIsTheLastTrysFailureTold) {
  PlayUntilDrop();
  // Growing pauses, the last one cut so that every try starts within the window.
  const std::vector<milliseconds> expected = {milliseconds(1000), milliseconds(2000),
                                              milliseconds(4000), milliseconds(8000),
                                              milliseconds(15000)};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(StartTry(static_cast<int64_t>(i) + 2), expected[i]) << i;
    EXPECT_FALSE(t_.HasFailure());
    EXPECT_EQ(t_.StatusText(), kReconnecting);
    FailTry(static_cast<int64_t>(i) + 2, "http: try " + std::to_string(i + 1) + " refused");
  }
  EXPECT_FALSE(t_.PendingRetry());
  EXPECT_EQ(t_.StatusText(), "Stopped");
  ASSERT_EQ(t_.failure_serials().size(), size_t{1});
  EXPECT_EQ(t_.FailureUrl(t_.failure_serial()), kUrl);
  EXPECT_EQ(t_.TakeFailure(t_.failure_serial()), "Cannot play " + kUrl + ": try 5 refused.");
}

TEST_F(DroppedStreamTest, AStreamThatDropsAgainAfterEveryTryFailsOnceItsTriesAreUsedUp) {
  // A window long enough for all five tries and the drops after them.
  StreamTracker t(
      {.tries = 5, .first_pause = milliseconds(1000), .window = std::chrono::minutes(1)},
      [this] { return now_; });
  t_ = std::move(t);
  PlayUntilDrop();
  for (int64_t entry = 2; entry <= 6; ++entry) {
    StartTry(entry);
    t_.OnFileLoaded();
    t_.OnPlaybackRestart();
    EXPECT_EQ(t_.StatusText(), "Playing");
    t_.OnLog("warn", "ffmpeg", "http: Connection reset by peer");
    t_.OnEndFile(entry, StreamEnd::kEndOfStream, 0, "");
  }
  EXPECT_FALSE(t_.PendingRetry());
  EXPECT_EQ(t_.StatusText(), "Stopped");
  ASSERT_EQ(t_.failure_serials().size(), size_t{1});
  EXPECT_EQ(t_.TakeFailure(t_.failure_serial()),
            "Cannot play " + kUrl + ": Connection reset by peer.");
}

TEST_F(DroppedStreamTest, NoTryStartsAfterTheWindow) {
  PlayUntilDrop();
  StartTry(2);
  now_ += milliseconds(28500);  // a try that hangs until the engine gives up
  FailTry(2, "http: timed out");
  EXPECT_EQ(StartTry(3), milliseconds(500));        // the pause ends with the window
  t_.OnEndFile(3, StreamEnd::kEndOfStream, 0, "");  // ended without playing: failed too
  EXPECT_FALSE(t_.PendingRetry());
  EXPECT_EQ(t_.StatusText(), "Stopped");
  EXPECT_TRUE(t_.HasFailure());
}

TEST_F(DroppedStreamTest, StopOrAnotherAddressEndsTheTriesAtOnce) {
  for (const bool during_try : {false, true}) {
    for (const std::string end : {"stop", "cue", "cue the same"}) {
      SCOPED_TRACE(end + (during_try ? " during a try" : " between tries"));
      StreamTracker t({}, [this] { return now_; });
      t_ = std::move(t);
      PlayUntilDrop();
      if (during_try) StartTry(2);
      const uint64_t id = t_.PendingRetry() ? t_.PendingRetry()->id : 0;
      if (end == "stop") {
        EXPECT_TRUE(t_.Stop());
      } else {
        EXPECT_TRUE(t_.Cue(end == "cue" ? "http://127.0.0.1:9/other.ts" : kUrl));
      }
      EXPECT_EQ(t_.StatusText(), end == "stop" ? "Stopped" : "Ready");
      EXPECT_FALSE(t_.PendingRetry());
      EXPECT_EQ(t_.Retry(id), PlayAction::kNothing);
      if (during_try) FailTry(2, "http: Connection refused");  // the stopped try's late end
      EXPECT_FALSE(t_.HasFailure());
      EXPECT_FALSE(t_.PendingRetry());
      // Played again, the stream starts as any other: a failure is told at once.
      ASSERT_EQ(t_.Play(), PlayAction::kLoad);
      t_.OnLoadAccepted(t_.load_serial(), 9);
      t_.OnStartFile(9);
      FailTry(9, "http: Connection refused");
      EXPECT_EQ(t_.StatusText(), "Stopped");
      EXPECT_TRUE(t_.HasFailure());
    }
  }
}

TEST_F(DroppedStreamTest, AStreamThatNeverPlayedOrWasPausedIsNotLoadedAgain) {
  for (const bool paused : {false, true}) {
    StreamTracker t({}, [this] { return now_; });
    t_ = std::move(t);
    PlayAccepted(t_, 1);
    if (paused) {
      t_.OnFileLoaded();
      t_.OnPlaybackRestart();
      EXPECT_TRUE(t_.Pause());
      t_.OnEndFile(1, StreamEnd::kEndOfStream, 0, "");
    } else {
      FailTry(1, "http: HTTP error 404 Not Found");
    }
    EXPECT_EQ(t_.StatusText(), "Stopped");
    EXPECT_FALSE(t_.PendingRetry());
    EXPECT_EQ(t_.HasFailure(), !paused);
  }
}

TEST(StreamTracker, ARefusedLoadFailsWithTheEnginesText) {
  StreamTracker t;
  PlayAccepted(t, 1);
  t.Stop();
  t.Play();
  t.OnLoadRefused(t.load_serial(), "invalid parameter");
  t.OnLog("error", "demux", "a line of the stream played before");
  EXPECT_EQ(t.StatusText(), "Stopped");
  EXPECT_EQ(t.TakeFailure(t.failure_serial()), "Cannot play " + kUrl + ": invalid parameter.");
}

TEST(DescribeStreamFailure, PicksTheMostTellingLine) {
  using Log = std::vector<EngineLogLine>;
  const std::string restated = "Failed to open http://h/x.";
  struct Case {
    Log log;
    std::string engine_error;
    std::string cause;
  };
  const std::vector<Case> cases = {
      {{}, "loading failed", "loading failed."},
      {{}, "", "the stream could not be opened."},
      {{{"error", "stream", restated}}, "loading failed", restated},
      {{{"warn", "ffmpeg/demuxer", "mov: odd atom"},
        {"error", "demux", "Failed to recognize file format."}},
       "",
       "Failed to recognize file format."},
      {{{"warn", "cplayer", "something"}, {"warn", "ffmpeg", "tls: certificate expired"}},
       "",
       "certificate expired."},
      {{{"error", "stream", restated}, {"warn", "cplayer", "note"}}, "", "note."},
      {{{"error", "ffmpeg", "\x01HTTP: bad\tthing\x7f  \n"}}, "", "HTTP: bad thing."},
      {{{"error", "ffmpeg", "Done!"}}, "", "Done!"},
      // Of lines of equal rank, the first names the cause: the later ones follow from it.
      {{{"error", "demux", "first"}, {"error", "demux", "second"}}, "", "first."},
      {{{"warn", "ffmpeg", "tcp: first"}, {"warn", "ffmpeg", "tcp: second"}}, "", "first."},
      {{{"warn", "cplayer", "first"}, {"warn", "cplayer", "second"}}, "", "first."},
      {{{"error", "stream", "Failed to open a."}, {"error", "stream", "Failed to open b."}},
       "",
       "Failed to open a."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DescribeStreamFailure("http://h/x", c.log, c.engine_error),
              "Cannot play http://h/x: " + c.cause);
    // The header part may hold private values: never shown.
    EXPECT_EQ(DescribeStreamFailure("http://h/x|Cookie=secret", c.log, c.engine_error),
              "Cannot play http://h/x: " + c.cause);
  }
}

TEST(DescribeStreamFailure, ShortensLongTextsAtACharacterBoundary) {
  std::string text(298, 'a');
  text += "\xc3\xa9\xc3\xa9";  // two two-byte characters across the limit
  const std::string d = DescribeStreamFailure("u", {{"error", "x", text}}, "");
  EXPECT_EQ(d, "Cannot play u: " + std::string(298, 'a') + "\xc3\xa9...");
}

}  // namespace
}  // namespace vistrel
