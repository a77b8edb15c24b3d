#include "server/guide_import.h"

#include <httplib.h>
#include <pthread.h>

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "guide/guide_match.h"
#include "server/guide_store.h"

namespace vistrel {

namespace {

struct Address {
  std::string origin;  // scheme://host[:port]
  std::string user;    // user[:password], empty when none
  std::string target;  // path and query, "/" at least
};

Address SplitAddress(std::string_view address) {
  Address parts;
  const std::size_t scheme_end = address.find("://");
  const std::size_t host_start = scheme_end == std::string_view::npos ? 0 : scheme_end + 3;
  const std::size_t path_start = address.find_first_of("/?#", host_start);
  std::string_view authority =
      address.substr(host_start, path_start == std::string_view::npos ? std::string_view::npos
                                                                      : path_start - host_start);
  if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
    parts.user = std::string(authority.substr(0, at));
    authority.remove_prefix(at + 1);
  }
  parts.origin = std::string(address.substr(0, host_start)) + std::string(authority);
  parts.target =
      path_start == std::string_view::npos ? "/" : std::string(address.substr(path_start));
  if (const std::size_t hash = parts.target.find('#'); hash != std::string::npos) {
    parts.target.resize(hash);
  }
  if (parts.target.empty() || parts.target.front() != '/') parts.target.insert(0, "/");
  return parts;
}

// Stores programmes on a thread of its own, so that reading the XML and writing SQLite each
// take one of the machine's two cores. Batches wait in a short queue: memory stays bounded.
class StoringThread {
 public:
  explicit StoringThread(GuideStore& store) : store_(store), thread_([this] { Run(); }) {}
  ~StoringThread() {
    {
      std::lock_guard lock(mutex_);
      closed_ = true;
      queue_.clear();
    }
    changed_.notify_all();
    thread_.join();
  }
  StoringThread(const StoringThread&) = delete;
  StoringThread& operator=(const StoringThread&) = delete;

  // Throws what storing threw before, so reading stops.
  void Add(int32_t channel_id, Programme programme) {
    batch_.emplace_back(channel_id, std::move(programme));
    if (batch_.size() >= kBatch) Push();
  }

  // Waits until everything added is stored. Throws what storing threw.
  void Finish() {
    Push();
    std::unique_lock lock(mutex_);
    closed_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return done_; });
    if (failed_) std::rethrow_exception(failed_);
  }

 private:
  static constexpr std::size_t kBatch = 256;
  static constexpr std::size_t kMostWaiting = 8;
  using Batch = std::vector<std::pair<int32_t, Programme>>;

  void Push() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return queue_.size() < kMostWaiting || failed_; });
    if (failed_) std::rethrow_exception(failed_);
    if (!batch_.empty()) queue_.push_back(std::move(batch_));
    batch_ = Batch();
    changed_.notify_all();
  }

  void Run() {
    pthread_setname_np(pthread_self(), "guide-store");  // for top and perf
    std::unique_lock lock(mutex_);
    while (true) {
      changed_.wait(lock, [&] { return !queue_.empty() || closed_; });
      if (queue_.empty()) break;
      Batch batch = std::move(queue_.front());
      queue_.pop_front();
      changed_.notify_all();
      lock.unlock();
      try {
        for (const auto& [channel_id, programme] : batch)
          store_.AddProgramme(channel_id, programme);
      } catch (...) {
        lock.lock();
        failed_ = std::current_exception();
        queue_.clear();
        break;
      }
      lock.lock();
    }
    done_ = true;
    changed_.notify_all();
  }

  GuideStore& store_;
  Batch batch_;  // filled by the reading thread alone
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Batch> queue_;
  bool closed_ = false;
  bool done_ = false;
  std::exception_ptr failed_;
  std::thread thread_;  // last: starts once the rest is ready
};

}  // namespace

bool IsGuideAddress(std::string_view source) {
  return source.starts_with("http://") || source.starts_with("https://");
}

std::string GuideSourceName(std::string_view source) {
  if (!IsGuideAddress(source)) return std::string(source);
  const Address parts = SplitAddress(source);
  return parts.origin + (parts.target == "/" ? "/" : "/...");
}

