#include "server/catalogue_service.h"

#include "common/error.h"
#include "protocol/service_protocol.h"
#include "server/byte_range.h"
#include "server/list_answer.h"
#include "server/media_files.h"
#include "server/request_log.h"
#include "server/request_rules.h"

namespace vistrel {

namespace {

constexpr std::string_view kMediaPrefix = "/media/";
constexpr std::string_view kLivePrefix = "/live/";
constexpr std::string_view kStallPrefix = "/stall/";

HttpResponse Bytes(std::string bytes) {
  HttpResponse response;
  response.content_type = "application/octet-stream";
  response.body = std::make_shared<const std::string>(std::move(bytes));
  return response;
}

HttpResponse TooManyRequests(std::chrono::seconds wait) {
  HttpResponse response = HttpResponse::Text(429, "too many requests; try again later");
  response.headers.emplace_back("Retry-After", std::to_string(wait.count()));
  return response;
}

std::optional<int32_t> ChannelIdParam(const HttpRequest& request, const char* key) {
  const auto value = FirstParam(request.params, key);
  return value ? ParseRequestInt(*value) : std::nullopt;
}

CatalogueServiceConfig WithClock(CatalogueServiceConfig config) {
  if (!config.clock) config.clock = CurrentMinute;
  return config;
}

}  // namespace

CatalogueService::CatalogueService(CatalogueServiceConfig config)
    : config_(WithClock(std::move(config))),
      db_(config_.db_file, config_.clock(), config_.db_mode),
      limiter_(config_.write_limits),
      publisher_db_(config_.db_file, config_.clock(), OpenMode::kExisting),
      guide_(std::make_unique<GuideAnswers>(config_.db_file)) {
  if (!config_.build_package) throw Error("no package builder given");
  if (!(config_.live_loop_seconds > 0)) throw Error("the live loop must last longer than 0 s");
}

CatalogueService::~CatalogueService() {
  Stop();
}

std::string CatalogueService::BaseUrl() const {
  return "http://" + config_.host + ":" + std::to_string(port_);
}

std::shared_ptr<const CatalogueService::Package> CatalogueService::CurrentPackage() {
  const auto on_hand = [this]() -> std::shared_ptr<const Package> {
    std::lock_guard lock(mutex_);
    if (package_ && PackageStillServes(package_->on_hand, db_.State(), config_.clock())) {
      return package_;
    }
    return nullptr;
  };
  if (auto package = on_hand()) return package;
  std::lock_guard publishing(publish_mutex_);
  if (auto package = on_hand()) return package;  // built by another request meanwhile
  // Built outside the lock: ratings and flags go on while it runs.
  CatalogueSnapshot snapshot = publisher_db_.Snapshot();
  const PackagePlan plan = PlanPackage(snapshot.state, config_.clock());
  snapshot.tables.version = plan.stamp;
  auto package = std::make_shared<Package>();
  package->on_hand = PackageOnHand{plan.stamp, plan.current ? snapshot.state.changes : -1};
  package->response = std::make_shared<const std::string>(
      FrameListResponse(kTagPackage, config_.build_package(TablesToEntries(snapshot.tables))));
  if (plan.record) publisher_db_.RecordPublication(plan.stamp, snapshot.state.changes);
  std::lock_guard lock(mutex_);
  package_ = package;
  return package;
}

HttpResponse CatalogueService::ListDownload(const HttpRequest& request) {
  const auto key = FirstParam(request.params, kAccessKeyParam);
  const auto date = FirstParam(request.params, kDateParam);
  // The key is checked before anything is built.
  if (DecideListAnswer(key, config_.access_key, std::nullopt, "") == ListAnswer::kWrongKey) {
    return Bytes(FrameListResponse(kTagMessage, kWrongKeyMessage));
  }
  const auto package = CurrentPackage();
  if (DecideListAnswer(key, config_.access_key, date, package->on_hand.stamp) ==
      ListAnswer::kUpToDate) {
    return Bytes(FrameListResponse(kTagMessage, kUpToDateMessage));
  }
  HttpResponse response;
  response.content_type = "application/octet-stream";
  response.body = package->response;
  return response;
}

HttpResponse CatalogueService::LimitedWrite(const HttpRequest& request, WriteKind kind,
                                            int32_t channel, const std::function<bool()>& store) {
  const ClientKey client = ClientKeyOf(request.client);
  const auto now = WriteLimiter::Clock::now();
  std::lock_guard lock(mutex_);
  if (const auto wait = limiter_.Refusal(client, kind, channel, now)) return TooManyRequests(*wait);
  if (!store()) return HttpResponse::Text(400, "unknown channel");
  limiter_.Record(client, kind, channel, now);
  return HttpResponse::Text(200, "OK");
}

HttpResponse CatalogueService::SubmitChannel(const HttpRequest& request) {
  const Result<Submission> check = CheckSubmission(request.params);
  if (!check.ok()) return HttpResponse::Text(400, check.error);
  const ClientKey client = ClientKeyOf(request.client);
  const auto now = WriteLimiter::Clock::now();
  std::lock_guard lock(mutex_);
  if (const auto wait = limiter_.Refusal(client, WriteKind::kSubmission, 0, now)) {
    return TooManyRequests(*wait);
  }
  const std::size_t most = config_.write_limits.waiting_submissions;
  if (most > 0 && db_.SubmissionCount() >= static_cast<int64_t>(most)) {
    return HttpResponse::Text(503, "too many submissions waiting for review");
  }
  db_.Submit(*check.value, config_.clock());
  limiter_.Record(client, WriteKind::kSubmission, 0, now);
  return HttpResponse::Text(200, "OK");
}

HttpResponse CatalogueService::MediaDownload(const HttpRequest& request) const {
  auto file =
      OpenMediaFile(media_root_, std::string_view(request.path).substr(kMediaPrefix.size()));
  if (!file) return HttpResponse::Text(404, "not found");
  const RangeAnswer range = ReadRangeHeader(request.range, file->size);
  HttpResponse response;
  response.headers = {{"Accept-Ranges", "bytes"}, {"X-Content-Type-Options", "nosniff"}};
  if (range.kind == RangeAnswer::Kind::kUnsatisfiable) {
    response.status = 416;
    response.headers.emplace_back("Content-Range", ContentRange(range, file->size));
    return response;
  }
  response.content_type = file->content_type;
  response.file = std::move(file->fd);
  if (range.kind == RangeAnswer::Kind::kPart) {
    response.status = 206;
    response.headers.emplace_back("Content-Range", ContentRange(range, file->size));
    response.file_offset = range.first;
    response.file_length = range.length;
  } else {
    response.file_length = file->size;
  }
  return response;
}

HttpResponse CatalogueService::LiveStream(const HttpRequest& request) const {
  auto file = OpenMediaFile(media_root_, std::string_view(request.path).substr(kLivePrefix.size()));
  if (!file) return HttpResponse::Text(404, "not found");
  HttpResponse response;
  response.headers = {{"Cache-Control", "no-store"}, {"X-Content-Type-Options", "nosniff"}};
  response.content_type = file->content_type;
  response.file = std::move(file->fd);
  if (file->size == 0) return response;  // nothing to repeat: an empty answer that ends
  response.repeat_file = true;
  response.bytes_per_second = static_cast<double>(file->size) / config_.live_loop_seconds;
  return response;
}

HttpResponse CatalogueService::Answer(const HttpRequest& request) {
  if (request.method != "GET" && request.method != "HEAD") {
    HttpResponse response = HttpResponse::Text(405, "only GET and HEAD are answered");
    response.headers.emplace_back("Allow", "GET, HEAD");
    return response;
  }
  const std::string& path = request.path;
  if (!request.path_ok) return HttpResponse::Text(404, "not found");
  if (path == kListDownloadPath) return ListDownload(request);
  if (path == kRatePath) {
    const auto rating = FirstParam(request.params, kRatingParam);
    const auto stars = rating ? ParseRating(*rating) : std::nullopt;
    const auto id = ChannelIdParam(request, kIdParam);
    if (!stars || !id) return HttpResponse::Text(400, "bad or missing rating or id");
    return LimitedWrite(request, WriteKind::kRating, *id,
                        [&] { return db_.Rate(*id, *stars, config_.clock()); });
  }
  if (path == kFlagPath) {
    const auto text = FirstParam(request.params, kFlagParam);
    const auto flag = text ? ParseFlag(*text) : std::nullopt;
    const auto id = ChannelIdParam(request, kIdParam);
    if (!flag || !id) return HttpResponse::Text(400, "bad or missing flag or id");
    return LimitedWrite(request, WriteKind::kFlag, *id,
                        [&] { return db_.Flag(*id, *flag, config_.clock()); });
  }
  // A stream that failed to play counts as a "not working" flag.
  if (path == kReportPath) {
    const auto id = ChannelIdParam(request, kReportIdParam);
    if (!id) return HttpResponse::Text(400, "bad or missing channel_id");
    return LimitedWrite(request, WriteKind::kFlag, *id,
                        [&] { return db_.Flag(*id, ChannelStatus::kNotWorking, config_.clock()); });
  }
  if (path == kSubmitPath) return SubmitChannel(request);
  if (path == kGuidePath) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return guide_->Answer(request.params,
                          std::chrono::duration_cast<std::chrono::seconds>(now).count());
  }
  if (!media_root_.empty() && path.starts_with(kMediaPrefix)) return MediaDownload(request);
  if (!media_root_.empty() && path.starts_with(kLivePrefix)) return LiveStream(request);
  // The client's timeout path: taken in, never answered.
  if (!media_root_.empty() && path.starts_with(kStallPrefix)) {
    HttpResponse response;
    response.unanswered = true;
    return response;
  }
  return HttpResponse::Text(404, "not found");
}

int CatalogueService::Start() {
  if (server_) throw Error("service already started");
  if (!config_.media_dir.empty()) media_root_ = ResolveMediaRoot(config_.media_dir);
  HttpServer::Logger logger;
  if (config_.log) {
    logger = [log = config_.log](const HttpLogEntry& entry) {
      log(FormatLogLine(entry, kAccessKeyParam));
    };
  }
  auto server = std::make_unique<HttpServer>(
      config_.http, [this](const HttpRequest& request) { return Answer(request); }, logger);
  port_ = server->Start(config_.host, config_.port);
  server_ = std::move(server);
  return port_;
}

void CatalogueService::Stop() {
  if (!server_) return;
  server_->Stop();
  server_.reset();
}

}  // namespace vistrel
