#pragma once
// Work split over the two cores the program's machines have.

#include <exception>
#include <system_error>
#include <thread>

namespace vistrel {

// Runs work(0) on a second thread and work(1) on this one, and waits for both; both run here
// in turn where no thread can be started (no memory left for its stack). An exception from
// either is thrown here once both are done (the first's first).
template <typename Work>
void OnTwoThreads(Work&& work) {
  std::exception_ptr failed;
  auto run = [&work](int part, std::exception_ptr& error) {
    try {
      work(part);
    } catch (...) {
      error = std::current_exception();
    }
  };
  std::exception_ptr here;
  try {
    std::thread other([&] { run(0, failed); });
    run(1, here);
    other.join();
  } catch (const std::system_error&) {
    run(0, failed);
    run(1, here);
  }
  if (failed) std::rethrow_exception(failed);
  if (here) std::rethrow_exception(here);
}

}  // namespace vistrel
