#include "server/http_server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "common/error.h"

namespace vistrel {

namespace {

constexpr int kListenBacklog = 256;
constexpr auto kDeadlineCheckInterval = std::chrono::milliseconds(200);

// One request, from its request line to its end: libmicrohttpd's per-request context.
struct Exchange {
  std::string target;
  std::string client;
  std::string method = "-";
  bool header_seen = false;
  bool answered = false;
};

std::string ClientText(MHD_Connection* connection) {
  const MHD_ConnectionInfo* info =
      MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
  if (!info || !info->client_addr) return "-";
  char text[INET6_ADDRSTRLEN] = "-";
  const sockaddr* address = info->client_addr;
  if (address->sa_family == AF_INET) {
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text);
  } else if (address->sa_family == AF_INET6) {
    const in6_addr& v6 = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
    if (IN6_IS_ADDR_V4MAPPED(&v6)) {
      inet_ntop(AF_INET, &v6.s6_addr[12], text, sizeof text);  // a dual-stack IPv4 client
    } else {
      inet_ntop(AF_INET6, &v6, text, sizeof text);
    }
  }
  return text;
}

int SocketOf(MHD_Connection* connection) {
  const MHD_ConnectionInfo* info =
      MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
  return info ? info->connect_fd : -1;
}

MHD_Result AddParam(void* params, MHD_ValueKind, const char* key, size_t key_size,
                    const char* value, size_t value_size) {
  try {
    static_cast<QueryParams*>(params)->emplace(std::string(key, key_size),
                                               value ? std::string(value, value_size) : "");
    return MHD_YES;
  } catch (...) {
    return MHD_NO;
  }
}

HttpRequest ReadRequest(MHD_Connection* connection, const Exchange& exchange) {
  HttpRequest request;
  request.method = exchange.method;
  request.target = exchange.target;
  request.client = exchange.client;
  const std::string raw_path = exchange.target.substr(0, exchange.target.find('?'));
  std::vector<char> path(raw_path.begin(), raw_path.end());
  path.push_back('\0');
  const size_t length = MHD_http_unescape(path.data());
  request.path.assign(path.data(), length);
  request.path_ok = request.path.find('\0') == std::string::npos;
  MHD_get_connection_values_n(connection, MHD_GET_ARGUMENT_KIND, AddParam, &request.params);
  if (const char* range = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Range")) {
    request.range = range;
  }
  return request;
}

bool HasBody(MHD_Connection* connection) {
  const char* length =
      MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
  return (length && std::strcmp(length, "0") != 0) ||
         MHD_lookup_connection_value(connection, MHD_HEADER_KIND,
                                     MHD_HTTP_HEADER_TRANSFER_ENCODING) != nullptr;
}

void FreeSharedBody(void* holder) {
  delete static_cast<std::shared_ptr<const std::string>*>(holder);
}

MHD_Response* MakeResponse(HttpResponse& response) {
  if (response.file.get() >= 0) {
    MHD_Response* made = MHD_create_response_from_fd_at_offset64(
        response.file_length, response.file.get(), response.file_offset);
    if (made) response.file.Release();  // the response closes it
    return made;
  }
  static const auto kEmpty = std::make_shared<const std::string>();
  auto* holder = new std::shared_ptr<const std::string>(response.body ? response.body : kEmpty);
  MHD_Response* made = MHD_create_response_from_buffer_with_free_callback_cls(
      (*holder)->size(), const_cast<char*>((*holder)->data()), FreeSharedBody, holder);
  if (!made) delete holder;
  return made;
}

}  // namespace

HttpResponse HttpResponse::Text(int status, const std::string& text) {
  HttpResponse response;
  response.status = status;
  response.content_type = "text/plain";
  response.body = std::make_shared<const std::string>(text + "\n");
  return response;
}

