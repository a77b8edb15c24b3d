#pragma once
// Connections the server has taken out of its event loops for a while: live streams waiting
// for their next step, and requests that get no answer. None of them holds a thread; one
// watcher resumes them when their time comes, when the client of an unanswered one goes, and
// all of them before the server stops (its library must not stop with any held). Thread-safe.

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <unordered_map>

namespace vistrel {

class HeldConnections {
 public:
  using Clock = std::chrono::steady_clock;
  // Gives a held connection back to its event loop; called once per hold, after its suspend,
  // without the registry locked.
  using Resume = std::function<void(void* connection)>;

  explicit HeldConnections(Resume resume);

  // Holds `connection` until `wake_at`. `suspend` takes it out of its event loop and runs
  // under the lock, so its resume cannot come first. False, and `suspend` not called, once
  // ResumeAll has run: the connection is to end instead.
  bool HoldUntil(void* connection, Clock::time_point wake_at, const std::function<void()>& suspend);
  // Holds `connection` without a time: until its client closes or breaks `socket` (seen by
  // ResumeDue) or ResumeAll. Fails as HoldUntil.
  bool HoldUnanswered(void* connection, int socket, const std::function<void()>& suspend);
  // Resumes the connections whose time has come by `now` and the unanswered ones whose client
  // has gone; returns how many. Never fails.
  std::size_t ResumeDue(Clock::time_point now);
  // Resumes every held connection and holds none from now on. Never fails.
  void ResumeAll();
  // The connection is closing: it is no longer watched (it cannot be held at that point, but
  // no stale entry may outlive it).
  void Forget(void* connection);
  std::size_t held() const;

 private:
  struct Held {
    bool unanswered = false;
    int socket = -1;            // unanswered only
    Clock::time_point wake_at;  // live only
  };
  bool Hold(void* connection, Held held, const std::function<void()>& suspend);

  Resume resume_;
  mutable std::mutex mutex_;
  bool closed_ = false;
  std::unordered_map<void*, Held> held_;
};

}  // namespace vistrel
