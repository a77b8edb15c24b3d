#pragma once
// The four small requests to the service. They run on the request runner's worker (30 s at
// most each), ignore the answer (taking no more than a few KiB of it) and swallow every failure:
// none reports anything to its caller. Their addresses are made when they are queued, so later
// changes of the catalogue do not reach them.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "browser/visible_rows.h"
#include "catalogue/records.h"
#include "service_client/request_runner.h"
#include "service_client/service_config.h"

namespace vistrel {

// None of these sends anything for a playlist channel (IsPlaylistChannel): its address may
// hold the user's credentials.

// Queues the sending of `channel`. The caller marks the channel sent.
void SubmitUserChannel(RequestRunner& runner, const ServiceConfig& service, const Channel& channel);
// The same for the channel shown in list row `row`; a row the list does not have sends nothing.
void SubmitUserChannel(RequestRunner& runner, const ServiceConfig& service,
                       const Catalogue& catalogue, const VisibleRows& rows, int32_t row);

// Queues the report of the channel shown in list row `row` as not playing. Out of range:
// nothing is sent.
void ReportBrokenChannel(RequestRunner& runner, const ServiceConfig& service,
                         const Catalogue& catalogue, const VisibleRows& rows, int32_t row);

// Marks channels[position] rated, then queues the rating ("1" to "5"); the mark stays whatever
// becomes of the request. Out of range: nothing happens.
void RateChannel(RequestRunner& runner, const ServiceConfig& service, Catalogue& catalogue,
                 std::string_view rating, int32_t position);

// Marks channels[position] flagged, then queues the flag ("ok", "bad", "wrong", "duplicate",
// "spam"); the mark stays whatever becomes of the request. Out of range: nothing happens.
void FlagChannel(RequestRunner& runner, const ServiceConfig& service, Catalogue& catalogue,
                 std::string_view flag, int32_t position);

// The common procedure of the four, on the calling thread: one GET of `url`, answer dropped,
// failures swallowed. A set `cancelled` aborts the transfer at its next progress step.
void SendServiceRequest(const std::string& url, const std::atomic<bool>* cancelled = nullptr);

// Queues SendServiceRequest(url) on `runner`; nothing comes back.
void QueueServiceRequest(RequestRunner& runner, std::string url);

}  // namespace vistrel
