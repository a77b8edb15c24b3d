#include "server/held_connections.h"

#include <poll.h>

#include <vector>

namespace vistrel {

HeldConnections::HeldConnections(Resume resume) : resume_(std::move(resume)) {}

bool HeldConnections::Hold(void* connection, Held held, const std::function<void()>& suspend) {
  std::lock_guard lock(mutex_);
  if (closed_) return false;
  suspend();
  held_[connection] = held;
  return true;
}

bool HeldConnections::HoldUntil(void* connection, Clock::time_point wake_at,
                                const std::function<void()>& suspend) {
  return Hold(connection, Held{false, -1, wake_at}, suspend);
}

bool HeldConnections::HoldUnanswered(void* connection, int socket,
                                     const std::function<void()>& suspend) {
  return Hold(connection, Held{true, socket, {}}, suspend);
}

std::size_t HeldConnections::ResumeDue(Clock::time_point now) {
  std::vector<void*> due;
  std::unique_lock lock(mutex_);
  std::vector<pollfd> sockets;
  std::vector<void*> owners;
  for (const auto& [connection, held] : held_) {
    if (!held.unanswered) {
      if (held.wake_at <= now) due.push_back(connection);
    } else if (held.socket >= 0) {
      sockets.push_back(pollfd{held.socket, POLLRDHUP, 0});
      owners.push_back(connection);
    }
  }
  // A held socket is not in any event loop, so only this sees its client hang up.
  if (!sockets.empty() && ::poll(sockets.data(), sockets.size(), 0) > 0) {
    for (std::size_t i = 0; i < sockets.size(); ++i) {
      if (sockets[i].revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) due.push_back(owners[i]);
    }
  }
  for (void* connection : due) held_.erase(connection);
  lock.unlock();
  // Outside the lock, so the library's own locks are never taken under it; no longer listed,
  // each is resumed by this call only.
  for (void* connection : due) resume_(connection);
  return due.size();
}

void HeldConnections::ResumeAll() {
  std::unordered_map<void*, Held> all;
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
    all.swap(held_);
  }
  for (const auto& [connection, held] : all) resume_(connection);
}

void HeldConnections::Forget(void* connection) {
  std::lock_guard lock(mutex_);
  held_.erase(connection);
}

std::size_t HeldConnections::held() const {
  std::lock_guard lock(mutex_);
  return held_.size();
}

}  // namespace vistrel
