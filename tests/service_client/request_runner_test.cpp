#include "service_client/request_runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "service_client/service_requests.h"
#include "support/http_test_server.h"

namespace vistrel {
namespace {

// Runs every delivered result at once on the worker, in the order the jobs ran.
PostBack Collect(std::mutex& mutex) {
  return [&mutex](std::function<void()> deliver) {
    const std::lock_guard lock(mutex);
    deliver();
  };
}

TEST(RequestRunner, JobsRunInTurnAndTheirResultsArePostedBack) {
  RequestRunner runner;
  std::vector<std::string> delivered;
  std::mutex mutex;
  for (const char* name : {"first", "second", "third"}) {
    runner.Run(
        [&delivered, name](const std::atomic<bool>&) -> std::function<void()> {
          return [&delivered, name] { delivered.push_back(name); };
        },
        Collect(mutex));
  }
  runner.WaitUntilIdle();
  EXPECT_EQ(delivered, (std::vector<std::string>{"first", "second", "third"}));
}

TEST(RequestRunner, CancelReachesTheRunningJob) {
  RequestRunner runner;
  std::promise<void> started;
  std::vector<std::string> delivered;
  std::mutex mutex;
  const RequestRunner::JobId id = runner.Run(
      [&started](const std::atomic<bool>& cancelled) -> std::function<void()> {
        started.set_value();
        while (!cancelled) std::this_thread::yield();
        return nullptr;
      },
      Collect(mutex));
  started.get_future().wait();
  runner.Cancel(id);
  runner.WaitUntilIdle();
  EXPECT_TRUE(delivered.empty());
}

// A request to a service that never answers ends when the runner goes, without a result.
TEST(RequestRunner, AWaitingRequestIsCancelledWhenTheRunnerGoes) {
  HttpTestServer server;
  std::promise<void> arrived;
  std::atomic<bool> release{false};
  server.server().Get("/hang", [&](const httplib::Request&, httplib::Response& res) {
    arrived.set_value();
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    res.set_content("late", "text/plain");
  });
  server.Start();
  bool posted = false;
  {
    RequestRunner runner;
    runner.Run(
        [url = server.base_url() + "/hang"](const std::atomic<bool>& cancelled) {
          SendServiceRequest(url, &cancelled);
          return std::function<void()>([] {});
        },
        [&posted](std::function<void()>) { posted = true; });
    arrived.get_future().wait();
  }
  release = true;
  EXPECT_FALSE(posted);
}

}  // namespace
}  // namespace vistrel
