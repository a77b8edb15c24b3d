#include "service_client/service_requests.h"

#include "service_client/http_get.h"
#include "service_client/service_urls.h"

namespace vistrel {

namespace {

Channel* ChannelAt(Catalogue& catalogue, int32_t position) {
  if (position < 0 || static_cast<size_t>(position) >= catalogue.channels.size()) return nullptr;
  return &catalogue.channels[static_cast<size_t>(position)];
}

}  // namespace

void SendServiceRequest(const ServiceConfig& service, const std::string& url) {
  try {
    HttpGetHooks hooks;
    if (service.process_events) {
      hooks.step = [&service](int64_t, int64_t) {
        service.process_events();
        return false;
      };
    }
    // Fire and forget: the answer is not read, and a failure is told to no one and not retried.
    const Result<std::string> answer = HttpGet(url, ServiceUserAgent(), hooks, kSmallRequestLimits);
    if (!answer.ok()) return;
  } catch (...) {
    // As a failure above: told to no one, not retried.
  }
}

void SubmitUserChannel(const ServiceConfig& service, const Catalogue& catalogue,
                       const VisibleRows& rows, int32_t row) {
  const Channel* channel = rows.ChannelAt(catalogue, row);
  if (!channel) return;
  // Built from a copy: the event pump may change the catalogue while the request runs.
  const std::string url = SubmitUserChannelUrl(service.base_url, *channel);
  SendServiceRequest(service, url);
}

void ReportBrokenChannel(const ServiceConfig& service, const Catalogue& catalogue,
                         const VisibleRows& rows, int32_t row) {
  const Channel* channel = rows.ChannelAt(catalogue, row);
  if (!channel) return;
  const std::string url = ReportBrokenChannelUrl(service.base_url, channel->id);
  SendServiceRequest(service, url);
}

void RateChannel(const ServiceConfig& service, Catalogue& catalogue, std::string_view rating,
                 int32_t position) {
  Channel* channel = ChannelAt(catalogue, position);
  if (!channel) return;
  channel->rated_mark = true;
  const std::string url = RateChannelUrl(service.base_url, rating, channel->id);
  SendServiceRequest(service, url);
}

void FlagChannel(const ServiceConfig& service, Catalogue& catalogue, std::string_view flag,
                 int32_t position) {
  Channel* channel = ChannelAt(catalogue, position);
  if (!channel) return;
  channel->flagged_mark = true;
  const std::string url = FlagChannelUrl(service.base_url, flag, channel->id);
  SendServiceRequest(service, url);
}

}  // namespace vistrel
