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

void SendServiceRequest(const std::string& url, const std::atomic<bool>* cancelled) {
  try {
    HttpGetHooks hooks;
    if (cancelled != nullptr) {
      hooks.step = [cancelled](int64_t, int64_t) { return cancelled->load(); };
    }
    // Fire and forget: the answer is not read, and a failure is told to no one and not retried.
    const Result<std::string> answer = HttpGet(url, ServiceUserAgent(), hooks, kSmallRequestLimits);
    if (!answer.ok()) return;
  } catch (...) {
    // As a failure above: told to no one, not retried.
  }
}

void QueueServiceRequest(RequestRunner& runner, std::string url) {
  runner.Run(
      [url = std::move(url)](const std::atomic<bool>& cancelled) -> std::function<void()> {
        SendServiceRequest(url, &cancelled);
        return nullptr;
      },
      nullptr);
}

void SubmitUserChannel(RequestRunner& runner, const ServiceConfig& service,
                       const Channel& channel) {
  // A playlist channel is the user's own, its address may hold credentials: never sent.
  if (IsPlaylistChannel(channel)) return;
  QueueServiceRequest(runner, SubmitUserChannelUrl(service.base_url, channel));
}

void SubmitUserChannel(RequestRunner& runner, const ServiceConfig& service,
                       const Catalogue& catalogue, const VisibleRows& rows, int32_t row) {
  const Channel* channel = rows.ChannelAt(catalogue, row);
  if (!channel) return;
  SubmitUserChannel(runner, service, *channel);
}

void ReportBrokenChannel(RequestRunner& runner, const ServiceConfig& service,
                         const Catalogue& catalogue, const VisibleRows& rows, int32_t row) {
  const Channel* channel = rows.ChannelAt(catalogue, row);
  // A playlist channel is the user's own, its address may hold credentials: never sent.
  if (!channel || IsPlaylistChannel(*channel)) return;
  QueueServiceRequest(runner, ReportBrokenChannelUrl(service.base_url, channel->id));
}

void RateChannel(RequestRunner& runner, const ServiceConfig& service, Catalogue& catalogue,
                 std::string_view rating, int32_t position) {
  Channel* channel = ChannelAt(catalogue, position);
  // A playlist channel is the user's own, its address may hold credentials: never sent.
  if (!channel || IsPlaylistChannel(*channel)) return;
  channel->rated_mark = true;
  QueueServiceRequest(runner, RateChannelUrl(service.base_url, rating, channel->id));
}

void FlagChannel(RequestRunner& runner, const ServiceConfig& service, Catalogue& catalogue,
                 std::string_view flag, int32_t position) {
  Channel* channel = ChannelAt(catalogue, position);
  // A playlist channel is the user's own, its address may hold credentials: never sent.
  if (!channel || IsPlaylistChannel(*channel)) return;
  channel->flagged_mark = true;
  QueueServiceRequest(runner, FlagChannelUrl(service.base_url, flag, channel->id));
}

}  // namespace vistrel
