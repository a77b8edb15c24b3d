#include "server/catalogue_service.h"

#include <httplib.h>

#include <atomic>
#include <chrono>

#include "common/error.h"
#include "server/list_answer.h"
#include "server/request_rules.h"

namespace vistrel {

namespace {

void Reply(httplib::Response& res, int status, const std::string& text) {
  res.status = status;
  res.set_content(text + "\n", "text/plain");
}

std::optional<int32_t> ChannelIdParam(const httplib::Request& req, const char* key) {
  const auto value = FirstParam(req.params, key);
  return value ? ParseRequestInt(*value) : std::nullopt;
}

CatalogueServiceConfig WithClock(CatalogueServiceConfig config) {
  if (!config.clock) config.clock = CurrentMinute;
  return config;
}

}  // namespace

CatalogueService::CatalogueService(CatalogueServiceConfig config)
    : config_(WithClock(std::move(config))), db_(config_.db_file, config_.clock()) {
  if (!config_.build_package) throw Error("no package builder given");
}

CatalogueService::~CatalogueService() {
  Stop();
}

std::string CatalogueService::BaseUrl() const {
  return "http://" + config_.host + ":" + std::to_string(port_);
}

std::string CatalogueService::ListResponse(const std::optional<std::string>& key,
                                           const std::optional<std::string>& date) {
  std::lock_guard lock(mutex_);
  const CatalogueState state = db_.State();
  switch (DecideListAnswer(key, config_.access_key, date, state.version)) {
    case ListAnswer::kWrongKey:
      return FrameListResponse(kTagMessage, kWrongKeyMessage);
    case ListAnswer::kUpToDate:
      return FrameListResponse(kTagMessage, kUpToDateMessage);
    case ListAnswer::kPackage:
      break;
  }
  if (cached_changes_ != state.changes) {
    CatalogueSnapshot snapshot = db_.Snapshot();
    std::string package = config_.build_package(TablesToEntries(snapshot.tables));
    db_.MarkPublished(snapshot.tables.version);
    cached_package_ = FrameListResponse(kTagPackage, package);
    cached_changes_ = snapshot.changes;
  }
  return cached_package_;
}

void CatalogueService::Route() {
  httplib::Server& s = *server_;
  s.Get("/service/get.php", [this](const httplib::Request& req, httplib::Response& res) {
    res.set_content(ListResponse(FirstParam(req.params, "key"), FirstParam(req.params, "date")),
                    "application/octet-stream");
  });
  s.Get("/service/rate.php", [this](const httplib::Request& req, httplib::Response& res) {
    const auto rating = FirstParam(req.params, "rating");
    const auto stars = rating ? ParseRating(*rating) : std::nullopt;
    const auto id = ChannelIdParam(req, "id");
    if (!stars || !id) return Reply(res, 400, "bad or missing rating or id");
    std::lock_guard lock(mutex_);
    if (!db_.Rate(*id, *stars, config_.clock())) return Reply(res, 400, "unknown channel");
    Reply(res, 200, "OK");
  });
  s.Get("/service/flag.php", [this](const httplib::Request& req, httplib::Response& res) {
    const auto text = FirstParam(req.params, "flag");
    const auto flag = text ? ParseFlag(*text) : std::nullopt;
    const auto id = ChannelIdParam(req, "id");
    if (!flag || !id) return Reply(res, 400, "bad or missing flag or id");
    std::lock_guard lock(mutex_);
    if (!db_.Flag(*id, *flag, config_.clock())) return Reply(res, 400, "unknown channel");
    Reply(res, 200, "OK");
  });
  // A stream that failed to play counts as a "not working" report.
  s.Get("/service/bad.php", [this](const httplib::Request& req, httplib::Response& res) {
    const auto id = ChannelIdParam(req, "channel_id");
    if (!id) return Reply(res, 400, "bad or missing channel_id");
    std::lock_guard lock(mutex_);
    if (!db_.Flag(*id, ChannelFlag::kNotWorking, config_.clock())) {
      return Reply(res, 400, "unknown channel");
    }
    Reply(res, 200, "OK");
  });
  s.Get("/service/new2.php", [this](const httplib::Request& req, httplib::Response& res) {
    const SubmissionCheck check = CheckSubmission(req.params);
    if (!check.submission) return Reply(res, 400, check.error);
    std::lock_guard lock(mutex_);
    db_.Submit(*check.submission, config_.clock());
    Reply(res, 200, "OK");
  });
  s.set_exception_handler(
      [](const httplib::Request&, httplib::Response& res, std::exception_ptr ep) {
        std::string what = "internal error";
        try {
          std::rethrow_exception(ep);
        } catch (const std::exception& e) {
          what = e.what();
        } catch (...) {
        }
        Reply(res, 500, what);
      });
  if (config_.log) {
    s.set_logger([log = config_.log](const httplib::Request& req, const httplib::Response& res) {
      log(req.method + " " + req.target + " " + std::to_string(res.status));
    });
  }
}

int CatalogueService::Start() {
  if (server_) throw Error("service already started");
  server_ = std::make_unique<httplib::Server>();
  Route();
  if (!config_.media_dir.empty() && !server_->set_mount_point("/media", config_.media_dir)) {
    server_.reset();
    throw Error("media folder not found: " + config_.media_dir.string());
  }
  const int port = config_.port == 0
                       ? server_->bind_to_any_port(config_.host)
                       : (server_->bind_to_port(config_.host, config_.port) ? config_.port : -1);
  if (port < 0) {
    server_.reset();
    throw Error("cannot listen on " + config_.host + ":" + std::to_string(config_.port));
  }
  port_ = port;
  auto ended = std::make_shared<std::atomic<bool>>(false);
  thread_ = std::thread([server = server_.get(), ended] {
    server->listen_after_bind();
    *ended = true;
  });
  // stop() only takes effect once the accept loop runs: wait for it.
  while (!server_->is_running() && !*ended) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return port_;
}

void CatalogueService::Stop() {
  if (!server_) return;
  server_->stop();
  if (thread_.joinable()) thread_.join();
  server_.reset();
}

}  // namespace vistrel
