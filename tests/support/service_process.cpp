#include "support/service_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "support/temp_dir.h"

namespace vistrel {

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(10);
constexpr auto kStopTimeout = std::chrono::seconds(5);

// Waits for the process at most `timeout`; its exit status, or nothing while it runs.
std::optional<int> WaitFor(pid_t pid, std::chrono::steady_clock::duration timeout) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (true) {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (done < 0) return -1;
    if (std::chrono::steady_clock::now() >= until) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

ServiceProcess::ServiceProcess(const std::filesystem::path& db,
                               const std::vector<std::string>& options,
                               const std::filesystem::path& log_file)
    : log_file_(log_file) {
  std::vector<std::string> argv = {VISTREL_BINARY_DIR "/vistrel-service",
                                   "serve",
                                   "--db",
                                   db.string(),
                                   "--host",
                                   "127.0.0.1",
                                   "--port",
                                   "0"};
  argv.insert(argv.end(), options.begin(), options.end());
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  // A log left by an earlier run must not be read as this one's.
  std::filesystem::remove(log_file);
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    const int err = ::open(log_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int in = ::open("/dev/null", O_RDONLY);
    if (err < 0 || in < 0) ::_exit(127);
    ::dup2(in, 0);
    ::dup2(err, 1);
    ::dup2(err, 2);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  const std::string marker = "serving http://127.0.0.1:";
  const auto until = std::chrono::steady_clock::now() + kStartTimeout;
  while (std::chrono::steady_clock::now() < until) {
    const std::string text = log();
    if (const auto at = text.find(marker); at != std::string::npos) {
      port_ = std::atoi(text.c_str() + at + marker.size());
      if (port_ > 0) return;
    }
    if (WaitFor(pid_, std::chrono::milliseconds(0))) {
      pid_ = -1;
      throw std::runtime_error("vistrel-service ended: " + text);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Stop();
  throw std::runtime_error("vistrel-service did not start: " + log());
}

ServiceProcess::~ServiceProcess() {
  Stop();
}

std::string ServiceProcess::base_url() const {
  return "http://127.0.0.1:" + std::to_string(port_);
}

std::optional<double> ServiceProcess::StatusMiB(const char* field) const {
  std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
  const std::string wanted = std::string(field) + ":";
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(wanted, 0) == 0) return std::atof(line.c_str() + wanted.size()) / 1024.0;
  }
  return std::nullopt;
}

int ServiceProcess::Stop() {
  if (pid_ < 0) return -1;
  ::kill(pid_, SIGTERM);
  std::optional<int> status = WaitFor(pid_, kStopTimeout);
  if (!status) {
    ::kill(pid_, SIGKILL);
    status = WaitFor(pid_, kStopTimeout);
  }
  pid_ = -1;
  return status.value_or(-1);
}

std::string ServiceProcess::log() const {
  return ReadTestFile(log_file_);
}

}  // namespace vistrel
