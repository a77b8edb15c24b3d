// The catalogue service over loopback, in this process, on a synthetic catalogue: ratings and
// downloads of the package on hand, one client on one kept-alive connection, and the time of a
// request on a connection of its own while a thousand slow or idle connections are open.

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_sizes.h"
#include "catalogue/package.h"
#include "common/error.h"
#include "common/files.h"
#include "server/catalogue_db.h"
#include "server/catalogue_import.h"
#include "server/catalogue_service.h"
#include "synthetic_catalogue.h"

namespace vistrel::bench {

namespace {

constexpr int kSlowConnections = 1000;

// A synthetic catalogue imported into a database of its own, served on a free port of
// 127.0.0.1 without write limits (the benchmarks measure the work of a write, not refusals).
class BenchService {
 public:
  explicit BenchService(std::size_t channel_count) {
    char folder[] = "/tmp/vistrel-bench-XXXXXX";
    if (!::mkdtemp(folder)) throw std::runtime_error("no temporary folder");
    dir_ = folder;
    for (const auto& [name, bytes] : SyntheticPackageEntries(channel_count)) {
      const Outcome written = WriteFileAtomically(dir_ / name, bytes);
      if (!written.ok()) throw std::runtime_error(written.error);
    }
    ImportCatalogue(dir_ / "catalogue.sqlite", dir_, "", CurrentMinute());
    CatalogueServiceConfig config;
    config.db_file = dir_ / "catalogue.sqlite";
    config.port = 0;
    config.http.connections = kSlowConnections + 100;
    config.http.connections_per_address = kSlowConnections + 100;
    config.build_package = [](const std::vector<PackageEntry>& entries) {
      return BuildPackage(entries);
    };
    service_ = std::make_unique<CatalogueService>(std::move(config));
    service_->Start();
  }
  ~BenchService() {
    service_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  int port() const { return service_->port(); }
  // The stamp of the package handed out last.
  std::string Published() const { return CatalogueDb(dir_ / "catalogue.sqlite").State().published; }
  std::string Url(const std::string& target) const { return service_->BaseUrl() + target; }

 private:
  std::filesystem::path dir_;
  std::unique_ptr<CatalogueService> service_;
};

// One libcurl handle: its connection is kept alive from one request to the next unless
// `fresh_connections` asks for a new one each time.
class Client {
 public:
  explicit Client(bool fresh_connections = false) : curl_(curl_easy_init()) {
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, &Client::Count);
    curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &received_);
    curl_easy_setopt(curl_, CURLOPT_FORBID_REUSE, fresh_connections ? 1L : 0L);
  }
  ~Client() { curl_easy_cleanup(curl_); }

  // The HTTP status, 0 when the request failed.
  long Get(const std::string& url) {
    received_ = 0;
    curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
    if (curl_easy_perform(curl_) != CURLE_OK) return 0;
    long status = 0;
    curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &status);
    return status;
  }
  std::size_t received() const { return received_; }

 private:
  static size_t Count(char*, size_t size, size_t count, void* total) {
    *static_cast<std::size_t*>(total) += size * count;
    return size * count;
  }
  CURL* curl_;
  std::size_t received_ = 0;
};

std::string ListUrl(const BenchService& service) {
  return service.Url(std::string("/service/get.php?key=") + build::kAccessKey);
}

void RateOnOneConnection(benchmark::State& state, std::size_t channel_count) {
  BenchService service(channel_count);
  Client client;
  std::size_t id = 0;
  for (auto _ : state) {
    id = id % channel_count + 1;
    if (client.Get(service.Url("/service/rate.php?rating=3&id=" + std::to_string(id))) != 200) {
      state.SkipWithError("rating refused");
      break;
    }
  }
  state.counters["requests_per_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void ListOnHandOnOneConnection(benchmark::State& state, std::size_t channel_count) {
  BenchService service(channel_count);
  Client client;
  client.Get(ListUrl(service));  // builds the package
  for (auto _ : state) {
    if (client.Get(ListUrl(service)) != 200) {
      state.SkipWithError("download failed");
      break;
    }
  }
  state.counters["requests_per_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["package_KiB"] = static_cast<double>(client.received()) / 1024;
}

// `rating`: a rating (written to disk); otherwise the check of a client whose package is
// current (nothing written).
void RequestBesideSlowConnections(benchmark::State& state, std::size_t channel_count, bool rating) {
  // Both ends of every connection live in this process.
  rlimit files{};
  getrlimit(RLIMIT_NOFILE, &files);
  const rlim_t wanted = 2 * kSlowConnections + 200;
  if (files.rlim_cur < wanted && (files.rlim_max == RLIM_INFINITY || files.rlim_max >= wanted)) {
    files.rlim_cur = wanted;
    setrlimit(RLIMIT_NOFILE, &files);
  }
  BenchService service(channel_count);
  Client client(true);
  client.Get(ListUrl(service));
  const std::string up_to_date = ListUrl(service) + "&date=" + service.Published();
  // Half of them idle, half part-way through a request header.
  std::vector<int> slow;
  const std::string partial = "GET /service/get.php HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ";
  for (int i = 0; i < kSlowConnections; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(service.port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && i % 2) {
      (void)!::send(fd, partial.data(), partial.size(), MSG_NOSIGNAL);
    }
    slow.push_back(fd);
  }
  std::size_t id = 0;
  for (auto _ : state) {
    id = id % channel_count + 1;
    const std::string url =
        rating ? service.Url("/service/rate.php?rating=3&id=" + std::to_string(id)) : up_to_date;
    if (client.Get(url) != 200) {
      state.SkipWithError("request failed");
      break;
    }
  }
  for (const int fd : slow) ::close(fd);
}

}  // namespace

void RegisterServiceBenchmarks() {
  const std::size_t size = kSmallCatalogue;
  benchmark::RegisterBenchmark(BenchmarkName("ServiceRate", "one connection", size).c_str(),
                               RateOnOneConnection, size)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->MinTime(1.0);
  benchmark::RegisterBenchmark(BenchmarkName("ServiceList", "package on hand", size).c_str(),
                               ListOnHandOnOneConnection, size)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->MinTime(1.0);
  for (const bool rating : {false, true}) {
    benchmark::RegisterBenchmark(
        BenchmarkName(rating ? "ServiceRate" : "ServiceList",
                      rating ? "new connection beside 1000 slow ones"
                             : "up to date, new connection beside 1000 slow ones",
                      size)
            .c_str(),
        RequestBesideSlowConnections, size, rating)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MinTime(1.0);
  }
}

}  // namespace vistrel::bench
