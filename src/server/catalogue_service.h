#pragma once
// The catalogue service over HTTP: the list download and the small requests under "/service/",
// and optionally a folder of media files: as they are under "/media/", as endless live streams
// under "/live/", and under "/stall/" as requests that never get an answer.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "catalogue/package.h"
#include "common/build_config.h"
#include "server/catalogue_db.h"
#include "server/guide_answers.h"
#include "server/http_server.h"
#include "server/package_publication.h"
#include "server/version_stamp.h"
#include "server/write_limits.h"

namespace vistrel {

// Turns the package entries into the bytes of a package file (vistrel::BuildPackage with the
// build's key and IV, in the program).
using PackageBuilder = std::function<std::string(const std::vector<PackageEntry>&)>;

// Every file of the demo media plays this long: a live stream sends one whole copy of its file
// per this many seconds, so a constant-rate file plays in real time.
constexpr double kLiveLoopSeconds = 20;

struct CatalogueServiceConfig {
  std::filesystem::path db_file;
  OpenMode db_mode = OpenMode::kCreate;  // kExisting: a file without a catalogue is refused
  std::string host = "127.0.0.1";
  int port = 8780;  // 0: any free port
  std::string access_key = build::kAccessKey;
  std::filesystem::path media_dir;  // served under "/media/", "/live/" and "/stall/" when set
  double live_loop_seconds = kLiveLoopSeconds;  // above 0
  PackageBuilder build_package;                 // required
  std::function<StampTime()> clock = CurrentMinute;
  WriteLimits write_limits;  // none unless set; `serve` uses WriteLimits::Public()
  HttpServerLimits http;
  // Receives one line per request (FormatLogLine: time, client address, method, target with
  // the access key masked, status); empty: no log.
  std::function<void(const std::string&)> log;
};

class CatalogueService {
 public:
  // Opens the database as `db_mode` says. Throws vistrel::Error.
  explicit CatalogueService(CatalogueServiceConfig config);
  ~CatalogueService();  // stops the server
  CatalogueService(const CatalogueService&) = delete;
  CatalogueService& operator=(const CatalogueService&) = delete;

  // Binds the host and port and serves on background threads; returns the port. Throws
  // vistrel::Error when the address cannot be bound or the media folder is missing.
  int Start();
  // Stops serving and waits for the server threads; harmless when not started.
  void Stop();

  int port() const { return port_; }
  // "http://host:port", the base URL for clients.
  std::string BaseUrl() const;

 private:
  struct Package {
    PackageOnHand on_hand;
    std::shared_ptr<const std::string> response;  // the whole list-download answer
  };

  HttpResponse Answer(const HttpRequest& request);
  HttpResponse ListDownload(const HttpRequest& request);
  // Stores one rating or flag unless the client is over its limit (429); `store` returns false
  // for an unknown channel (400).
  HttpResponse LimitedWrite(const HttpRequest& request, WriteKind kind, int32_t channel,
                            const std::function<bool()>& store);
  HttpResponse SubmitChannel(const HttpRequest& request);
  HttpResponse MediaDownload(const HttpRequest& request) const;
  // The file again and again at the rate that sends one copy per loop, without end; 404 for a
  // file MediaDownload would not serve.
  HttpResponse LiveStream(const HttpRequest& request) const;
  // The package to hand out now, built when PackageStillServes says the one on hand does not.
  std::shared_ptr<const Package> CurrentPackage();

  CatalogueServiceConfig config_;
  std::mutex mutex_;  // guards db_, limiter_ and package_
  CatalogueDb db_;
  WriteLimiter limiter_;
  std::shared_ptr<const Package> package_;
  std::mutex publish_mutex_;  // one package build at a time; guards publisher_db_
  // A connection of its own: a build reads its snapshot without holding up the writes.
  CatalogueDb publisher_db_;
  std::filesystem::path media_root_;
  std::unique_ptr<GuideAnswers> guide_;  // opened after db_, which creates a missing file
  std::unique_ptr<HttpServer> server_;
  int port_ = 0;
};

}  // namespace vistrel
