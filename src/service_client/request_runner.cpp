#include "service_client/request_runner.h"

namespace vistrel {

RequestRunner::RequestRunner() : worker_([this] { Work(); }) {}

RequestRunner::~RequestRunner() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
    for (Entry& entry : queue_) entry.cancelled->store(true);
    if (running_cancelled_) running_cancelled_->store(true);
  }
  wake_.notify_all();
  idle_.notify_all();
  worker_.join();
}

RequestRunner::JobId RequestRunner::Run(RequestJob job, PostBack post_back) {
  JobId id = 0;
  {
    const std::lock_guard lock(mutex_);
    id = next_id_++;
    queue_.push_back(Entry{id, std::move(job), std::move(post_back),
                           std::make_shared<std::atomic<bool>>(stopping_)});
  }
  wake_.notify_one();
  return id;
}

void RequestRunner::Cancel(JobId id) {
  const std::lock_guard lock(mutex_);
  if (id == running_id_ && running_cancelled_) running_cancelled_->store(true);
  for (Entry& entry : queue_) {
    if (entry.id == id) entry.cancelled->store(true);
  }
}

void RequestRunner::WaitUntilIdle() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return stopping_ || (queue_.empty() && !busy_); });
}

void RequestRunner::Work() {
  for (;;) {
    Entry entry;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;  // what is queued is dropped
      entry = std::move(queue_.front());
      queue_.pop_front();
      running_id_ = entry.id;
      busy_ = true;
      running_cancelled_ = entry.cancelled;
    }
    std::function<void()> result;
    try {
      result = entry.job(*entry.cancelled);
    } catch (...) {
      result = nullptr;  // a failing job delivers nothing
    }
    {
      const std::lock_guard lock(mutex_);
      running_id_ = 0;
      running_cancelled_.reset();
      if (stopping_) {
        busy_ = false;
        idle_.notify_all();
        return;  // the receivers are going away
      }
    }
    if (result && entry.post_back) entry.post_back(std::move(result));
    {
      const std::lock_guard lock(mutex_);
      busy_ = false;
    }
    idle_.notify_all();
  }
}

}  // namespace vistrel
