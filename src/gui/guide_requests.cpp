#include "gui/guide_requests.h"

#include <QMetaObject>
#include <QPointer>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

namespace vistrel {

// Where a request's thread leaves its answer: the target is cleared when the requests object
// goes, under the lock, so a thread never posts to an object that is gone.
struct GuideRequests::Mailbox {
  std::mutex mutex;
  QObject* target = nullptr;
};

GuideRequests::GuideRequests(ServiceConfig service, QObject* parent)
    : QObject(parent), service_(std::move(service)), mailbox_(std::make_shared<Mailbox>()) {
  service_.process_events = nullptr;  // never pump the GUI's events from another thread
  mailbox_->target = this;
}

GuideRequests::~GuideRequests() {
  const std::lock_guard<std::mutex> lock(mailbox_->mutex);
  mailbox_->target = nullptr;
}

template <typename T>
void GuideRequests::Run(std::function<Result<T>()> fetch, std::function<void(Result<T>)> done) {
  std::thread([mailbox = mailbox_, fetch = std::move(fetch), done = std::move(done)]() mutable {
    Result<T> result = Result<T>::Fail("The programme guide could not be fetched.");
    try {
      result = fetch();
    } catch (const std::exception& e) {
      result = Result<T>::Fail(e.what());
    }
    const std::lock_guard<std::mutex> lock(mailbox->mutex);
    if (mailbox->target == nullptr) return;
    QMetaObject::invokeMethod(
        mailbox->target,
        [done = std::move(done), result = std::move(result)]() mutable { done(std::move(result)); },
        Qt::QueuedConnection);
  }).detach();
}

void GuideRequests::FetchNowAndNext(std::function<void(Result<NowAndNextGuide>)> done) {
  Run<NowAndNextGuide>([service = service_] { return vistrel::FetchNowAndNext(service); },
                       std::move(done));
}

void GuideRequests::FetchChannel(int32_t channel_id,
                                 std::function<void(Result<std::vector<GuideProgramme>>)> done) {
  Run<std::vector<GuideProgramme>>(
      [service = service_, channel_id] { return FetchChannelGuide(service, channel_id); },
      std::move(done));
}

}  // namespace vistrel