Outcome FetchGuide(const std::string& address, XmltvReader& reader) {
  const Address parts = SplitAddress(address);
  httplib::Client client(parts.origin);
  if (!client.is_valid()) return Outcome::Fail("not a usable address");
  client.set_follow_location(true);
  client.set_connection_timeout(std::chrono::seconds(20));
  client.set_read_timeout(std::chrono::seconds(120));
  client.enable_server_certificate_verification(true);
  if (!parts.user.empty()) {
    const std::size_t colon = parts.user.find(':');
    client.set_basic_auth(parts.user.substr(0, colon),
                          colon == std::string::npos ? "" : parts.user.substr(colon + 1));
  }
  int status = 0;
  Outcome fed;
  std::exception_ptr thrown;
  const httplib::Result result = client.Get(
      parts.target,
      [&](const httplib::Response& response) {
        status = response.status;
        return status == 200;
      },
      [&](const char* data, std::size_t size) {
        try {
          fed = reader.Feed(std::string_view(data, size));
        } catch (...) {
          thrown = std::current_exception();
          return false;
        }
        return fed.ok();
      });
  if (thrown) std::rethrow_exception(thrown);
  if (!fed.ok()) return fed;
  if (status != 0 && status != 200) {
    return Outcome::Fail("the server answered " + std::to_string(status));
  }
  if (!result) return Outcome::Fail("cannot fetch it: " + httplib::to_string(result.error()));
  return reader.Finish();
}

std::string ImportGuide(const std::filesystem::path& db_file,
                        const std::vector<std::string>& sources, int64_t now,
                        const std::string& language) {
  const int64_t from = now - kGuideDaysBack * 86400;
  const int64_t to = now + kGuideDaysAhead * 86400;
  GuideStore store(db_file);
  const std::vector<GuideTarget> targets = store.Targets();
  GuideCounts total;
  int64_t unmatched = 0, outside = 0, matched_channels = 0;
  store.BeginGuide();
  try {
    StoringThread storing(store);
    for (const std::string& source : sources) {
      std::vector<GuideChannel> channels;
      bool relink = false;
      std::unordered_map<std::string, std::vector<int32_t>> links;
      XmltvReader reader({[&](GuideChannel&& channel) {
                            channels.push_back(std::move(channel));
                            relink = true;
                          },
                          [&](Programme&& programme) {
                            const auto it = links.find(programme.channel);
                            if (it == links.end()) {
                              ++unmatched;
                              return;
                            }
                            if (programme.stop <= from || programme.start >= to) {
                              ++outside;
                              return;
                            }
                            for (std::size_t i = 0; i + 1 < it->second.size(); ++i) {
                              storing.Add(it->second[i], programme);
                            }
                            storing.Add(it->second.back(), std::move(programme));
                          },
                          [&](const std::string& channel) {
                            // Channels come before programmes: matched once, when the first
                            // programme comes. Programmes of other channels pass unread.
                            if (relink) {
                              links = MatchGuideChannels(channels, targets);
                              relink = false;
                            }
                            return links.contains(channel);
                          }},
                         language);
      const Outcome read =
          IsGuideAddress(source) ? FetchGuide(source, reader) : ReadXmltvFile(source, reader);
      if (!read.ok()) throw Error("guide " + GuideSourceName(source) + ": " + read.error);
      if (relink) links = MatchGuideChannels(channels, targets);
      matched_channels += static_cast<int64_t>(links.size());
      const GuideCounts& counts = reader.counts();
      total.channels += counts.channels;
      total.programmes += counts.programmes + counts.not_wanted;
      total.bad_times += counts.bad_times;
      total.unknown_channels += counts.unknown_channels;
      total.overlaps += counts.overlaps;
      total.duplicates += counts.duplicates;
      total.without_end += counts.without_end;
      unmatched += counts.not_wanted;
    }
    storing.Finish();
    const int64_t stored = store.CommitGuide();
    return "guide: " + std::to_string(stored) + " programmes stored for the catalogue; read " +
           std::to_string(total.channels) + " channels (" + std::to_string(matched_channels) +
           " matched) and " + std::to_string(total.programmes) + " programmes (" +
           std::to_string(unmatched) + " of unmatched channels, " + std::to_string(outside) +
           " outside the days kept); skipped " + std::to_string(total.bad_times) +
           " with bad times, " + std::to_string(total.unknown_channels) +
           " of undeclared channels, " + std::to_string(total.overlaps) + " overlapping, " +
           std::to_string(total.duplicates) + " duplicates, " + std::to_string(total.without_end) +
           " without an end";
  } catch (...) {
    store.AbandonGuide();
    throw;
  }
}

}  // namespace vistrel
