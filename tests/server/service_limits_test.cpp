// Limits on anonymous writes per client address, and deadlines of connections waiting for a
// request header.

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>

#include "server/connection_deadlines.h"
#include "server/write_limits.h"

namespace vistrel {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;
using Clock = WriteLimiter::Clock;

const Clock::time_point kStart = Clock::time_point{} + std::chrono::hours(1000);

// Stores the write unless refused; true when stored.
bool Write(WriteLimiter& limiter, const char* address, WriteKind kind, int32_t channel,
           Clock::duration at) {
  const ClientKey client = ClientKeyOf(address);
  if (limiter.Refusal(client, kind, channel, kStart + at)) return false;
  limiter.Record(client, kind, channel, kStart + at);
  return true;
}

TEST(WriteLimits, OneRatingAndOneFlagPerAddressAndChannelEveryTenMinutes) {
  WriteLimiter limiter(WriteLimits::Public());
  struct Step {
    const char* address;
    WriteKind kind;
    int32_t channel;
    Clock::duration at;
    bool stored;
  };
  const Step steps[] = {
      {"192.0.2.1", WriteKind::kRating, 10, minutes(0), true},
      {"192.0.2.1", WriteKind::kRating, 10, minutes(1), false},  // again: refused
      {"192.0.2.1", WriteKind::kFlag, 10, minutes(1), true},     // a flag counts apart
      {"192.0.2.1", WriteKind::kFlag, 10, minutes(2), false},
      {"192.0.2.1", WriteKind::kRating, 11, minutes(2), true},  // another channel
      {"192.0.2.2", WriteKind::kRating, 10, minutes(2), true},  // another address
      {"192.0.2.1", WriteKind::kRating, 10, minutes(10) - seconds(1), false},
      {"192.0.2.1", WriteKind::kRating, 10, minutes(10), true},         // the window has passed
      {"::ffff:192.0.2.1", WriteKind::kRating, 11, minutes(3), false},  // the same client
  };
  for (const Step& step : steps) {
    EXPECT_EQ(Write(limiter, step.address, step.kind, step.channel, step.at), step.stored)
        << step.address << " " << static_cast<int>(step.kind) << " " << step.channel << " at "
        << std::chrono::duration_cast<seconds>(step.at).count() << " s";
  }
}

TEST(WriteLimits, RefusalSaysHowLongToWait) {
  WriteLimiter limiter(WriteLimits::Public());
  const ClientKey client = ClientKeyOf("192.0.2.1");
  limiter.Record(client, WriteKind::kRating, 5, kStart);
  EXPECT_EQ(limiter.Refusal(client, WriteKind::kRating, 5, kStart + minutes(4)), seconds(360));
  EXPECT_EQ(limiter.Refusal(client, WriteKind::kRating, 5, kStart + minutes(10) - seconds(1)),
            seconds(1));
}

TEST(WriteLimits, FiveSubmissionsPerAddressAndHour) {
  WriteLimiter limiter(WriteLimits::Public());
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(Write(limiter, "198.51.100.7", WriteKind::kSubmission, 0, minutes(i))) << i;
  }
  EXPECT_FALSE(Write(limiter, "198.51.100.7", WriteKind::kSubmission, 0, minutes(5)));
  EXPECT_EQ(
      limiter.Refusal(ClientKeyOf("198.51.100.7"), WriteKind::kSubmission, 0, kStart + minutes(5)),
      minutes(55));
  EXPECT_TRUE(Write(limiter, "198.51.100.8", WriteKind::kSubmission, 0, minutes(5)));
  EXPECT_TRUE(Write(limiter, "198.51.100.7", WriteKind::kSubmission, 0, minutes(60)));
  EXPECT_FALSE(Write(limiter, "198.51.100.7", WriteKind::kSubmission, 0, minutes(60)));
}