// libmicrohttpd calls these on its threads; nothing may throw back into it.
struct HttpServerCallbacks {
  static void Log(HttpServer& server, const Exchange& exchange, int status,
                  const std::string& note) {
    if (!server.log_) return;
    try {
      server.log_(HttpLogEntry{std::chrono::system_clock::now(), exchange.client, exchange.method,
                               exchange.target, status, note});
    } catch (...) {
      // A failing log must not take the answer down with it.
    }
  }

  static void* OnRequestLine(void*, const char* uri, MHD_Connection* connection) {
    try {
      auto exchange = std::make_unique<Exchange>();
      exchange->target = uri;
      exchange->client = ClientText(connection);
      return exchange.release();
    } catch (...) {
      return nullptr;  // the request is then refused
    }
  }

  static MHD_Result OnRequest(void* self, MHD_Connection* connection, const char*,
                              const char* method, const char*, const char*,
                              size_t* upload_data_size, void** context) {
    HttpServer& server = *static_cast<HttpServer*>(self);
    auto* exchange = static_cast<Exchange*>(*context);
    if (!exchange) return MHD_NO;
    if (!exchange->header_seen) {
      exchange->header_seen = true;
      exchange->method = method;
      server.deadlines_.Arrived(connection);
      // Answered at the next call, once the library has taken the whole request: answered now,
      // the connection could not stay open for another request. A request with a body is
      // answered at once, which closes the connection after the answer instead of reading
      // the body.
      if (!HasBody(connection)) return MHD_YES;
    }
    if (exchange->answered || *upload_data_size != 0) {
      *upload_data_size = 0;  // a body is not read
      return MHD_YES;
    }
    exchange->answered = true;
    HttpResponse response;
    try {
      response = server.handler_(ReadRequest(connection, *exchange));
    } catch (const std::exception& e) {
      response = HttpResponse::Text(500, "internal error");
      response.log_note = e.what();
    } catch (...) {
      response = HttpResponse::Text(500, "internal error");
    }
    return Answer(server, connection, *exchange, response);
  }

  static MHD_Result Answer(HttpServer& server, MHD_Connection* connection, Exchange& exchange,
                           HttpResponse& response) {
    MHD_Response* made = nullptr;
    try {
      made = MakeResponse(response);
    } catch (...) {
    }
    if (!made) {
      Log(server, exchange, 0, "out of memory");
      return MHD_NO;
    }
    bool headers_ok = true;
    if (!response.content_type.empty()) {
      headers_ok = MHD_add_response_header(made, MHD_HTTP_HEADER_CONTENT_TYPE,
                                           response.content_type.c_str()) == MHD_YES;
    }
    for (const auto& [name, value] : response.headers) {
      headers_ok =
          headers_ok && MHD_add_response_header(made, name.c_str(), value.c_str()) == MHD_YES;
    }
    const MHD_Result queued =
        headers_ok ? MHD_queue_response(connection, response.status, made) : MHD_NO;
    MHD_destroy_response(made);
    // Logged here rather than at completion, so that the log follows the order of answers.
    Log(server, exchange, queued == MHD_YES ? response.status : 0, response.log_note);
    return queued;
  }

  static void OnCompleted(void* self, MHD_Connection* connection, void** context,
                          MHD_RequestTerminationCode reason) {
    HttpServer& server = *static_cast<HttpServer*>(self);
    if (auto* exchange = static_cast<Exchange*>(*context)) {
      if (!exchange->answered) {
        // Refused by the library before the request reached the handler: a header too large
        // or malformed, or a connection that ended early.
        const MHD_ConnectionInfo* info =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_HTTP_STATUS);
        Log(server, *exchange, info ? static_cast<int>(info->http_status) : 0, "");
      }
      delete exchange;
      *context = nullptr;
    }
    // A kept-alive connection waits for its next request header from now on.
    if (reason == MHD_REQUEST_TERMINATED_COMPLETED_OK) {
      server.deadlines_.Wait(connection, SocketOf(connection),
                             ConnectionDeadlines::Clock::now() + server.limits_.timeout);
    }
  }

  static void OnConnection(void* self, MHD_Connection* connection, void**,
                           MHD_ConnectionNotificationCode event) {
    HttpServer& server = *static_cast<HttpServer*>(self);
    if (event == MHD_CONNECTION_NOTIFY_STARTED) {
      server.deadlines_.Wait(connection, SocketOf(connection),
                             ConnectionDeadlines::Clock::now() + server.limits_.timeout);
    } else {
      server.deadlines_.Forget(connection);  // called before the library closes the socket
    }
  }
};

