#pragma once
// A small HTTP/1.1 server on GNU libmicrohttpd: one event loop per thread of a fixed pool, so a
// slow or idle connection costs a socket and a capped buffer, never a thread. Limits on
// connections (in all and per client address), on the memory of each connection (the request
// header included) and on time (idle connections and the whole request header) keep slow and
// greedy clients from starving the others.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "server/connection_deadlines.h"
#include "server/owned_fd.h"
#include "server/request_rules.h"

struct MHD_Daemon;
struct MHD_Connection;

namespace vistrel {

struct HttpServerLimits {
  // Open at once; more wait unanswered in the listen queue (256 deep) until one ends.
  unsigned connections = 1024;
  // Open at once from one client address; more are closed on arrival.
  unsigned connections_per_address = 64;
  // An idle connection, and a connection still sending its request header, ends after this.
  std::chrono::seconds timeout{10};
  // Request header and I/O buffers of one connection; a larger header gets 431 and the end.
  std::size_t memory_per_connection = 32 * 1024;
  unsigned threads = 4;  // event loops
};

struct HttpRequest {
  std::string method;  // "GET", "HEAD", ...
  std::string target;  // path and query exactly as received
  // The path percent-decoded; `path_ok` is false when it decodes to a NUL byte, which no
  // file name or route can hold.
  std::string path;
  bool path_ok = true;
  QueryParams params;  // the query, decoded ("+" is a space); a key without "=" has ""
  std::string range;   // the Range header; empty when absent
  std::string client;  // the client's address as text ("127.0.0.1", "2001:db8::1")
};

struct HttpResponse {
  int status = 200;
  std::string content_type;
  // The body: shared, so that one package goes out to many clients without a copy each.
  std::shared_ptr<const std::string> body;
  // Or a part of an open file, streamed from disk; used when `file` is open.
  OwnedFd file;
  uint64_t file_offset = 0;
  uint64_t file_length = 0;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string log_note;  // added to the request's log entry (the reason of a failure)

  // `text` and a line end as text/plain.
  static HttpResponse Text(int status, const std::string& text);
};

// What the log receives for every request that got as far as its request line.
struct HttpLogEntry {
  std::chrono::system_clock::time_point time;
  std::string client;
  std::string method;  // "-" when the request was refused before its header was complete
  std::string target;  // as received
  int status = 0;      // 0: the connection ended without an answer
  std::string note;
};

class HttpServer {
 public:
  // Answers one request; may run on several threads at once. An exception becomes a 500
  // answer whose body says only "internal error" (the exception's text goes to the log).
  using Handler = std::function<HttpResponse(const HttpRequest&)>;
  // Receives one entry per request, on the server's threads; may be empty.
  using Logger = std::function<void(const HttpLogEntry&)>;

  // Does not listen yet; never fails.
  HttpServer(HttpServerLimits limits, Handler handler, Logger log);
  ~HttpServer();  // stops
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Listens on `host` (an address or a name) and `port` (0: any free port) and serves on the
  // server's threads; returns the port. Throws vistrel::Error naming the address and the
  // reason when it cannot listen, or when already started.
  int Start(const std::string& host, int port);
  // Closes every connection and waits for the threads; harmless when not started.
  void Stop();

 private:
  friend struct HttpServerCallbacks;  // libmicrohttpd's callbacks, in the source file
  void WatchDeadlines();

  HttpServerLimits limits_;
  Handler handler_;
  Logger log_;
  ConnectionDeadlines deadlines_;
  MHD_Daemon* daemon_ = nullptr;
  std::mutex watch_mutex_;
  std::condition_variable watch_wakeup_;
  bool stopping_ = false;
  std::thread watchdog_;
};

}  // namespace vistrel