TEST(WriteLimits, FullMemoryRefusesUntilWritesLeaveTheirWindow) {
  WriteLimits limits = WriteLimits::Public();
  limits.tracked_writes = 3;
  WriteLimiter limiter(limits);
  for (int32_t channel = 1; channel <= 3; ++channel) {
    EXPECT_TRUE(Write(limiter, "192.0.2.1", WriteKind::kRating, channel, minutes(0)));
  }
  EXPECT_FALSE(Write(limiter, "192.0.2.9", WriteKind::kRating, 4, minutes(1)));
  EXPECT_EQ(limiter.tracked(), 3u);
  EXPECT_TRUE(Write(limiter, "192.0.2.9", WriteKind::kRating, 4, minutes(10)));
  EXPECT_EQ(limiter.tracked(), 1u);
}

TEST(WriteLimits, NoLimitsByDefault) {
  WriteLimiter limiter;
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(Write(limiter, "192.0.2.1", WriteKind::kRating, 1, seconds(i)));
    ASSERT_TRUE(Write(limiter, "192.0.2.1", WriteKind::kSubmission, 0, seconds(i)));
  }
  EXPECT_EQ(limiter.tracked(), 0u);
}

TEST(WriteLimits, AnIpv6ClientIsItsSlash64) {
  EXPECT_EQ(ClientKeyOf("2001:db8:1:2::1"), ClientKeyOf("2001:db8:1:2:ffff:ffff:ffff:9"));
  EXPECT_NE(ClientKeyOf("2001:db8:1:2::1"), ClientKeyOf("2001:db8:1:3::1"));
  EXPECT_EQ(ClientKeyOf("::ffff:192.0.2.1"), ClientKeyOf("192.0.2.1"));
  EXPECT_NE(ClientKeyOf("192.0.2.1"), ClientKeyOf("192.0.2.2"));
  EXPECT_NE(ClientKeyOf("192.0.2.1"), ClientKeyOf("c000:201::"));  // same bytes, other family
}

struct SocketPair {
  SocketPair() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0); }
  ~SocketPair() {
    ::close(fds[0]);
    ::close(fds[1]);
  }
  // What the far end reads now: 0 when the near end was shut down, -1 when nothing came.
  ssize_t FarEndRead() {
    char byte = 0;
    return ::recv(fds[1], &byte, 1, MSG_DONTWAIT);
  }
  int fds[2] = {-1, -1};
};

TEST(ConnectionDeadlines, OnlySocketsPastTheirDeadlineAreShutDown) {
  ConnectionDeadlines deadlines;
  SocketPair late, early, arrived, forgotten;
  const auto now = ConnectionDeadlines::Clock::now();
  const int keys[4] = {};
  deadlines.Wait(&keys[0], late.fds[0], now - seconds(1));
  deadlines.Wait(&keys[1], early.fds[0], now + seconds(60));
  deadlines.Wait(&keys[2], arrived.fds[0], now - seconds(1));
  deadlines.Arrived(&keys[2]);
  deadlines.Wait(&keys[3], forgotten.fds[0], now - seconds(1));
  deadlines.Forget(&keys[3]);
  EXPECT_EQ(deadlines.ShutDownOverdue(now), 1u);
  EXPECT_EQ(late.FarEndRead(), 0);
  for (SocketPair* untouched : {&early, &arrived, &forgotten}) {
    EXPECT_EQ(untouched->FarEndRead(), -1);
    EXPECT_EQ(errno, EAGAIN);
  }
  EXPECT_EQ(deadlines.waiting(), 1u);
  EXPECT_EQ(deadlines.ShutDownOverdue(now), 0u);  // shut down once
  // A new wait replaces the deadline.
  deadlines.Wait(&keys[1], early.fds[0], now - seconds(1));
  EXPECT_EQ(deadlines.ShutDownOverdue(now), 1u);
  EXPECT_EQ(early.FarEndRead(), 0);
}

}  // namespace
}  // namespace vistrel