HttpServer::HttpServer(HttpServerLimits limits, Handler handler, Logger log)
    : limits_(limits), handler_(std::move(handler)), log_(std::move(log)) {}

HttpServer::~HttpServer() {
  Stop();
}

int HttpServer::Start(const std::string& host, int port) {
  if (daemon_) throw Error("server already started");
  const std::string where = host + ":" + std::to_string(port);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (const int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found)) {
    throw Error("cannot listen on " + where + ": " + gai_strerror(rc));
  }
  std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> addresses(found, freeaddrinfo);
  OwnedFd listener(
      ::socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  const int on = 1;
  if (listener.get() < 0 ||
      ::setsockopt(listener.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
      ::bind(listener.get(), found->ai_addr, found->ai_addrlen) != 0 ||
      ::listen(listener.get(), kListenBacklog) != 0) {
    throw Error("cannot listen on " + where + ": " + std::strerror(errno));
  }
  sockaddr_storage bound{};
  socklen_t bound_size = sizeof bound;
  if (::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&bound), &bound_size) != 0) {
    throw Error("cannot listen on " + where + ": " + std::strerror(errno));
  }
  const int bound_port =
      ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                        : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);

  stopping_ = false;
  daemon_ = MHD_start_daemon(
      MHD_USE_EPOLL_INTERNAL_THREAD | (found->ai_family == AF_INET6 ? MHD_USE_IPv6 : 0), 0, nullptr,
      nullptr, &HttpServerCallbacks::OnRequest, this, MHD_OPTION_LISTEN_SOCKET, listener.get(),
      MHD_OPTION_THREAD_POOL_SIZE, limits_.threads, MHD_OPTION_CONNECTION_LIMIT,
      limits_.connections, MHD_OPTION_PER_IP_CONNECTION_LIMIT, limits_.connections_per_address,
      MHD_OPTION_CONNECTION_TIMEOUT, static_cast<unsigned>(limits_.timeout.count()),
      MHD_OPTION_CONNECTION_MEMORY_LIMIT, limits_.memory_per_connection,
      MHD_OPTION_URI_LOG_CALLBACK, &HttpServerCallbacks::OnRequestLine, this,
      MHD_OPTION_NOTIFY_COMPLETED, &HttpServerCallbacks::OnCompleted, this,
      MHD_OPTION_NOTIFY_CONNECTION, &HttpServerCallbacks::OnConnection, this, MHD_OPTION_END);
  if (!daemon_) throw Error("cannot start the HTTP server on " + where);
  listener.Release();  // the daemon closes it when it stops
  watchdog_ = std::thread([this] { WatchDeadlines(); });
  return bound_port;
}

void HttpServer::Stop() {
  if (!daemon_) return;
  {
    std::lock_guard lock(watch_mutex_);
    stopping_ = true;
  }
  watch_wakeup_.notify_all();
  if (watchdog_.joinable()) watchdog_.join();
  MHD_stop_daemon(daemon_);
  daemon_ = nullptr;
}

void HttpServer::WatchDeadlines() {
  std::unique_lock lock(watch_mutex_);
  while (!stopping_) {
    watch_wakeup_.wait_for(lock, kDeadlineCheckInterval);
    if (stopping_) break;
    lock.unlock();
    deadlines_.ShutDownOverdue(ConnectionDeadlines::Clock::now());
    lock.lock();
  }
}

}  // namespace vistrel
