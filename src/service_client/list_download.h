#pragma once
// The channel list update: downloads a new package file into the data folder. The dialog that
// runs it (on the request runner's worker) supplies the hooks, which are called on the thread
// that runs the download; every text handed back is UTF-8, ready to be shown.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "common/build_config.h"
#include "service_client/service_config.h"

namespace vistrel {

// Status line texts of the update dialog.
inline constexpr const char* kStatusReady = "Ready";
inline constexpr const char* kStatusComplete = "Complete!";
inline constexpr const char* kStatusInterrupted = "Interrupted";  // shown by Cancel
inline constexpr const char* kStatusIncomplete = "Incomplete download";
inline constexpr const char* kStatusUnknownProtocol = "Unknown protocol";
// Followed by the loader's text: the package came whole but does not load, and is not stored.
inline constexpr const char* kStatusUnusablePackage =
    "The downloaded channel list cannot be loaded and was not stored: ";

struct ListDownloadRequest {
  std::string access_key = build::kAccessKey;
  std::string version_text;  // Catalogue.version_text (Windows-1252); empty: no package loaded
  std::filesystem::path data_dir;  // where "channelz.dat" is written
};

struct ListDownloadHooks {
  // Once, when the answer's body starts: the announced size, 0 when none was announced.
  std::function<void(int64_t total)> begin;
  // At each progress step while a total is known: the percentage and the status line text.
  // Exceptions thrown here are ignored.
  std::function<void(int percent, const std::string& status)> progress;
  // Read at each progress step, after `progress`; true aborts the transfer (unless the whole
  // announced body is already in).
  std::function<bool()> cancel_requested;
};

struct ListDownloadResult {
  std::string status;     // the final status line, UTF-8
  bool complete = false;  // status is "Complete!": a new package file is stored; reload
};

// Runs one download: GET base + "/service/get.php?key=..." into memory, check the answer, and
// on a package load it into a scratch catalogue and, when that succeeds, store its bytes as
// data_dir/"channelz.dat" (atomically: a failure leaves the old file whole). A package that does
// not load is not stored; the status is kStatusUnusablePackage and the loader's text. An answer
// larger than a framed answer can be (announced or received) is refused as it comes. Every failure
// ends in a status text (running out of memory included), never in an exception, except one raised
// by `begin` or `cancel_requested`, which aborts the transfer and is passed on.
ListDownloadResult DownloadChannelList(const ServiceConfig& service,
                                       const ListDownloadRequest& request,
                                       const ListDownloadHooks& hooks = {});

}  // namespace vistrel
