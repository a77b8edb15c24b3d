#include "gui/guide_requests.h"

#include <utility>

#include "gui/post_back.h"

namespace vistrel {

GuideRequests::GuideRequests(RequestRunner& runner, ServiceConfig service, QObject* parent)
    : QObject(parent), runner_(runner), service_(std::move(service)) {}

void GuideRequests::FetchNowAndNext(std::function<void(Result<NowAndNextGuide>)> done) {
  runner_.Run(
      [service = service_,
       done = std::move(done)](const std::atomic<bool>& cancelled) -> std::function<void()> {
        auto result = std::make_shared<Result<NowAndNextGuide>>(
            vistrel::FetchNowAndNext(service, &cancelled));
        return [done, result] { done(std::move(*result)); };
      },
      PostTo(this));
}

void GuideRequests::FetchChannel(int32_t channel_id,
                                 std::function<void(Result<std::vector<GuideProgramme>>)> done) {
  runner_.Run(
      [service = service_, channel_id,
       done = std::move(done)](const std::atomic<bool>& cancelled) -> std::function<void()> {
        auto result = std::make_shared<Result<std::vector<GuideProgramme>>>(
            FetchChannelGuide(service, channel_id, &cancelled));
        return [done, result] { done(std::move(*result)); };
      },
      PostTo(this));
}

}  // namespace vistrel
