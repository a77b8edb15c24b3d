#pragma once
// The program's one worker for the network: requests to the service and list downloads run
// there, one after the other, so the window never waits on the network. Each job's result is
// handed back through the "post back" function its caller supplies (the window's runs it on the
// window's thread, and drops it when the object it belongs to is gone).

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace vistrel {

// Hands `deliver` to the thread that takes the job's result; called on the worker. It may drop
// `deliver` (the receiver is gone). Must not throw.
using PostBack = std::function<void(std::function<void()> deliver)>;

// A job's work, run on the worker. `cancelled` turns true when the job is cancelled or the
// runner goes; the work reads it at its transfer's progress steps. Returns what is delivered
// through the post back (may be empty: nothing is posted). Exceptions are swallowed: the job
// then delivers nothing.
using RequestJob = std::function<std::function<void()>(const std::atomic<bool>& cancelled)>;

class RequestRunner {
 public:
  using JobId = uint64_t;

  // Starts the worker thread. Throws std::system_error when no thread can be started.
  RequestRunner();
  // Cancels every job, waits for the running one to end and drops what has not been posted.
  ~RequestRunner();
  RequestRunner(const RequestRunner&) = delete;
  RequestRunner& operator=(const RequestRunner&) = delete;

  // Queues `job`; its result goes to `post_back` once it has run. Never fails (running out of
  // memory aside).
  JobId Run(RequestJob job, PostBack post_back);
  // Sets the cancel flag of a queued or running job; a job that has ended is left alone.
  void Cancel(JobId id);
  // Blocks until every job queued so far has run and posted its result. Never fails.
  void WaitUntilIdle();

 private:
  struct Entry {
    JobId id = 0;
    RequestJob job;
    PostBack post_back;
    std::shared_ptr<std::atomic<bool>> cancelled;
  };
  void Work();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<Entry> queue_;
  JobId next_id_ = 1;
  JobId running_id_ = 0;
  std::shared_ptr<std::atomic<bool>> running_cancelled_;
  bool busy_ = false;  // a job has been taken and has not posted yet
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace vistrel
