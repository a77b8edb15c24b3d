#include "service_client/service_requests.h"

#include "service_client/http_get.h"
#include "service_client/service_urls.h"

namespace vistrel {

namespace {

const TItem* ChannelAtRow(const TInfo& info, const std::vector<int32_t>& visible, int32_t row) {
  if (row < 0 || static_cast<size_t>(row) >= visible.size()) return nullptr;
  const int32_t position = visible[static_cast<size_t>(row)];
  if (position < 0 || static_cast<size_t>(position) >= info.channels.size()) return nullptr;
  return &info.channels[static_cast<size_t>(position)];
}

TItem* ChannelAt(TInfo& info, int32_t position) {
  if (position < 0 || static_cast<size_t>(position) >= info.channels.size()) return nullptr;
  return &info.channels[static_cast<size_t>(position)];
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
    (void)HttpGet(url, ServiceUserAgent(), hooks);
  } catch (...) {
    // Fire and forget: the user is told nothing, nothing is retried.
  }
}

void SubmitUserChannel(const ServiceConfig& service, const TInfo& info,
                       const std::vector<int32_t>& visible, int32_t row) {
  const TItem* channel = ChannelAtRow(info, visible, row);
  if (!channel) return;
  // Built from a copy: the event pump may change the catalogue while the request runs.
  const std::string url = SubmitUserChannelUrl(service.base_url, *channel);
  SendServiceRequest(service, url);
}

void ReportBrokenChannel(const ServiceConfig& service, const TInfo& info,
                         const std::vector<int32_t>& visible, int32_t row) {
  const TItem* channel = ChannelAtRow(info, visible, row);
  if (!channel) return;
  const std::string url = ReportBrokenChannelUrl(service.base_url, channel->id);
  SendServiceRequest(service, url);
}

void RateChannel(const ServiceConfig& service, TInfo& info, std::string_view rating,
                 int32_t position) {
  TItem* channel = ChannelAt(info, position);
  if (!channel) return;
  channel->rated_mark = true;
  const std::string url = RateChannelUrl(service.base_url, rating, channel->id);
  SendServiceRequest(service, url);
}

void FlagChannel(const ServiceConfig& service, TInfo& info, std::string_view flag,
                 int32_t position) {
  TItem* channel = ChannelAt(info, position);
  if (!channel) return;
  channel->flagged_mark = true;
  const std::string url = FlagChannelUrl(service.base_url, flag, channel->id);
  SendServiceRequest(service, url);
}

}  // namespace vistrel
