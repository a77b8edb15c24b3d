#pragma once
// The catalogue service over HTTP: the list download and the small requests under "/service/",
// and optionally a folder of media files under "/media/".

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/package.h"
#include "common/build_config.h"
#include "server/catalogue_db.h"
#include "server/version_stamp.h"

namespace httplib {
class Server;
}

namespace vistrel {

// Turns the package entries into the bytes of a package file (vistrel::BuildPackage with the
// build's key and IV, in the program).
using PackageBuilder = std::function<std::string(const std::vector<PackageEntry>&)>;

struct CatalogueServiceConfig {
  std::filesystem::path db_file;
  std::string host = "127.0.0.1";
  int port = 8780;  // 0: any free port
  std::string access_key = build::kAccessKey;
  std::filesystem::path media_dir;  // served under "/media/" when set
  PackageBuilder build_package;     // required
  std::function<StampTime()> clock = CurrentMinute;
  // Receives one line per request (method, target, status); empty: no log.
  std::function<void(const std::string&)> log;
};

class CatalogueService {
 public:
  // Opens (or creates) the database. Throws vistrel::Error.
  explicit CatalogueService(CatalogueServiceConfig config);
  ~CatalogueService();  // stops the server
  CatalogueService(const CatalogueService&) = delete;
  CatalogueService& operator=(const CatalogueService&) = delete;

  // Binds the host and port and serves on a background thread; returns the port. Throws
  // vistrel::Error when the address cannot be bound or the media folder is missing.
  int Start();
  // Stops serving and waits for the server thread; harmless when not started.
  void Stop();

  int port() const { return port_; }
  // "http://host:port", the base URL for clients.
  std::string BaseUrl() const;

 private:
  void Route();
  // The whole list-download answer (tag, length, payload).
  std::string ListResponse(const std::optional<std::string>& key,
                           const std::optional<std::string>& date);

  CatalogueServiceConfig config_;
  std::mutex mutex_;  // guards db_ and the package cache
  CatalogueDb db_;
  int64_t cached_changes_ = -1;
  std::string cached_package_;
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
};

}  // namespace vistrel
