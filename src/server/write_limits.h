#pragma once
// How often one client address may change the catalogue: one rating and one flag (a broken-
// stream report counts as a "not working" flag) per channel in a time window, and a few
// submissions per window. Over the limit a request is refused with nothing stored. Not
// thread-safe: the service calls it under its lock.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace vistrel {

struct WriteLimits {
  // A zero interval or count: no limit of that kind.
  std::chrono::seconds rating_interval{0};  // per address and channel
  std::chrono::seconds flag_interval{0};    // per address and channel
  std::size_t submissions_per_window = 0;   // per address
  std::chrono::seconds submission_window{0};
  std::size_t waiting_submissions = 0;   // waiting for review at once, from everyone
  std::size_t tracked_writes = 100'000;  // remembered at once, over all addresses

  // The public catalogue's rules: one rating and one flag per address and channel every ten
  // minutes, five submissions per address and hour, a thousand waiting for review.
  static WriteLimits Public();
};

enum class WriteKind { kRating, kFlag, kSubmission };

// The part of a client address that names one client: an IPv4 address, or the /64 prefix of
// an IPv6 one (what one household or machine is usually given). Text that is no address
// (none is expected) gives one key shared by all such clients.
using ClientKey = std::array<uint8_t, 9>;
ClientKey ClientKeyOf(std::string_view address);

class WriteLimiter {
 public:
  using Clock = std::chrono::steady_clock;

  explicit WriteLimiter(WriteLimits limits = {}) : limits_(limits) {}

  // How long `client` must wait before a write of `kind` (about `channel`; 0 for
  // submissions) may be stored at `now`; nothing when it may be stored now. A full memory of
  // writes (many addresses in a short time) refuses too, for a window's length at most.
  std::optional<std::chrono::seconds> Refusal(const ClientKey& client, WriteKind kind,
                                              int32_t channel, Clock::time_point now);
  // Notes a write that was stored. Call only after Refusal() said nothing.
  void Record(const ClientKey& client, WriteKind kind, int32_t channel, Clock::time_point now);

  std::size_t tracked() const { return tracked_; }

 private:
  struct Key {
    ClientKey client;
    WriteKind kind;
    int32_t channel;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& key) const;
  };
  struct ClientHash {
    std::size_t operator()(const ClientKey& key) const;
  };

  std::chrono::seconds Window(WriteKind kind) const;
  // Drops what has left its window (at most once a second, as it looks at every entry); true
  // when there is room for one more.
  bool MakeRoom(Clock::time_point now);

  WriteLimits limits_;
  std::unordered_map<Key, Clock::time_point, KeyHash> last_write_;  // ratings and flags
  std::unordered_map<ClientKey, std::deque<Clock::time_point>, ClientHash> submissions_;
  std::size_t tracked_ = 0;  // entries of both maps' values
  std::optional<Clock::time_point> last_sweep_;
};

}  // namespace vistrel
