#pragma once
// A small HTTP server on 127.0.0.1 for tests: scripted answers, every request recorded as it
// arrived. Add handlers, then Start; the server stops when the object goes.

#include <httplib.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vistrel {

struct RecordedRequest {
  std::string path;          // the path, as the server decoded it
  std::string target;        // path and query exactly as received
  std::string query;         // the raw query: target after the first "?", empty when none
  std::string user_agent;    // the User-Agent header
  httplib::Headers headers;  // every header as received
};

class HttpTestServer {
 public:
  HttpTestServer();
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  // Handlers must be added before Start.
  httplib::Server& server() { return server_; }
  // Answers GET `path` with a fixed status and body.
  void Answer(const std::string& path, int status, std::string body);

  // Binds a free port of 127.0.0.1 and serves on a thread.
  void Start();
  void Stop();

  int port() const { return port_; }
  std::string base_url() const;  // "http://127.0.0.1:PORT"
  std::vector<RecordedRequest> requests() const;

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = -1;
  mutable std::mutex mutex_;
  std::vector<RecordedRequest> requests_;
};

// A loopback port that refuses connections while the object lives: a bound socket that never
// listens, so no other program can take the port meanwhile.
class RefusingPort {
 public:
  RefusingPort();
  ~RefusingPort();
  RefusingPort(const RefusingPort&) = delete;
  RefusingPort& operator=(const RefusingPort&) = delete;
  int port() const { return port_; }
  std::string base_url() const;

 private:
  int fd_ = -1;
  int port_ = -1;
};

}  // namespace vistrel
