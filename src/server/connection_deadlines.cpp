#include "server/connection_deadlines.h"

#include <sys/socket.h>

namespace vistrel {

void ConnectionDeadlines::Wait(const void* connection, int socket, Clock::time_point deadline) {
  std::lock_guard lock(mutex_);
  waiting_[connection] = Waiting{socket, deadline};
}

void ConnectionDeadlines::Arrived(const void* connection) {
  std::lock_guard lock(mutex_);
  waiting_.erase(connection);
}

void ConnectionDeadlines::Forget(const void* connection) {
  std::lock_guard lock(mutex_);
  waiting_.erase(connection);
}

std::size_t ConnectionDeadlines::ShutDownOverdue(Clock::time_point now) {
  std::lock_guard lock(mutex_);
  std::size_t count = 0;
  for (auto it = waiting_.begin(); it != waiting_.end();) {
    if (it->second.deadline < now) {
      // Under the lock: Forget() cannot run meanwhile, so the socket is still this one.
      ::shutdown(it->second.socket, SHUT_RDWR);
      it = waiting_.erase(it);
      ++count;
    } else {
      ++it;
    }
  }
  return count;
}

std::size_t ConnectionDeadlines::waiting() const {
  std::lock_guard lock(mutex_);
  return waiting_.size();
}

}  // namespace vistrel
