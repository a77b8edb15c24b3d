#include "server/write_limits.h"

#include <arpa/inet.h>

#include <cstring>
#include <iterator>
#include <string>

namespace vistrel {

namespace {

using std::chrono::seconds;

constexpr seconds kSweepInterval{1};

// Whole seconds until `until`, at least one (for a Retry-After header).
seconds WaitUntil(WriteLimiter::Clock::time_point until, WriteLimiter::Clock::time_point now) {
  const seconds wait = std::chrono::ceil<seconds>(until - now);
  return wait < seconds{1} ? seconds{1} : wait;
}

std::size_t HashBytes(const void* data, std::size_t size) {
  return std::hash<std::string_view>()(std::string_view(static_cast<const char*>(data), size));
}

}  // namespace

WriteLimits WriteLimits::Public() {
  WriteLimits limits;
  limits.rating_interval = std::chrono::minutes(10);
  limits.flag_interval = std::chrono::minutes(10);
  limits.submissions_per_window = 5;
  limits.submission_window = std::chrono::hours(1);
  limits.waiting_submissions = 1000;
  return limits;
}

ClientKey ClientKeyOf(std::string_view address) {
  ClientKey key{};
  const std::string text(address);
  in_addr v4{};
  in6_addr v6{};
  if (inet_pton(AF_INET, text.c_str(), &v4) == 1) {
    key[0] = 4;
    std::memcpy(&key[1], &v4, 4);
  } else if (inet_pton(AF_INET6, text.c_str(), &v6) == 1) {
    if (IN6_IS_ADDR_V4MAPPED(&v6)) {
      key[0] = 4;
      std::memcpy(&key[1], &v6.s6_addr[12], 4);
    } else {
      key[0] = 6;
      std::memcpy(&key[1], v6.s6_addr, 8);
    }
  }
  return key;
}

std::size_t WriteLimiter::KeyHash::operator()(const Key& key) const {
  unsigned char bytes[sizeof(ClientKey) + 5];
  std::memcpy(bytes, key.client.data(), key.client.size());
  bytes[sizeof(ClientKey)] = static_cast<unsigned char>(key.kind);
  std::memcpy(&bytes[sizeof(ClientKey) + 1], &key.channel, 4);
  return HashBytes(bytes, sizeof bytes);
}

std::size_t WriteLimiter::ClientHash::operator()(const ClientKey& key) const {
  return HashBytes(key.data(), key.size());
}

seconds WriteLimiter::Window(WriteKind kind) const {
  switch (kind) {
    case WriteKind::kRating:
      return limits_.rating_interval;
    case WriteKind::kFlag:
      return limits_.flag_interval;
    case WriteKind::kSubmission:
      return limits_.submissions_per_window == 0 ? seconds{0} : limits_.submission_window;
  }
  return seconds{0};
}

std::optional<seconds> WriteLimiter::Refusal(const ClientKey& client, WriteKind kind,
                                             int32_t channel, Clock::time_point now) {
  const seconds window = Window(kind);
  if (window == seconds{0}) return std::nullopt;
  if (kind == WriteKind::kSubmission) {
    if (const auto it = submissions_.find(client); it != submissions_.end()) {
      auto& times = it->second;
      while (!times.empty() && times.front() + window <= now) {
        times.pop_front();
        --tracked_;
      }
      if (times.size() >= limits_.submissions_per_window) {
        return WaitUntil(times.front() + window, now);
      }
    }
  } else if (const auto it = last_write_.find(Key{client, kind, channel});
             it != last_write_.end() && it->second + window > now) {
    return WaitUntil(it->second + window, now);
  }
  if (tracked_ >= limits_.tracked_writes && !MakeRoom(now)) return window;
  return std::nullopt;
}

void WriteLimiter::Record(const ClientKey& client, WriteKind kind, int32_t channel,
                          Clock::time_point now) {
  if (Window(kind) == seconds{0}) return;
  if (kind == WriteKind::kSubmission) {
    submissions_[client].push_back(now);
    ++tracked_;
  } else if (last_write_.insert_or_assign(Key{client, kind, channel}, now).second) {
    ++tracked_;
  }
}

bool WriteLimiter::MakeRoom(Clock::time_point now) {
  if (last_sweep_ && now - *last_sweep_ < kSweepInterval) return tracked_ < limits_.tracked_writes;
  last_sweep_ = now;
  for (auto it = last_write_.begin(); it != last_write_.end();) {
    if (it->second + Window(it->first.kind) <= now) {
      it = last_write_.erase(it);
      --tracked_;
    } else {
      ++it;
    }
  }
  const seconds window = Window(WriteKind::kSubmission);
  for (auto it = submissions_.begin(); it != submissions_.end();) {
    auto& times = it->second;
    while (!times.empty() && times.front() + window <= now) {
      times.pop_front();
      --tracked_;
    }
    it = times.empty() ? submissions_.erase(it) : std::next(it);
  }
  return tracked_ < limits_.tracked_writes;
}

}  // namespace vistrel
