#include "support/http_test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace vistrel {

namespace {

// Clients in tests must never go through a proxy to reach the loopback server.
void BypassProxiesForLoopback() {
  ::setenv("no_proxy", "127.0.0.1,localhost", 1);
  ::setenv("NO_PROXY", "127.0.0.1,localhost", 1);
}

}  // namespace

HttpTestServer::HttpTestServer() {
  BypassProxiesForLoopback();
  server_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
    RecordedRequest r;
    r.path = req.path;
    r.target = req.target;
    const auto q = req.target.find('?');
    if (q != std::string::npos) r.query = req.target.substr(q + 1);
    r.user_agent = req.get_header_value("User-Agent");
    r.headers = req.headers;
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(std::move(r));
    return httplib::Server::HandlerResponse::Unhandled;
  });
}

HttpTestServer::~HttpTestServer() {
  Stop();
}

void HttpTestServer::Answer(const std::string& path, int status, std::string body) {
  server_.Get(path,
              [status, body = std::move(body)](const httplib::Request&, httplib::Response& res) {
                res.status = status;
                res.set_content(body, "application/octet-stream");
              });
}

void HttpTestServer::Start() {
  port_ = server_.bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("cannot bind a loopback port");
  thread_ = std::thread([this] { server_.listen_after_bind(); });
  // stop() is ignored until the server runs, so a test that ends at once must wait for it.
  while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void HttpTestServer::Stop() {
  if (!thread_.joinable()) return;
  server_.stop();
  thread_.join();
}

std::string HttpTestServer::base_url() const {
  return "http://127.0.0.1:" + std::to_string(port_);
}

std::vector<RecordedRequest> HttpTestServer::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

RefusingPort::RefusingPort() {
  BypassProxiesForLoopback();
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) throw std::runtime_error("socket failed");
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof addr;
  if (::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    ::close(fd_);
    throw std::runtime_error("cannot bind a loopback port");
  }
  port_ = ntohs(addr.sin_port);
}

RefusingPort::~RefusingPort() {
  if (fd_ >= 0) ::close(fd_);
}

std::string RefusingPort::base_url() const {
  return "http://127.0.0.1:" + std::to_string(port_);
}

}  // namespace vistrel
