#pragma once
// The built vistrel-service running "serve" as a process of its own on 127.0.0.1, for tests
// that need its real memory figures or a second process on its database. Its standard error
// (the log) goes to a file.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vistrel {

class ServiceProcess {
 public:
  // Starts `vistrel-service serve --db DB --host 127.0.0.1 --port 0` with `options` after it
  // and waits (at most ten seconds) until it says which port it serves. Throws
  // std::runtime_error with its output when it ends or stays silent instead.
  ServiceProcess(const std::filesystem::path& db, const std::vector<std::string>& options,
                 const std::filesystem::path& log_file);
  ~ServiceProcess();  // SIGTERM, then SIGKILL after five seconds
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  int port() const { return port_; }
  pid_t pid() const { return pid_; }
  std::string base_url() const;
  // A field of /proc/PID/status in MiB ("VmHWM", the peak resident size; "VmRSS"); nothing
  // when it cannot be read.
  std::optional<double> StatusMiB(const char* field) const;
  // Stops it (SIGTERM) and waits; returns its exit status (-1: did not exit normally).
  int Stop();
  std::string log() const;

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  std::filesystem::path log_file_;
};

}  // namespace vistrel
