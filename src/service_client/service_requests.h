#pragma once
// The four small requests to the service. They block until answered (30 s at most), run the
// event pump while they wait, ignore the answer (taking no more than a few KiB of it) and
// swallow every failure: none reports anything to its caller.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "browser/visible_rows.h"
#include "catalogue/records.h"
#include "service_client/service_config.h"

namespace vistrel {

// Sends the channel shown in list row `row`. The caller marks the channel sent. A row the
// list does not have sends nothing.
void SubmitUserChannel(const ServiceConfig& service, const Catalogue& catalogue,
                       const VisibleRows& rows, int32_t row);

// Reports the channel shown in list row `row` as not playing. Out of range: nothing is sent.
void ReportBrokenChannel(const ServiceConfig& service, const Catalogue& catalogue,
                         const VisibleRows& rows, int32_t row);

// Marks channels[position] rated, then sends the rating ("1" to "5"); the mark stays whatever
// becomes of the request. Out of range: nothing happens.
void RateChannel(const ServiceConfig& service, Catalogue& catalogue, std::string_view rating,
                 int32_t position);

// Marks channels[position] flagged, then sends the flag ("ok", "bad", "wrong", "duplicate",
// "spam"); the mark stays whatever becomes of the request. Out of range: nothing happens.
void FlagChannel(const ServiceConfig& service, Catalogue& catalogue, std::string_view flag,
                 int32_t position);

// The common procedure of the four: one GET of `url`, answer dropped, failures swallowed.
void SendServiceRequest(const ServiceConfig& service, const std::string& url);

}  // namespace vistrel
