#pragma once
// Connections waiting for a request header, each with the time it must have arrived by. Those
// that miss it have their socket shut down, so that their event loop sees the end and closes
// them: a client that trickles its header, or sends none, holds its connection for a bounded
// time only. Thread-safe.

#include <chrono>
#include <cstddef>
#include <mutex>
#include <unordered_map>

namespace vistrel {

class ConnectionDeadlines {
 public:
  using Clock = std::chrono::steady_clock;

  // `connection` (any key unique while it lives) with its socket begins to wait for a request
  // header; a deadline given before is replaced.
  void Wait(const void* connection, int socket, Clock::time_point deadline);
  // Its request header arrived: no deadline until the next Wait.
  void Arrived(const void* connection);
  // The connection is about to close its socket, which must not be touched any more. The
  // caller must call this before the socket is closed, so no other socket reusing the number
  // can be shut down by mistake.
  void Forget(const void* connection);
  // Shuts down both directions of every socket whose deadline is before `now` and stops
  // watching it; returns how many. Never fails (a socket already gone is skipped).
  std::size_t ShutDownOverdue(Clock::time_point now);
  std::size_t waiting() const;

 private:
  struct Waiting {
    int socket = -1;
    Clock::time_point deadline;
  };
  mutable std::mutex mutex_;
  std::unordered_map<const void*, Waiting> waiting_;
};

}  // namespace vistrel
